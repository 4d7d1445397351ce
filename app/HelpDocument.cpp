#include "app/HelpDocument.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>

namespace quorvane {

QString HelpDocumentPath(const QString& programFolder) {
  return programFolder + QStringLiteral("/help/Quorvane Ru VAR EZO help.htm");
}

QString HelpDocumentPath() { return HelpDocumentPath(QCoreApplication::applicationDirPath()); }

void OpenHelpDocument(const QString& programFolder, const UrlOpener& open) {
  const QString path = HelpDocumentPath(programFolder);
  // A missing page would make the desktop's opener complain in a window of its own.
  if (!QFileInfo(path).isFile()) return;
  const QUrl url = QUrl::fromLocalFile(path);
  if (open) {
    open(url);
  } else {
    QDesktopServices::openUrl(url);
  }
}

void OpenHelpDocument(const UrlOpener& open) {
  OpenHelpDocument(QCoreApplication::applicationDirPath(), open);
}

}  // namespace quorvane
