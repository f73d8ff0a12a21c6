// The progress window Form1: a title naming the report, a frame (Frame1)
// whose caption names the phase, and a progress bar (Bar, 0 to 100) in it;
// and the message box that tells a person at the screen where a report went.
//
// One interface, several faces chosen once at start-up: a desktop window, a
// terminal line on standard error, a silent face for scheduled runs, and a
// recording face for tests. All texts are code page 1252.
//
// A face is created hidden, titled " Viikkoraportti", with the caption
// "Asetusten nouto" and the bar at 0.
#ifndef SARVILAX_UI_WINDOW_H_
#define SARVILAX_UI_WINDOW_H_

#include <cstdint>
#include <memory>
#include <string>

namespace sarvilax {

inline constexpr char kWeeklyWindowTitle[] = " Viikkoraportti";
inline constexpr char kInitialPhaseCaption[] = "Asetusten nouto";

class Window {
 public:
  virtual ~Window() = default;

  virtual void SetVisible(bool visible) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // Sets Frame1's caption, repaints at once and processes pending window
  // events, so the caption is on screen before the long pass that follows.
  virtual void SetPhase(const std::string& caption) = 0;
  // Sets Bar's value (0 to 100). Called after every record of a pass, so it
  // must cost next to nothing: faces redraw only when the whole percentage
  // changes, and at most about 30 times a second.
  virtual void SetProgress(float percent) = 0;
  // A modal message with an information icon and one OK button, where the
  // face has a person to wait for; otherwise the title and text go to
  // standard output and the program goes on.
  virtual void ShowMessageBox(const std::string& title, const std::string& text) = 0;
};

// done / total × 100, the bar value after done of total records.
inline float ProgressPercent(int64_t done, int64_t total) {
  return static_cast<float>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
}

// The face for this process: a desktop window when an X display opens, a
// terminal line when standard error is a terminal, otherwise silent.
std::unique_ptr<Window> CreateWindowForThisProcess();

}  // namespace sarvilax

#endif  // SARVILAX_UI_WINDOW_H_
