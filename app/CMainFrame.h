// The main window: the menu bar built from the menu table, the report view with its vertical
// scroll bar, and the handler of every menu command. During a run it hands the store to the
// runner's thread and only takes it back in the runner's blocking hand-offs.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/HelpDocument.h"
#include "app/HelpWindow.h"
#include "engine/BenchmarkState.h"
#include "engine/RepeatedRuns.h"
#include "engine/SteadyMeasurement.h"
#include "platform/MachineEnvironment.h"
#include "report/ResultFile.h"

class QAction;
class QFileDialog;
class QMenu;
class QScrollArea;
class QScrollBar;
class QStackedWidget;
class QUrl;

namespace quorvane {

class CDescriptionDlg;
class ChartView;
class CWaitDlg;
class ReportView;
class TestRunner;

// The file dialogs of the File menu.
enum class FileDialogKind { Load, Compare, SaveAs, Export, ChartPicture, WebPage };

struct FileDialogForm {
  QString title;
  QString initialName;
  QStringList filters;
  bool save;
};

FileDialogForm FormOf(FileDialogKind kind);

// The file dialog of `kind`, set up and not yet shown: title, first name, filters, options.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, FileDialogKind kind);

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  static const char* const kTitle;

  // Asks for a file name; empty when the user cancels. A file dialog unless replaced.
  using FileChooser = std::function<QString(QWidget* owner, FileDialogKind kind)>;
  // Shows an error message with the stop icon; `owner` is null for the boxes without owner.
  using MessageShower =
      std::function<void(QWidget* owner, const QString& text, const QString& caption)>;
  // `driveAvailable` is indexed by letter (0 = A): the items of the others are removed.
  CMainFrame(BenchmarkState& state, CDescriptionDlg& descriptionDlg, TestRunner& runner,
             const std::array<bool, 26>& driveAvailable);
  ~CMainFrame() override;

  // Runs the handler of command `id`, as choosing its menu item does. False for an unknown id.
  bool TriggerCommand(int id);
  // The menu item of command `id`, or nullptr (removed drive items have none).
  QAction* ActionFor(int id) const;

  // Shows the spread table of a repeated run (fixed-pitch text) when it has ended.
  using SpreadShower = std::function<void(QWidget* owner, const QString& table)>;

  void SetFileChooser(FileChooser chooser);
  void SetSpreadShower(SpreadShower shower);
  // Shows, when a run has ended, the lines on how its tests were measured (disturbed, or their
  // rounds did not agree) and why the history did not take the run, if it did not, one a line,
  // in one box with the warning icon. Not an error.
  void SetMeasurementWarningShower(MessageShower shower);
  // Where a run takes the machine's environment from before it starts (this computer's).
  void SetEnvironmentReader(EnvironmentReader reader);
  void SetMessageShower(MessageShower shower);
  void SetUrlOpener(UrlOpener opener);
  // Asks a yes/no question with the question icon; true for Yes. A message box unless replaced.
  using QuestionAsker =
      std::function<bool(QWidget* owner, const QString& text, const QString& caption)>;
  void SetQuestionAsker(QuestionAsker asker);
  // The history that finished runs are recorded in and File > History... lists (by default the
  // user's, history/HistoryLocation.h).
  void SetHistoryPath(std::filesystem::path path);
  // Whether finished runs are recorded: "Keep a history of runs", remembered in the program's
  // settings (QSettings), on unless the user turned it off.
  bool KeepsHistory() const { return keepHistory_; }

  int FirstVisibleLine() const;
  ReportView* reportView() const { return reportView_; }
  QScrollBar* scrollBar() const { return scrollBar_; }
  ChartView* chartView() const { return chartView_; }
  // The scrolling area the chart is shown in.
  QScrollArea* chartArea() const { return chartArea_; }
  // True while the chart is shown in place of the report.
  bool ChartShown() const;
  // The wait dialog while a run lasts, else nullptr.
  CWaitDlg* waitDialog() const { return waitDialog_; }
  // Closes the window: at once when no run lasts; otherwise asks the run to stop after its
  // current test and closes when it has ended. Asks the user nothing.
  void StopRunAndClose();
  // The program's own help window while it is open, else nullptr.
  HelpWindow* helpWindow() const { return helpWindow_.data(); }

  // The command handlers (the menu table routes to them; `id` is the command's identifier).
  void OnFileLoad(int id);
  void OnFileCompare(int id);
  void OnFileSaveAs(int id);
  void OnFileExport(int id);
  void OnExit(int id);
  void OnToggleTest(int id);
  void OnToggleDrive(int id);
  void OnSelectAllTests(int id);
  void OnDeselectAllTests(int id);
  void OnRunSelectedTests(int id);
  void OnLongTests(int id);
  void OnRealTime(int id);
  void OnRepeatThree(int id);
  void OnQuickTests(int id);
  void OnEnterDescription(int id);
  void OnShowDescription(int id);
  void OnShowChart(int id);
  void OnSaveChart(int id);
  void OnExportWebPage(int id);
  void OnHistory(int id);
  void OnKeepHistory(int id);
  void OnHelp(int id);
  void OnAbout(int id);

  // Vertical scrolling by one of QAbstractSlider's actions, from the current first line.
  void OnVScroll(int action, int thumbPosition);
  // Takes the report lines from the store and repaints at once.
  void ShowReport();
  // Shows a message of the file commands (owned by this window).
  void ShowFileMessage(const QString& text);

 protected:
  // Closing the window while a run lasts asks whether to stop the run: Yes stops it and closes
  // the window when it has ended, No lets it go on. Without a run the window closes.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Keeps the user out of the menus and views while a run lasts (true), or lets them in again.
  void LockForRun(bool locked);
  void BuildMenus(const std::array<bool, 26>& driveAvailable);
  void SetCheck(int id, bool checked);
  void ReadInto(bool comparison);
  // Shows the report of tables just read, from its first line.
  void ShowReadTables();
  // Reads the result file of run `id` of the history into the target's tables, as Load... and
  // Compare... read a file; false after showing the message of a failure.
  bool ReadRecordedRun(const std::string& resultFile, FileTarget target, std::int64_t id);
  void ShowChart(bool shown);
  // The web page of what the window holds: with the last run's rounds, repetitions and
  // environment while its results are shown.
  std::string WebPage() const;

  // What the web page shows of the last run besides its results; forgotten when a Load replaces
  // them.
  struct LastRun {
    std::chrono::system_clock::time_point started;
    std::vector<std::vector<SteadyTest>> steadyRuns;
    RepeatedRuns repeated;
    std::optional<MachineEnvironment> environment;
  };

  BenchmarkState& state_;
  CDescriptionDlg& descriptionDlg_;
  TestRunner& runner_;
  ReportView* reportView_;
  QScrollBar* scrollBar_;
  ChartView* chartView_;
  QScrollArea* chartArea_;
  QStackedWidget* views_;
  CWaitDlg* waitDialog_ = nullptr;
  QPointer<HelpWindow> helpWindow_;
  std::map<int, QAction*> actions_;
  FileChooser chooseFile_;
  MessageShower showMessage_;
  UrlOpener openUrl_;
  SpreadShower showSpread_;
  MessageShower showMeasurementWarnings_;
  QuestionAsker askQuestion_;
  EnvironmentReader readEnvironment_;
  std::optional<LastRun> lastRun_;
  std::filesystem::path historyPath_;
  bool keepHistory_ = true;     // "Keep a history of runs"
  bool repeatThree_ = false;    // "Repeat 3 times (median)"
  bool closeAfterRun_ = false;  // the window closes when the run has ended
};

}  // namespace quorvane
