// The desktop face: Form1 as an X window drawn with FLTK. Client area
// 424 x 78 pixels; the frame Frame1 with the phase caption on its top edge
// and the progress bar Bar (0 to 100) inside it; a program icon. The message
// box is a modal dialog with an information icon and one OK button.
//
// Only one desktop face may exist in a process (the toolkit keeps one
// connection to the display). Make it with CreateDesktopWindowIfDisplayOpens:
// the toolkit itself ends the process when it cannot open the display.
#ifndef SARVILAX_UI_FLTK_WINDOW_H_
#define SARVILAX_UI_FLTK_WINDOW_H_

#include <memory>
#include <string>

#include "ui/progress_throttle.h"
#include "ui/window.h"

namespace sarvilax {

// The desktop face when DISPLAY is set and the X display it names accepts a
// connection now; nullptr otherwise.
std::unique_ptr<Window> CreateDesktopWindowIfDisplayOpens();

class FltkWindow : public Window {
 public:
  FltkWindow();
  ~FltkWindow() override;

  void SetVisible(bool visible) override;
  void SetTitle(const std::string& title) override;
  void SetPhase(const std::string& caption) override;
  void SetProgress(float percent) override;
  // Returns when the person has closed the box.
  void ShowMessageBox(const std::string& title, const std::string& text) override;

 private:
  struct Widgets;  // the toolkit's objects, kept out of this header

  std::unique_ptr<Widgets> widgets_;
  ProgressThrottle throttle_;
};

}  // namespace sarvilax

#endif  // SARVILAX_UI_FLTK_WINDOW_H_
