// A window face that records every call, for tests of the runs.
#ifndef SARVILAX_UI_RECORDING_WINDOW_H_
#define SARVILAX_UI_RECORDING_WINDOW_H_

#include <string>
#include <vector>

#include "ui/window.h"

namespace sarvilax {

class RecordingWindow : public Window {
 public:
  // One entry per call: "visible 1", "title  Kuukausiraportti",
  // "phase Lasketaan varastot", "message <title>|<text>". Progress values are
  // kept apart in progress_values (every call), as they come per record.
  std::vector<std::string> calls;
  std::vector<float> progress_values;
  bool visible = false;
  std::string title = kWeeklyWindowTitle;
  std::string phase = kInitialPhaseCaption;

  void SetVisible(bool v) override {
    visible = v;
    calls.push_back(std::string("visible ") + (v ? "1" : "0"));
  }
  void SetTitle(const std::string& t) override {
    title = t;
    calls.push_back("title " + t);
  }
  void SetPhase(const std::string& caption) override {
    phase = caption;
    calls.push_back("phase " + caption);
  }
  void SetProgress(float percent) override { progress_values.push_back(percent); }
  void ShowMessageBox(const std::string& t, const std::string& text) override {
    calls.push_back("message " + t + "|" + text);
  }
};

}  // namespace sarvilax

#endif  // SARVILAX_UI_RECORDING_WINDOW_H_
