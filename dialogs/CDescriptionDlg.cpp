#include "dialogs/CDescriptionDlg.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <utility>

#include "dialogs/DescriptionExchange.h"
#include "dialogs/DescriptionWindow.h"
#include "dialogs/DescriptionWorkingValues.h"
#include "dialogs/DriveSpin.h"
#include "engine/DetectedDescription.h"

namespace quorvane {

namespace {
void WarnWithMessageBox(QWidget* parent, const QString& text) {
  QMessageBox::warning(parent, QGuiApplication::applicationDisplayName(), text);
}
}  // namespace

// The working values and the handlers of the dialog's controls. The window exists only while
// the dialog is open; everything else lives as long as the dialog object.
struct CDescriptionDlg::Impl {
  Impl(BenchmarkState& benchmarkState, MachineDetector detector)
      : state(benchmarkState),
        working(WorkingValuesFromStore(benchmarkState)),
        ownMachine(benchmarkState.thisMachine),
        ownDrives(benchmarkState.thisDrives),
        detect(std::move(detector)) {}

  BenchmarkState& state;
  // This machine's own values between openings; during an opening the values it shows.
  DescriptionWorkingValues working;
  // This machine's description and drive records as the dialog last wrote or found them: while
  // the store holds other texts, it holds a loaded description.
  MachineDescription ownMachine;
  DriveTable ownDrives;
  // This opening edits a loaded description; what its controls showed when it opened.
  bool editsLoaded = false;
  DescriptionWorkingValues shownAtOpening;
  MachineDetector detect;
  Warner warner;
  QPointer<DescriptionWindow> window;
  bool exchanging = false;  // change notifications caused by an exchange are ignored
  // What the opening found, so that Cancel can put it back: the drive records (written at once
  // by the change handlers and Delete) and the working values.
  DriveTable drivesAtOpening{};
  DescriptionWorkingValues workingAtOpening;

  void Open(DescriptionWindow& newWindow, DescriptionOpening opening);
  bool ExchangeData(ExchangeDirection direction);
  void Warn(QWidget* parent, const QString& text) const;

  void OnDriveSpin(int delta);
  void OnHarddiskChange();
  void OnControllerChange();
  void OnDriverChange();
  void StoreChangedDriveField(DriveField field);
  void OnDeleteDrive();
  void OnDetect();
  void OnOK();
  void OnCancel();
};

void CDescriptionDlg::Impl::Warn(QWidget* parent, const QString& text) const {
  if (warner) {
    warner(parent, text);
  } else {
    WarnWithMessageBox(parent, text);
  }
}

bool CDescriptionDlg::Impl::ExchangeData(ExchangeDirection direction) {
  const QScopedValueRollback<bool> quiet(exchanging, true);
  return quorvane::ExchangeData(
      window->controls(), working, direction,
      [this](QWidget* parent, const QString& text) { Warn(parent, text); });
}

void CDescriptionDlg::Impl::Open(DescriptionWindow& newWindow, DescriptionOpening opening) {
  window = &newWindow;
  drivesAtOpening = state.thisDrives;
  workingAtOpening = working;
  editsLoaded = false;
  if (!SameMachineTexts(state.thisMachine, ownMachine)) {  // a loaded description
    if (opening == DescriptionOpening::EnterDescription) {
      editsLoaded = true;
      working = WorkingValuesOf(state.thisMachine, state.thisDrives, working.currentDrive);
    } else {
      state.thisDrives = ownDrives;  // Cancel puts the loaded records back
      ShowDrive(working, ownDrives, working.currentDrive);
    }
  }
  const DescriptionControls& controls = newWindow.controls();
  QObject::connect(controls.driveSpin, &DriveSpin::StepRequested, &newWindow,
                   [this](int delta) { OnDriveSpin(delta); });
  QObject::connect(controls.harddisk, &QLineEdit::textChanged, &newWindow,
                   [this] { OnHarddiskChange(); });
  QObject::connect(controls.controller, &QLineEdit::textChanged, &newWindow,
                   [this] { OnControllerChange(); });
  QObject::connect(controls.driver, &QLineEdit::textChanged, &newWindow,
                   [this] { OnDriverChange(); });
  QObject::connect(controls.deleteButton, &QPushButton::clicked, &newWindow,
                   [this] { OnDeleteDrive(); });
  QObject::connect(controls.detectButton, &QPushButton::clicked, &newWindow,
                   [this] { OnDetect(); });
  QObject::connect(controls.okButton, &QPushButton::clicked, &newWindow, [this] { OnOK(); });
  newWindow.SetCancelHandler([this] { OnCancel(); });
  ExchangeData(ExchangeDirection::ToControls);
  if (editsLoaded) shownAtOpening = ShownValues(controls, working);
}

void CDescriptionDlg::Impl::OnDriveSpin(int delta) {
  ExchangeData(ExchangeDirection::FromControls);  // a refusal is shown; the step goes on
  ShowDrive(working, state.thisDrives, working.currentDrive + delta);
  ExchangeData(ExchangeDirection::ToControls);
}

void CDescriptionDlg::Impl::StoreChangedDriveField(DriveField field) {
  ExchangeData(ExchangeDirection::FromControls);  // a refusal is shown; the record is written
  StoreDriveField(working, field, state.thisDrives);
}

void CDescriptionDlg::Impl::OnHarddiskChange() {
  if (exchanging) return;
  StoreChangedDriveField(DriveField::Harddisk);
  ExchangeData(ExchangeDirection::ToControls);
}

void CDescriptionDlg::Impl::OnControllerChange() {
  if (exchanging) return;
  StoreChangedDriveField(DriveField::Controller);
}

void CDescriptionDlg::Impl::OnDriverChange() {
  if (exchanging) return;
  StoreChangedDriveField(DriveField::Driver);
}

void CDescriptionDlg::Impl::OnDeleteDrive() {
  ExchangeData(ExchangeDirection::FromControls);
  DeleteDrive(working, state.thisDrives);
  ExchangeData(ExchangeDirection::ToControls);
}

// Every machine text and the records of the drives the system knows are filled from it; the
// thread count and the texts of drives it says nothing about stay as the user left them.
void CDescriptionDlg::Impl::OnDetect() {
  ExchangeData(ExchangeDirection::FromControls);  // a refusal is shown; detection goes on
  MachineDescription detected{};
  ApplyDetectedDescription(detect ? detect() : DetectThisMachine(), detected, state.thisDrives);
  for (const MachineTextBinding& binding : kMachineTextBindings) {
    working.*binding.text = FromStoreText(FieldText(detected.*binding.field));
  }
  ShowDrive(working, state.thisDrives, working.currentDrive);
  ExchangeData(ExchangeDirection::ToControls);
}

void CDescriptionDlg::Impl::OnOK() {
  // Everything is checked before anything is written: a refused OK leaves the dialog open and
  // neither the description nor the confirmation changed.
  if (!ExchangeData(ExchangeDirection::FromControls)) return;
  state.descriptionConfirmed = true;
  if (editsLoaded) {
    WriteChangedMachineFields(working, shownAtOpening, state.thisMachine);
    working = std::move(workingAtOpening);  // this machine's own values, for the next run
  } else {
    WriteMachine(working, state.thisMachine);
    ownMachine = state.thisMachine;
    ownDrives = state.thisDrives;
  }
  window->done(QDialog::Accepted);
}

void CDescriptionDlg::Impl::OnCancel() {
  // Cancel undoes everything this opening did: drive records typed or deleted, and the working
  // values the next opening shows.
  state.descriptionConfirmed = false;
  state.thisDrives = drivesAtOpening;
  working = workingAtOpening;
  ExchangeData(ExchangeDirection::ToControls);
  window->done(QDialog::Rejected);
}

CDescriptionDlg::CDescriptionDlg(BenchmarkState& state, MachineDetector detect)
    : impl_(std::make_unique<Impl>(state, std::move(detect))) {}

CDescriptionDlg::~CDescriptionDlg() = default;

bool CDescriptionDlg::DoModal(QWidget* owner, DescriptionOpening opening) {
  if (impl_->window) return false;  // already open: one window at a time
  QPointer<DescriptionWindow> window = new DescriptionWindow(owner);
  impl_->Open(*window, opening);
  const int result = window->exec();
  // The owner may have taken the window with it while it was open.
  delete window.data();
  impl_->window = nullptr;
  return result == QDialog::Accepted;
}

QDialog* CDescriptionDlg::window() const { return impl_->window.data(); }

void CDescriptionDlg::SetWarner(Warner warner) { impl_->warner = std::move(warner); }

int CDescriptionDlg::currentDrive() const { return impl_->working.currentDrive; }

}  // namespace quorvane
