// The main window, driven headless: its menu, check marks, a run from the menu with the
// description dialog answered, scrolling, the file commands with the file dialog answered by
// the test, the help command and what the window shows.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QWheelEvent>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/CMainFrame.h"
#include "app/CWaitDlg.h"
#include "app/HelpWindow.h"
#include "app/CommandIds.h"
#include "app/MenuTable.h"
#include "app/ReportView.h"
#include "dialogs/CDescriptionDlg.h"
#include "engine/ReportLines.h"
#include "engine/TestRunner.h"
#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/TextExport.h"

using namespace quorvane;

namespace {

// Stand-in workers that wait until the test lets them finish, so that the wait dialog can be
// looked at while the run lasts.
std::atomic<bool> gWorkersMayFinish{true};

void HeldWorker(WorkerSlots& workerSlots, int index) {
  while (!gWorkersMayFinish) QThread::msleep(1);
  workerSlots.WorkerResults[static_cast<std::size_t>(index)] = 1;
  workerSlots.WorkerDoneEvents[static_cast<std::size_t>(index)].Set();
}

const WorkerRoutineTable kHeldWorkers = {HeldWorker, HeldWorker, HeldWorker, HeldWorker,
                                         HeldWorker, HeldWorker, HeldWorker};

std::array<bool, 26> AllDrives() {
  std::array<bool, 26> available{};
  for (int i = 2; i < 26; ++i) available[static_cast<std::size_t>(i)] = true;
  return available;
}

// Answers the next modal dialog: runs `script` on it once it is up.
void WhenModalDialog(std::function<void(QDialog*)> script) {
  QTimer::singleShot(0, [script] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      WhenModalDialog(script);  // not up yet
      return;
    }
    script(dialog);
  });
}

void AnswerDescription(const QString& threads, bool ok) {
  WhenModalDialog([threads, ok](QDialog* dialog) {
    dialog->findChild<QLineEdit*>(QStringLiteral("threads"))->setText(threads);
    dialog->findChild<QPushButton*>(QString::fromLatin1(ok ? "okButton" : "cancelButton"))->click();
  });
}

std::string FileBytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

QString Line(const ReportLines& lines, int index) {
  const std::string_view text = LineText(lines[static_cast<std::size_t>(index)]);
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

class MainFrameTest : public QObject {
  Q_OBJECT

 private:
  struct Setup {
    std::unique_ptr<BenchmarkState> state = std::make_unique<BenchmarkState>();
    CDescriptionDlg dialog{*state};
    TestRunner runner{StartThread, kHeldWorkers};
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;
    QList<bool> messageOwned;

    // Runs in tests are not raised to the real-time class unless `realTime`.
    explicit Setup(const std::array<bool, 26>& drives = AllDrives(), bool realTime = false) {
      dialog.SetWarner([](QWidget*, const QString&) {});
      frame = std::make_unique<CMainFrame>(*state, dialog, runner, drives);
      frame->SetMessageShower([this](QWidget* owner, const QString& text, const QString&) {
        messages << text;
        messageOwned << (owner != nullptr);
      });
      if (!realTime) frame->TriggerCommand(command::kRealTime);
    }
    bool Checked(int id) const { return frame->ActionFor(id)->isChecked(); }
  };

 private slots:
  void everyMenuItemHasItsIdAndText() {
    Setup s;
    const QList<QAction*> bar = s.frame->menuBar()->actions();
    QStringList menus;
    for (QAction* menu : bar) menus << menu->text();
    QCOMPARE(menus, (QStringList{"File", "Test", "Options", "Info"}));
    const QList<QAction*> test = bar[1]->menu()->actions();
    QCOMPARE(test.size(), 13);
    QVERIFY(test[7]->menu());
    QCOMPARE(test[7]->text(), QStringLiteral("Disk throughput"));
    QCOMPARE(test[7]->menu()->actions().size(), 24);
    QVERIFY(test[8]->isSeparator());
    QCOMPARE(test[12]->data().toInt(), command::kRunSelectedTests);
    QStringList tests;
    for (int i = 0; i < 7; ++i) tests << test[i]->text() + QLatin1Char('=') + test[i]->data().toString();
    QCOMPARE(tests.join(QLatin1Char('|')),
             QStringLiteral("Dhrystones=40039|Whetstones=40005|Eight Queens=40004|Matrix operations=40043|"
                            "Number crunching=40040|Floating point unit=40036|Memory throughput=40002"));
    QCOMPARE(s.frame->ActionFor(40035)->text(), QStringLiteral("Drive Z"));
    QCOMPARE(s.frame->windowTitle(), QStringLiteral("Quorvane Ru VAR EZO 0.7.16 "));
    QVERIFY(!s.frame->TriggerCommand(12345));
  }

  void onlyAvailableDrivesAreListed() {
    std::array<bool, 26> drives{};
    drives['C' - 'A'] = drives['D' - 'A'] = true;
    Setup s(drives);
    QMenu* disk = s.frame->menuBar()->actions()[1]->menu()->actions()[7]->menu();
    QCOMPARE(disk->actions().size(), 2);
    QCOMPARE(disk->actions()[0]->text(), QStringLiteral("Drive C"));
    QCOMPARE(disk->actions()[1]->text(), QStringLiteral("Drive D"));
    QVERIFY(!s.frame->ActionFor(command::kDriveC + 2));
  }

  void checkMarksFollowTheSelection() {
    Setup s(AllDrives(), true);
    for (const MenuItem& item : MenuItems()) {
      if (item.id != 0) QCOMPARE(s.Checked(item.id), item.id == command::kRealTime);
    }

    s.frame->ActionFor(command::kEightQueens)->trigger();  // as a click does
    QVERIFY(s.state->testSelection.runQueens);
    QVERIFY(s.Checked(command::kEightQueens));
    s.frame->TriggerCommand(command::kEightQueens);
    QVERIFY(!s.state->testSelection.runQueens);
    QVERIFY(!s.Checked(command::kEightQueens));

    const int driveJ = command::kDriveC + ('J' - 'C');
    s.frame->TriggerCommand(driveJ);
    QVERIFY(s.state->testSelection.runDrive['J' - 'A']);
    s.frame->TriggerCommand(command::kSelectAll);
    for (int id : {40039, 40005, 40004, 40043, 40040, 40036, 40002}) QVERIFY(s.Checked(id));
    QVERIFY(s.Checked(driveJ));
    s.frame->TriggerCommand(command::kDeselectAll);
    for (int id : {40039, 40005, 40004, 40043, 40040, 40036, 40002}) QVERIFY(!s.Checked(id));
    QVERIFY(s.Checked(driveJ));
    QVERIFY(s.state->testSelection.runDrive['J' - 'A']);

    s.frame->TriggerCommand(command::kLongTests);
    QCOMPARE(s.state->testSelection.LengthFactor, 4);
    QVERIFY(s.Checked(command::kLongTests));
    s.frame->TriggerCommand(command::kLongTests);
    QCOMPARE(s.state->testSelection.LengthFactor, 2);
    QVERIFY(!s.Checked(command::kLongTests));

    s.frame->TriggerCommand(command::kRealTime);
    QVERIFY(!s.state->testSelection.RealTimePriority);
    QVERIFY(!s.Checked(command::kRealTime));
  }

  void aRunFromTheMenuShowsItsProgressAndItsRows() {
    Setup s;
    s.frame->show();
    s.frame->TriggerCommand(command::kWhetstones);
    s.frame->TriggerCommand(command::kMemory);
    gWorkersMayFinish = false;
    QString progressSeen;
    bool waitDialogModal = false;
    AnswerDescription(QStringLiteral("3"), true);
    // While the first test's workers are held, look at the wait dialog, then let them go.
    std::function<void()> look = [&] {
      CWaitDlg* wait = s.frame->waitDialog();
      if (!wait || wait->progressText().isEmpty()) {
        QTimer::singleShot(5, look);
        return;
      }
      progressSeen = wait->progressText();
      waitDialogModal = wait->isModal() && wait->isVisible();
      wait->close();  // the user cannot close it
      QVERIFY(wait->isVisible());
      gWorkersMayFinish = true;
    };
    QTimer::singleShot(0, look);
    s.frame->TriggerCommand(command::kRunSelectedTests);

    QCOMPARE(progressSeen, QStringLiteral("Whetstone, 1 of 2"));
    QVERIFY(waitDialogModal);
    QVERIFY(!s.frame->waitDialog());
    QVERIFY(s.state->descriptionConfirmed);
    QCOMPARE(s.state->thisResults[0].code, 'w');
    QCOMPARE(s.state->thisResults[1].code, 'm');
    QCOMPARE(s.state->thisResults[2].code, '\0');
    QCOMPARE(s.runner.MemoryWorkerCount(), 4);
    const ReportLines& shown = s.frame->reportView()->lines();
    QVERIFY(Line(shown, 3).startsWith(QStringLiteral("Whetstone                 ")));
    QVERIFY(Line(shown, 4).startsWith(QStringLiteral("Memory throughput         ")));
    QCOMPARE(Line(shown, 5), QString(106, QLatin1Char(' ')));
    QVERIFY(s.messages.isEmpty());
  }

  void repeatThreeTimesRunsTheSelectionThriceAndShowsItsSpread() {
    Setup s;
    QVERIFY(!s.Checked(command::kRepeatThree));
    s.frame->TriggerCommand(command::kRepeatThree);
    QVERIFY(s.Checked(command::kRepeatThree));
    QStringList tables;
    s.frame->SetSpreadShower([&tables](QWidget*, const QString& table) { tables << table; });
    s.frame->SetEnvironmentReader([] {
      MachineEnvironment busy;
      busy.otherLoadPercent = 50.0;
      return busy;
    });
    s.frame->TriggerCommand(command::kWhetstones);
    s.frame->TriggerCommand(command::kMemory);
    gWorkersMayFinish = false;
    QString progressSeen, warningSeen;
    AnswerDescription(QStringLiteral("1"), true);
    std::function<void()> look = [&] {
      CWaitDlg* wait = s.frame->waitDialog();
      if (!wait || wait->progressText().isEmpty()) {
        QTimer::singleShot(5, look);
        return;
      }
      progressSeen = wait->progressText();
      warningSeen = wait->warningText();
      gWorkersMayFinish = true;
    };
    QTimer::singleShot(0, look);
    s.frame->TriggerCommand(command::kRunSelectedTests);

    QCOMPARE(progressSeen, QStringLiteral("Repetition 1 of 3: Whetstone, 1 of 2"));
    QVERIFY2(warningSeen.startsWith(QStringLiteral("Other programs are taking 50.0 %")), qPrintable(warningSeen));
    QCOMPARE(tables.size(), 1);
    const QStringList rows = tables[0].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QStringLiteral("Spread over 3 repetitions:"));
    // Each row: its test, min, median and max; the store holds the median.
    for (int row = 0; row < 2; ++row) {
      const QStringList words = rows[row + 2].mid(30).split(QLatin1Char(' '), Qt::SkipEmptyParts);
      QVERIFY2(words.size() >= 4, qPrintable(rows[row + 2]));
      QVERIFY(words[0].toLongLong() <= words[1].toLongLong() && words[1].toLongLong() <= words[2].toLongLong());
      QCOMPARE(static_cast<long long>(ReadUnsignedValue(ValueText(s.state->thisResults[static_cast<std::size_t>(row)]))),
               words[1].toLongLong());
    }
    QVERIFY(rows[2].startsWith(QStringLiteral("Whetstone ")));
    QVERIFY(rows[3].startsWith(QStringLiteral("Memory throughput ")));
    QCOMPARE(s.state->thisResults[2].code, '\0');
    QVERIFY(s.messages.isEmpty());
  }

  void aCancelledDescriptionRunsNothing() {
    Setup s;
    s.frame->TriggerCommand(command::kEightQueens);
    SetRow(s.state->thisResults[0], 'd', 77);
    BuildReport(*s.state);
    s.frame->ShowReport();
    AnswerDescription(QStringLiteral("2"), false);
    s.frame->TriggerCommand(command::kRunSelectedTests);
    QVERIFY(!s.state->descriptionConfirmed);
    QCOMPARE(s.state->thisResults[0].code, 'd');
    QVERIFY(Line(s.frame->reportView()->lines(), 3).startsWith(QStringLiteral("Dhrystone 2.1")));
  }

  void scrollingStopsAtZeroAndAtOneHundred() {
    Setup s;
    QScrollBar* bar = s.frame->scrollBar();
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 99);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(s.frame->FirstVisibleLine(), 0);
    s.frame->OnVScroll(QAbstractSlider::SliderMove, 99);
    QCOMPARE(s.frame->FirstVisibleLine(), 99);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(s.frame->FirstVisibleLine(), 100);
    QCOMPARE(bar->value(), 99);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(s.frame->FirstVisibleLine(), 100);
    s.frame->OnVScroll(QAbstractSlider::SliderMove, 98);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(s.frame->FirstVisibleLine(), 100);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(s.frame->FirstVisibleLine(), 97);
    QCOMPARE(bar->value(), 97);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);  // no change
    QCOMPARE(s.frame->FirstVisibleLine(), 97);
    // Keys do not scroll.
    QTest::keyClick(s.frame->reportView(), Qt::Key_Down);
    QTest::keyClick(s.frame->reportView(), Qt::Key_PageUp);
    QCOMPARE(s.frame->FirstVisibleLine(), 97);

    // The wheel over the report: a notch is three clicks on the arrow; finer steps add up.
    auto wheel = [&s](int delta) {
      QWheelEvent event(QPointF(20, 20), QPointF(20, 20), QPoint(), QPoint(0, delta), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(s.frame->reportView(), &event);
    };
    wheel(-120);
    QCOMPARE(s.frame->FirstVisibleLine(), 100);
    s.frame->OnVScroll(QAbstractSlider::SliderMove, 0);
    wheel(-120);
    QCOMPARE(s.frame->FirstVisibleLine(), 3);
    QCOMPARE(bar->value(), 3);
    wheel(-60);
    QCOMPARE(s.frame->FirstVisibleLine(), 3);
    wheel(-60);
    QCOMPARE(s.frame->FirstVisibleLine(), 6);
    wheel(240);
    QCOMPARE(s.frame->FirstVisibleLine(), 0);
    wheel(120);
    QCOMPARE(s.frame->FirstVisibleLine(), 0);
  }

  void fileCommandsUseTheChosenFiles() {
    QTemporaryDir folder;
    Setup s;
    QList<FileDialogKind> asked;
    QString answer;
    s.frame->SetFileChooser([&](QWidget* owner, FileDialogKind kind) {
      asked << kind;
      return owner == s.frame.get() ? answer : QString();
    });
    SetRow(s.state->thisResults[0], 'd', 1500);
    SetField(s.state->thisMachine.brand, "Mine");
    const QString mine = folder.filePath(QStringLiteral("mine.qv3"));
    answer = mine;
    s.frame->TriggerCommand(command::kFileSaveAs);
    QCOMPARE(asked.back(), FileDialogKind::SaveAs);
    QCOMPARE(FileBytes(mine), ResultFileBytes(*s.state));

    s.frame->OnVScroll(QAbstractSlider::SliderMove, 40);
    s.frame->TriggerCommand(command::kFileCompare);
    QCOMPARE(asked.back(), FileDialogKind::Compare);
    QCOMPARE(s.frame->FirstVisibleLine(), 0);
    QCOMPARE(s.state->otherResults[0].code, 'd');
    QCOMPARE(Line(s.frame->reportView()->lines(), 3),
             QStringLiteral("Dhrystone 2.1                   1500       1500  kDhryst. 100 percent"));

    // Compare twice, the second file with one drive fewer: no block of the first stays.
    auto drives = std::make_unique<BenchmarkState>();
    for (int row = 0; row < 14; ++row) SetRow(drives->thisResults[static_cast<std::size_t>(row)], row % 7 ? ' ' : "CD"[row / 7], 10);
    const QString twoDrives = folder.filePath(QStringLiteral("two.qv3"));
    QCOMPARE(SaveResultFile(*drives, twoDrives.toStdString()), FileOutcome::Done);
    drives->thisResults[7].code = '\0';
    const QString oneDrive = folder.filePath(QStringLiteral("one.qv3"));
    QCOMPARE(SaveResultFile(*drives, oneDrive.toStdString()), FileOutcome::Done);
    QStringList headings;
    for (const QString& file : {twoDrives, oneDrive}) {
      answer = file;
      s.frame->TriggerCommand(command::kFileCompare);
      QString shown;
      for (int line = 0; line < kReportLines; ++line) shown += Line(s.frame->reportView()->lines(), line);
      headings << QString::number(shown.count(QStringLiteral("Drive ")));
    }
    QCOMPARE(headings.join(QLatin1Char(' ')), QStringLiteral("2 1"));

    const QString exported = folder.filePath(QStringLiteral("report.txt"));
    answer = exported;
    s.frame->TriggerCommand(command::kFileExport);
    QCOMPARE(FileBytes(exported), ExportBytes(s.state->ReportText));

    // A cancelled Load or Compare, a file that cannot be opened and one that is not a result
    // file change nothing: tables, report, view and scroll position stay as they were.
    s.frame->TriggerCommand(command::kShowDescription);
    s.frame->OnVScroll(QAbstractSlider::SliderMove, 2);
    const BenchmarkState before = *s.state;
    const ReportLines shownBefore = s.frame->reportView()->lines();
    auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    const struct {
      QString file;
      QString message;
    } unread[] = {{QString(), QString()},
                  {folder.filePath(QStringLiteral("missing.qv3")), QStringLiteral("Can't open file!")},
                  {exported, QStringLiteral("This is not a Quorvane Mk III file!")}};
    for (int id : {command::kFileLoad, command::kFileCompare}) {
      for (const auto& file : unread) {
        s.messages.clear();
        s.messageOwned.clear();
        answer = file.file;
        s.frame->TriggerCommand(id);
        QCOMPARE(s.messages, file.message.isEmpty() ? QStringList() : QStringList{file.message});
        QCOMPARE(s.messageOwned, file.message.isEmpty() ? QList<bool>() : QList<bool>{true});
        QVERIFY(same(s.state->thisResults, before.thisResults) && same(s.state->otherResults, before.otherResults));
        QVERIFY(same(s.state->thisMachine, before.thisMachine) && same(s.state->otherMachine, before.otherMachine));
        QVERIFY(same(s.state->thisDrives, before.thisDrives) && same(s.state->otherDrives, before.otherDrives));
        QVERIFY(s.state->descriptionShown);
        QVERIFY(same(s.frame->reportView()->lines(), shownBefore));
        QCOMPARE(s.frame->FirstVisibleLine(), 2);
      }
    }
    answer = folder.filePath(QStringLiteral("no/such/folder.qv3"));
    s.frame->TriggerCommand(command::kFileSaveAs);
    QCOMPARE(s.messages.back(), QStringLiteral("Cannot save file!"));

    // Save and Export never destroy what is there: a read-only file is refused and kept, a file
    // with a second name is written so that both names show the export.
    const int shown = s.messages.size();
    QFile::setPermissions(mine, QFileDevice::ReadOwner);
    SetRow(s.state->thisResults[0], 'd', 1700);
    answer = mine;
    s.frame->TriggerCommand(command::kFileSaveAs);
    QCOMPARE(s.messages.size(), shown + 1);
    QCOMPARE(s.messages.back(), QStringLiteral("Cannot save file!"));
    QVERIFY(FileBytes(mine) != ResultFileBytes(*s.state));
    const QString alias = folder.filePath(QStringLiteral("alias.txt"));
    std::filesystem::create_hard_link(exported.toStdString(), alias.toStdString());
    s.frame->TriggerCommand(command::kShowDescription);
    answer = exported;
    s.frame->TriggerCommand(command::kFileExport);
    QCOMPARE(FileBytes(alias), ExportBytes(s.state->ReportText));
    QCOMPARE(s.messages.size(), shown + 1);
  }

  // Each file dialog as the File menu shows it: title, first name, filters as the user reads
  // them, options; and "All files (*.*)" lists every file, also one without a dot.
  void theFileDialogsFormsAndFilters() {
    const QString openAll = QStringLiteral("Quorvane Files Mk III Files (*.qv3)\n"
                                           "Quorvane Mk II Files (*.qvf)\nAll files (*.*)");
    struct Case {
      FileDialogKind kind;
      const char* title;
      const char* firstName;
      QString filters;  // as the list shows them, one a line
      bool save;
    };
    const Case cases[] = {
        {FileDialogKind::Load, "Quorvane open file...", "*.qv3", openAll, false},
        {FileDialogKind::Compare, "Quorvane open comparison file...", "*.qv3", openAll, false},
        {FileDialogKind::SaveAs, "Quorvane save file...", "*.qv3",
         QStringLiteral("Quorvane Mk III Files (*.qv3)"), true},
        {FileDialogKind::Export, "Quorvane export file...", "*.txt",
         QStringLiteral("Text Files (*.txt)\nAll files (*.*)"), true},
    };
    QTemporaryDir folder;
    for (const char* name : {"mybox", "old.qvf", "new.qv3", "report.txt"}) {
      QFile file(folder.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    for (const Case& c : cases) {
      const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(nullptr, c.kind);
      QCOMPARE(dialog->windowTitle(), QString::fromLatin1(c.title));
      QCOMPARE(dialog->acceptMode(), c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
      QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
      QVERIFY(name && types && list);
      QCOMPARE(name->text(), QString::fromLatin1(c.firstName));
      QStringList shown;
      for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
      QCOMPARE(shown.join(QLatin1Char('\n')), c.filters);

      // What each filter lists in a folder of four files.
      dialog->setDirectory(folder.path());
      const auto listed = [list] {
        QStringList names;
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row) {
          names << list->model()->index(row, 0, root).data().toString();
        }
        names.sort();
        return names.join(QLatin1Char(' '));
      };
      for (int i = 0; i < types->count(); ++i) {
        dialog->selectNameFilter(types->itemText(i));
        const QString filter = types->itemText(i);
        const QString expected = filter.startsWith(QStringLiteral("All files"))
                                     ? QStringLiteral("mybox new.qv3 old.qvf report.txt")
                                 : filter.contains(QStringLiteral("qv3")) ? QStringLiteral("new.qv3")
                                 : filter.contains(QStringLiteral("qvf")) ? QStringLiteral("old.qvf")
                                                                         : QStringLiteral("report.txt");
        QTRY_COMPARE(listed(), expected);
      }
    }
  }

  void theDescriptionViewAndTheHelpPage() {
    Setup s;
    SetField(s.state->thisMachine.brand, "Acme");
    s.frame->TriggerCommand(command::kShowDescription);
    QVERIFY(s.state->descriptionShown);
    QVERIFY(Line(s.frame->reportView()->lines(), 4).startsWith(QStringLiteral("Brand           :  Acme")));
    s.frame->TriggerCommand(command::kShowDescription);
    QVERIFY(!s.state->descriptionShown);
    QCOMPARE(Line(s.frame->reportView()->lines(), 0).trimmed(), QStringLiteral("this      other              relative"));

    // The help page beside the program is opened (a missing page: see test_about_help).
    QList<QUrl> opened;
    s.frame->SetUrlOpener([&](const QUrl& url) {
      opened << url;
      return true;
    });
    const QString page = QCoreApplication::applicationDirPath() + QStringLiteral("/help/Quorvane Ru VAR EZO help.htm");
    QVERIFY(!QFile::exists(page));
    QVERIFY(QDir().mkpath(QFileInfo(page).path()));
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html><body><h1>Quorvane help</h1><p>How to run the tests.</p></body></html>");
    file.close();
    s.frame->TriggerCommand(command::kHelp);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0].toLocalFile(), page);
    QVERIFY(!s.frame->helpWindow());
    // Where nothing can open the page, the program shows it in a window of its own, one only.
    s.frame->SetUrlOpener([](const QUrl&) { return false; });
    s.frame->TriggerCommand(command::kHelp);
    s.frame->TriggerCommand(command::kHelp);
    QDir(QFileInfo(page).path()).removeRecursively();
    HelpWindow* help = s.frame->helpWindow();
    QVERIFY(help && help->isVisible());
    QCOMPARE(s.frame->findChildren<HelpWindow*>().size(), 1);
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("How to run the tests.")));
    const QImage shown = help->browser()->viewport()->grab().toImage();
    int ink = 0;
    for (int y = 0; y < shown.height(); ++y) {
      for (int x = 0; x < shown.width(); ++x) ink += shown.pixel(x, y) != shown.pixel(0, 0);
    }
    QVERIFY(ink > 100);
    help->close();
    QTRY_VERIFY(!s.frame->helpWindow());  // closing deletes it

    WhenModalDialog([](QDialog* about) { about->accept(); });
    s.frame->TriggerCommand(command::kAbout);
  }

  void theWindowShowsTheReportAtItsRows() {
    Setup s;
    s.frame->resize(800, 600);
    s.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.frame.get()));
    SetRow(s.state->thisResults[0], 'd', 1500);
    BuildReport(*s.state);
    s.frame->ShowReport();
    const QImage image = s.frame->reportView()->grab().toImage();
    if (!qEnvironmentVariableIsEmpty("QUORVANE_GRAB")) image.save(qEnvironmentVariable("QUORVANE_GRAB"));
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    // Ink in the band of a line, leaving out its top pixels, which descenders of the line
    // above may reach.
    auto inkInRow = [&](int line, int firstX, int lastX) {
      int ink = 0;
      for (int y = line * ReportView::kLineHeight + 3; y < (line + 1) * ReportView::kLineHeight; ++y) {
        for (int x = firstX; x < std::min(lastX, image.width()); ++x) ink += image.pixel(x, y) != background;
      }
      return ink;
    };
    QVERIFY(inkInRow(0, 0, image.width()) > 0);          // headings
    QVERIFY(inkInRow(3, 0, image.width()) > 0);          // the Dhrystone line
    QCOMPARE(inkInRow(3, 0, ReportView::kLeftMargin), 0);  // 10 pixels left free
    QCOMPARE(inkInRow(2, 0, image.width()), 0);          // a single space
    QCOMPARE(inkInRow(6, 0, image.width()), 0);          // below the report
    // Scrolled by three lines, the Dhrystone line is at the top.
    s.frame->OnVScroll(QAbstractSlider::SliderMove, 3);
    const QImage scrolled = s.frame->reportView()->grab().toImage();
    QCOMPARE(scrolled.copy(0, 0, scrolled.width(), 14), image.copy(0, 3 * 14, image.width(), 14));
  }
};

QTEST_MAIN(MainFrameTest)
#include "test_main_frame.moc"
