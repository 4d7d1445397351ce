// The main window, driven headless: its menu and check marks, runs from the menu with the
// description dialog answered, the real file dialogs, help, what the window shows (report,
// scrolling, chart) and its file commands, the web page beside quorvane-cli's, and every command of
// the menu twice over (About too).
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QWheelEvent>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>

#include "app/CMainFrame.h"
#include "app/CWaitDlg.h"
#include "app/ChartView.h"
#include "app/CommandIds.h"
#include "app/GuiRunHost.h"
#include "app/HelpDocument.h"
#include "app/HelpWindow.h"
#include "app/MenuTable.h"
#include "app/ReportView.h"
#include "dialogs/CDescriptionDlg.h"
#include "engine/ReportLines.h"
#include "engine/TestRunner.h"
#include "generated/Version.h"
#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"
#include "tests/gui/chart_bars.h"

using namespace quorvane;

namespace {

using test_support::BarsIn;
using test_support::kBar;

// Stand-in workers. Worker 0 of a timed interval counts the interval as arrived and waits until
// the test lets one more interval end, so that the wait dialog can be looked at while the run
// lasts. Before that it may sit idle for a while: its interval is then one whose workers did not
// have the processors (a sleeping thread takes no processor time, however slow the machine).
constexpr int kEveryInterval = 1 << 30;
std::atomic<int> gIntervalsLetThrough{kEveryInterval};
std::atomic<int> gIntervalsArrived{0};
std::atomic<int> gIdleMilliseconds{0};

void HeldWorker(WorkerSlots& workerSlots, int index) {
  if (index == 0) {
    QThread::msleep(static_cast<unsigned long>(gIdleMilliseconds.load()));
    ++gIntervalsArrived;
    while (gIntervalsLetThrough.load() <= 0) QThread::msleep(1);
    --gIntervalsLetThrough;  // only worker 0 takes from it, one interval after the other
  }
  workerSlots.WorkerResults[static_cast<std::size_t>(index)] = 1;
  workerSlots.WorkerDoneEvents[static_cast<std::size_t>(index)].Set();
}

const WorkerRoutineTable kHeldWorkers = {HeldWorker, HeldWorker, HeldWorker, HeldWorker,
                                         HeldWorker, HeldWorker, HeldWorker};

const char* const kOpenFailure = "Error opening test file. Make sure you've got admin rights!";

// Drives C and D succeed, the others fail with the open failure message.
std::optional<DiskResults> StandInDiskTest(char letter, std::int32_t,
                                           const DiskTestEnvironment& environment) {
  if (letter > 'D') {
    environment.showMessage(kOpenFailure, "Can't open test file");
    return std::nullopt;
  }
  return DiskResults{1000, 1000, 1000, 1000, 1000, 1000, 5};
}

std::array<bool, 26> DrivesFrom(char first, char last) {
  std::array<bool, 26> available{};
  for (char letter = first; letter <= last; ++letter)
    available[static_cast<std::size_t>(letter - 'A')] = true;
  return available;
}

// Other programs took half of the processors' time.
MachineEnvironment HalfLoaded() {
  MachineEnvironment environment;
  environment.otherLoadPercent = 50.0;
  return environment;
}

// A menu as text: "item=id", a separator "-", a submenu "title[items]", joined by '|'.
QString MenuText(const QList<QAction*>& actions) {
  QStringList items;
  for (QAction* item : actions) {
    items << (item->isSeparator() ? QStringLiteral("-")
              : item->menu() ? item->text() + QLatin1Char('[') + MenuText(item->menu()->actions()) +
                                   QLatin1Char(']')
                             : item->text() + QLatin1Char('=') + item->data().toString());
  }
  return items.join(QLatin1Char('|'));
}

// The pixels of `image` inside `box` whose colour differs from `background`.
int Ink(const QImage& image, const QRect& box, const QColor& background) {
  int ink = 0;
  const QRect inside = box & image.rect();
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x)
      ink += image.pixelColor(x, y) != background;
  }
  return ink;
}

}  // namespace

class MainFrameTest : public QObject {
  Q_OBJECT

  QTemporaryDir settings_;

 private:
  struct Setup {
    QTemporaryDir folder;
    std::unique_ptr<BenchmarkState> state = std::make_unique<BenchmarkState>();
    CDescriptionDlg dialog{*state};
    // Steady runs of few short rounds: two at least, three at most, agreeing within 100 %. The
    // stand-ins' intervals do not grow with the work they are given, so no sizing interval
    // reaches the floor: every test is sized, and its sizing interval is never its first round.
    TestRunner runner{
        StartThread, kHeldWorkers, DiskTestEnvironment{}, StandInDiskTest,
        SteadySettings{
            .floorSeconds = 10.0, .tolerancePercent = 100.0, .agreeingRounds = 2, .maxRounds = 3}};
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;             // "unowned: " before those no window owns
    QStringList measurementWarnings;  // "caption|text" of each end-of-run box, "unowned: " as above
    QString answer;                   // what every file dialog gives
    QList<FileDialogKind> asked;
    QString threadCount = QStringLiteral("3");  // the description's answer; empty: Cancel
    // Called with the description dialog before it is answered; false: OK without typing.
    std::function<bool(QDialog&)> beforeAnswer = [](QDialog&) { return true; };
    QTimer answering;

    // Runs in tests are not raised to the real-time class unless `realTime`.
    explicit Setup(const std::array<bool, 26>& drives = DrivesFrom('C', 'Z'),
                   bool realTime = false) {
      frame = std::make_unique<CMainFrame>(*state, dialog, runner, drives);
      frame->SetHistoryPath(folder.filePath(QStringLiteral("history.sqlite3")).toStdString());
      frame->SetMessageShower([this](QWidget* owner, const QString& text, const QString&) {
        messages << (owner ? text : QStringLiteral("unowned: ") + text);
      });
      frame->SetMeasurementWarningShower([this](QWidget* owner, const QString& text,
                                                const QString& caption) {
        measurementWarnings << (owner == frame.get() ? QString() : QStringLiteral("unowned: ")) +
                                   caption + QLatin1Char('|') + text;
      });
      frame->SetFileChooser([this](QWidget* owner, FileDialogKind kind) {
        asked << kind;
        return owner == frame.get() ? answer : QString();
      });
      if (!realTime) frame->TriggerCommand(command::kRealTime);
      // Every modal dialog but the wait dialog is answered: the description with `threadCount`,
      // the others with OK.
      QObject::connect(&answering, &QTimer::timeout, [this] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!modal || qobject_cast<CWaitDlg*>(modal)) return;
        const bool type = beforeAnswer(*modal);
        auto* threads = modal->findChild<QLineEdit*>(QStringLiteral("threads"));
        if (threads && type) threads->setText(threadCount);
        auto* button =
            modal->findChild<QPushButton*>(threadCount.isEmpty() ? "cancelButton" : "okButton");
        button ? button->click() : modal->accept();
      });
      answering.start(5);
    }
    bool Checked(int id) const { return frame->ActionFor(id)->isChecked(); }
    QString Shown(int line) const {
      const std::string_view text =
          LineText(frame->reportView()->lines()[static_cast<std::size_t>(line)]);
      return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    QImage ChartImage() const {
      return frame->chartView()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
  };

 private slots:
  // The program's settings go to a folder of the test's own.
  void initTestCase() {
    QVERIFY(settings_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
  }

  // Every test starts with workers that neither wait nor sit idle, whatever one before it left.
  void init() {
    gIntervalsLetThrough = kEveryInterval;
    gIntervalsArrived = 0;
    gIdleMilliseconds = 0;
  }

  // The whole menu bar, with the drives that can be tested only; its check marks.
  void theMenuHasItsItemsAndCheckMarks() {
    Setup s(DrivesFrom('C', 'D'), true);
    QCOMPARE(
        MenuText(s.frame->menuBar()->actions()),
        QStringLiteral(
            "File[Load...=40007|Compare...=40042|Save as...=40006|Export...=40037|"
            "Save chart as picture...=40111|Export as web page...=40112|History...=40113|-|"
            "Exit=57665]|"
            "Test[Dhrystones=40039|Whetstones=40005|Eight Queens=40004|Matrix operations=40043|"
            "Number crunching=40040|Floating point unit=40036|Memory throughput=40002|"
            "Disk throughput[Drive C=40012|Drive D=40013]|-|Select all CPU tests=40046|"
            "Deselect all CPU tests=40047|-|Run selected tests=40003]|"
            "Options[Long tests=40038|RealTime Class Process=40050|Repeat 3 times (median)=40100|"
            "Quick tests (fixed work)=40101|Keep a history of runs=40102|-|"
            "Enter Description=40044|Show Description/Results=40045|Show Chart=40110]|"
            "Info[Help=57670|-|About=57664]"));
    QCOMPARE(s.frame->windowTitle(), QStringLiteral("Quorvane Ru VAR EZO " QUORVANE_VERSION " "));
    QVERIFY(!s.frame->TriggerCommand(12345));
    QVERIFY(s.Checked(command::kRealTime));  // the mark shows the state the window starts with
    s.frame->ActionFor(command::kEightQueens)->trigger();  // as a click does
    QVERIFY(s.state->testSelection.runQueens && s.Checked(command::kEightQueens));
    s.frame->TriggerCommand(command::kEightQueens);
    QVERIFY(!s.state->testSelection.runQueens && !s.Checked(command::kEightQueens));
    const int driveD = command::kDriveC + 1;
    s.frame->TriggerCommand(driveD);
    // Select and deselect all concern the CPU tests only.
    for (int select : {command::kSelectAll, command::kDeselectAll}) {
      s.frame->TriggerCommand(select);
      for (int id : command::kTestCommands) QCOMPARE(s.Checked(id), select == command::kSelectAll);
      QVERIFY(s.Checked(driveD) && s.state->testSelection.runDrive['D' - 'A']);
    }
    for (int factor : {4, 2}) {
      s.frame->TriggerCommand(command::kLongTests);
      QCOMPARE(s.state->testSelection.LengthFactor, factor);
      QCOMPARE(s.Checked(command::kLongTests), factor == 4);
    }
    s.frame->TriggerCommand(command::kRealTime);
    QVERIFY(!s.state->testSelection.RealTimePriority && !s.Checked(command::kRealTime));
    // Steady runs unless "Quick tests (fixed work)" is checked.
    QVERIFY(!s.state->testSelection.quickTests && !s.Checked(command::kQuickTests));
    for (bool quick : {true, false}) {
      s.frame->TriggerCommand(command::kQuickTests);
      QCOMPARE(s.state->testSelection.quickTests, quick);
      QCOMPARE(s.Checked(command::kQuickTests), quick);
    }
    s.frame->ActionFor(command::kQuickTests)->trigger();  // a click: the mark stays the state's
    QVERIFY(s.state->testSelection.quickTests && s.Checked(command::kQuickTests));
  }

  // A quick run repeated three times shows its progress, warns of a busy machine, shows its rows,
  // the spread once (a single run: everyCommandTwice) and, in one box, how its tests were measured;
  // a cancelled description runs nothing. A steady run (the default) shows each test's sizing and
  // rounds in the wait dialog and records a row for each test.
  void aRunFromTheMenuShowsItsProgressAndItsRows() {
    Setup s;
    s.frame->TriggerCommand(command::kWhetstones);
    s.frame->TriggerCommand(command::kMemory);
    QStringList tables;
    s.frame->SetSpreadShower([&tables](QWidget*, const QString& table) { tables << table; });
    s.frame->SetEnvironmentReader(HalfLoaded);
    s.frame->TriggerCommand(command::kRepeatThree);
    s.frame->TriggerCommand(command::kQuickTests);
    QVERIFY(s.Checked(command::kRepeatThree) && s.Checked(command::kQuickTests));
    // The first test's workers are held until the wait dialog (modal, and not closed by the user)
    // has been read: its progress and its warning. Every interval's workers sit idle first, so
    // each of the six is measured as disturbed.
    gIntervalsLetThrough = 0;
    gIdleMilliseconds = 100;
    QStringList seen;
    std::function<void()> look = [&] {
      CWaitDlg* wait = s.frame->waitDialog();
      if (!wait || wait->progressText().isEmpty()) return QTimer::singleShot(5, look);
      wait->close();
      // The window's menus and views are locked while the run lasts; the dialog stays.
      if (!s.frame->menuBar()->isEnabled() && !s.frame->centralWidget()->isEnabled() &&
          wait->isVisible()) {
        seen = QStringList{wait->progressText(), wait->warningText()};
      }
      gIntervalsLetThrough = kEveryInterval;
    };
    QTimer::singleShot(0, look);
    s.frame->TriggerCommand(command::kRunSelectedTests);
    gIdleMilliseconds = 0;
    QCOMPARE(seen.value(0), QStringLiteral("Repetition 1 of 3: Whetstone, 1 of 2"));
    QVERIFY2(seen.value(1).startsWith(QStringLiteral("Other programs are taking 50.0 %")),
             qPrintable(seen.value(1)));
    QVERIFY(s.state->descriptionConfirmed && !s.frame->waitDialog());
    QVERIFY(s.frame->menuBar()->isEnabled() && s.frame->centralWidget()->isEnabled());
    // The report shows the runs' rows (which tests a selection runs: the runner's own test).
    QVERIFY(s.Shown(4).startsWith(QStringLiteral("Memory throughput         ")));
    // The measurement warnings of all repetitions, in run order, one a line, in one box of the
    // window's own (their wording: test_steady_measurement).
    QCOMPARE(s.measurementWarnings.size(), 1);
    const QStringList warned = s.measurementWarnings.value(0).split(QLatin1Char('\n'));
    QCOMPARE(warned.size(), 6);
    for (int i = 0; i < warned.size(); ++i) {
      const QString expected =
          QStringLiteral("Repetition %1 of 3: The test %2 was disturbed: its workers ran for ")
              .arg(i / 2 + 1)
              .arg(i % 2 ? QStringLiteral("Memory throughput") : QStringLiteral("Whetstone"));
      QVERIFY2(warned[i].startsWith(i == 0 ? QStringLiteral("Quorvane|") + expected : expected),
               qPrintable(warned[i]));
    }
    s.threadCount.clear();  // Cancel: no run, so no second spread table and no second box
    s.frame->TriggerCommand(command::kRunSelectedTests);
    QVERIFY(!s.state->descriptionConfirmed);
    // The table of the runs made (its rows: test_repeated_runs), once.
    QCOMPARE(tables.size(), 1);
    QVERIFY2(tables[0].startsWith(QStringLiteral("Spread over 3 repetitions:\n")),
             qPrintable(tables[0]));
    QCOMPARE(s.measurementWarnings.size(), 1);
    QVERIFY(s.messages.isEmpty());

    // A single steady run. Each timed interval waits until the test has read the progress that
    // the wait dialog shows while the interval lasts (shown before it started), so every interval
    // is seen once. Two rounds are always measured (Setup's settings); the third only when they
    // did not agree.
    s.threadCount = QStringLiteral("3");
    s.frame->TriggerCommand(command::kRepeatThree);
    s.frame->TriggerCommand(command::kQuickTests);
    QVERIFY(!s.state->testSelection.quickTests);
    s.measurementWarnings.clear();
    QStringList progress;  // of each interval
    gIntervalsLetThrough = 0;
    gIntervalsArrived = 0;
    QTimer reading;
    QObject::connect(&reading, &QTimer::timeout, [&] {
      if (gIntervalsArrived.load() == progress.size()) return;  // none waits to be read
      CWaitDlg* wait = s.frame->waitDialog();
      progress << (wait ? wait->progressText() : QStringLiteral("no wait dialog"));
      gIntervalsLetThrough = 1;
    });
    reading.start(2);
    s.frame->TriggerCommand(command::kRunSelectedTests);
    reading.stop();
    gIntervalsLetThrough = kEveryInterval;
    const QStringList twoRounds = {QStringLiteral("Sizing: Whetstone, 1 of 2"),
                                   QStringLiteral("Sizing: Memory throughput, 2 of 2"),
                                   QStringLiteral("Round 1: Whetstone, 1 of 2"),
                                   QStringLiteral("Round 1: Memory throughput, 2 of 2"),
                                   QStringLiteral("Round 2: Whetstone, 1 of 2"),
                                   QStringLiteral("Round 2: Memory throughput, 2 of 2")};
    QCOMPARE(progress.mid(0, 6), twoRounds);
    QVERIFY2(progress.size() <= 8, qPrintable(progress.join(QLatin1Char('|'))));
    for (const QString& third : progress.mid(6)) {
      QVERIFY2(third.startsWith(QStringLiteral("Round 3: ")), qPrintable(third));
    }
    // A row for each test, each the best of its kept rounds.
    QCOMPARE(s.state->resultCount, 2);
    QCOMPARE(s.state->thisResults[0].code, 'w');
    QCOMPARE(s.state->thisResults[1].code, 'm');
    QVERIFY(s.Shown(3).startsWith(QStringLiteral("Whetstone ")));
    QVERIFY(s.Shown(4).startsWith(QStringLiteral("Memory throughput ")));
    // What the rounds gave to tell (disturbed, not agreed) comes at the end, without a repetition.
    for (const QString& box : s.measurementWarnings) {
      QVERIFY2(box.startsWith(QStringLiteral("Quorvane|The test ")), qPrintable(box));
    }
    QCOMPARE(tables.size(), 1);
    QVERIFY(s.messages.isEmpty());

    // The run's texts are Windows-1252 bytes: its progress and messages show their characters.
    QStringList shown;
    GuiRunHost host({{},
                     {},
                     [&](const QString& name, int, int) { shown << name; },
                     [&](const QString& text, const QString& caption) { shown << text << caption; },
                     {}});
    host.Progress({1, 7, "Test \x80"});
    host.ShowError("\x93G:\\\x94 \x96 full", "\x80rror");
    QCOMPARE(shown.join(QLatin1Char('|')),
             QString::fromUtf8("Test \u20ac|\u201cG:\\\u201d \u2013 full|\u20acrror"));
  }

  // Stop in the wait dialog, and closing the window while a run lasts. Each interval's worker 0
  // waits until the test lets it end; the dialog is looked at while Dhrystone's waits. The dialog
  // fits its texts (the machine warning's lines whole, none cut at its label's top or bottom) and
  // blocks nothing that would keep the window's close box from answering. Stop ends the run after
  // Dhrystone, whose row stays. Closing asks: No lets the run go on, Yes stops it and closes the
  // window once it has ended.
  void aStopOrACloseDuringARunEndsItAfterItsTestAndKeepsItsRow() {
    Setup s;
    QApplication::setQuitOnLastWindowClosed(false);
    s.frame->show();
    s.frame->SetEnvironmentReader(HalfLoaded);
    for (int id : {command::kQuickTests, command::kDhrystones, command::kWhetstones,
                   command::kEightQueens}) {
      s.frame->TriggerCommand(id);
    }
    QStringList answers;  // what each close asked, answered from `yes`
    QList<bool> yes;
    s.frame->SetQuestionAsker([&](QWidget* owner, const QString& text, const QString&) {
      answers << text;
      return owner == s.frame.get() && !yes.isEmpty() && yes.takeFirst();
    });
    // Runs with `act` done while Dhrystone's interval is held; the rows it left.
    const auto runDoing = [&](const std::function<void(CWaitDlg&)>& act) -> QString {
      gIntervalsLetThrough = 0;
      gIntervalsArrived = 0;
      bool acted = false;
      QTimer looking;
      QObject::connect(&looking, &QTimer::timeout, [&] {
        CWaitDlg* wait = s.frame->waitDialog();
        if (acted || !wait || gIntervalsArrived.load() == 0 || wait->warningText().isEmpty())
          return;
        acted = true;
        QVERIFY(!QApplication::activeModalWidget());
        act(*wait);
        gIntervalsLetThrough = kEveryInterval;
      });
      looking.start(2);
      s.frame->TriggerCommand(command::kRunSelectedTests);
      gIntervalsLetThrough = kEveryInterval;
      if (!acted || s.frame->waitDialog()) return QStringLiteral("not looked at");
      QString rows;
      for (const ResultEntry& row : s.state->thisResults) {
        if (row.code == '\0') break;
        rows += QLatin1Char(row.code);
      }
      return rows;
    };

    QString stopShown;
    QCOMPARE(runDoing([&](CWaitDlg& wait) {
               auto* label = wait.findChild<QLabel*>(QStringLiteral("warningText"));
               const QImage image = wait.grab().toImage();
               const QRect box = label->geometry();
               const QColor background = wait.palette().color(QPalette::Window);
               QVERIFY(Ink(image, box, background) > 0);
               QVERIFY2(label->heightForWidth(box.width()) <= box.height(),
                        qPrintable(QString::number(box.height())));
               QCOMPARE(Ink(image, {box.left(), box.top(), box.width(), 1}, background), 0);
               auto* stop = wait.findChild<QPushButton*>(QStringLiteral("stopButton"));
               QTest::mouseClick(stop, Qt::LeftButton);
               stopShown =
                   stop->text() + (stop->isEnabled() ? QStringLiteral(" enabled") : QString());
             }),
             QStringLiteral("d"));
    QCOMPARE(stopShown, QStringLiteral("Stopping..."));
    QVERIFY(s.Shown(3).startsWith(QStringLiteral("Dhrystone 2.1")));

    // The next run measures every test again; a close answered No changes nothing.
    yes = {false};
    QCOMPARE(runDoing([&](CWaitDlg&) { s.frame->close(); }), QStringLiteral("dwq"));
    QVERIFY(s.frame->isVisible());
    QCOMPARE(answers.size(), 1);
    QVERIFY2(answers[0].startsWith(QStringLiteral("A benchmark run is in progress. Stop it")),
             qPrintable(answers[0]));
    yes = {true};
    // Dhrystone's workers sit idle first, so its interval is disturbed: a box the window would
    // show at the end of the run, had it not closed.
    gIdleMilliseconds = 100;
    const qsizetype boxes = s.measurementWarnings.size();
    QCOMPARE(runDoing([&](CWaitDlg& wait) {
               s.frame->close();
               QVERIFY(s.frame->isVisible() && wait.isVisible());  // until the run has ended
               s.frame->close();                                   // asked once only
             }),
             QStringLiteral("d"));
    QCOMPARE(answers.size(), 2);
    QVERIFY(!s.frame->isVisible());
    QCOMPARE(s.measurementWarnings.size(), boxes);  // a window that closes shows no more boxes
    QVERIFY(s.messages.isEmpty());
  }

  // The chart scrolls when its rows do not fit: a scroll bar in a small window, none in a large
  // one, and every bar still drawn.
  void theChartScrollsWhenItsRowsDoNotFit() {
    Setup s;
    QPalette palette = s.frame->palette();
    palette.setColor(QPalette::Highlight, kBar);
    s.frame->setPalette(palette);
    for (int row = 0; row < 2; ++row) {
      SetRow(s.state->thisResults[static_cast<std::size_t>(row)], "dw"[row], 1500);
      SetRow(s.state->otherResults[static_cast<std::size_t>(row)], "dw"[row], 1000);
    }
    s.frame->show();
    s.frame->TriggerCommand(command::kShowChart);
    QScrollBar* bar = s.frame->chartArea()->verticalScrollBar();
    s.frame->resize(700, 600);
    QTRY_VERIFY(s.frame->chartArea()->viewport()->height() > 400);
    QVERIFY(!bar->isVisible());
    s.frame->resize(700, 120);
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(bar->maximum(),
             s.frame->chartView()->height() - s.frame->chartArea()->viewport()->height());
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(BarsIn(s.ChartImage()).size(), 6);
    const QList<QRect> top = BarsIn(s.frame->grab().toImage());
    bar->setValue(bar->maximum());
    const QList<QRect> end = BarsIn(s.frame->grab().toImage());
    QVERIFY(!top.isEmpty() && !end.isEmpty() &&
            end.back().top() < top.back().top() + bar->maximum());
  }

  // Enter Description after a Load shows the loaded description, and OK leaves it byte for byte
  // (a thread count that is not plain digits, a "# of CPUs" longer than its input limit, a byte
  // Windows-1252 leaves undefined) unless a field is changed, which alone is written. A run's
  // dialog offers this machine's own description instead: Cancel leaves the loaded one, OK
  // writes this machine's over it.
  void enterDescriptionAfterALoadKeepsTheLoadedDescription() {
    Setup s;
    BenchmarkState loaded;
    SetRow(loaded.thisResults[0], 'd', 1234);
    SetField(loaded.thisMachine.brand, "Loaded \x80 brand");
    SetField(loaded.thisMachine.threads, " 6 (HT)");
    SetField(loaded.thisMachine.cpuCount, "2 sockets, 16 cores");
    SetField(loaded.thisMachine.os, "Linux\x81");
    SetField(loaded.thisDrives[0].letter, "C");
    SetField(loaded.thisDrives[0].harddisk, "WD Blue");
    const QString file = s.folder.filePath(QStringLiteral("loaded.qv3"));
    QCOMPARE(SaveResultFile(loaded, file.toStdString()), FileOutcome::Done);
    const auto bytesOf = [](const QString& path) {
      QFile f(path);
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unread");
    };
    s.answer = file;
    s.frame->TriggerCommand(command::kFileLoad);
    QStringList shown;  // brand, threads, harddisk of each opening
    const auto record = [&](QDialog& dialog) {
      for (const char* name : {"brand", "threads", "harddisk"})
        shown << dialog.findChild<QLineEdit*>(name)->text();
    };
    s.beforeAnswer = [&](QDialog& dialog) {
      record(dialog);
      return false;
    };
    s.frame->TriggerCommand(command::kEnterDescription);
    QCOMPARE(shown, (QStringList{QString::fromUtf8("Loaded \u20ac brand"), "6", "WD Blue"}));
    QVERIFY(s.state->descriptionConfirmed);
    s.answer = s.folder.filePath(QStringLiteral("saved.qv3"));
    s.frame->TriggerCommand(command::kFileSaveAs);
    QCOMPARE(bytesOf(s.answer), bytesOf(file));

    // Records what the next opening shows and cancels it.
    const auto recordNextOpening = [&] {
      shown.clear();
      s.threadCount.clear();
      s.beforeAnswer = [&](QDialog& dialog) {
        record(dialog);
        return true;
      };
    };
    // A run's dialog: this machine's own (empty) description; Cancel leaves the loaded one.
    recordNextOpening();
    s.frame->TriggerCommand(command::kRunSelectedTests);
    QCOMPARE(shown, (QStringList{"", "1", ""}));
    s.frame->TriggerCommand(command::kFileSaveAs);
    QCOMPARE(bytesOf(s.answer), bytesOf(file));

    // Enter Description again: a changed brand alone is written.
    s.threadCount = QStringLiteral("3");
    s.beforeAnswer = [&](QDialog& dialog) {
      dialog.findChild<QLineEdit*>("brand")->setText(QStringLiteral("Edited"));
      return false;
    };
    s.frame->TriggerCommand(command::kEnterDescription);
    const auto text = [](const DescriptionField& field) { return std::string(FieldText(field)); };
    QCOMPARE(text(s.state->thisMachine.brand), "Edited");
    QCOMPARE(text(s.state->thisMachine.threads), " 6 (HT)");
    QCOMPARE(text(s.state->thisMachine.cpuCount), "2 sockets, 16 cores");
    QCOMPARE(text(s.state->thisMachine.os), "Linux\x81");

    // A run confirmed with OK (no test selected) writes this machine's description and drives.
    s.beforeAnswer = [](QDialog&) { return true; };
    s.frame->TriggerCommand(command::kRunSelectedTests);
    QCOMPARE(text(s.state->thisMachine.brand), "");
    QCOMPARE(text(s.state->thisMachine.threads), "3");
    QVERIFY(!IsDriveDescribed(s.state->thisDrives, 0));
    // The store holds this machine's description again: what Enter Description types is this
    // machine's, and the next run offers it.
    s.beforeAnswer = [&](QDialog& dialog) {
      dialog.findChild<QLineEdit*>("brand")->setText(QStringLiteral("Mine"));
      return true;
    };
    s.frame->TriggerCommand(command::kEnterDescription);
    recordNextOpening();
    s.frame->TriggerCommand(command::kRunSelectedTests);
    QCOMPARE(shown, (QStringList{"Mine", "3", ""}));
  }

  // Each file dialog as the menus show it: title, first name, filters as the user reads them,
  // options, and what each filter lists ("All files (*.*)" also a name without a dot).
  void theFileDialogsFormsAndFilters() {
    const QString all = QStringLiteral("chart.png mybox new.qv3 old.qvf page.html report.txt");
    const QString open =
        QStringLiteral(
            "Quorvane Files Mk III Files (*.qv3)=new.qv3|Quorvane Mk II Files (*.qvf)=old.qvf|"
            "All files (*.*)=") +
        all;
    const struct {
      FileDialogKind kind;
      const char* title;
      const char* firstName;
      bool save;
      QString listed;  // each filter as the user reads it, and what it lists
    } cases[] = {
        {FileDialogKind::Load, "Quorvane open file...", "*.qv3", false, open},
        {FileDialogKind::Compare, "Quorvane open comparison file...", "*.qv3", false, open},
        {FileDialogKind::SaveAs, "Quorvane save file...", "*.qv3", true,
         "Quorvane Mk III Files (*.qv3)=new.qv3"},
        {FileDialogKind::Export, "Quorvane export file...", "*.txt", true,
         "Text Files (*.txt)=report.txt|All files (*.*)=" + all},
        {FileDialogKind::ChartPicture, "Quorvane save chart as picture...", "*.png", true,
         "PNG pictures (*.png)=chart.png|All files (*.*)=" + all},
        {FileDialogKind::WebPage, "Quorvane export web page...", "*.html", true,
         "Web pages (*.html)=page.html|All files (*.*)=" + all},
    };
    QTemporaryDir folder;
    for (const QString& name : all.split(QLatin1Char(' ')))
      QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
    for (const auto& c : cases) {
      const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(nullptr, c.kind);
      QCOMPARE(dialog->windowTitle(), QString::fromLatin1(c.title));
      QCOMPARE(dialog->acceptMode(), c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
      QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
               QString::fromLatin1(c.firstName));
      auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
      dialog->setDirectory(folder.path());
      const auto listed = [list] {
        QStringList names;
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
          names << list->model()->index(row, 0, list->rootIndex()).data().toString();
        }
        names.sort();
        return names.join(QLatin1Char(' '));
      };
      const QStringList filters = c.listed.split(QLatin1Char('|'));
      QCOMPARE(types->count(), filters.size());
      for (int i = 0; i < types->count(); ++i) {
        dialog->selectNameFilter(types->itemText(i));
        QTRY_COMPARE(types->itemText(i) + QLatin1Char('=') + listed(), filters[i]);
      }
    }
  }

  // One window through its views and files. The chart: nothing drawn without results; it gives
  // way to the description view. The report as drawn, clear of the left margin. The scroll bar's
  // arrows, pages and thumb and the wheel over the report (a notch is three arrow clicks; finer
  // steps add up) move it from line 0 to line 100. The chart again: bars in proportion to the
  // percents and to the window's width, in the palette's colour, the 100 percent line past every
  // bar, the totals apart; the saved picture is what is shown. Then the file commands with the
  // chosen files, and what a file that cannot be read leaves unchanged.
  void theViewsAndTheFileCommandsOfOneWindow() {
    Setup s;
    QPalette palette = s.frame->palette();
    palette.setColor(QPalette::Highlight, kBar);
    s.frame->setPalette(palette);
    const QColor base = palette.color(QPalette::Base);  // the views' background
    const QColor text = palette.color(QPalette::Text);
    s.frame->show();
    s.frame->TriggerCommand(command::kShowChart);
    QVERIFY(s.frame->ChartShown() && s.Checked(command::kShowChart));
    const QImage empty = s.ChartImage();
    QCOMPARE(Ink(empty, empty.rect(), base), 0);
    s.frame->TriggerCommand(command::kShowDescription);
    QVERIFY(!s.frame->ChartShown() && !s.Checked(command::kShowChart));
    QVERIFY(s.state->descriptionShown &&
            s.Shown(4).startsWith(QStringLiteral("Brand           : ")));

    // Dhrystone at 150 percent, Whetstone at 50, Eight queens measured here only (no bar); then
    // Total CPU 150, Total FPU 50, Average 100 and Application Performance 142.
    SetRow(s.state->thisResults[0], 'd', 1500);
    SetRow(s.state->thisResults[1], 'w', 500);
    SetRow(s.state->thisResults[2], 'q', 777);
    SetRow(s.state->otherResults[0], 'd', 1000);
    SetRow(s.state->otherResults[1], 'w', 1000);
    s.frame->TriggerCommand(
        command::kShowDescription);  // back to the results (test_report's toggle)
    const QImage image = s.frame->reportView()->grab().toImage();
    // Ink in a line's band, leaving out its top pixels, which descenders of the line above may
    // reach.
    const auto ink = [&](int line, int width) {
      return Ink(image,
                 QRect(0, line * ReportView::kLineHeight + 3, width, ReportView::kLineHeight - 3),
                 base);
    };
    QVERIFY(ink(0, image.width()) > 0 &&
            ink(3, image.width()) > 0);  // the headings, the Dhrystone line
    QCOMPARE(ink(3, ReportView::kLeftMargin), 0);
    QCOMPARE(ink(2, image.width()) + ink(12, image.width()),
             0);  // a line of one space, below the report
    QScrollBar* bar = s.frame->scrollBar();
    enum Kind { Arrow, Thumb, Wheel };
    const struct {
      Kind kind;
      int value;
      int firstLine;
    } steps[] = {{Arrow, QAbstractSlider::SliderSingleStepSub, 0},
                 {Thumb, 99, 99},
                 {Arrow, QAbstractSlider::SliderSingleStepAdd, 100},
                 {Arrow, QAbstractSlider::SliderSingleStepAdd, 100},
                 {Thumb, 98, 98},
                 {Arrow, QAbstractSlider::SliderPageStepAdd, 100},
                 {Arrow, QAbstractSlider::SliderPageStepSub, 97},
                 {Arrow, QAbstractSlider::SliderToMinimum, 97},
                 {Thumb, 0, 0},
                 {Wheel, -60, 0},
                 {Wheel, -60, 3},
                 {Wheel, -120, 6},
                 {Wheel, 240, 0},
                 {Wheel, 120, 0},
                 {Wheel, -120, 3}};
    for (const auto& step : steps) {
      if (step.kind == Arrow)
        bar->triggerAction(static_cast<QAbstractSlider::SliderAction>(step.value));
      if (step.kind == Thumb) s.frame->OnVScroll(QAbstractSlider::SliderMove, step.value);
      QWheelEvent wheel(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, step.value),
                        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      if (step.kind == Wheel) QApplication::sendEvent(s.frame->reportView(), &wheel);
      QCOMPARE(s.frame->FirstVisibleLine(), step.firstLine);
      QCOMPARE(bar->value(), std::min(step.firstLine, 99));
    }
    // The table left line 3 (Dhrystone) at the top.
    const QImage scrolled = s.frame->reportView()->grab().toImage();
    QCOMPARE(scrolled.copy(0, 0, scrolled.width(), 14), image.copy(0, 3 * 14, image.width(), 14));

    s.frame->TriggerCommand(command::kShowChart);
    const int percents[] = {150, 50, 150, 50, 100, 142};
    for (int width : {700, 1000}) {
      s.frame->resize(width, 400);
      const QImage chart = s.ChartImage();
      const QList<QRect> bars = BarsIn(chart);
      QCOMPARE(bars.size(), 6);
      const double perPercent = bars[0].width() / 150.0;
      QVERIFY(bars[0].width() > (width - 300) / 2);  // the widest bar uses the width
      for (int i = 0; i < bars.size(); ++i) {
        QCOMPARE(bars[i].left(), bars[0].left());
        QVERIFY2(std::abs(bars[i].width() - percents[i] * perPercent) <= 1.0,
                 qPrintable(QString::number(i)));
        QCOMPARE(bars[i].height(), ChartView::kBarHeight);
      }
      QVERIFY(bars[2].top() - bars[1].top() > 2 * ChartView::kRowHeight);  // the totals stand apart
      // The column nearest the 100 percent line is text-coloured from the first bar to the last.
      const int span = bars.back().bottom() + 1 - bars[0].top();
      const int lineX = qRound(bars[0].left() + 100 * perPercent);
      int line = 0;
      for (int x = lineX - 1; x <= lineX + 1; ++x)
        line = std::max(line, span - Ink(chart, {x, bars[0].top(), 1, span}, text));
      QCOMPARE(line, span);
    }

    s.answer = s.folder.filePath(QStringLiteral("chart.png"));
    s.frame->TriggerCommand(command::kShowChart);
    s.frame->TriggerCommand(command::kSaveChart);  // from the report: the chart is shown first
    QVERIFY(s.frame->ChartShown());
    QCOMPARE(QImage(s.answer).convertToFormat(QImage::Format_RGB32), s.ChartImage());
    // Cancelled: nothing written; a folder that does not exist: a message.
    s.answer.clear();
    s.frame->TriggerCommand(command::kSaveChart);
    s.answer = s.folder.filePath(QStringLiteral("no/such/chart.png"));
    s.frame->TriggerCommand(command::kSaveChart);
    QCOMPARE(s.messages.size(), 1);
    QVERIFY(s.messages[0].contains(s.answer));

    // The file commands, with the rows above.
    s.answer = s.folder.filePath(QStringLiteral("mine.qv3"));
    s.frame->TriggerCommand(command::kFileSaveAs);  // read back: its bytes are test_result_file's
    s.frame->OnVScroll(QAbstractSlider::SliderMove, 40);
    s.frame->TriggerCommand(command::kFileLoad);
    QCOMPARE(s.frame->FirstVisibleLine(), 0);
    QCOMPARE(
        s.Shown(3),
        QStringLiteral("Dhrystone 2.1                   1500       1000  kDhryst. 150 percent"));

    // Compare twice, the second file with one drive fewer: no block of the first stays.
    auto drives = std::make_unique<BenchmarkState>();
    for (int row = 0; row < 14; ++row)
      SetRow(drives->thisResults[static_cast<std::size_t>(row)], row % 7 ? ' ' : "CD"[row / 7], 10);
    for (const auto& [name, blocks] : {std::pair{"two.qv3", 2}, {"one.qv3", 1}}) {
      s.answer = s.folder.filePath(QString::fromLatin1(name));
      QCOMPARE(SaveResultFile(*drives, s.answer.toStdString()), FileOutcome::Done);
      drives->thisResults[7].code = '\0';
      s.frame->TriggerCommand(command::kFileCompare);
      const QString shown = QString::fromStdString(ExportBytes(s.frame->reportView()->lines()));
      QCOMPARE(shown.count(QStringLiteral("Drive ")), blocks);
    }

    const QString exported = s.answer = s.folder.filePath(QStringLiteral("report.txt"));
    s.frame->TriggerCommand(command::kFileExport);
    QFile exportedFile(exported);
    QVERIFY(exportedFile.open(QIODevice::ReadOnly));
    QCOMPARE(exportedFile.readAll().toStdString(), ExportBytes(s.state->ReportText));

    // A cancelled Load or Compare, a file that cannot be opened and one that is not a result
    // file change nothing on the window: report, view and scroll position stay as they were.
    s.frame->TriggerCommand(command::kShowDescription);
    s.frame->OnVScroll(QAbstractSlider::SliderMove, 2);
    const ReportLines shownBefore = s.frame->reportView()->lines();
    // Each message names the file and why. A named pipe nobody writes is refused at once (the
    // alarm ends the test program if the read waits for a writer).
    const QString missing = s.folder.filePath(QStringLiteral("missing.qv3"));
    const QString pipe = s.folder.filePath(QStringLiteral("pipe.qv3"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString unread[][2] = {
        {QString(), QString()},
        {missing, "Can't open file! (" + missing +
                      ": No such file or "
                      "directory)"},
        {pipe, "Can't open file! (" + pipe + ": not a regular file)"},
        {exported, "This is not a Quorvane Mk III file! (" + exported + ")"}};
    alarm(60);
    for (int id : {command::kFileLoad, command::kFileCompare}) {
      for (const auto& [file, message] : unread) {
        s.messages.clear();
        s.answer = file;
        s.frame->TriggerCommand(id);
        QCOMPARE(s.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(s.state->descriptionShown && std::memcmp(&s.frame->reportView()->lines(),
                                                         &shownBefore, sizeof shownBefore) == 0);
        QCOMPARE(s.frame->FirstVisibleLine(), 2);
      }
    }
    alarm(0);
    s.answer = s.folder.filePath(QStringLiteral("no/such/folder.qv3"));
    s.frame->TriggerCommand(command::kFileSaveAs);
    QCOMPARE(s.messages.back(), "Cannot save file! (" + s.answer + ": No such file or directory)");
    using K = FileDialogKind;
    QCOMPARE(s.asked,
             (QList<K>{K::ChartPicture, K::ChartPicture, K::ChartPicture, K::SaveAs, K::Load,
                       K::Compare, K::Compare, K::Export, K::Load, K::Load, K::Load, K::Load,
                       K::Compare, K::Compare, K::Compare, K::Compare, K::SaveAs}));
  }

  // File > "Export as web page..." for a loaded and a compared file gives quorvane-cli's page of
  // the same files, byte for byte apart from the time it was made, its hostile texts escaped.
  // After a run the page says when it was measured and shows the rounds and the environment;
  // a Load makes it a loaded file's page again. A folder that does not exist gives the message of
  // the other exports; a cancelled dialog writes nothing.
  void theWebPageIsQuorvaneClisPageOfTheSameFiles() {
    Setup s;
    auto files = std::make_unique<BenchmarkState>();
    SetField(files->thisMachine.brand, "<script>alert(1)</script>");
    SetField(files->thisMachine.model, "\"><img src=x onerror=alert(2)>");
    SetField(files->thisDrives[0].letter, "C");
    SetField(files->thisDrives[0].harddisk, "<b>disk</b>");
    SetRow(files->thisResults[0], 'd', 1500);
    SetRow(files->thisResults[1], 'w', 500);
    const QString mine = s.folder.filePath(QStringLiteral("mine.qv3"));
    const QString other = s.folder.filePath(QStringLiteral("other.qv3"));
    QCOMPARE(SaveResultFile(*files, mine.toStdString()), FileOutcome::Done);
    SetField(files->thisMachine.brand, "Other");
    SetRow(files->thisResults[0], 'd', 1000);
    SetRow(files->thisResults[1], 'w', 1000);
    QCOMPARE(SaveResultFile(*files, other.toStdString()), FileOutcome::Done);
    s.answer = mine;
    s.frame->TriggerCommand(command::kFileLoad);
    s.answer = other;
    s.frame->TriggerCommand(command::kFileCompare);
    const QString page = s.answer = s.folder.filePath(QStringLiteral("page.html"));
    s.frame->TriggerCommand(command::kExportWebPage);
    const QString cliPage = s.folder.filePath(QStringLiteral("cli.html"));
    QProcess cli;
    cli.start(QStringLiteral(QUORVANE_CLI_PATH),
              {QStringLiteral("--load"), mine, QStringLiteral("--compare"), other,
               QStringLiteral("--html"), cliPage});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const auto read = [](const QString& path) {
      QFile file(path);
      return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QRegularExpression time(QStringLiteral("<time [^>]*>[^<]*</time>"));
    const QString shown = read(page);
    QVERIFY(shown.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QCOMPARE(QString(shown).replace(time, QString()), read(cliPage).replace(time, QString()));
    QVERIFY(shown.contains(QStringLiteral("Exported <time")));
    QVERIFY(shown.contains(QStringLiteral(
        "<td class=\"this\">&lt;script&gt;alert(1)&lt;/script&gt;</td><td class=\"other\">Other"
        "</td>")));
    QVERIFY(shown.contains(QStringLiteral("<td class=\"percent num\">150 %</td>")));
    QVERIFY(!shown.contains(QStringLiteral("<script")) && !shown.contains(QStringLiteral("<img")));

    // After a run: when it was measured, its rounds, its environment; after a Load: the file's.
    s.frame->TriggerCommand(command::kWhetstones);
    s.frame->TriggerCommand(command::kRunSelectedTests);
    s.frame->TriggerCommand(command::kExportWebPage);
    QString measured = read(page);
    QVERIFY(measured.contains(QStringLiteral("Measured <time")));
    QVERIFY(measured.contains(QStringLiteral("rounds kept")));
    QVERIFY(measured.contains(QStringLiteral("<tr data-key=\"compiler\">")));
    s.answer = mine;
    s.frame->TriggerCommand(command::kFileLoad);
    s.answer = page;
    s.frame->TriggerCommand(command::kExportWebPage);
    measured = read(page);
    QVERIFY(measured.contains(QStringLiteral("Exported <time")));
    QVERIFY(!measured.contains(QStringLiteral("rounds kept")));

    s.messages.clear();
    s.answer = s.folder.filePath(QStringLiteral("no/such/page.html"));
    s.frame->TriggerCommand(command::kExportWebPage);
    QCOMPARE(s.messages,
             QStringList{"Cannot save file! (" + s.answer + ": No such file or directory)"});
    s.answer.clear();
    const QStringList before = QDir(s.folder.path()).entryList(QDir::Files);
    s.frame->TriggerCommand(command::kExportWebPage);
    QCOMPARE(QDir(s.folder.path()).entryList(QDir::Files), before);
    QCOMPARE(s.messages.size(), 1);
    using K = FileDialogKind;
    QCOMPARE(s.asked, (QList<K>{K::Load, K::Compare, K::WebPage, K::WebPage, K::Load, K::WebPage,
                                K::WebPage, K::WebPage}));
  }

  // Help first: the page beside the program whatever the current folder, nothing opened while it
  // is missing, the program's own window where nothing opens it, one only. Then every command of
  // the menu, twice over, every dialog answered and every file dialog given a file: nothing may
  // crash or hang, and the run's errors reach the window (its marks: see above).
  void helpAndEveryCommandTwice() {
    Setup s;
    QList<QUrl> opened;
    s.frame->SetUrlOpener([&](const QUrl& url) {
      opened << url;
      return true;
    });
    const QString page = QCoreApplication::applicationDirPath() +
                         QStringLiteral("/help/Quorvane Ru VAR EZO help.htm");
    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(s.folder.path()) && QDir().mkpath(QFileInfo(page).path()));
    s.frame->TriggerCommand(command::kHelp);
    QVERIFY(opened.isEmpty() && !s.frame->helpWindow());
    // The build tree's page (the program looks for it there) put beside the test program.
    QVERIFY(QFile::copy(HelpDocumentPath(QStringLiteral(QUORVANE_BUILD_PROGRAM_DIR)), page));
    s.frame->TriggerCommand(command::kHelp);
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(page)});
    QVERIFY(!s.frame->helpWindow());
    s.frame->SetUrlOpener([](const QUrl&) { return false; });
    s.frame->TriggerCommand(command::kHelp);
    s.frame->TriggerCommand(command::kHelp);
    QDir(QFileInfo(page).path()).removeRecursively();
    QDir::setCurrent(home);
    HelpWindow* help = s.frame->helpWindow();
    QVERIFY(help && help->isVisible() && s.frame->findChildren<HelpWindow*>().size() == 1);
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Quorvane MK III")));
    help->close();
    QTRY_VERIFY(!s.frame->helpWindow());  // closing deletes it

    s.answer =
        s.folder.filePath(QStringLiteral("machine"));  // saved, exported, drawn and read again
    s.frame->show();
    QApplication::setQuitOnLastWindowClosed(false);  // "Exit" closes the window, nothing more here
    for (int pass = 1; pass <= 2; ++pass) {
      s.messages.clear();
      for (const MenuItem& item : MenuItems()) {
        if (item.id != 0) QVERIFY2(s.frame->TriggerCommand(item.id), item.text);
      }
      // "Deselect all CPU tests" comes before "Run selected tests": the run measures the drives
      // only, all 24 in the first pass (C and D give blocks, E..Z one message each), none in the
      // second.
      QCOMPARE(s.messages.count(QStringLiteral("unowned: ") + QString::fromLatin1(kOpenFailure)),
               pass == 1 ? 22 : 0);
    }
  }
};

QTEST_MAIN(MainFrameTest)
#include "test_main_frame.moc"
