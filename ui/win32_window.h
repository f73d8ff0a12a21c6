// The Windows face (Windows only): Form1 as a native window, client area
// 424 x 78 pixels, with the frame Frame1 (a group box whose caption names
// the phase) and the progress bar Bar (the common control, 0 to 100) inside
// it. The message box is the system's, with the information icon and one
// OK button.
//
// A process started where no desktop can be reached (a service session,
// Wine without a display) gets a face that draws nothing: the report run
// goes on, and the message box goes to standard output instead.
#ifndef SARVILAX_UI_WIN32_WINDOW_H_
#define SARVILAX_UI_WIN32_WINDOW_H_

#include <memory>
#include <string>

#include "ui/progress_throttle.h"
#include "ui/window.h"

namespace sarvilax {

class Win32Window : public Window {
 public:
  Win32Window();
  ~Win32Window() override;

  void SetVisible(bool visible) override;
  void SetTitle(const std::string& title) override;
  void SetPhase(const std::string& caption) override;
  void SetProgress(float percent) override;
  // Returns when the person has closed the box.
  void ShowMessageBox(const std::string& title, const std::string& text) override;

  // What the controls show now, as UTF-8 (for tests and diagnostics).
  bool has_window() const;
  bool shown() const;
  std::string TitleShown() const;
  std::string CaptionShown() const;
  int BarPositionShown() const;

 private:
  struct Controls;  // the system's handles, kept out of this header

  void ProcessPendingMessages();

  std::unique_ptr<Controls> controls_;
  ProgressThrottle throttle_;
};

}  // namespace sarvilax

#endif  // SARVILAX_UI_WIN32_WINDOW_H_
