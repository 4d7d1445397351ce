// The About dialog: product name, version, contact lines and the licence, closed with OK.
// It holds no data and changes nothing in the program; its layout lives in
// resources/CAboutDlg.ui.in.
#pragma once

#include <QDialog>

namespace quorvane {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  // A new dialog each time; run it with exec(). OK or the close box ends it.
  explicit CAboutDlg(QWidget* parent);
};

}  // namespace quorvane
