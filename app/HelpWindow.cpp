#include "app/HelpWindow.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace quorvane {

HelpWindow::HelpWindow(const QString& path, QWidget* owner)
    : QDialog(owner), browser_(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Help"));
  setObjectName(QStringLiteral("helpWindow"));
  browser_->setObjectName(QStringLiteral("helpBrowser"));
  browser_->setOpenExternalLinks(false);
  browser_->setSource(QUrl::fromLocalFile(path));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_, 1);
  layout->addWidget(buttons);
  resize(720, 600);
}

}  // namespace quorvane
