// The About dialog (its product line, version and licence; opened and closed again and again) and
// the help page: where the program looks for it, that a missing page opens nothing, and that the
// build tree puts the page where the program looks.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/CAboutDlg.h"
#include "app/HelpDocument.h"

class TestAboutHelp : public QObject {
  Q_OBJECT

 private slots:

  void aboutOpensAndClosesManyTimes() {
    QWidget owner;
    owner.show();
    for (int opening = 0; opening < 3; ++opening) {
      quorvane::CAboutDlg dialog(&owner);
      QTimer::singleShot(0, &dialog, [&dialog] {
        if (auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"))) ok->click();
      });
      QTimer::singleShot(5000, &dialog, &QDialog::reject);  // a stuck dialog ends the test
      QCOMPARE(dialog.exec(), static_cast<int>(QDialog::Accepted));
    }
    QCoreApplication::processEvents();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      QVERIFY(widget == &owner || !widget->isVisible());
    }
  }

  void helpPathIsBesideTheProgramWhateverTheCurrentDirectory() {
    QCOMPARE(quorvane::HelpDocumentPath(QStringLiteral("/opt/a b")),
             QStringLiteral("/opt/a b/help/Quorvane Ru VAR EZO help.htm"));
    const QString expected = quorvane::HelpDocumentPath(QCoreApplication::applicationDirPath());
    QVERIFY(QFileInfo(expected).isAbsolute());
    const QString saved = QDir::currentPath();
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    const QString seen = quorvane::HelpDocumentPath();
    QDir::setCurrent(saved);
    QCOMPARE(seen, expected);
  }

  void helpOpensOnlyAPresentPageWithItsFileUrl() {
    QTemporaryDir program;
    QList<QUrl> opened;
    const quorvane::UrlOpener record = [&opened](const QUrl& url) {
      opened << url;
      return true;
    };
    quorvane::OpenHelpDocument(program.path(), record);
    QVERIFY(QDir(program.path()).mkpath(QStringLiteral("help")));
    quorvane::OpenHelpDocument(program.path(), record);
    QVERIFY(opened.isEmpty());

    QFile page(quorvane::HelpDocumentPath(program.path()));
    QVERIFY(page.open(QIODevice::WriteOnly) && page.write("<html></html>") > 0);
    page.close();
    quorvane::OpenHelpDocument(program.path(), record);
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(page.fileName())});
    QVERIFY(opened[0].toString(QUrl::FullyEncoded)
                .endsWith(QStringLiteral("/help/Quorvane%20Ru%20VAR%20EZO%20help.htm")));
  }

  void buildTreeHasTheHelpPageBesideTheProgram() {
    QFile page(quorvane::HelpDocumentPath(QStringLiteral(QUORVANE_BUILD_PROGRAM_DIR)));
    QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
    QVERIFY(page.readAll().startsWith("<!DOCTYPE html>"));
  }
};

QTEST_MAIN(TestAboutHelp)
#include "test_about_help.moc"
