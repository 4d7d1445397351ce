#include "app/CAboutDlg.h"

#include "ui_CAboutDlg.h"

namespace quorvane {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  // The generated form only creates the child widgets, which the dialog owns from then on.
  Ui::CAboutDlg form;
  form.setupUi(this);
}

}  // namespace quorvane
