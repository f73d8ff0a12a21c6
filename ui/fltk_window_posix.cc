#include "ui/fltk_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

#include "ui/display_text.h"
#include "ui/form_layout.h"

namespace sarvilax {

namespace {

using namespace form_layout;

constexpr int kCaptionSize = 12;
constexpr int kCaptionIndent = 8;

// Showing waits this long at most for the window manager to put the window
// on the screen, so a desktop that never shows it cannot stall a run.
constexpr int kShowPolls = 20;
constexpr double kShowPollSeconds = 0.05;

// The program icon, 16 x 16 in 16 colours: a report sheet with two lines of
// text and a rising bar chart. The 32 x 32 icon is the same picture doubled.
constexpr int kIconSize = 16;
constexpr std::array<std::string_view, kIconSize> kIconRows = {
    "................",  //
    "..############..",  //
    "..#wwwwwwwwww#..",  //
    "..#w-------ww#..",  //
    "..#wwwwwwwwww#..",  //
    "..#w-----wwww#..",  //
    "..#wwwwwwwrrw#..",  //
    "..#wwwwwwwrrw#..",  //
    "..#wwwwggwrrw#..",  //
    "..#wwwwggwrrw#..",  //
    "..#wbbwggwrrw#..",  //
    "..#wbbwggwrrw#..",  //
    "..#wbbwggwrrw#..",  //
    "..#wwwwwwwwww#..",  //
    "..############..",  //
    "................",  //
};

constexpr bool IconRowsAreSquare() {
  for (std::string_view row : kIconRows) {
    if (row.size() != kIconSize) return false;
  }
  return true;
}
static_assert(IconRowsAreSquare());

// RGBA of one icon character; '.' is transparent.
std::array<unsigned char, 4> IconColour(char c) {
  switch (c) {
    case '#':
      return {0, 0, 0, 255};
    case 'w':
      return {255, 255, 255, 255};
    case '-':
      return {128, 128, 128, 255};
    case 'b':
      return {0, 0, 128, 255};
    case 'g':
      return {0, 128, 0, 255};
    case 'r':
      return {128, 0, 0, 255};
    default:
      return {0, 0, 0, 0};
  }
}

// The icon drawn at scale pixels per picture point, as RGBA rows.
unsigned char* IconPixels(int scale) {
  const int size = kIconSize * scale;
  auto* pixels = new unsigned char[static_cast<size_t>(size) * size * 4];
  unsigned char* next = pixels;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const auto colour = IconColour(kIconRows[y / scale][x / scale]);
      next = std::copy(colour.begin(), colour.end(), next);
    }
  }
  return pixels;
}

// The icons live as long as the process, for the toolkit may keep pointers
// to them in every window it makes (the message box's too).
const Fl_RGB_Image** ProgramIcons() {
  static const Fl_RGB_Image** icons = [] {
    auto** made = new const Fl_RGB_Image*[2];
    made[0] = new Fl_RGB_Image(IconPixels(2), 2 * kIconSize, 2 * kIconSize, 4);
    made[1] = new Fl_RGB_Image(IconPixels(1), kIconSize, kIconSize, 4);
    return made;
  }();
  return icons;
}

// A frame whose caption sits in a gap of its top edge, as the phase frame of
// the window has it. The caption is drawn as plain text: an '@' in a
// recipient address stays an '@'.
class CaptionFrame : public Fl_Group {
 public:
  CaptionFrame(int x, int y, int w, int h) : Fl_Group(x, y, w, h) {
    labelsize(kCaptionSize);
    // An inside label is left to the widget's own draw(), which puts it on
    // the border; the window would draw an outside one a second time.
    align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
    box(FL_NO_BOX);
  }

  // Whether the frame has been on the screen since the window was shown.
  bool drawn() const { return drawn_; }
  void forget_drawn() { drawn_ = false; }

 protected:
  void draw() override {
    if (damage() & ~FL_DAMAGE_CHILD) DrawBorderAndCaption();
    draw_children();
    drawn_ = true;
  }

 private:
  void DrawBorderAndCaption() {
    fl_push_clip(x(), y(), w(), h());
    fl_rectf(x(), y(), w(), h(), color());
    fl_font(labelfont(), labelsize());
    const int text_height = fl_height();
    const int border_top = y() + text_height / 2;
    draw_box(FL_ENGRAVED_FRAME, x(), border_top, w(), h() - (border_top - y()), color());
    if (label() != nullptr && *label() != '\0') {
      const int text_left = x() + kCaptionIndent;
      const int room = w() - 2 * kCaptionIndent;
      const int text_width = std::min(static_cast<int>(fl_width(label())), room);
      fl_rectf(text_left - 2, y(), text_width + 4, text_height, color());
      fl_color(labelcolor());
      fl_push_clip(text_left, y(), room, text_height);
      fl_draw(label(), text_left, y() + text_height - fl_descent());
      fl_pop_clip();
    }
    fl_pop_clip();
  }

  bool drawn_ = false;
};

// The message box draws its text as a label, where '@' starts a symbol.
std::string WithLiteralAtSigns(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    escaped += c;
    if (c == '@') escaped += '@';
  }
  return escaped;
}

// The toolkit's message icon, as an information sign: a white "i" on blue.
void StyleInformationIcon() {
  Fl_Widget* icon = fl_message_icon();
  icon->label("i");
  icon->box(FL_OVAL_BOX);
  icon->color(fl_rgb_color(0, 64, 192));
  icon->labelcolor(FL_WHITE);
  icon->labelfont(FL_TIMES_BOLD);
}

// A trial connection to the display that DISPLAY names, open while it lives.
// Xlib is loaded with the toolkit in any case; it is reached through the
// loader because the program does not link it itself.
class DisplayProbe {
 public:
  DisplayProbe() {
    xlib_ = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (xlib_ == nullptr) return;
    using OpenDisplayFunction = Display* (*)(const char*);
    auto open_display = reinterpret_cast<OpenDisplayFunction>(dlsym(xlib_, "XOpenDisplay"));
    close_display_ = reinterpret_cast<CloseDisplayFunction>(dlsym(xlib_, "XCloseDisplay"));
    if (open_display != nullptr && close_display_ != nullptr) connection_ = open_display(nullptr);
  }
  ~DisplayProbe() {
    if (connection_ != nullptr) close_display_(connection_);
    if (xlib_ != nullptr) dlclose(xlib_);
  }
  DisplayProbe(const DisplayProbe&) = delete;
  DisplayProbe& operator=(const DisplayProbe&) = delete;

  bool opened() const { return connection_ != nullptr; }

 private:
  using CloseDisplayFunction = int (*)(Display*);

  void* xlib_ = nullptr;
  Display* connection_ = nullptr;
  CloseDisplayFunction close_display_ = nullptr;
};

}  // namespace

std::unique_ptr<Window> CreateDesktopWindowIfDisplayOpens() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return nullptr;
  // The toolkit ends the process when it cannot open the display, so a trial
  // connection answers first. It stays open until the toolkit has its own:
  // an X server whose last client leaves resets itself and refuses
  // connections for a moment.
  DisplayProbe probe;
  if (!probe.opened()) return nullptr;
  return std::make_unique<FltkWindow>();
}

struct FltkWindow::Widgets {
  Fl_Double_Window window{kClientWidth, kClientHeight};
  CaptionFrame* frame = nullptr;  // owned by window
  Fl_Progress* bar = nullptr;     // owned by frame
};

FltkWindow::FltkWindow() : widgets_(std::make_unique<Widgets>()) {
  fl_open_display();
  Fl_Double_Window& window = widgets_->window;
  window.copy_label(DisplayLine(kWeeklyWindowTitle).c_str());
  window.xclass("Sarvilax");
  // The window has no behaviour of its own: closing it (or Escape) does
  // nothing, and only the runs show and hide it.
  window.callback([](Fl_Widget*, void*) {});
  widgets_->frame = new CaptionFrame(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight);
  widgets_->frame->copy_label(DisplayLine(kInitialPhaseCaption).c_str());
  widgets_->bar =
      new Fl_Progress(kFrameLeft + kBarLeft, kFrameTop + kBarTop, kBarWidth, kBarHeight);
  widgets_->bar->minimum(0);
  widgets_->bar->maximum(100);
  widgets_->bar->value(0);
  widgets_->bar->box(FL_THIN_DOWN_BOX);
  widgets_->bar->color(FL_BACKGROUND_COLOR);
  widgets_->bar->selection_color(fl_rgb_color(0, 0, 128));
  widgets_->frame->end();
  window.end();
  window.size_range(kClientWidth, kClientHeight, kClientWidth, kClientHeight);
  int left, top, width, height;
  Fl::screen_work_area(left, top, width, height, 0);
  window.position(left + (width - kClientWidth) / 2, top + (height - kClientHeight) / 2);
  Fl_Window::default_icons(ProgramIcons(), 2);
  window.icons(ProgramIcons(), 2);
}

FltkWindow::~FltkWindow() {
  widgets_->window.hide();
  Fl::flush();
}

void FltkWindow::SetVisible(bool visible) {
  Fl_Double_Window& window = widgets_->window;
  if (visible) {
    widgets_->bar->value(throttle_.value());
    window.show();
    for (int i = 0; i < kShowPolls && !widgets_->frame->drawn(); ++i) Fl::wait(kShowPollSeconds);
    throttle_.MarkDrawn();
  } else {
    window.hide();
    widgets_->frame->forget_drawn();
    Fl::check();
  }
  Fl::flush();
}

void FltkWindow::SetTitle(const std::string& title) {
  widgets_->window.copy_label(DisplayLine(title).c_str());
  Fl::flush();
}

void FltkWindow::SetPhase(const std::string& caption) {
  widgets_->frame->copy_label(DisplayLine(caption).c_str());
  widgets_->bar->value(throttle_.value());
  widgets_->frame->redraw();
  Fl::check();
  Fl::flush();
  throttle_.MarkDrawn();
}

void FltkWindow::SetProgress(float percent) {
  if (!throttle_.Update(percent)) return;
  widgets_->bar->value(throttle_.value());
  // Draws the bar without reading any event: inside a pass the window only
  // shows, it does not react.
  if (widgets_->window.shown()) Fl::flush();
}

void FltkWindow::ShowMessageBox(const std::string& title, const std::string& text) {
  fl_message_title(DisplayLine(title).c_str());
  StyleInformationIcon();
  const char* close_label = fl_close;
  fl_close = "OK";
  fl_message("%s", WithLiteralAtSigns(DisplayLines(text)).c_str());
  fl_close = close_label;
}

}  // namespace sarvilax
