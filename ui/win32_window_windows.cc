#include <windows.h>
// The common controls need the types of <windows.h>.
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "core/wide_text.h"
#include "ui/display_text.h"
#include "ui/form_layout.h"
#include "ui/silent_window.h"
#include "ui/win32_window.h"

namespace sarvilax {

namespace {

using namespace form_layout;

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr wchar_t kFormClass[] = L"SarvilaxForm1";

// The window has no behaviour of its own: closing it does nothing, and only
// the runs show and hide it.
LRESULT CALLBACK FormProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

bool RegisterFormClass(HINSTANCE instance) {
  static const bool registered = [instance] {
    WNDCLASSEXW form_class{};
    form_class.cbSize = sizeof form_class;
    form_class.lpfnWndProc = FormProcedure;
    form_class.hInstance = instance;
    form_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    form_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    form_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    form_class.lpszClassName = kFormClass;
    return RegisterClassExW(&form_class) != 0;
  }();
  return registered;
}

// A group box takes '&' as the mark of a keyboard shortcut; an address in a
// caption keeps its '&'.
std::wstring WithLiteralAmpersands(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    escaped += c;
    if (c == L'&') escaped += L'&';
  }
  return escaped;
}

std::string TextOf(HWND control) {
  if (control == nullptr) return "";
  std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
  text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
  return Utf8FromWide(text);
}

// The window's outer size for the client area, centred on the work area.
RECT FormRectangle() {
  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kFormStyle, FALSE, 0);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace

struct Win32Window::Controls {
  HWND form = nullptr;
  HWND frame = nullptr;  // a child of form
  HWND bar = nullptr;    // a child of form, drawn over the frame
};

Win32Window::Win32Window() : controls_(std::make_unique<Controls>()) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX common{sizeof common, ICC_PROGRESS_CLASS};
  if (!InitCommonControlsEx(&common) || !RegisterFormClass(instance)) return;
  const RECT place = FormRectangle();
  Controls& c = *controls_;
  c.form = CreateWindowExW(0, kFormClass, WideFromUtf8(DisplayLine(kWeeklyWindowTitle)).c_str(),
                           kFormStyle, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, nullptr, nullptr, instance, nullptr);
  if (c.form == nullptr) return;
  c.frame = CreateWindowExW(
      0, L"BUTTON", WithLiteralAmpersands(WideFromUtf8(DisplayLine(kInitialPhaseCaption))).c_str(),
      WS_CHILD | WS_VISIBLE | BS_GROUPBOX, kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight, c.form,
      nullptr, instance, nullptr);
  c.bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, kFrameLeft + kBarLeft,
                          kFrameTop + kBarTop, kBarWidth, kBarHeight, c.form, nullptr, instance,
                          nullptr);
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  if (c.frame != nullptr) SendMessageW(c.frame, WM_SETFONT, font, FALSE);
  if (c.bar != nullptr) {
    SendMessageW(c.bar, PBM_SETRANGE32, 0, 100);
    SendMessageW(c.bar, PBM_SETPOS, 0, 0);
  }
}

Win32Window::~Win32Window() {
  if (controls_->form != nullptr) DestroyWindow(controls_->form);
  ProcessPendingMessages();
}

void Win32Window::SetVisible(bool visible) {
  const HWND form = controls_->form;
  if (form == nullptr) return;
  if (visible) {
    SendMessageW(controls_->bar, PBM_SETPOS, throttle_.whole_percent(), 0);
    ShowWindow(form, SW_SHOWNORMAL);
    UpdateWindow(form);
    throttle_.MarkDrawn();
  } else {
    ShowWindow(form, SW_HIDE);
  }
  ProcessPendingMessages();
}

void Win32Window::SetTitle(const std::string& title) {
  if (controls_->form == nullptr) return;
  SetWindowTextW(controls_->form, WideFromUtf8(DisplayLine(title)).c_str());
}

void Win32Window::SetPhase(const std::string& caption) {
  if (controls_->form == nullptr) return;
  SetWindowTextW(controls_->frame,
                 WithLiteralAmpersands(WideFromUtf8(DisplayLine(caption))).c_str());
  SendMessageW(controls_->bar, PBM_SETPOS, throttle_.whole_percent(), 0);
  RedrawWindow(controls_->form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  UpdateWindow(controls_->form);
  ProcessPendingMessages();
  throttle_.MarkDrawn();
}

void Win32Window::SetProgress(float percent) {
  if (!throttle_.Update(percent) || controls_->bar == nullptr) return;
  // Draws the bar without reading any input: inside a pass the window only
  // shows, it does not react.
  SendMessageW(controls_->bar, PBM_SETPOS, throttle_.whole_percent(), 0);
  UpdateWindow(controls_->bar);
}

void Win32Window::ShowMessageBox(const std::string& title, const std::string& text) {
  // A hidden window would hide the box with it; the box then stands alone.
  const HWND owner = shown() ? controls_->form : nullptr;
  const int answer = MessageBoxW(owner, WideFromUtf8(DisplayLines(text)).c_str(),
                                 WideFromUtf8(DisplayLine(title)).c_str(),
                                 MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
  // Without a desktop the box cannot be shown (no button was pressed); its
  // text is not lost.
  if (answer <= 0) WriteConsoleMessage(stdout, title, text);
}

void Win32Window::ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool Win32Window::has_window() const { return controls_->form != nullptr; }

bool Win32Window::shown() const {
  return controls_->form != nullptr && IsWindowVisible(controls_->form);
}

std::string Win32Window::TitleShown() const { return TextOf(controls_->form); }

std::string Win32Window::CaptionShown() const { return TextOf(controls_->frame); }

int Win32Window::BarPositionShown() const {
  if (controls_->bar == nullptr) return 0;
  return static_cast<int>(SendMessageW(controls_->bar, PBM_GETPOS, 0, 0));
}

}  // namespace sarvilax
