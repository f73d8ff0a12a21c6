#include "ui/win32_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace sarvilax {
namespace {

// The face needs a desktop; scripts/test-windows gives Wine one.
#define SKIP_WITHOUT_DESKTOP(window)                                           \
  if (!(window).has_window()) {                                                \
    GTEST_SKIP() << "no desktop to make windows on (run Wine with a display)"; \
  }

TEST(Win32WindowTest, ShowsTitleCaptionAndBar) {
  Win32Window window;
  SKIP_WITHOUT_DESKTOP(window);
  EXPECT_FALSE(window.shown());
  EXPECT_EQ(window.TitleShown(), " Viikkoraportti");
  EXPECT_EQ(window.CaptionShown(), "Asetusten nouto");
  EXPECT_EQ(window.BarPositionShown(), 0);

  window.SetVisible(true);
  EXPECT_TRUE(window.shown());
  window.SetTitle(" Kuukausiraportti");
  window.SetPhase("L\xE4hetet\xE4\xE4n a&b@example.com");
  // The bar is redrawn at most about 30 times a second.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  window.SetProgress(42.7f);
  EXPECT_EQ(window.TitleShown(), " Kuukausiraportti");
  // The control holds '&&', which it shows as the letter '&', not as a shortcut mark.
  EXPECT_EQ(window.CaptionShown(), "L\xC3\xA4hetet\xC3\xA4\xC3\xA4n a&&b@example.com");
  EXPECT_EQ(window.BarPositionShown(), 42);
  window.SetProgress(100.0f);
  EXPECT_EQ(window.BarPositionShown(), 100);

  // Closing the window from its title bar does nothing.
  const HWND form = FindWindowW(L"SarvilaxForm1", L" Kuukausiraportti");
  ASSERT_NE(form, nullptr);
  SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form));
  EXPECT_TRUE(window.shown());

  window.SetVisible(false);
  EXPECT_FALSE(window.shown());
}

// What a person sees in a message box, read by a helper that then presses OK.
struct SeenBox {
  std::wstring text;
  bool information_icon = false;
};

// Set by FindInformationIcon for the box being read.
bool information_icon_found = false;

BOOL CALLBACK FindInformationIcon(HWND child, LPARAM) {
  wchar_t class_name[16] = {};
  GetClassNameW(child, class_name, 16);
  const LRESULT icon = SendMessageW(child, STM_GETICON, 0, 0);
  if (std::wstring(class_name) == L"Static" && icon != 0 &&
      icon == reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_INFORMATION))) {
    information_icon_found = true;
  }
  return TRUE;
}

SeenBox ReadAndCloseBox(const wchar_t* title) {
  SeenBox seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  HWND box = nullptr;
  while (box == nullptr && std::chrono::steady_clock::now() < deadline) {
    box = FindWindowW(L"#32770", title);
    if (box == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (box == nullptr) return seen;
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  seen.text = text;
  information_icon_found = false;
  EnumChildWindows(box, FindInformationIcon, 0);
  seen.information_icon = information_icon_found;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return seen;
}

TEST(Win32WindowTest, MessageBoxWaitsForOk) {
  Win32Window window;
  SKIP_WITHOUT_DESKTOP(window);
  SeenBox seen;
  std::thread person([&seen] { seen = ReadAndCloseBox(L"Raportti"); });
  window.ShowMessageBox("Raportti", "Viikkoraportit on l\xE4hetetty:\r\na&b@example.com\r\n");
  person.join();
  EXPECT_EQ(seen.text, L"Viikkoraportit on l\u00E4hetetty:\na&b@example.com\n");
  EXPECT_TRUE(seen.information_icon);
}

}  // namespace
}  // namespace sarvilax
