// The desktop program under a scripted use of every command of its menu, twice over: every
// dialog is answered, every file dialog gets a file, runs and disk tests use stand-ins. Nothing
// may crash, hang or leave the window in a state its menu does not show.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "app/CMainFrame.h"
#include "app/CWaitDlg.h"
#include "app/CommandIds.h"
#include "app/MenuTable.h"
#include "dialogs/CDescriptionDlg.h"
#include "engine/TestRunner.h"

using namespace quorvane;

namespace {

void QuickWorker(WorkerSlots& workerSlots, int index) {
  workerSlots.WorkerResults[static_cast<std::size_t>(index)] = 1;
  workerSlots.WorkerDoneEvents[static_cast<std::size_t>(index)].Set();
}

const WorkerRoutineTable kQuickWorkers = {QuickWorker, QuickWorker, QuickWorker, QuickWorker,
                                          QuickWorker, QuickWorker, QuickWorker};

// Drives C and D succeed, the others fail with the open failure message.
std::int32_t StandInDiskTest(char letter, std::int32_t, std::int32_t& a, std::int32_t& b,
                             std::int32_t& c, std::int32_t& d, std::int32_t& e, std::int32_t& f,
                             std::int32_t& g, const DiskTestEnvironment& environment) {
  if (letter > 'D') {
    environment.showMessage("Error opening test file. Make sure you've got admin rights!",
                            "Can't open test file");
    return -1;
  }
  a = b = c = d = e = f = 1000;
  g = 5;
  return 0;
}

// Answers whatever modal dialog is up: the description with a valid OK, any other but the
// wait dialog with its default answer.
void AnswerDialogs() {
  if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
    if (qobject_cast<CWaitDlg*>(dialog) == nullptr) {
      if (auto* threads = dialog->findChild<QLineEdit*>(QStringLiteral("threads"))) {
        threads->setText(QStringLiteral("3"));
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
      } else {
        dialog->accept();
      }
    }
  }
}

}  // namespace

class EveryCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void everyCommandTwice() {
    QTemporaryDir folder;
    auto state = std::make_unique<BenchmarkState>();
    CDescriptionDlg dialog(*state);
    dialog.SetWarner([](QWidget*, const QString&) { QFAIL("no entry is refused"); });
    TestRunner runner(StartThread, kQuickWorkers, DiskTestEnvironment{}, StandInDiskTest);
    std::array<bool, 26> drives{};
    for (int i = 2; i < 26; ++i) drives[static_cast<std::size_t>(i)] = true;
    CMainFrame frame(*state, dialog, runner, drives);
    QStringList messages;
    frame.SetMessageShower([&](QWidget*, const QString& text, const QString&) { messages << text; });
    frame.SetFileChooser([&](QWidget*, FileDialogKind kind) {
      switch (kind) {
        case FileDialogKind::Export: return folder.filePath(QStringLiteral("report.txt"));
        case FileDialogKind::ChartPicture: return folder.filePath(QStringLiteral("chart.png"));
        default: return folder.filePath(QStringLiteral("machine.qv3"));
      }
    });
    int helpOpened = 0;
    frame.SetUrlOpener([&](const QUrl&) { return ++helpOpened > 0; });
    frame.show();
    QApplication::setQuitOnLastWindowClosed(false);  // "Exit" closes the window, nothing more here

    QTimer answering;
    connect(&answering, &QTimer::timeout, this, AnswerDialogs);
    answering.start(5);

    for (int pass = 1; pass <= 2; ++pass) {
      messages.clear();
      for (const MenuItem& item : MenuItems()) {
        if (item.id == 0) continue;
        QVERIFY2(frame.TriggerCommand(item.id), item.text);
      }
      // In menu order "Deselect all CPU tests" comes before "Run selected tests": the run
      // measures the drives only, all 24 of them in the first pass, none in the second.
      QVERIFY(state->descriptionConfirmed);
      QCOMPARE(state->thisMachine.threads[0], '3');
      // Drives C and D give blocks; E..Z fail with one message each.
      QCOMPARE(messages.count(QStringLiteral("Error opening test file. Make sure you've got admin rights!")),
               pass == 1 ? 22 : 0);
      QCOMPARE(state->thisResults[0].code, pass == 1 ? 'C' : '\0');
    }
    answering.stop();
    // The check marks still show the selection.
    QCOMPARE(frame.ActionFor(command::kLongTests)->isChecked(), state->testSelection.LengthFactor == 4);
    QCOMPARE(frame.ActionFor(command::kRealTime)->isChecked(), state->testSelection.RealTimePriority);
    QCOMPARE(frame.ActionFor(command::kDriveC)->isChecked(), state->testSelection.runDrive[2]);
    QCOMPARE(helpOpened, 0);  // no help page beside the test program
  }
};

QTEST_MAIN(EveryCommandTest)
#include "test_every_command.moc"
