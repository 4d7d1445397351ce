// The machine description dialog: the thread count, the machine's texts and each drive's texts.
// Its working values live as long as the program; its window is made anew at every opening.
// It writes thisMachine only on a valid OK, drive records at once as they are edited; Cancel
// puts back the drive records and working values that the opening found.
//
// The working values are this machine's own description, as last typed or detected here. When
// the store holds another description (a result file was loaded since the dialog last wrote its
// values there), the two openings differ:
// - "Enter Description" shows and edits the loaded description: it takes its values from the
//   store, and OK writes only the fields the user changed, so the loaded bytes of the others stay.
//   This machine's own working values are kept aside for the next run.
// - Before a run the dialog offers this machine's own values and drive records (a run measures
//   this machine); OK writes them over the loaded description, Cancel leaves it as it was.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "engine/BenchmarkState.h"
#include "platform/MachineDetection.h"

class QDialog;
class QWidget;

namespace quorvane {

// Why the dialog is opened.
enum class DescriptionOpening { EnterDescription, ConfirmRun };

class CDescriptionDlg {
 public:
  // Built once at start-up from the description in `state`. Its "Detect" button takes the
  // description from `detect` (by default this computer).
  explicit CDescriptionDlg(BenchmarkState& state, MachineDetector detect = {});
  ~CDescriptionDlg();
  CDescriptionDlg(const CDescriptionDlg&) = delete;
  CDescriptionDlg& operator=(const CDescriptionDlg&) = delete;

  // Runs the dialog modally over `owner`, on the user-interface thread. True when it was closed
  // with OK. While the dialog is already open it returns false at once and opens no second window.
  bool DoModal(QWidget* owner, DescriptionOpening opening);

  // The open dialog window, or nullptr while the dialog is closed.
  QDialog* window() const;

  // Shows a warning about a refused entry; a message box unless replaced (tests record them).
  using Warner = std::function<void(QWidget* parent, const QString& text)>;
  void SetWarner(Warner warner);

  // The drive whose record the dialog shows, kept between openings.
  int currentDrive() const;  // 0 = C ... 23 = Z

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvane
