// The history of runs in the desktop program, driven headless: File > History... lists the runs
// newest first and sorts them, draws the trend of a test over one machine's runs, loads,
// compares and deletes; "Keep a history of runs" is remembered and decides whether a finished
// run is recorded; a history that is not ours costs one line in the end-of-run box.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/CMainFrame.h"
#include "app/CWaitDlg.h"
#include "app/CommandIds.h"
#include "app/HistoryDialog.h"
#include "app/TrendChart.h"
#include "dialogs/CDescriptionDlg.h"
#include "engine/ReportLines.h"
#include "engine/TestRunner.h"
#include "history/HistoryStore.h"
#include "report/ResultFile.h"
#include "tests/gui/chart_bars.h"

using namespace quorvane;

namespace {

using test_support::BarsIn;
using test_support::kBar;

// Workers that end at once with a result.
void QuickWorker(WorkerSlots& workerSlots, int index) {
  workerSlots.WorkerResults[static_cast<std::size_t>(index)] = 1;
  workerSlots.WorkerDoneEvents[static_cast<std::size_t>(index)].Set();
}
const WorkerRoutineTable kQuickWorkers = {QuickWorker, QuickWorker, QuickWorker, QuickWorker,
                                          QuickWorker, QuickWorker, QuickWorker};

// A finished run of machine `brand` with a Dhrystone and, when not 0, a queens score.
std::unique_ptr<BenchmarkState> Run(const char* brand, std::uint32_t dhrystone,
                                    std::uint32_t queens) {
  auto state = std::make_unique<BenchmarkState>();
  SetRow(state->thisResults[0], 'd', dhrystone);
  if (queens != 0) SetRow(state->thisResults[1], 'q', queens);
  SetField(state->thisMachine.brand, brand);
  SetField(state->thisMachine.threads, "4");
  return state;
}

// Runs `script` on the modal dialog once it shows (from inside the command that opens it).
void WhenModal(std::function<void(QDialog&)> script) {
  QTimer::singleShot(5, [script] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return WhenModal(script);
    script(*dialog);
  });
}

QPushButton* Button(QDialog& dialog, const char* name) {
  return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

}  // namespace

class HistoryDialogTest : public QObject {
  Q_OBJECT

  QTemporaryDir settings_;

  struct Setup {
    QTemporaryDir folder;
    std::string history = folder.filePath(QStringLiteral("runs.sqlite3")).toStdString();
    std::unique_ptr<BenchmarkState> state = std::make_unique<BenchmarkState>();
    CDescriptionDlg dialog{*state};
    TestRunner runner{StartThread, kQuickWorkers, DiskTestEnvironment{}};
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;
    QStringList endOfRun;  // the text of each end-of-run box
    QStringList questions;
    bool answer = true;

    // Runs in tests are not raised to the real-time class.
    Setup() {
      frame = Frame();
      frame->TriggerCommand(command::kRealTime);
    }
    std::unique_ptr<CMainFrame> Frame() {
      auto made = std::make_unique<CMainFrame>(*state, dialog, runner, std::array<bool, 26>{});
      made->SetHistoryPath(history);
      made->SetMessageShower(
          [this](QWidget*, const QString& text, const QString&) { messages << text; });
      made->SetMeasurementWarningShower(
          [this](QWidget*, const QString& text, const QString&) { endOfRun << text; });
      made->SetQuestionAsker([this](QWidget*, const QString& text, const QString&) {
        questions << text;
        return answer;
      });
      made->SetEnvironmentReader([] {
        MachineEnvironment idle;
        idle.otherLoadPercent = 0.0;
        return idle;
      });
      return made;
    }
    std::int64_t Add(const BenchmarkState& run, const char* identity, std::int64_t time) {
      std::string error;
      auto store = HistoryStore::Open(history, true, error);
      RunFacts facts;
      facts.timeUtc = time;
      facts.machineIdentity = identity;
      facts.threads = 4;
      const auto id = store ? store->Add(run, facts, error) : std::nullopt;
      if (!id) qWarning("%s", error.c_str());
      return id.value_or(0);
    }
    std::size_t Recorded() const {
      std::string error;
      auto store = HistoryStore::Open(history, false, error);
      return store ? store->List(error)->size() : 0;
    }
    // A quick Eight queens run from the menu, the description answered with OK.
    void RunQueens() {
      WhenModal([](QDialog& description) {
        if (auto* threads = description.findChild<QLineEdit*>(QStringLiteral("threads")))
          threads->setText(QStringLiteral("1"));
        if (auto* ok = Button(description, "okButton")) ok->click();
      });
      frame->TriggerCommand(command::kRunSelectedTests);
    }
  };

  // Opens the History dialog from the menu and runs `script` on it.
  static void InHistory(Setup& s, std::function<void(HistoryDialog&)> script) {
    bool ran = false;
    WhenModal([&](QDialog& dialog) {
      auto* history = qobject_cast<HistoryDialog*>(&dialog);
      ran = true;
      if (history) script(*history);
      if (dialog.isVisible()) dialog.reject();
    });
    s.frame->TriggerCommand(command::kHistory);
    QVERIFY(ran);
  }

  static QList<qint64> ListedIds(HistoryDialog& dialog) {
    QList<qint64> ids;
    for (int row = 0; row < dialog.table()->rowCount(); ++row)
      ids << dialog.table()->item(row, 0)->data(Qt::UserRole).toLongLong();
    return ids;
  }

 private slots:
  void initTestCase() {
    QVERIFY(settings_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
  }

  // The dialog lists, sorts and draws the trend; Load and Compare read the run as a file is
  // read; Delete asks, then removes the run.
  void theDialogListsLoadsComparesAndDeletes() {
    Setup s;
    const auto first = Run("Alpha", 1000, 200), second = Run("Alpha", 1500, 250),
               other = Run("Beta", 999, 0);
    const qint64 a = s.Add(*first, "m1", 1000), b = s.Add(*second, "m1", 2000),
                 c = s.Add(*other, "m2", 3000);
    QVERIFY(a > 0 && b > 0 && c > 0);

    InHistory(s, [&](HistoryDialog& dialog) {
      QTableWidget& table = *dialog.table();
      // Newest first, the newest selected; the columns: date, machine, threads, tests, drives.
      QCOMPARE(ListedIds(dialog), (QList<qint64>{c, b, a}));
      QVERIFY(dialog.SelectedRun() == c);
      QCOMPARE(table.item(0, 1)->text(), QStringLiteral("Beta"));
      QCOMPARE(table.item(0, 2)->text(), QStringLiteral("4"));
      QCOMPARE(table.horizontalHeaderItem(5)->text(), QStringLiteral("Eight queens problem"));
      QCOMPARE(table.item(1, 5)->text(), QStringLiteral("250"));
      QCOMPARE(table.item(0, 5)->text(), QString());
      QVERIFY(dialog.statusText().startsWith(QStringLiteral("3 runs in the history ")));
      // Sorted by a score as numbers (999 below 1000), a run without it first.
      table.sortItems(5, Qt::AscendingOrder);
      QCOMPARE(ListedIds(dialog), (QList<qint64>{c, a, b}));
      table.sortItems(3, Qt::DescendingOrder);
      QCOMPARE(ListedIds(dialog), (QList<qint64>{b, a, c}));
      table.sortItems(1, Qt::AscendingOrder);
      QCOMPARE(table.item(2, 1)->text(), QStringLiteral("Beta"));

      // The trend of the selected run's machine: its two runs, oldest first, against the first.
      QVERIFY(dialog.SelectRun(b));
      auto* test = dialog.findChild<QComboBox*>(QStringLiteral("trendTest"));
      QVERIFY(test && test->currentText() == QStringLiteral("Dhrystone 2.1"));
      const std::vector<BarRow>& rows = dialog.trendChart()->rows();
      QCOMPARE(rows.size(), std::size_t{2});
      QVERIFY(rows[0].name.endsWith(QStringLiteral("  1000")) && rows[0].percent == 100);
      QVERIFY(rows[1].name.endsWith(QStringLiteral("  1500")) && rows[1].percent == 150);
      // Drawn: two bars, the second half as long again as the first.
      QPalette palette = dialog.trendChart()->palette();
      palette.setColor(QPalette::Highlight, kBar);
      dialog.trendChart()->setPalette(palette);
      dialog.show();
      const QList<QRect> bars = BarsIn(dialog.trendChart()->grab().toImage());
      QCOMPARE(bars.size(), 2);
      QVERIFY2(qAbs(bars[1].width() * 2 - bars[0].width() * 3) <= 3,
               qPrintable(QStringLiteral("%1 %2").arg(bars[0].width()).arg(bars[1].width())));
      QVERIFY(bars[0].top() < bars[1].top());
      // Another test: only the machine's runs that have it.
      test->setCurrentIndex(2);  // Eight queens problem
      QCOMPARE(dialog.trendChart()->rows().size(), std::size_t{2});
      QVERIFY(dialog.trendChart()->rows()[1].percent == 125);
      QVERIFY(dialog.SelectRun(c));
      QVERIFY(dialog.trendChart()->rows().empty());  // Beta ran no queens
      QVERIFY(!dialog.SelectRun(12345));

      QVERIFY(dialog.SelectRun(b));
      Button(dialog, "compareButton")->click();
      QVERIFY(!dialog.isVisible());
    });
    QVERIFY(FieldText(s.state->otherMachine.brand) == "Alpha");
    QVERIFY(ValueText(s.state->otherResults[1]) == "       250");

    InHistory(s, [&](HistoryDialog& dialog) {
      QVERIFY(dialog.SelectRun(a));
      Button(dialog, "loadButton")->click();
      QVERIFY(!dialog.isVisible());
    });
    QVERIFY(ValueText(s.state->thisResults[0]) == "      1000");
    QCOMPARE(s.state->thisResults[2].code, '\0');
    // The report of the two: this machine's Dhrystone beside the comparison's.
    std::string report;
    for (int line = 0; line < ReportLineCount(s.state->ReportText); ++line)
      report += std::string(LineText(s.state->ReportText[static_cast<std::size_t>(line)])) + "\n";
    const std::size_t dhrystone = report.find("Dhrystone 2.1");
    QVERIFY2(dhrystone != std::string::npos, report.c_str());
    const std::string line = report.substr(dhrystone, report.find('\n', dhrystone) - dhrystone);
    QVERIFY2(line.find(" 1000 ") != std::string::npos && line.find(" 1500 ") != std::string::npos &&
                 line.find(" 66 percent") != std::string::npos,
             line.c_str());
    QCOMPARE(s.frame->FirstVisibleLine(), 0);

    // Delete asks first: No keeps the run, Yes deletes it.
    s.answer = false;
    InHistory(s, [&](HistoryDialog& dialog) {
      QVERIFY(dialog.SelectRun(c));
      Button(dialog, "deleteButton")->click();
      QCOMPARE(dialog.table()->rowCount(), 3);
      s.answer = true;
      Button(dialog, "deleteButton")->click();
      QCOMPARE(ListedIds(dialog), (QList<qint64>{b, a}));
      QVERIFY(dialog.statusText().startsWith(QStringLiteral("2 runs in the history ")));
    });
    QCOMPARE(s.questions.size(), 2);
    QVERIFY2(s.questions[0].endsWith(QStringLiteral(" on Beta from the history?")),
             qPrintable(s.questions[0]));
    QCOMPARE(s.Recorded(), std::size_t{2});
    QVERIFY(s.messages.isEmpty());
  }

  // A history that is not there yet, or not ours, lists nothing and says why.
  void aHistoryThatCannotBeReadIsSaidSo() {
    Setup s;
    InHistory(s, [&](HistoryDialog& dialog) {
      QCOMPARE(dialog.table()->rowCount(), 0);
      QCOMPARE(dialog.statusText(),
               QStringLiteral("no history in %1 yet").arg(QString::fromStdString(s.history)));
      QVERIFY(!Button(dialog, "loadButton")->isEnabled());
      QVERIFY(!Button(dialog, "deleteButton")->isEnabled());
    });
    QFile notes(QString::fromStdString(s.history));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("my notes\n");
    notes.close();
    InHistory(s, [&](HistoryDialog& dialog) {
      QCOMPARE(dialog.table()->rowCount(), 0);
      QVERIFY2(dialog.statusText().endsWith(QStringLiteral(" is not a history of this program; "
                                                           "it is left as it is")),
               qPrintable(dialog.statusText()));
    });
  }

  // "Keep a history of runs": on at first, remembered, and a run is recorded only while it is
  // on; a run the history cannot take ends with one line saying so, the run and its rows kept.
  void keepingAHistoryIsRememberedAndDecidesWhatIsRecorded() {
    Setup s;
    QMenu* options = nullptr;
    for (QAction* menu : s.frame->menuBar()->actions()) {
      if (menu->text() == QStringLiteral("Options")) options = menu->menu();
    }
    QVERIFY(options);
    QStringList items;
    for (QAction* item : options->actions()) items << item->text();
    QCOMPARE(items.indexOf(QStringLiteral("Keep a history of runs")),
             items.indexOf(QStringLiteral("Quick tests (fixed work)")) + 1);
    QVERIFY(s.frame->KeepsHistory() && s.frame->ActionFor(command::kKeepHistory)->isChecked());

    s.frame->TriggerCommand(command::kQuickTests);
    s.frame->TriggerCommand(command::kEightQueens);
    s.RunQueens();
    QCOMPARE(s.state->thisResults[0].code, 'q');
    QCOMPARE(s.Recorded(), std::size_t{1});
    // (The box may tell how the stand-in workers' instant intervals were measured; nothing else.)
    QVERIFY2(!s.endOfRun.join(QLatin1Char('\n')).contains(QStringLiteral("recorded")),
             qPrintable(s.endOfRun.join(QLatin1Char('\n'))));
    // Recorded as quorvane-cli records: its facts, the row, and the details of the run.
    {
      std::string error;
      auto store = HistoryStore::Open(s.history, false, error);
      QVERIFY(store);
      const auto listed = store->List(error);
      QVERIFY(listed && listed->size() == 1);
      const auto record = store->Find(listed->front().id, error);
      QVERIFY(record);
      QCOMPARE(record->summary.facts.threads, 1);
      QVERIFY(!record->summary.facts.steady);
      QCOMPARE(record->summary.scores.size(), std::size_t{1});
      QCOMPARE(record->summary.scores[0].code, 'q');
      QVERIFY(record->resultFile == ResultFileBytes(*s.state));
      const QString details = QString::fromStdString(record->summary.facts.detailsJson);
      QVERIFY2(details.contains(QStringLiteral("\"environment\":{")) &&
                   details.contains(QStringLiteral("\"build\":{")) &&
                   details.contains(QStringLiteral("\"code\":\"q\"")),
               qPrintable(details));
    }

    // Turned off, and still off in a window made afterwards: nothing is recorded.
    s.frame->TriggerCommand(command::kKeepHistory);
    QVERIFY(!s.frame->ActionFor(command::kKeepHistory)->isChecked());
    s.frame = s.Frame();
    QVERIFY(!s.frame->KeepsHistory() && !s.frame->ActionFor(command::kKeepHistory)->isChecked());
    s.RunQueens();  // the same quick Eight queens run: the selection is the state's
    QCOMPARE(s.Recorded(), std::size_t{1});
    s.frame->TriggerCommand(command::kKeepHistory);
    QVERIFY(s.Frame()->KeepsHistory());

    // Another program's file where the history should be: the run ends as ever, with one line.
    s.history = s.folder.filePath(QStringLiteral("notes.txt")).toStdString();
    QFile notes(QString::fromStdString(s.history));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("my notes\n");
    notes.close();
    s.frame->SetHistoryPath(s.history);
    s.state->thisResults[0].code = '\0';
    s.RunQueens();
    QCOMPARE(s.state->thisResults[0].code, 'q');
    // The line comes last in the run's one box.
    QVERIFY(!s.endOfRun.isEmpty());
    QCOMPARE(s.endOfRun.last().split(QLatin1Char('\n')).last(),
             QStringLiteral("the run was not recorded: %1 is not a history of this program; it is "
                            "left as it is")
                 .arg(QString::fromStdString(s.history)));
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QCOMPARE(notes.readAll(), QByteArray("my notes\n"));
    QVERIFY(s.messages.isEmpty());
  }
};

QTEST_MAIN(HistoryDialogTest)
#include "test_history_dialog.moc"
