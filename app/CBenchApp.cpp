#include "app/CBenchApp.h"

#include <QIcon>
#include <QMessageBox>
#include <system_error>

#include "app/CMainFrame.h"
#include "dialogs/CDescriptionDlg.h"
#include "engine/DetectedDescription.h"
#include "engine/TestRunner.h"
#include "platform/DriveMap.h"

namespace quorvane {

CBenchApp::CBenchApp(MachineDetector detect) : state_(std::make_unique<BenchmarkState>()) {
  ApplyDetectedDescription(detect ? detect() : DetectThisMachine(), state_->thisMachine,
                           state_->thisDrives);
  descriptionDlg_ = std::make_unique<CDescriptionDlg>(*state_, std::move(detect));
}

CBenchApp::~CBenchApp() {
  mainFrame_.reset();  // the window goes before what it refers to
}

bool CBenchApp::InitInstance() {
  // The mount table is read once: for the menu's drives and for the runner's disk tests.
  const std::vector<DriveMapping> drives = MapSystemDrives();
  std::unique_ptr<TestRunner> runner;
  try {
    // One completion event per worker slot.
    runner = std::make_unique<TestRunner>(StartThread, kWorkerRoutines, DiskEnvironmentFor(drives));
  } catch (const std::system_error& error) {
    QMessageBox::critical(
        nullptr, QStringLiteral("Quorvane"),
        QStringLiteral("The system has no events left for the worker threads (%1).")
            .arg(QString::fromLocal8Bit(error.what())));
    return false;
  }
  runner_ = std::move(runner);
  mainFrame_ =
      std::make_unique<CMainFrame>(*state_, *descriptionDlg_, *runner_, DriveAvailability(drives));
  mainFrame_->setWindowIcon(QIcon(QStringLiteral(":/quorvane.png")));
  mainFrame_->show();
  return true;
}

}  // namespace quorvane
