// The window of one opening of the description dialog, built from its layout file. It only
// routes the ways of closing: Escape and the close box go to the cancel handler like the Cancel
// button. It holds no values and never touches the store.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "dialogs/DescriptionControls.h"

namespace Ui {
class CDescriptionDlg;
}

namespace quorvane {

class DescriptionWindow : public QDialog {
  Q_OBJECT

 public:
  explicit DescriptionWindow(QWidget* owner);
  ~DescriptionWindow() override;

  const DescriptionControls& controls() const { return controls_; }

  // Called instead of closing when the user cancels (Cancel, Escape, close box); the handler
  // closes the window itself with done().
  void SetCancelHandler(std::function<void()> handler);

  void reject() override;

 private:
  std::unique_ptr<Ui::CDescriptionDlg> ui_;
  DescriptionControls controls_;
  std::function<void()> cancelHandler_;
};

}  // namespace quorvane
