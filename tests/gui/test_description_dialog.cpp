// The machine description dialog driven through its real window: what it shows at each opening,
// what its controls write into the store and when, its refusals, Cancel, Detect and the tab order.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/CBenchApp.h"
#include "dialogs/CDescriptionDlg.h"
#include "dialogs/DescriptionExchange.h"
#include "dialogs/DescriptionWorkingValues.h"
#include "engine/BenchmarkState.h"

namespace quorvane {
namespace {

// The machine texts' edit controls (all but the thread count).
const QList<const char*> kMachineEditNames = {
    "brand",         "model",     "motherboard", "cpu",     "internalClock",
    "externalClock", "cacheSize", "cacheType",   "ramSize", "ramType",
    "ramSpeed",      "os",        "cpuCount"};

QString Text(const DescriptionField& field) { return FromStoreText(FieldText(field)); }

// The 14 fields of a machine description in the store's order.
QStringList MachineTexts(const MachineDescription& machine) {
  QStringList texts;
  for (auto field : kMachineFields) texts << Text(machine.*field);
  return texts;
}

QLineEdit* Edit(QDialog& window, const char* name) { return window.findChild<QLineEdit*>(name); }

void ClickSpin(QDialog& window, int steps) {
  auto* arrow = window.findChild<QToolButton*>(steps > 0 ? "driveSpinUp" : "driveSpinDown");
  for (int i = 0; i < std::abs(steps); ++i) QTest::mouseClick(arrow, Qt::LeftButton);
}

void Click(QDialog& window, const char* button) {
  QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

// Replaces a field's text key by key, as a user would (also beyond ASCII; input limits apply).
void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  for (QChar c : text)
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Opens the dialog modally (by default as a run does) and runs `script` once its event loop runs. A
// script that leaves the dialog open (a failed check returns early) fails the test, and the dialog
// is cancelled for it.
bool RunOpening(CDescriptionDlg& dialog, const std::function<void(QDialog&)>& script,
                DescriptionOpening opening = DescriptionOpening::ConfirmRun) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    if (!dialog.window()) return;
    ran = true;
    script(*dialog.window());
    if (dialog.window() && dialog.window()->isVisible()) {
      if (!QTest::currentTestFailed()) QTest::qFail("the dialog was left open", __FILE__, __LINE__);
      dialog.window()->reject();
    }
  });
  const bool accepted = dialog.DoModal(nullptr, opening);
  if (!ran && !QTest::currentTestFailed())
    QTest::qFail("the dialog did not open", __FILE__, __LINE__);
  return accepted;
}

// The texts of the named edit controls; by default the drive letter and the drive's three texts.
QStringList Shown(QDialog& window, const QList<const char*>& names = {"driveLetter", "harddisk",
                                                                      "controller", "driver"}) {
  QStringList texts;
  for (const char* name : names) texts << Edit(window, name)->text();
  return texts;
}

// The machine texts as the edit controls show them once detected (see Program).
const QStringList kDetected = {"Acme",      "Rocket 3000", "",   "Blaze", "4000 MHz",
                               "100 MHz",   "32 MB",       "L3", "64 GB", "DDR4",
                               "3200 MT/s", "Acme OS 1",   "1"};

// The program as it starts: the machine and drive C detected (`detections` counts the calls),
// drives D and F described before; the dialog's warnings, each of which must belong to its window.
struct Program {
  int detections = 0;
  CBenchApp bench{[this] {
    ++detections;
    return DetectedMachine{"Acme",      "Rocket 3000",
                           "",          "Blaze",
                           "4000 MHz",  "100 MHz",
                           "32 MB",     "L3",
                           "64 GB",     "DDR4",
                           "3200 MT/s", "Acme OS 1",
                           "1",         {{'C', "Acme Disk", "NVMe", "nvme"}}};
  }};
  BenchmarkState& state = bench.state();
  CDescriptionDlg& dialog = bench.descriptionDlg();
  QStringList warnings;
  Program() {
    for (char letter : {'D', 'F'}) {
      DriveDescription& record = state.thisDrives[static_cast<std::size_t>(letter - 'C')];
      SetField(record.letter, std::string(1, letter));
      SetField(record.harddisk, std::string("Disk ") + letter);
      SetField(record.controller, std::string("Ctrl ") + letter);
    }
    dialog.SetWarner([this](QWidget* parent, const QString& text) {
      QVERIFY2(parent == dialog.window(), qPrintable(text));
      warnings << text;
    });
  }
};

}  // namespace

class DescriptionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // The tab order; the program starts with the detected description; drive records are written
  // at the first key; stepping and Delete refill the fields without running a change handler;
  // Cancel puts back every record and the drive shown.
  void fourOpeningsOfOneDialog() {
    Program p;
    const bool accepted = RunOpening(p.dialog, [&](QDialog& window) {
      QStringList visited;  // the controls Tab visits, in its order
      for (QWidget* w = Edit(window, "threads"); visited.size() < 23; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) visited << w->objectName();
      }
      QCOMPARE(visited.join(' '),
               QStringLiteral("threads brand model motherboard cpu cpuCount internalClock "
                              "externalClock cacheSize cacheType ramSize ramType ramSpeed "
                              "driveLetter harddisk controller driver os okButton cancelButton "
                              "deleteButton detectButton threads"));
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("1"));
      QCOMPARE(Shown(window, kMachineEditNames), kDetected);
      QVERIFY(!p.dialog.DoModal(nullptr, DescriptionOpening::EnterDescription));  // one at a time
      QCOMPARE(p.dialog.window(), &window);
      const struct {
        int steps;
        QStringList shown;
      } stepping[] = {{-1, {"C", "Acme Disk", "NVMe", "nvme"}},
                      {1, {"D", "Disk D", "Ctrl D", ""}},
                      {1, {"E", "", "", ""}},
                      {1, {"F", "Disk F", "Ctrl F", ""}},
                      {-2, {"D", "Disk D", "Ctrl D", ""}}};
      for (const auto& step : stepping) {
        ClickSpin(window, step.steps);
        QCOMPARE(Shown(window), step.shown);
      }
      for (int k = 0; k < kDriveRecords; ++k)
        QCOMPARE(IsDriveDescribed(p.state.thisDrives, k), k == 0 || k == 1 || k == 3);
      Click(window, "deleteButton");
      QCOMPARE(Shown(window), (QStringList{"D", "", "", ""}));
      QCOMPARE(Text(p.state.thisDrives[1].letter), QString());
      QCOMPARE(Text(p.state.thisDrives[1].harddisk),
               QStringLiteral("Disk D"));  // only the letter goes

      ClickSpin(window, 1);
      QTest::keyClicks(Edit(window, "harddisk"), "W");
      QCOMPARE(Text(p.state.thisDrives[2].letter), QStringLiteral("E"));
      QCOMPARE(Text(p.state.thisDrives[2].harddisk), QStringLiteral("W"));
      QTest::keyClicks(Edit(window, "harddisk"), "D");
      QTest::keyClicks(Edit(window, "controller"), "AHCI");
      QTest::keyClicks(Edit(window, "driver"), "ahci.sys");
      // Every change of Harddisk refills the controls; the caret stays where the user typed.
      Edit(window, "harddisk")->setCursorPosition(1);
      QTest::keyClicks(Edit(window, "harddisk"), "e B");
      QCOMPARE(Shown(window), (QStringList{"E", "We BD", "AHCI", "ahci.sys"}));
      QCOMPARE(Text(p.state.thisDrives[2].driver), QStringLiteral("ahci.sys"));

      ClickSpin(window, 30);
      QCOMPARE(p.dialog.currentDrive(), 23);  // Z
      Click(window, "cancelButton");
    });
    QVERIFY(!accepted && !p.state.descriptionConfirmed && p.warnings.isEmpty());
    for (int k = 0; k < kDriveRecords; ++k)
      QCOMPARE(IsDriveDescribed(p.state.thisDrives, k), k == 0 || k == 1 || k == 3);
    QCOMPARE(p.dialog.currentDrive(), 0);

    // From what Cancel put back: OK checks everything before it writes anything; a valid OK writes
    // all 14 fields, normalised and cut to the store's length. The working values outlive the
    // window: a later opening shows them, not what a loaded file put in the store, and Escape
    // undoes that opening's typing. Detect refills every machine text and the known drives'
    // records over what was typed, and keeps the thread count and the other drives.
    const QStringList detected = MachineTexts(p.state.thisMachine);
    const QString seventy = QString(60, QLatin1Char('b')) + QStringLiteral("0123456789");
    const struct {
      const char* threads;
      const char* cpu;
      const char* refused;  // the control given the focus
      QString warning;      // contained in the one warning shown
      bool confirmedBefore;
    } refusals[] = {{"0", "x", "threads", ThreadRangeWarning(), false},
                    {"-0", "x", "threads", NotANumberWarning(), true},
                    {"129", "x", "threads", ThreadRangeWarning(), false},
                    // A character no result file can hold, naming the field.
                    {" 4", "Ryzen™ Ω", "cpu", QStringLiteral("\"CPU\""), true}};
    QVERIFY(RunOpening(p.dialog, [&](QDialog& window) {
      for (const char* name : kMachineEditNames)
        Type(Edit(window, name), QStringLiteral("t-") + name);
      Type(Edit(window, "brand"), seventy);
      Type(Edit(window, "cpuCount"), QStringLiteral("2"));
      Type(Edit(window, "harddisk"), seventy);
      for (const auto& refusal : refusals) {
        p.warnings.clear();
        p.state.descriptionConfirmed = refusal.confirmedBefore;
        Edit(window, "threads")
            ->setText(QString::fromLatin1(refusal.threads));  // past the input's limits
        Type(Edit(window, "cpu"), QString::fromUtf8(refusal.cpu));
        Click(window, "okButton");
        QCOMPARE(p.warnings.size(), 1);
        QVERIFY2(p.warnings[0].contains(refusal.warning), qPrintable(p.warnings[0]));
        QVERIFY(window.isVisible());
        QCOMPARE(window.focusWidget(), Edit(window, refusal.refused));
        QCOMPARE(Edit(window, refusal.refused)->selectedText(),
                 Edit(window, refusal.refused)->text());
        QCOMPARE(MachineTexts(p.state.thisMachine), detected);
        QCOMPARE(p.state.descriptionConfirmed, refusal.confirmedBefore);
      }
      Type(Edit(window, "cpu"),
           QStringLiteral("Ryzen™ €"));  // Windows-1252 beyond Latin-1 is taken
      ClickSpin(window, 3);
      Click(window, "okButton");
    }));
    QCOMPARE(MachineTexts(p.state.thisMachine),
             (QStringList{seventy.left(63), "t-model", "t-motherboard", "Ryzen™ €",
                          "t-internalClock", "t-externalClock", "t-cacheSize", "t-cacheType",
                          "t-ramSize", "t-ramType", "t-ramSpeed", "t-os", "4", "2"}));
    QCOMPARE(Text(p.state.thisDrives[0].harddisk), seventy.left(63));

    SetField(p.state.thisMachine.brand, "Loaded brand");  // as a loaded result file does
    SetField(p.state.thisMachine.threads, "2");
    RunOpening(p.dialog, [&](QDialog& window) {
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("F"));
      Type(Edit(window, "brand"), "Never taken");
      QTest::keyClick(Edit(window, "brand"), Qt::Key_Escape);
    });
    QVERIFY(!p.state.descriptionConfirmed);
    QCOMPARE(Text(p.state.thisMachine.brand), QStringLiteral("Loaded brand"));
    QVERIFY(RunOpening(p.dialog, [&](QDialog& window) {
      // Neither the loaded brand, nor cut, nor what Escape undid.
      QCOMPARE(Edit(window, "brand")->text(), seventy);
      Type(Edit(window, "threads"), QStringLiteral("0128"));
      ClickSpin(window, -3);  // drive C, its harddisk typed over at the first opening
      Click(window, "detectButton");
      QCOMPARE(p.detections, 2);
      QCOMPARE(Shown(window, kMachineEditNames),
               kDetected);  // motherboard: the system does not say
      QCOMPARE(Shown(window), (QStringList{"C", "Acme Disk", "NVMe", "nvme"}));
      ClickSpin(window, 1);
      QCOMPARE(Shown(window), (QStringList{"D", "Disk D", "Ctrl D", ""}));
      QTest::keyClick(Edit(window, "brand"), Qt::Key_Return);
    }));
    QCOMPARE(Text(p.state.thisMachine.brand), QStringLiteral("Acme"));
    QCOMPARE(Text(p.state.thisMachine.threads), QStringLiteral("128"));
  }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::DescriptionDialogTest)
#include "test_description_dialog.moc"