// quorvane: the desktop program. Takes no arguments.
#include <QApplication>

#include "app/CBenchApp.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  Q_INIT_RESOURCE(quorvane);  // the icon lives in a static library
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));
  quorvane::CBenchApp benchApp;
  if (!benchApp.InitInstance()) return 1;
  return QApplication::exec();
}
