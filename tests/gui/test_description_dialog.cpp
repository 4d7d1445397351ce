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
const QList<const char*> kMachineEditNames = {"brand",   "model",   "motherboard", "cpu",      "internalClock",
                                              "externalClock", "cacheSize", "cacheType", "ramSize", "ramType",
                                              "ramSpeed", "os", "cpuCount"};

QString Text(const DescriptionField& field) { return FromStoreText(FieldText(field)); }

// The 14 fields of a machine description in the store's order.
QStringList MachineTexts(const MachineDescription& machine) {
  QStringList texts;
  for (auto field : kMachineFields) texts << Text(machine.*field);
  return texts;
}

void Describe(BenchmarkState& state, char letter, const char* harddisk) {
  DriveDescription& record = state.thisDrives[static_cast<std::size_t>(letter - 'C')];
  SetField(record.letter, std::string(1, letter));
  SetField(record.harddisk, harddisk);
  SetField(record.controller, std::string("Ctrl ") + letter);
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
  for (QChar c : text) QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Opens the dialog modally and runs `script` once its event loop runs. A script that leaves the
// dialog open (a failed check returns early) fails the test, and the dialog is cancelled for it.
bool RunOpening(CDescriptionDlg& dialog, const std::function<void(QDialog&)>& script) {
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
  const bool accepted = dialog.DoModal(nullptr);
  if (!ran && !QTest::currentTestFailed()) QTest::qFail("the dialog did not open", __FILE__, __LINE__);
  return accepted;
}

// The texts of the named edit controls; by default the drive letter and the drive's three texts.
QStringList Shown(QDialog& window, const QList<const char*>& names = {"driveLetter", "harddisk", "controller", "driver"}) {
  QStringList texts;
  for (const char* name : names) texts << Edit(window, name)->text();
  return texts;
}

}  // namespace

class DescriptionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // The tab order; drive records are written at the first key; stepping and Delete refill the
  // fields without running a change handler; Cancel puts back every record and the drive shown.
  void driveRecordsAreWrittenAtOnceAndCancelUndoesThem() {
    BenchmarkState state;
    for (char letter : {'C', 'D', 'F'}) Describe(state, letter, (std::string("Disk ") + letter).c_str());
    CDescriptionDlg dialog(state);
    dialog.SetWarner([](QWidget*, const QString& text) { QFAIL(qPrintable(text)); });
    const bool accepted = RunOpening(dialog, [&](QDialog& window) {
      QStringList visited;  // the controls Tab visits, in its order
      for (QWidget* w = Edit(window, "threads"); visited.size() < 23; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) visited << w->objectName();
      }
      QCOMPARE(visited.join(' '), QStringLiteral("threads brand model motherboard cpu cpuCount internalClock "
                                                 "externalClock cacheSize cacheType ramSize ramType ramSpeed "
                                                 "driveLetter harddisk controller driver os okButton cancelButton "
                                                 "deleteButton detectButton threads"));
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("1"));
      QCOMPARE(Shown(window, kMachineEditNames), QStringList(13, QString()));
      QVERIFY(!dialog.DoModal(nullptr));  // one window at a time
      QCOMPARE(dialog.window(), &window);
      const struct {
        int steps;
        QStringList shown;
      } stepping[] = {{-1, {"C", "Disk C", "Ctrl C", ""}}, {1, {"D", "Disk D", "Ctrl D", ""}},
                      {1, {"E", "", "", ""}},               {1, {"F", "Disk F", "Ctrl F", ""}},
                      {-2, {"D", "Disk D", "Ctrl D", ""}}};
      for (const auto& step : stepping) {
        ClickSpin(window, step.steps);
        QCOMPARE(Shown(window), step.shown);
      }
      for (int k = 0; k < kDriveRecords; ++k) QCOMPARE(IsDriveDescribed(state.thisDrives, k), k == 0 || k == 1 || k == 3);
      Click(window, "deleteButton");
      QCOMPARE(Shown(window), (QStringList{"D", "", "", ""}));
      QCOMPARE(Text(state.thisDrives[1].letter), QString());
      QCOMPARE(Text(state.thisDrives[1].harddisk), QStringLiteral("Disk D"));  // only the letter goes

      ClickSpin(window, 1);
      QTest::keyClicks(Edit(window, "harddisk"), "W");
      QCOMPARE(Text(state.thisDrives[2].letter), QStringLiteral("E"));
      QCOMPARE(Text(state.thisDrives[2].harddisk), QStringLiteral("W"));
      QTest::keyClicks(Edit(window, "harddisk"), "D");
      QTest::keyClicks(Edit(window, "controller"), "AHCI");
      QTest::keyClicks(Edit(window, "driver"), "ahci.sys");
      // Every change of Harddisk refills the controls; the caret stays where the user typed.
      Edit(window, "harddisk")->setCursorPosition(1);
      QTest::keyClicks(Edit(window, "harddisk"), "e B");
      QCOMPARE(Shown(window), (QStringList{"E", "We BD", "AHCI", "ahci.sys"}));
      QCOMPARE(Text(state.thisDrives[2].driver), QStringLiteral("ahci.sys"));

      ClickSpin(window, 30);
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("Z"));
      QCOMPARE(dialog.currentDrive(), 23);
      Click(window, "cancelButton");
    });
    QVERIFY(!accepted && !state.descriptionConfirmed);
    for (int k = 0; k < kDriveRecords; ++k) QCOMPARE(IsDriveDescribed(state.thisDrives, k), k == 0 || k == 1 || k == 3);
    QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
    QCOMPARE(dialog.currentDrive(), 0);
  }

  // OK checks everything before it writes anything; a valid OK writes all 14 fields, normalised
  // and cut to the store's length. The working values outlive the window: a later opening shows
  // them, not what a loaded file put in the store, and Escape undoes that opening's typing.
  void okWritesOnlyValidEntriesAndTheWorkingValuesPersist() {
    BenchmarkState state;
    CDescriptionDlg dialog(state);
    QStringList warnings;
    dialog.SetWarner([&](QWidget* parent, const QString& text) {
      if (parent == dialog.window()) warnings << text;
    });
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
    QVERIFY(RunOpening(dialog, [&](QDialog& window) {
      for (const char* name : kMachineEditNames) Type(Edit(window, name), QStringLiteral("t-") + name);
      Type(Edit(window, "brand"), seventy);
      Type(Edit(window, "cpuCount"), QStringLiteral("2"));
      QTest::keyClicks(Edit(window, "harddisk"), seventy);
      for (const auto& refusal : refusals) {
        warnings.clear();
        state.descriptionConfirmed = refusal.confirmedBefore;
        Edit(window, "threads")->setText(QString::fromLatin1(refusal.threads));  // past the input's limits
        Type(Edit(window, "cpu"), QString::fromUtf8(refusal.cpu));
        Click(window, "okButton");
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings[0].contains(refusal.warning), qPrintable(warnings[0]));
        QVERIFY(window.isVisible());
        QCOMPARE(window.focusWidget(), Edit(window, refusal.refused));
        QCOMPARE(Edit(window, refusal.refused)->selectedText(), Edit(window, refusal.refused)->text());
        QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
        QCOMPARE(state.descriptionConfirmed, refusal.confirmedBefore);
      }
      Type(Edit(window, "cpu"), QStringLiteral("Ryzen™ €"));  // Windows-1252 beyond Latin-1 is taken
      ClickSpin(window, 3);
      Click(window, "okButton");
    }));
    QVERIFY(state.descriptionConfirmed);
    QVERIFY(FieldText(state.thisMachine.cpu) == "Ryzen\x99 \x80");
    QCOMPARE(MachineTexts(state.thisMachine),
             (QStringList{seventy.left(63), "t-model", "t-motherboard", "Ryzen™ €", "t-internalClock",
                          "t-externalClock", "t-cacheSize", "t-cacheType", "t-ramSize", "t-ramType",
                          "t-ramSpeed", "t-os", "4", "2"}));
    QCOMPARE(Text(state.thisDrives[0].harddisk), seventy.left(63));

    SetField(state.thisMachine.brand, "Loaded brand");  // as a loaded result file does
    SetField(state.thisMachine.threads, "2");
    RunOpening(dialog, [&](QDialog& window) {
      QCOMPARE(Edit(window, "brand")->text(), seventy);  // only the stored copy is cut
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("F"));
      Type(Edit(window, "brand"), "Never taken");
      QTest::keyClick(Edit(window, "brand"), Qt::Key_Escape);
    });
    QVERIFY(!state.descriptionConfirmed);
    QCOMPARE(Text(state.thisMachine.brand), QStringLiteral("Loaded brand"));
    QVERIFY(RunOpening(dialog, [&](QDialog& window) {
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("4"));
      QCOMPARE(Edit(window, "brand")->text(), seventy);
      Type(Edit(window, "threads"), QStringLiteral("0128"));
      QTest::keyClick(Edit(window, "brand"), Qt::Key_Return);
    }));
    QCOMPARE(Text(state.thisMachine.brand), seventy.left(63));
    QCOMPARE(Text(state.thisMachine.threads), QStringLiteral("128"));
  }

  // The program starts with the detected description; Detect refills every machine text and the
  // known drives' records over what was typed, and keeps the thread count and the other drives.
  void detectionAtStartAndByTheDetectButton() {
    const DetectedMachine acme{"Acme", "Rocket 3000", "", "Blaze", "4000 MHz", "100 MHz", "32 MB", "L3", "64 GB",
                               "DDR4", "3200 MT/s", "Acme OS 1", "1", {{'C', "Acme Disk", "NVMe", "nvme"}}};
    int detections = 0;
    CBenchApp bench([&] {
      ++detections;
      return acme;
    });
    QCOMPARE(detections, 1);
    BenchmarkState& state = bench.state();
    Describe(state, 'D', "Typed D");
    const QStringList detected = {"Acme", "Rocket 3000", "", "Blaze", "4000 MHz", "100 MHz", "32 MB", "L3",
                                  "64 GB", "DDR4", "3200 MT/s", "Acme OS 1", "1"};
    QVERIFY(RunOpening(bench.descriptionDlg(), [&](QDialog& window) {
      QCOMPARE(Shown(window, kMachineEditNames), detected);
      QCOMPARE(Shown(window), (QStringList{"C", "Acme Disk", "NVMe", "nvme"}));
      Type(Edit(window, "threads"), "6");
      for (const char* name : {"brand", "motherboard", "harddisk"}) Type(Edit(window, name), "typed");
      Click(window, "detectButton");
      QCOMPARE(detections, 2);
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("6"));
      QCOMPARE(Shown(window, kMachineEditNames), detected);  // motherboard: the system does not say
      QCOMPARE(Shown(window), (QStringList{"C", "Acme Disk", "NVMe", "nvme"}));
      ClickSpin(window, 1);
      QCOMPARE(Shown(window), (QStringList{"D", "Typed D", "Ctrl D", ""}));
      Type(Edit(window, "model"), "Rocket 3001");
      Click(window, "okButton");
    }));
    QStringList stored = detected;  // in the store's order, with the thread count before "# of CPUs"
    stored[1] = QStringLiteral("Rocket 3001");
    stored.insert(12, QStringLiteral("6"));
    QCOMPARE(MachineTexts(state.thisMachine), stored);
    QCOMPARE(Text(state.thisDrives[0].harddisk), QStringLiteral("Acme Disk"));
  }

};

}  // namespace quorvane

QTEST_MAIN(quorvane::DescriptionDialogTest)
#include "test_description_dialog.moc"