// Tests of the About dialog (its texts, its arrangement, opening and closing it again and again)
// and of the help page: where the program looks for it, how it is opened, that a missing page
// shows nothing, and that the build tree puts the page where the program looks.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/CAboutDlg.h"
#include "app/HelpDocument.h"

namespace {

const QString kHelpName = QStringLiteral("Quorvane Ru VAR EZO help.htm");

// Restores the current directory when a test ends, also when it fails.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() : saved_(QDir::currentPath()) {}
  ~CurrentDirectoryGuard() { QDir::setCurrent(saved_); }
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  QString saved_;
};

QList<QWidget*> VisibleTopLevelWidgets() {
  QList<QWidget*> visible;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) visible.append(widget);
  }
  return visible;
}

// Writes a help page into `folder`/help; false when that failed.
bool PlaceHelpPage(const QString& folder) {
  if (!QDir(folder).mkpath(QStringLiteral("help"))) return false;
  QFile page(quorvane::HelpDocumentPath(folder));
  return page.open(QIODevice::WriteOnly) && page.write("<html><body>help</body></html>") > 0;
}

}  // namespace

// Records the URLs that QDesktopServices hands to the handler of the file scheme.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> urls;

 public slots:
  void open(const QUrl& url) { urls.append(url); }
};

class TestAboutHelp : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { Q_INIT_RESOURCE(quorvane); }

  void aboutHasTitleProductBlockAndVersion();
  void aboutHoldsTheLicenceInItsGroup();
  void aboutIsArrangedAsProductVersionLicenceAndOk();
  void aboutOkClosesItWithAccepted();
  void aboutOpensAndClosesManyTimes();
  void aboutClosesWithEscapeAndCloseBox();

  void helpPathIsInHelpFolderBesideTheGivenFolder();
  void helpPathOfProgramIsBesideItsExecutable();
  void helpPathDoesNotDependOnTheCurrentDirectory();
  void openingPresentPageHandsItsFileUrlToTheOpener();
  void openingMissingPageOpensNothingAndShowsNothing();
  void openingForTheRunningProgramUsesItsFolder();
  void defaultOpenerGoesThroughDesktopServices();

  void buildTreeHasTheHelpPageBesideTheProgram();
  void helpPageLinksPointToItsOwnSections();
  void programIconIsCompiledIn();
};

void TestAboutHelp::aboutHasTitleProductBlockAndVersion() {
  QWidget owner;
  quorvane::CAboutDlg dialog(&owner);
  QCOMPARE(dialog.windowTitle(), QStringLiteral("About"));
  QVERIFY(dialog.isModal());

  auto* product = dialog.findChild<QLabel*>(QStringLiteral("productLabel"));
  QVERIFY(product != nullptr);
  const QStringList lines = product->text().split(QLatin1Char('\n'));
  QCOMPARE(lines.size(), 5);
  QCOMPARE(lines[0], QStringLiteral("Quorvane MK III "));  // with its trailing blank
  QVERIFY(lines[1].isEmpty());
  QVERIFY(lines[2].contains(QStringLiteral("Copyright (c) 2026 The Quorvane developers")));
  QVERIFY(lines[3].isEmpty());
  QVERIFY(!lines[4].trimmed().isEmpty());
  QCOMPARE(product->textFormat(), Qt::PlainText);

  auto* version = dialog.findChild<QLabel*>(QStringLiteral("versionLabel"));
  QVERIFY(version != nullptr);
  QCOMPARE(version->text(), QStringLiteral("v 0.7.16, 07.05.2004"));

  for (const char* name : {"contactLabel1", "contactLabel2"}) {
    auto* contact = dialog.findChild<QLabel*>(QLatin1String(name));
    QVERIFY2(contact != nullptr, name);
    QVERIFY2(!contact->text().trimmed().isEmpty(), name);
  }
}

void TestAboutHelp::aboutHoldsTheLicenceInItsGroup() {
  quorvane::CAboutDlg dialog(nullptr);
  auto* group = dialog.findChild<QGroupBox*>(QStringLiteral("licenceGroup"));
  QVERIFY(group != nullptr);
  QCOMPARE(group->title(), QStringLiteral("Licence"));

  auto* licence = dialog.findChild<QLabel*>(QStringLiteral("licenceLabel"));
  QVERIFY(licence != nullptr);
  QVERIFY(group->isAncestorOf(licence));
  QVERIFY(licence->wordWrap());

  const QStringList paragraphs = licence->text().split(QStringLiteral("\n\n"));
  QCOMPARE(paragraphs.size(), 3);
  QVERIFY(paragraphs[0].startsWith(QStringLiteral("Permission is hereby granted, free of charge")));
  QVERIFY(paragraphs[1].startsWith(QStringLiteral("The above copyright notice")));
  QVERIFY(paragraphs[2].startsWith(QStringLiteral("THE SOFTWARE IS PROVIDED \"AS IS\"")));
  QVERIFY(paragraphs[2].endsWith(QStringLiteral("OR OTHER DEALINGS IN THE SOFTWARE.")));
  for (const QString& paragraph : paragraphs) QVERIFY(!paragraph.contains(QLatin1Char('\n')));
}

void TestAboutHelp::aboutIsArrangedAsProductVersionLicenceAndOk() {
  quorvane::CAboutDlg dialog(nullptr);
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));

  const auto place = [&dialog](const char* name) {
    auto* widget = dialog.findChild<QWidget*>(QLatin1String(name));
    return widget ? QRect(widget->mapTo(&dialog, QPoint(0, 0)), widget->size()) : QRect();
  };
  const QRect product = place("productLabel");
  const QRect version = place("versionLabel");
  const QRect contact1 = place("contactLabel1");
  const QRect contact2 = place("contactLabel2");
  const QRect licence = place("licenceGroup");
  const QRect ok = place("okButton");
  for (const QRect& rect : {product, version, contact1, contact2, licence, ok}) {
    QVERIFY(rect.isValid());
    QVERIFY(dialog.rect().contains(rect));
  }

  // Product block top left, version top right, contact lines below the version.
  QVERIFY(version.left() >= product.right());
  QVERIFY(version.top() <= product.top() + 4);
  QVERIFY(contact1.top() >= version.bottom());
  QVERIFY(contact2.top() >= contact1.bottom());
  // The licence below the product block, on the left; OK to its right at the bottom.
  QVERIFY(licence.top() >= product.bottom());
  QVERIFY(licence.left() < dialog.width() / 4);
  QVERIFY(ok.left() >= licence.right());
  QVERIFY(ok.bottom() >= licence.bottom() - ok.height());
  QVERIFY(ok.right() >= dialog.width() - 30);

  // Every line of the licence is visible: the group is tall enough for the wrapped text.
  auto* label = dialog.findChild<QLabel*>(QStringLiteral("licenceLabel"));
  QVERIFY(label->height() >= label->heightForWidth(label->width()));

  auto* button = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
  QCOMPARE(button->text(), QStringLiteral("OK"));
  QVERIFY(button->isDefault());
}

void TestAboutHelp::aboutOkClosesItWithAccepted() {
  QWidget owner;
  owner.show();
  quorvane::CAboutDlg dialog(&owner);
  bool clicked = false;
  QTimer::singleShot(0, &dialog, [&dialog, &clicked] {
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
    if (ok == nullptr || !dialog.isVisible()) return;
    QTest::mouseClick(ok, Qt::LeftButton);
    clicked = true;
  });
  QTimer::singleShot(5000, &dialog, &QDialog::reject);  // a stuck dialog ends the test
  QCOMPARE(dialog.exec(), static_cast<int>(QDialog::Accepted));
  QVERIFY(clicked);
  QVERIFY(!dialog.isVisible());
}

void TestAboutHelp::aboutOpensAndClosesManyTimes() {
  QWidget owner;
  owner.show();
  for (int opening = 0; opening < 5; ++opening) {
    quorvane::CAboutDlg dialog(&owner);
    QTimer::singleShot(0, &dialog, [&dialog] {
      if (auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"))) ok->click();
    });
    QTimer::singleShot(5000, &dialog, &QDialog::reject);
    QCOMPARE(dialog.exec(), static_cast<int>(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
  }
  // Nothing of the dialogs is left behind: no window stays open but the owner.
  QCoreApplication::processEvents();
  QCOMPARE(VisibleTopLevelWidgets(), QList<QWidget*>{&owner});
  QVERIFY(owner.findChildren<quorvane::CAboutDlg*>().isEmpty());
}

void TestAboutHelp::aboutClosesWithEscapeAndCloseBox() {
  QWidget owner;
  owner.show();
  {
    quorvane::CAboutDlg dialog(&owner);
    QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QTimer::singleShot(5000, &dialog, &QDialog::accept);
    QCOMPARE(dialog.exec(), static_cast<int>(QDialog::Rejected));
  }
  {
    quorvane::CAboutDlg dialog(&owner);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });  // what the close box does
    QTimer::singleShot(5000, &dialog, &QDialog::accept);
    QCOMPARE(dialog.exec(), static_cast<int>(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
  }
}

void TestAboutHelp::helpPathIsInHelpFolderBesideTheGivenFolder() {
  QCOMPARE(quorvane::HelpDocumentPath(QStringLiteral("/opt/quorvane")),
           QStringLiteral("/opt/quorvane/help/Quorvane Ru VAR EZO help.htm"));
  QCOMPARE(quorvane::HelpDocumentPath(QStringLiteral("/home/a b/x")),
           QStringLiteral("/home/a b/x/help/") + kHelpName);
}

void TestAboutHelp::helpPathOfProgramIsBesideItsExecutable() {
  const QString programFolder = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
  QCOMPARE(quorvane::HelpDocumentPath(),
           QDir(programFolder).filePath(QStringLiteral("help/") + kHelpName));
}

void TestAboutHelp::helpPathDoesNotDependOnTheCurrentDirectory() {
  const QString before = quorvane::HelpDocumentPath();
  QVERIFY(QFileInfo(before).isAbsolute());
  CurrentDirectoryGuard guard;
  QTemporaryDir elsewhere;
  QVERIFY(elsewhere.isValid());
  QVERIFY(QDir::setCurrent(elsewhere.path()));
  QCOMPARE(quorvane::HelpDocumentPath(), before);
  QVERIFY(QDir::setCurrent(QDir::rootPath()));
  QCOMPARE(quorvane::HelpDocumentPath(), before);
}

void TestAboutHelp::openingPresentPageHandsItsFileUrlToTheOpener() {
  QTemporaryDir program;
  QVERIFY(program.isValid());
  QVERIFY(PlaceHelpPage(program.path()));

  QList<QUrl> opened;
  quorvane::OpenHelpDocument(program.path(), [&opened](const QUrl& url) {
    opened.append(url);
    return true;
  });
  QCOMPARE(opened.size(), 1);
  QVERIFY(opened[0].isLocalFile());
  QCOMPARE(opened[0].toLocalFile(), quorvane::HelpDocumentPath(program.path()));
  // The blanks of the name travel encoded, so that no opener splits the name at them.
  QVERIFY(opened[0].toString(QUrl::FullyEncoded).endsWith(
      QStringLiteral("/help/Quorvane%20Ru%20VAR%20EZO%20help.htm")));

  // A refusing opener is not an error of ours either.
  quorvane::OpenHelpDocument(program.path(), [](const QUrl&) { return false; });
  QVERIFY(VisibleTopLevelWidgets().isEmpty());
}

void TestAboutHelp::openingMissingPageOpensNothingAndShowsNothing() {
  QTemporaryDir program;  // a program folder without help/
  QVERIFY(program.isValid());
  int calls = 0;
  const quorvane::UrlOpener count = [&calls](const QUrl&) {
    ++calls;
    return true;
  };
  quorvane::OpenHelpDocument(program.path(), count);
  QCOMPARE(calls, 0);

  // help/ present but without the page, and a folder in the page's place: still nothing.
  QVERIFY(QDir(program.path()).mkpath(QStringLiteral("help")));
  quorvane::OpenHelpDocument(program.path(), count);
  QVERIFY(QDir(program.path()).mkpath(QStringLiteral("help/") + kHelpName));
  quorvane::OpenHelpDocument(program.path(), count);
  QCOMPARE(calls, 0);

  // The default opener is not reached either, and no window appears.
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
  quorvane::OpenHelpDocument(QStringLiteral("/nonexistent/quorvane"));
  quorvane::OpenHelpDocument(program.path());
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  QVERIFY(recorder.urls.isEmpty());
  QCoreApplication::processEvents();
  QVERIFY(VisibleTopLevelWidgets().isEmpty());
}

void TestAboutHelp::openingForTheRunningProgramUsesItsFolder() {
  // The test program's folder may or may not hold a help page; the opener is used exactly when
  // it does, and then with that page.
  const QString expected = quorvane::HelpDocumentPath();
  QList<QUrl> opened;
  quorvane::OpenHelpDocument([&opened](const QUrl& url) {
    opened.append(url);
    return true;
  });
  if (QFileInfo(expected).isFile()) {
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(expected)});
  } else {
    QVERIFY(opened.isEmpty());
  }
}

void TestAboutHelp::defaultOpenerGoesThroughDesktopServices() {
  UrlRecorder recorder;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
  QTemporaryDir present;
  QTemporaryDir missing;
  QVERIFY(present.isValid() && missing.isValid());
  QVERIFY(PlaceHelpPage(present.path()));

  quorvane::OpenHelpDocument(missing.path());
  quorvane::OpenHelpDocument(present.path());
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

  QCOMPARE(recorder.urls, QList<QUrl>{QUrl::fromLocalFile(quorvane::HelpDocumentPath(present.path()))});
}

void TestAboutHelp::buildTreeHasTheHelpPageBesideTheProgram() {
  const QString page = quorvane::HelpDocumentPath(QStringLiteral(QUORVANE_BUILD_PROGRAM_DIR));
  QVERIFY2(QFileInfo(page).isFile(), qPrintable(page));
  QFile file(page);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());
  QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
  QVERIFY(html.trimmed().endsWith(QStringLiteral("</html>")));
  // What every reader needs: the tests with their units, comparing, the files, the command line.
  for (const char* term :
       {"Dhrystone 2.1", "kDhryst.", "Whetstone", "MFLOPS", "Eight queens", "pps",
        "Matrix operations", "Number crunch", "Floating point", "k ops", "Memory throughput",
        "kB/sec", "Read max", "CPU usage", "Long tests", "RealTime Class Process", "Compare...",
        "Total CPU", "Total FPU", "Average", "Application Performance", ".qv3", ".qvf",
        "CR&nbsp;LF", "Export...", "quorvane-cli", "--threads", "--compare", "--json"}) {
    QVERIFY2(html.contains(QLatin1String(term)), term);
  }
}

void TestAboutHelp::helpPageLinksPointToItsOwnSections() {
  QFile file(quorvane::HelpDocumentPath(QStringLiteral(QUORVANE_BUILD_PROGRAM_DIR)));
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());

  QSet<QString> ids;
  for (const auto& match : QRegularExpression(QStringLiteral("id=\"([^\"]+)\"")).globalMatch(html)) {
    QVERIFY2(!ids.contains(match.captured(1)), qPrintable(match.captured(1)));
    ids.insert(match.captured(1));
  }
  int links = 0;
  for (const auto& match : QRegularExpression(QStringLiteral("href=\"([^\"]*)\"")).globalMatch(html)) {
    const QString target = match.captured(1);
    QVERIFY2(target.startsWith(QLatin1Char('#')), qPrintable(target));  // the page stands alone
    QVERIFY2(ids.contains(target.mid(1)), qPrintable(target));
    ++links;
  }
  QVERIFY(links >= 10);
  QVERIFY(!html.contains(QStringLiteral("src=")));  // no pictures or scripts to go missing
}

void TestAboutHelp::programIconIsCompiledIn() {
  const QImage icon(QStringLiteral(":/quorvane.png"));
  QVERIFY(!icon.isNull());
  QCOMPARE(icon.size(), QSize(256, 256));
  QVERIFY(icon.hasAlphaChannel());
  QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);        // the corners are transparent
  QCOMPARE(qAlpha(icon.pixel(128, 128)), 255);  // the middle is drawn
}

QTEST_MAIN(TestAboutHelp)
#include "test_about_help.moc"
