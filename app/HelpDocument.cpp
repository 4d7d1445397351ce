#include "app/HelpDocument.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>

namespace quorvane {

QString HelpDocumentPath(const QString& programFolder) {
  return programFolder + QStringLiteral("/help/Quorvane Ru VAR EZO help.htm");
}

QString HelpDocumentPath() { return HelpDocumentPath(QCoreApplication::applicationDirPath()); }

HelpOutcome OpenHelpDocument(const QString& programFolder, const UrlOpener& open) {
  const QString path = HelpDocumentPath(programFolder);
  // A missing page would make the desktop's opener complain in a window of its own.
  if (!QFileInfo(path).isFile()) return HelpOutcome::Missing;
  const QUrl url = QUrl::fromLocalFile(path);
  const bool opened = open ? open(url) : QDesktopServices::openUrl(url);
  return opened ? HelpOutcome::Opened : HelpOutcome::NotOpened;
}

HelpOutcome OpenHelpDocument(const UrlOpener& open) {
  return OpenHelpDocument(QCoreApplication::applicationDirPath(), open);
}

}  // namespace quorvane
