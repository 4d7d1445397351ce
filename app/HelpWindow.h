// The program's own window for the help page, for systems where nothing opens it (no web
// browser installed): the page in a text browser, links inside it followed. Shows; changes
// nothing of the program's state.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace quorvane {

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  // Shows the HTML page at `path`; `owner` is the main window.
  HelpWindow(const QString& path, QWidget* owner);

  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace quorvane
