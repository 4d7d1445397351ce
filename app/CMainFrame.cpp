#include "app/CMainFrame.h"

#include <QAction>
#include <QBuffer>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QUrl>
#include <cstdlib>
#include <thread>

#include "app/CAboutDlg.h"
#include "app/CWaitDlg.h"
#include "app/ChartView.h"
#include "app/CommandIds.h"
#include "app/GuiRunHost.h"
#include "app/HelpDocument.h"
#include "app/HelpWindow.h"
#include "app/HistoryDialog.h"
#include "app/MenuTable.h"
#include "app/ReportView.h"
#include "dialogs/CDescriptionDlg.h"
#include "engine/BuildStamp.h"
#include "engine/EnvironmentWarnings.h"
#include "engine/RepeatedRuns.h"
#include "engine/TestRunner.h"
#include "generated/Version.h"
#include "history/HistoryLocation.h"
#include "history/HistoryRecording.h"
#include "platform/SaveFile.h"
#include "platform/WorkerThread.h"
#include "report/JsonReport.h"
#include "report/Report.h"
#include "report/ResultFile.h"
#include "report/ResultsModel.h"
#include "report/TextExport.h"
#include "report/WebPage.h"

namespace quorvane {

const char* const CMainFrame::kTitle = "Quorvane Ru VAR EZO " QUORVANE_VERSION " ";

namespace {

constexpr int kLastScrollPosition = 99;
constexpr int kLastFirstLine = 100;  // at 100 no line is shown
constexpr int kLinesPerPage = 3;
constexpr int kLinesPerWheelNotch = 3;
const QString kMessageCaption = QStringLiteral("Quorvane");

TestId TestOfCommand(int id) {
  for (TestId test : kAllTests) {
    if (command::kTestCommands[static_cast<std::size_t>(test)] == id) return test;
  }
  return TestId::Memory;
}

// "All files (*.*)" keeps its text, but its pattern must list every file: saved results often
// have no extension, and "*.*" would hide every name without a dot.
const QString kAllFilesText = QStringLiteral("All files (*.*)");
const QString kAllFilesFilter = QStringLiteral("All files (*)");

QString ShowFileDialog(QWidget* owner, FileDialogKind kind) {
  const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(owner, kind);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
  return dialog->selectedFiles().constFirst();
}

void ShowStopBox(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);  // a file name is shown as it is, never as markup
  box.exec();
}

// The message of a failed file command followed by the file and the reason (the system's text,
// in the locale's encoding).
QString FileFailureText(FileOutcome outcome, const QString& path, const std::string& reason) {
  const std::string name = QDir::toNativeSeparators(path).toStdString();
  const std::string why = QString::fromLocal8Bit(reason).toStdString();
  return QString::fromStdString(OutcomeMessageFor(outcome, name, why));
}

void ShowWarningBox(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

bool AskWithMessageBox(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void ShowSpreadBox(QWidget* owner, const QString& table) {
  QMessageBox box(QMessageBox::Information, kMessageCaption, QString(), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::RichText);
  box.setText(QStringLiteral("<pre>") + table.toHtmlEscaped() + QStringLiteral("</pre>"));
  box.exec();
}

constexpr int kDesktopRepetitions = 3;

// The program's settings (on Linux ~/.config/Quorvane/Quorvane.conf) and the key of "Keep a
// history of runs".
const QString kSettingsName = QStringLiteral("Quorvane");
const QString kKeepHistoryKey = QStringLiteral("history/keep");

// Records the run that has just finished in `state` in the history at `path`: its facts, and
// the details that quorvane-cli records too. The warning line of a run not recorded, or empty.
// Called on the run's thread, which owns the state.
QString RecordFinishedRun(const std::filesystem::path& path, const BenchmarkState& state,
                          const MachineEnvironment& environment, const RepeatedRuns* repeated,
                          const std::vector<std::vector<SteadyTest>>& steadyRuns) {
  RunFacts facts = FactsNow();
  facts.threads = ReadValue(FieldText(state.thisMachine.threads));
  facts.longTests = state.testSelection.LengthFactor != 2;
  facts.repetitions = repeated != nullptr ? repeated->repetitions() : 1;
  facts.steady = !state.testSelection.quickTests;
  facts.detailsJson = RunDetailsJson(state, repeated, &steadyRuns, environment, ThisBuild());
  return QString::fromStdString(RecordRun(path, state, facts).warning);
}

}  // namespace

FileDialogForm FormOf(FileDialogKind kind) {
  const QStringList openFilters = {QStringLiteral("Quorvane Files Mk III Files (*.qv3)"),
                                   QStringLiteral("Quorvane Mk II Files (*.qvf)"), kAllFilesText};
  switch (kind) {
    case FileDialogKind::Load:
      return {QStringLiteral("Quorvane open file..."), QStringLiteral("*.qv3"), openFilters, false};
    case FileDialogKind::Compare:
      return {QStringLiteral("Quorvane open comparison file..."), QStringLiteral("*.qv3"),
              openFilters, false};
    case FileDialogKind::SaveAs:
      return {QStringLiteral("Quorvane save file..."),
              QStringLiteral("*.qv3"),
              {QStringLiteral("Quorvane Mk III Files (*.qv3)")},
              true};
    case FileDialogKind::Export:
      return {QStringLiteral("Quorvane export file..."),
              QStringLiteral("*.txt"),
              {QStringLiteral("Text Files (*.txt)"), kAllFilesText},
              true};
    case FileDialogKind::ChartPicture:
      return {QStringLiteral("Quorvane save chart as picture..."),
              QStringLiteral("*.png"),
              {QStringLiteral("PNG pictures (*.png)"), kAllFilesText},
              true};
    case FileDialogKind::WebPage:
      return {QStringLiteral("Quorvane export web page..."),
              QStringLiteral("*.html"),
              {QStringLiteral("Web pages (*.html)"), kAllFilesText},
              true};
  }
  return {};
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, FileDialogKind kind) {
  const FileDialogForm form = FormOf(kind);
  auto dialog = std::make_unique<QFileDialog>(owner, form.title, form.initialName);
  // The program's own dialog on every desktop, so that the filter texts below are what shows.
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  QStringList filters = form.filters;
  filters.replaceInStrings(kAllFilesText, kAllFilesFilter);
  dialog->setNameFilters(filters);
  if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
    for (int i = 0; i < types->count(); ++i) {
      if (types->itemText(i) == kAllFilesFilter) types->setItemText(i, kAllFilesText);
    }
  }
  dialog->setAcceptMode(form.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  // The open dialogs also take the name of a file that does not exist; opening it then fails.
  dialog->setFileMode(QFileDialog::AnyFile);
  return dialog;
}

CMainFrame::CMainFrame(BenchmarkState& state, CDescriptionDlg& descriptionDlg, TestRunner& runner,
                       const std::array<bool, 26>& driveAvailable)
    : state_(state),
      descriptionDlg_(descriptionDlg),
      runner_(runner),
      reportView_(new ReportView),
      scrollBar_(new QScrollBar(Qt::Vertical)),
      chartView_(new ChartView),
      chartArea_(new QScrollArea),
      views_(new QStackedWidget),
      chooseFile_(ShowFileDialog),
      showMessage_(ShowStopBox),
      openUrl_(),
      showSpread_(ShowSpreadBox),
      showMeasurementWarnings_(ShowWarningBox),
      askQuestion_(AskWithMessageBox),
      readEnvironment_(ReadThisEnvironment),
      historyPath_(DefaultHistoryPath()),
      keepHistory_(QSettings(kSettingsName, kSettingsName).value(kKeepHistoryKey, true).toBool()) {
  setWindowTitle(QString::fromLatin1(kTitle));
  auto* client = new QWidget;
  auto* layout = new QHBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(reportView_, 1);
  layout->addWidget(scrollBar_);
  // The report with its scroll bar, or the chart in its place, scrolled when its rows do not fit.
  chartArea_->setWidget(chartView_);
  chartArea_->setWidgetResizable(true);
  chartArea_->setFrameShape(QFrame::NoFrame);
  chartArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  views_->addWidget(client);
  views_->addWidget(chartArea_);
  setCentralWidget(views_);

  scrollBar_->setRange(0, kLastScrollPosition);
  scrollBar_->setSingleStep(1);
  scrollBar_->setPageStep(kLinesPerPage);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  connect(scrollBar_, &QScrollBar::actionTriggered, this,
          [this](int action) { OnVScroll(action, scrollBar_->sliderPosition()); });
  // A wheel notch over the report is three clicks on the scroll bar's arrow.
  connect(reportView_, &ReportView::WheelNotches, this, [this](int notches) {
    const int action =
        notches > 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub;
    for (int click = 0; click < kLinesPerWheelNotch * std::abs(notches); ++click)
      OnVScroll(action, 0);
  });

  BuildMenus(driveAvailable);
  SetCheck(command::kRealTime, state_.testSelection.RealTimePriority);
  SetCheck(command::kQuickTests, state_.testSelection.quickTests);
  SetCheck(command::kKeepHistory, keepHistory_);
  resize(760, 560);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::BuildMenus(const std::array<bool, 26>& driveAvailable) {
  std::map<Popup, QMenu*> menus;
  for (Popup popup : {Popup::File, Popup::Test, Popup::Options, Popup::Info}) {
    menus[popup] = menuBar()->addMenu(QString::fromLatin1(PopupTitle(popup)));
  }
  for (const MenuItem& item : MenuItems()) {
    if (item.popup == Popup::DiskThroughput && !menus.contains(Popup::DiskThroughput)) {
      menus[Popup::DiskThroughput] =
          menus[Popup::Test]->addMenu(QString::fromLatin1(PopupTitle(Popup::DiskThroughput)));
    }
    QMenu* menu = menus[item.popup];
    if (item.id == 0) {
      menu->addSeparator();
      continue;
    }
    if (item.popup == Popup::DiskThroughput &&
        !driveAvailable[static_cast<std::size_t>(item.id - command::kDriveC + 2)]) {
      continue;  // drives that cannot be tested have no item
    }
    QAction* action = menu->addAction(QString::fromLatin1(item.text));
    action->setData(item.id);
    action->setCheckable(item.checkable);
    actions_[item.id] = action;
    connect(action, &QAction::triggered, this, [this, id = item.id] { TriggerCommand(id); });
  }
}

bool CMainFrame::TriggerCommand(int id) {
  for (const MenuItem& item : MenuItems()) {
    if (item.id == id && item.id != 0) {
      (this->*item.handler)(id);
      return true;
    }
  }
  return false;
}

QAction* CMainFrame::ActionFor(int id) const {
  const auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
void CMainFrame::SetMessageShower(MessageShower shower) { showMessage_ = std::move(shower); }
void CMainFrame::SetUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }
void CMainFrame::SetSpreadShower(SpreadShower shower) { showSpread_ = std::move(shower); }
void CMainFrame::SetMeasurementWarningShower(MessageShower shower) {
  showMeasurementWarnings_ = std::move(shower);
}
void CMainFrame::SetQuestionAsker(QuestionAsker asker) { askQuestion_ = std::move(asker); }
void CMainFrame::SetEnvironmentReader(EnvironmentReader reader) {
  readEnvironment_ = std::move(reader);
}
void CMainFrame::SetHistoryPath(std::filesystem::path path) { historyPath_ = std::move(path); }

int CMainFrame::FirstVisibleLine() const { return reportView_->FirstVisibleLine(); }

void CMainFrame::SetCheck(int id, bool checked) {
  // The check mark shows the state; it never changes it (QAction toggles itself on a click).
  if (QAction* action = ActionFor(id)) action->setChecked(checked);
}

void CMainFrame::ShowReport() {
  reportView_->SetLines(state_.ReportText);
  chartView_->SetModel(BuildResultsModel(state_.thisResults, state_.otherResults));
  scrollBar_->setRange(0, kLastScrollPosition);
  scrollBar_->setSliderPosition(std::min(reportView_->FirstVisibleLine(), kLastScrollPosition));
  if (ChartShown()) {
    chartView_->repaint();
  } else {
    reportView_->repaint();
  }
}

bool CMainFrame::ChartShown() const { return views_->currentWidget() == chartArea_; }

void CMainFrame::ShowChart(bool shown) {
  views_->setCurrentIndex(shown ? 1 : 0);
  SetCheck(command::kShowChart, shown);
  ShowReport();
}

void CMainFrame::ShowFileMessage(const QString& text) { showMessage_(this, text, kMessageCaption); }

void CMainFrame::OnVScroll(int action, int thumbPosition) {
  int line = reportView_->FirstVisibleLine();
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      line -= 1;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      line += 1;
      break;
    case QAbstractSlider::SliderPageStepSub:
      line -= kLinesPerPage;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      line += kLinesPerPage;
      break;
    case QAbstractSlider::SliderMove:
      line = thumbPosition;
      break;
    default:
      break;
  }
  reportView_->SetFirstVisibleLine(std::clamp(line, 0, kLastFirstLine));
  ShowReport();
}

// File commands ----------------------------------------------------------------------------

void CMainFrame::ReadInto(bool comparison) {
  // A cancelled dialog, a file that cannot be opened and one that is not a result file leave
  // the tables, the report and its scroll position as they were.
  const FileTarget target = comparison ? FileTarget::OtherMachine : FileTarget::ThisMachine;
  const QString path =
      chooseFile_(this, comparison ? FileDialogKind::Compare : FileDialogKind::Load);
  if (path.isEmpty()) return;
  const ExplainedOutcome read = ReadResultFileWithReason(state_, target, path.toStdString());
  if (read.outcome != FileOutcome::Done) {
    ShowFileMessage(FileFailureText(read.outcome, path, read.reason));
    return;
  }
  if (!comparison) lastRun_.reset();  // the results shown are no longer the run's
  ShowReadTables();
}

void CMainFrame::ShowReadTables() {
  reportView_->SetFirstVisibleLine(0);
  BuildReport(state_);
  ShowReport();
}

bool CMainFrame::ReadRecordedRun(const std::string& resultFile, FileTarget target,
                                 std::int64_t id) {
  const FileOutcome read = ReadResultBytes(state_, target, resultFile);
  if (read != FileOutcome::Done) {
    const std::string name = "run " + std::to_string(id) + " of the history";
    ShowFileMessage(QString::fromStdString(OutcomeMessageFor(read, name, {})));
    return false;
  }
  if (target == FileTarget::ThisMachine) lastRun_.reset();  // not the window's last run
  ShowReadTables();
  return true;
}

void CMainFrame::OnHistory(int) {
  HistoryDialog dialog(
      historyPath_,
      [this](const std::string& resultFile, FileTarget target, std::int64_t id) {
        return ReadRecordedRun(resultFile, target, id);
      },
      askQuestion_, this);
  dialog.exec();
}

void CMainFrame::OnFileLoad(int) { ReadInto(false); }
void CMainFrame::OnFileCompare(int) { ReadInto(true); }

void CMainFrame::OnFileSaveAs(int) {
  const QString path = chooseFile_(this, FileDialogKind::SaveAs);
  if (path.isEmpty()) return;
  const std::error_code reason = SaveFileContents(path.toStdString(), ResultFileBytes(state_));
  if (reason) {
    ShowFileMessage(FileFailureText(FileOutcome::CannotCreate, path, reason.message()));
  }
}

void CMainFrame::OnFileExport(int) {
  const QString path = chooseFile_(this, FileDialogKind::Export);
  if (path.isEmpty()) return;
  const std::error_code reason =
      SaveFileContents(path.toStdString(), ExportBytes(state_.ReportText));
  if (reason) {
    ShowFileMessage(FileFailureText(FileOutcome::CannotCreate, path, reason.message()));
  }
}

void CMainFrame::OnExit(int) { close(); }

// Test selection -----------------------------------------------------------------------------

void CMainFrame::OnToggleTest(int id) {
  SetCheck(id, ToggleTest(state_.testSelection, TestOfCommand(id)));
}

void CMainFrame::OnToggleDrive(int id) {
  const char letter = static_cast<char>('C' + (id - command::kDriveC));
  SetCheck(id, ToggleDrive(state_.testSelection, letter));
}

void CMainFrame::OnSelectAllTests(int) {
  SelectAllTests(state_.testSelection);
  for (int id : command::kTestCommands) SetCheck(id, true);
}

void CMainFrame::OnDeselectAllTests(int) {
  DeselectAllTests(state_.testSelection);
  for (int id : command::kTestCommands) SetCheck(id, false);
}

void CMainFrame::OnLongTests(int id) { SetCheck(id, ToggleLongTests(state_.testSelection)); }

void CMainFrame::OnRealTime(int id) { SetCheck(id, ToggleRealTime(state_.testSelection)); }

void CMainFrame::OnRepeatThree(int id) {
  repeatThree_ = !repeatThree_;
  SetCheck(id, repeatThree_);
}

void CMainFrame::OnQuickTests(int id) { SetCheck(id, ToggleQuickTests(state_.testSelection)); }

void CMainFrame::OnKeepHistory(int id) {
  keepHistory_ = !keepHistory_;
  QSettings(kSettingsName, kSettingsName).setValue(kKeepHistoryKey, keepHistory_);
  SetCheck(id, keepHistory_);
}

// The run --------------------------------------------------------------------------------------

void CMainFrame::OnRunSelectedTests(int) {
  descriptionDlg_.DoModal(this, DescriptionOpening::ConfirmRun);
  if (!state_.descriptionConfirmed) return;

  CWaitDlg wait(this);
  waitDialog_ = &wait;
  runner_.ClearStopRequest();  // before the run's thread starts: a Stop from now on counts
  connect(&wait, &CWaitDlg::StopRequested, this, [this] { runner_.RequestStop(); });
  GuiRunHost host(
      {[this] { ShowReport(); },
       [this] {
         BuildReport(state_);
         ShowReport();
       },
       [&wait](const QString& name, int step, int steps) { wait.ShowProgress(name, step, steps); },
       [this](const QString& text, const QString& caption) {
         showMessage_(nullptr, text, caption.isEmpty() ? kMessageCaption : caption);
       },
       [&wait](const QString& text) { wait.ShowWarning(text); }});
  RepeatedRuns runs;
  const bool repeat = repeatThree_;
  // Where the finished run is recorded (nowhere: empty); the warning of a run not recorded.
  const std::filesystem::path history = keepHistory_ ? historyPath_ : std::filesystem::path();
  QString recordingWarning;
  // Written by the run's thread only, read here once it is joined.
  LastRun record;
  record.started = std::chrono::system_clock::now();
  std::optional<std::thread> runThread =
      StartThread([this, &host, &wait, &runs, &record, repeat, &history, &recordingWarning] {
        // Before the run, off the user-interface thread: what may make the scores low or unsteady.
        record.environment = readEnvironment_();
        QStringList warnings;
        for (const std::string& warning : EnvironmentWarnings(*record.environment)) {
          warnings << QString::fromStdString(warning);
        }
        if (!warnings.isEmpty()) host.ShowWarning(warnings.join(QLatin1Char('\n')));
        if (repeat) {
          RunRepeatedly(runner_, state_, host, kDesktopRepetitions, runs, &record.steadyRuns);
        } else {
          runner_.OnRunSelectedTests(state_, host);
          if (!runner_.SteadyTests().empty()) record.steadyRuns.push_back(runner_.SteadyTests());
        }
        // A run that was stopped, or that has no result, is not recorded. The wait dialog stays
        // while the history is written (at most the store's wait for another program's lock).
        if (!history.empty() && !runner_.StopRequested() && state_.thisResults[0].code != '\0') {
          recordingWarning = RecordFinishedRun(history, state_, *record.environment,
                                               repeat ? &runs : nullptr, record.steadyRuns);
        }
        QMetaObject::invokeMethod(&wait, "Finish", Qt::QueuedConnection);
      });
  if (runThread) {
    // The wait dialog is not modal to Qt, which would drop the window's close box while it
    // shows: the menus and views are locked instead, so the close box alone still answers.
    LockForRun(true);
    QEventLoop untilFinished;
    connect(&wait, &QDialog::finished, &untilFinished, &QEventLoop::quit);
    wait.show();
    untilFinished.exec();
    runThread->join();
    LockForRun(false);
    // The run's thread is joined: the host's warnings are this thread's to read now.
    if (!closeAfterRun_ && !runs.rows().empty()) {
      showSpread_(this, QString::fromLatin1(SpreadTable(runs)));
    }
    record.repeated = runs;
    lastRun_ = std::move(record);
    QStringList warnings = host.MeasurementWarnings();
    if (!recordingWarning.isEmpty()) warnings << recordingWarning;
    if (!closeAfterRun_ && !warnings.isEmpty()) {
      showMeasurementWarnings_(this, warnings.join(QLatin1Char('\n')), kMessageCaption);
    }
  } else {
    showMessage_(this, QStringLiteral("The benchmark could not start its thread. No test was run."),
                 kMessageCaption);
  }
  waitDialog_ = nullptr;
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    close();
  }
}

void CMainFrame::LockForRun(bool locked) {
  menuBar()->setEnabled(!locked);
  views_->setEnabled(!locked);
}

void CMainFrame::StopRunAndClose() {
  if (!waitDialog_) {
    close();
    return;
  }
  closeAfterRun_ = true;
  runner_.RequestStop();
  waitDialog_->ShowStopping();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!waitDialog_) {
    QMainWindow::closeEvent(event);
    return;
  }
  event->ignore();  // the run's thread uses this window until the run has ended
  if (closeAfterRun_) return;
  const QString question = QStringLiteral(
      "A benchmark run is in progress. Stop it after the current test and close the window?\n"
      "The results measured so far are kept.");
  if (askQuestion_(this, question, kMessageCaption)) StopRunAndClose();
}

// Options and views ------------------------------------------------------------------------------

void CMainFrame::OnEnterDescription(int) {
  descriptionDlg_.DoModal(this, DescriptionOpening::EnterDescription);
}

void CMainFrame::OnShowDescription(int) {
  ShowDescription(state_);
  ShowChart(false);  // the text view it builds is shown in place of the chart
}

void CMainFrame::OnShowChart(int) { ShowChart(!ChartShown()); }

// Shows the chart and saves what it shows, at its size, as a PNG picture.
void CMainFrame::OnSaveChart(int) {
  if (!ChartShown()) ShowChart(true);
  const QString path = chooseFile_(this, FileDialogKind::ChartPicture);
  if (path.isEmpty()) return;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!chartView_->grab().save(&buffer, "PNG")) {
    ShowFileMessage(QStringLiteral("The chart could not be made into a PNG picture."));
    return;
  }
  const std::error_code error =
      SaveFileContents(path.toStdString(),
                       std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (error) {
    ShowFileMessage(QStringLiteral("The chart could not be saved as %1: %2.")
                        .arg(path, QString::fromLocal8Bit(error.message())));
  }
}

std::string CMainFrame::WebPage() const {
  const BuildStamp build = ThisBuild();
  WebPageContent page;
  page.state = &state_;
  page.version = build.version;
  page.time = std::chrono::system_clock::now();
  if (lastRun_) {
    page.measured = true;
    page.time = lastRun_->started;
    if (!lastRun_->steadyRuns.empty()) page.steadyRuns = &lastRun_->steadyRuns;
    if (lastRun_->repeated.repetitions() > 0) page.repeated = &lastRun_->repeated;
    if (lastRun_->environment) {
      page.environment = &*lastRun_->environment;
      page.build = &build;
    }
  }
  return WebPageBytes(page);
}

// Saves the web page of the report's results and descriptions, as the other exports save.
void CMainFrame::OnExportWebPage(int) {
  const QString path = chooseFile_(this, FileDialogKind::WebPage);
  if (path.isEmpty()) return;
  const std::error_code reason = SaveFileContents(path.toStdString(), WebPage());
  if (reason) {
    ShowFileMessage(FileFailureText(FileOutcome::CannotCreate, path, reason.message()));
  }
}

void CMainFrame::OnHelp(int) {
  // Where nothing can open the page (no web browser installed), it is shown in a window of the
  // program's own, one at a time.
  if (OpenHelpDocument(openUrl_) != HelpOutcome::NotOpened) return;
  if (!helpWindow_) {
    helpWindow_ = new HelpWindow(HelpDocumentPath(), this);
    helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
  }
  helpWindow_->show();
  helpWindow_->raise();
  helpWindow_->activateWindow();
}

void CMainFrame::OnAbout(int) {
  CAboutDlg dialog(this);
  dialog.exec();
}

}  // namespace quorvane
