// Takes the pictures of the README: the main window with a report beside a comparison, the
// same comparison as a chart, the description dialog and the wait dialog, from the real program's
// windows (run by scripts/screenshots.sh under Xvfb); with the argument "history" after the
// folder only the History dialog, over a history of made-up runs (offscreen). Not a test.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/CBenchApp.h"
#include "app/CMainFrame.h"
#include "app/CWaitDlg.h"
#include "app/CommandIds.h"
#include "app/HistoryDialog.h"
#include "history/HistoryStore.h"

using namespace quorvane;

namespace {

void WhenModalDialog(std::function<void(QDialog*)> script) {
  QTimer::singleShot(50, [script] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return WhenModalDialog(script);
    script(dialog);
  });
}

void Describe(QDialog* dialog, const QString& threads) {
  const std::pair<const char*, QString> texts[] = {
      {"threads", threads},          {"brand", "Workstation"},     {"model", "Tower 3"},
      {"motherboard", "Board X570"}, {"cpu", "8-core x86-64"},     {"cpuCount", "1"},
      {"internalClock", "3.6 GHz"},  {"externalClock", "100 MHz"}, {"cacheSize", "32 MB"},
      {"cacheType", "L3"},           {"ramSize", "32 GB"},         {"ramType", "DDR4"},
      {"ramSpeed", "3200"},          {"os", "Debian 12"}};
  for (const auto& [name, text] : texts) {
    if (auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(name))) edit->setText(text);
  }
}

// A history of eight made-up runs of two machines over a fortnight: the workstation faster after
// its fourth run (a new cooler), each score a little apart from the last.
void FillHistory(const std::filesystem::path& path) {
  std::string error;
  auto store = HistoryStore::Open(path, true, error);
  if (!store) return;
  const std::uint32_t base[] = {62000, 14000, 150000, 2300000, 4100000, 190000, 3800000};
  const char codes[] = {'d', 'w', 'q', 'c', 'n', 'f', 'm'};
  const std::int64_t start = 1796900000;  // December 2026
  for (int run = 0; run < 8; ++run) {
    const bool laptop = run == 2 || run == 5;
    BenchmarkState state;
    SetField(state.thisMachine.brand, laptop ? "Laptop" : "Workstation");
    SetField(state.thisMachine.model, laptop ? "Air 13" : "Tower 3");
    for (std::size_t test = 0; test < 7; ++test) {
      const double speed = laptop ? 0.45 : run < 4 ? 1.0 + 0.004 * run : 1.08 + 0.003 * run;
      SetRow(state.thisResults[test], codes[test], static_cast<std::uint32_t>(base[test] * speed));
    }
    RunFacts facts;
    facts.timeUtc = start + run * 2 * 86400 + run * 3600;
    facts.machineIdentity = laptop ? "laptop" : "workstation";
    facts.threads = laptop ? 4 : 8;
    store->Add(state, facts, error);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  Q_INIT_RESOURCE(quorvane);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QTemporaryDir temporary;
  CBenchApp bench;
  if (!bench.InitInstance()) return 1;
  CMainFrame& frame = *bench.mainFrame();
  // The pictures' runs go to a history of their own, never the user's.
  const std::filesystem::path history =
      temporary.filePath(QStringLiteral("history.sqlite3")).toStdString();
  frame.SetHistoryPath(history);
  if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QStringLiteral("history")) {
    FillHistory(history);
    WhenModalDialog([&](QDialog* dialog) {
      auto* historyDialog = qobject_cast<HistoryDialog*>(dialog);
      if (historyDialog) historyDialog->SelectRun(7);
      dialog->resize(1180, 500);
      QTimer::singleShot(50, [dialog, folder] {
        dialog->grab().save(folder + QStringLiteral("/history-dialog.png"));
        dialog->reject();
      });
    });
    frame.TriggerCommand(command::kHistory);
    return 0;
  }
  frame.resize(820, 430);
  frame.TriggerCommand(command::kRealTime);  // no privilege needed
  frame.TriggerCommand(command::kSelectAll);
  // The pictures show the windows: a note at the end of a run on how it was measured (a busy
  // machine) is not waited for.
  frame.SetMeasurementWarningShower([](QWidget*, const QString&, const QString&) {});

  // A first run with one thread, saved and loaded as the comparison machine.
  const QString comparison = temporary.filePath(QStringLiteral("one-thread.qv3"));
  WhenModalDialog([](QDialog* dialog) {
    Describe(dialog, QStringLiteral("1"));
    dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
  });
  frame.TriggerCommand(command::kRunSelectedTests);
  frame.SetFileChooser([&](QWidget*, FileDialogKind) { return comparison; });
  frame.TriggerCommand(command::kFileSaveAs);
  frame.TriggerCommand(command::kFileCompare);

  // The second run with two threads: the description dialog and the wait dialog are taken
  // while they are up.
  WhenModalDialog([&](QDialog* dialog) {
    Describe(dialog, QStringLiteral("2"));
    dialog->grab().save(folder + QStringLiteral("/description-dialog.png"));
    dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    std::function<void()> takeWait = [&] {
      CWaitDlg* wait = frame.waitDialog();
      if (!wait || wait->progressText().isEmpty()) return void(QTimer::singleShot(20, takeWait));
      wait->grab().save(folder + QStringLiteral("/wait-dialog.png"));
    };
    QTimer::singleShot(20, takeWait);
  });
  frame.TriggerCommand(command::kRunSelectedTests);
  frame.grab().save(folder + QStringLiteral("/main-window.png"));
  frame.TriggerCommand(command::kShowChart);
  frame.grab().save(folder + QStringLiteral("/chart-view.png"));
  return 0;
}
