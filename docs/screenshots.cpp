// Takes the pictures of the README: the main window with a report beside a comparison, the
// same comparison as a chart, the description dialog and the wait dialog, from the real program's
// windows. Run by scripts/screenshots.sh under Xvfb; not a test.
#include <QApplication>
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

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  Q_INIT_RESOURCE(quorvane);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  CBenchApp bench;
  if (!bench.InitInstance()) return 1;
  CMainFrame& frame = *bench.mainFrame();
  frame.resize(820, 430);
  frame.TriggerCommand(command::kRealTime);  // no privilege needed
  frame.TriggerCommand(command::kSelectAll);
  // The pictures show the windows: a note at the end of a run on how it was measured (a busy
  // machine) is not waited for.
  frame.SetMeasurementWarningShower([](QWidget*, const QString&, const QString&) {});

  // A first run with one thread, saved and loaded as the comparison machine.
  QTemporaryDir temporary;
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
