// The application object: owns the one state of the program, the description dialog, the test
// runner with its worker events, and the main window, and starts them in their order.
#pragma once

#include <memory>

#include "engine/BenchmarkState.h"
#include "platform/MachineDetection.h"

namespace quorvane {

class CDescriptionDlg;
class CMainFrame;
class TestRunner;

class CBenchApp {
 public:
  // The state, filled with this machine's description from `detect` (by default this
  // computer), and the description dialog exist before the initialisation.
  explicit CBenchApp(MachineDetector detect = {});
  ~CBenchApp();

  // Creates and shows the main window, then the worker events. False when the program cannot
  // start.
  bool InitInstance();

  BenchmarkState& state() { return *state_; }
  CDescriptionDlg& descriptionDlg() { return *descriptionDlg_; }
  CMainFrame* mainFrame() { return mainFrame_.get(); }

 private:
  std::unique_ptr<BenchmarkState> state_;
  std::unique_ptr<CDescriptionDlg> descriptionDlg_;
  std::unique_ptr<TestRunner> runner_;
  std::unique_ptr<CMainFrame> mainFrame_;
};

}  // namespace quorvane
