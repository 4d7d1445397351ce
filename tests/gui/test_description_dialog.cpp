// The machine description dialog driven through its real window: what it shows at each opening,
// what its controls write into the store and when, its refusals, and its keyboard behaviour.
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
#include "tests/fixture_tree.h"

namespace quorvane {
namespace {

// The machine texts' edit controls (all but the thread count).
const char* const kMachineEditNames[] = {
    "brand",     "model",     "motherboard", "cpu",     "internalClock", "externalClock", "cacheSize",
    "cacheType", "ramSize",   "ramType",     "ramSpeed", "os",           "cpuCount"};

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

void ClickSpin(QDialog& window, bool up, int times = 1) {
  auto* arrow = window.findChild<QToolButton*>(up ? "driveSpinUp" : "driveSpinDown");
  for (int i = 0; i < times; ++i) QTest::mouseClick(arrow, Qt::LeftButton);
}

void Click(QDialog& window, const char* button) {
  QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

// Replaces a field's text key by key, as a user would (also beyond ASCII; input limits apply).
void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
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

// A computer described below a fixture tree: firmware ids, processor, memory, OS, and drive C
// on an NVMe disk; `detections` counts the calls.
MachineDetector FixtureDetector(const test_support::FixtureTree& tree, int& detections) {
  tree.File("sys/class/dmi/id/sys_vendor", "Acme\n");
  tree.File("sys/class/dmi/id/product_name", "Rocket 3000\n");
  tree.File("proc/cpuinfo", "model name\t: Acme Blaze @ 4.00GHz\nphysical id\t: 0\n");
  tree.File("proc/meminfo", "MemTotal: 65000000 kB\n");
  tree.File("etc/os-release", "PRETTY_NAME=\"Acme OS 1\"\n");
  tree.File("sys/devices/pci0000:00/0000:01:00.0/nvme/nvme0/model", "Acme Disk\n");
  tree.Folder("sys/devices/pci0000:00/0000:01:00.0/nvme/nvme0/nvme0n1");
  tree.Link("sys/devices/pci0000:00/0000:01:00.0/nvme/nvme0/nvme0n1/device", "../../nvme0");
  tree.Link("sys/devices/pci0000:00/0000:01:00.0/driver", "../../../nvme");
  tree.Link("sys/class/block/nvme0n1", "../../devices/pci0000:00/0000:01:00.0/nvme/nvme0/nvme0n1");
  return [&tree, &detections] {
    ++detections;
    return DetectMachine(tree.root(), {DriveMapping{'C', "/", "ext4", "/dev/nvme0n1", true}});
  };
}

// The drive letter and the three drive texts the window shows.
QStringList Shown(QDialog& window) {
  return {Edit(window, "driveLetter")->text(), Edit(window, "harddisk")->text(),
          Edit(window, "controller")->text(), Edit(window, "driver")->text()};
}

}  // namespace

class DescriptionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void firstOpeningShowsOneThreadDriveCAndEmptyFields() {
    BenchmarkState state;
    CDescriptionDlg dialog(state);
    const bool accepted = RunOpening(dialog, [&](QDialog& window) {
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("1"));
      QCOMPARE(Shown(window), (QStringList{"C", "", "", ""}));
      for (const char* name : kMachineEditNames) QCOMPARE(Edit(window, name)->text(), QString());
      // A second opening while one is open is refused without a second window.
      QVERIFY(!dialog.DoModal(nullptr));
      QCOMPARE(dialog.window(), &window);
      Click(window, "cancelButton");
    });
    QVERIFY(!accepted);
    QCOMPARE(dialog.window(), nullptr);
    QVERIFY(!state.descriptionConfirmed);
    QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
    for (int k = 0; k < kDriveRecords; ++k) QVERIFY(!IsDriveDescribed(state.thisDrives, k));
  }

  void typingADriveFieldWritesTheRecordAtOnceAndCancelUndoesIt() {
    BenchmarkState state;
    CDescriptionDlg dialog(state);
    dialog.SetWarner([](QWidget*, const QString& text) { QFAIL(qPrintable(text)); });
    RunOpening(dialog, [&](QDialog& window) {
      ClickSpin(window, true, 2);
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("E"));
      QTest::keyClicks(Edit(window, "harddisk"), "W");
      QCOMPARE(Text(state.thisDrives[2].letter), QStringLiteral("E"));  // after the first key
      QCOMPARE(Text(state.thisDrives[2].harddisk), QStringLiteral("W"));
      QTest::keyClicks(Edit(window, "harddisk"), "D");
      QTest::keyClicks(Edit(window, "controller"), "AHCI");
      QTest::keyClicks(Edit(window, "driver"), "ahci.sys");
      // Every change of Harddisk refills the controls; the caret stays where the user typed.
      QLineEdit* harddisk = Edit(window, "harddisk");
      harddisk->setCursorPosition(1);
      QTest::keyClicks(harddisk, "e B");
      QCOMPARE(Shown(window), (QStringList{"E", "We BD", "AHCI", "ahci.sys"}));
      QCOMPARE(Text(state.thisDrives[2].driver), QStringLiteral("ahci.sys"));
      Click(window, "cancelButton");
    });
    // Cancel puts back what the opening found: no record described, no text kept.
    QVERIFY(!state.descriptionConfirmed);
    for (int k = 0; k < kDriveRecords; ++k) QVERIFY(!IsDriveDescribed(state.thisDrives, k));
    QCOMPARE(Text(state.thisDrives[2].harddisk), QString());
    QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
    QCOMPARE(dialog.currentDrive(), 0);
    RunOpening(dialog, [&](QDialog& window) {
      QCOMPARE(Shown(window), (QStringList{"C", "", "", ""}));
      Click(window, "cancelButton");
    });
  }

  // Stepping and Delete refill the fields through an exchange, which must run no change handler:
  // an emptied field must not describe the drive shown, nor a refilled one overwrite a record.
  void spinAndDeleteShowDrivesWithoutRunningChangeHandlers() {
    BenchmarkState state;
    Describe(state, 'C', "Disk C");
    Describe(state, 'D', "Disk D");
    Describe(state, 'F', "Disk F");
    CDescriptionDlg dialog(state);
    RunOpening(dialog, [&](QDialog& window) {
      ClickSpin(window, false);
      QCOMPARE(Shown(window), (QStringList{"C", "Disk C", "Ctrl C", ""}));
      ClickSpin(window, true);
      QCOMPARE(Shown(window), (QStringList{"D", "Disk D", "Ctrl D", ""}));
      ClickSpin(window, true);
      QCOMPARE(Shown(window), (QStringList{"E", "", "", ""}));
      ClickSpin(window, true);
      QCOMPARE(Shown(window), (QStringList{"F", "Disk F", "Ctrl F", ""}));
      ClickSpin(window, false, 2);
      QCOMPARE(Shown(window), (QStringList{"D", "Disk D", "Ctrl D", ""}));

      Click(window, "deleteButton");
      QCOMPARE(Shown(window), (QStringList{"D", "", "", ""}));
      QCOMPARE(Text(state.thisDrives[1].letter), QString());
      QCOMPARE(Text(state.thisDrives[1].harddisk), QStringLiteral("Disk D"));  // only the letter

      ClickSpin(window, true, 30);
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("Z"));
      QCOMPARE(dialog.currentDrive(), 23);
      ClickSpin(window, false);
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("Y"));
      Click(window, "cancelButton");
    });
    // Cancel undoes the Delete too.
    for (int k = 0; k < kDriveRecords; ++k)
      QCOMPARE(IsDriveDescribed(state.thisDrives, k), k == 0 || k == 1 || k == 3);
    QCOMPARE(Text(state.thisDrives[1].harddisk), QStringLiteral("Disk D"));
    QCOMPARE(dialog.currentDrive(), 0);
  }

  void refusedOkWarnsAndChangesNothing() {
    BenchmarkState state;
    SetField(state.thisMachine.brand, "Loaded brand");
    SetField(state.thisMachine.threads, "2");
    const QStringList machineBefore = MachineTexts(state.thisMachine);
    CDescriptionDlg dialog(state);
    QStringList warnings;
    dialog.SetWarner([&](QWidget* parent, const QString& text) {
      if (parent == dialog.window()) warnings << text;
    });
    const struct {
      const char* entry;
      QString warning;
      bool confirmedBefore;
    } refusals[] = {{"0", ThreadRangeWarning(), false},
                    {"abc", NotANumberWarning(), false},
                    {"129", ThreadRangeWarning(), true}};
    const bool accepted = RunOpening(dialog, [&](QDialog& window) {
      QLineEdit* threads = Edit(window, "threads");
      Type(Edit(window, "brand"), "Typed brand");
      for (const auto& refusal : refusals) {
        warnings.clear();
        state.descriptionConfirmed = refusal.confirmedBefore;
        threads->setText(QString::fromLatin1(refusal.entry));  // past the digits-only input
        Click(window, "okButton");
        QCOMPARE(warnings, QStringList{refusal.warning});
        QVERIFY(window.isVisible());
        QCOMPARE(window.focusWidget(), threads);
        QCOMPARE(threads->selectedText(), QString::fromLatin1(refusal.entry));
        QCOMPARE(MachineTexts(state.thisMachine), machineBefore);
        QCOMPARE(state.descriptionConfirmed, refusal.confirmedBefore);
      }
      Click(window, "cancelButton");
    });
    QVERIFY(!accepted);
    QVERIFY(!state.descriptionConfirmed);
    QCOMPARE(MachineTexts(state.thisMachine), machineBefore);
  }

  void validOkWritesAllFourteenFieldsNormalisedAndCut() {
    BenchmarkState state;
    CDescriptionDlg dialog(state);
    QStringList warnings;
    dialog.SetWarner([&](QWidget*, const QString& text) { warnings << text; });
    const QString seventy = QString(60, QLatin1Char('b')) + QStringLiteral("0123456789");
    QVERIFY(RunOpening(dialog, [&](QDialog& window) {
      Edit(window, "threads")->setText(QStringLiteral(" 4"));
      for (const char* name : kMachineEditNames) Type(Edit(window, name), QStringLiteral("t-") + name);
      Type(Edit(window, "brand"), seventy);
      Type(Edit(window, "cpuCount"), QStringLiteral("2"));
      QTest::keyClicks(Edit(window, "harddisk"), seventy);
      // A character that no result file can hold is refused, naming the field, before anything
      // is written; Windows-1252 characters beyond Latin-1 are taken.
      Type(Edit(window, "cpu"), QStringLiteral("Ryzen™ Ω"));
      Click(window, "okButton");
      QCOMPARE(warnings.size(), 1);
      QVERIFY2(warnings[0].contains(QStringLiteral("\"CPU\"")), qPrintable(warnings[0]));
      QCOMPARE(window.focusWidget(), Edit(window, "cpu"));
      QVERIFY(!state.descriptionConfirmed);
      QCOMPARE(Text(state.thisMachine.cpu), QString());
      Type(Edit(window, "cpu"), QStringLiteral("Ryzen™ €"));
      Click(window, "okButton");
    }));
    QCOMPARE(warnings.size(), 1);
    QVERIFY(state.descriptionConfirmed);
    QVERIFY(FieldText(state.thisMachine.cpu) == "Ryzen\x99 \x80");
    QCOMPARE(MachineTexts(state.thisMachine),
             (QStringList{seventy.left(63), "t-model", "t-motherboard", "Ryzen™ €", "t-internalClock",
                          "t-externalClock", "t-cacheSize", "t-cacheType", "t-ramSize", "t-ramType",
                          "t-ramSpeed", "t-os", "4", "2"}));
    QCOMPARE(Text(state.thisDrives[0].harddisk), seventy.left(63));

    QVERIFY(RunOpening(dialog, [&](QDialog& window) {
      QCOMPARE(Edit(window, "brand")->text(), seventy);  // only the stored copy is cut
      Type(Edit(window, "threads"), QStringLiteral("04"));
      Click(window, "okButton");
    }));
    QCOMPARE(Text(state.thisMachine.threads), QStringLiteral("4"));
  }

  void workingValuesPersistAndAreNotReloadedFromTheStore() {
    BenchmarkState state;
    CDescriptionDlg dialog(state);
    QVERIFY(RunOpening(dialog, [&](QDialog& window) {
      Type(Edit(window, "threads"), "8");
      Type(Edit(window, "brand"), "Typed brand");
      ClickSpin(window, true, 3);
      Click(window, "okButton");
    }));
    // A result file is loaded into thisMachine meanwhile.
    SetField(state.thisMachine.brand, "Loaded brand");
    SetField(state.thisMachine.threads, "2");

    RunOpening(dialog, [&](QDialog& window) {
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("8"));
      QCOMPARE(Edit(window, "brand")->text(), QStringLiteral("Typed brand"));
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("F"));
      Type(Edit(window, "brand"), "Never taken");
      QTest::keyClick(Edit(window, "brand"), Qt::Key_Escape);
    });
    QVERIFY(!state.descriptionConfirmed);
    QCOMPARE(Text(state.thisMachine.brand), QStringLiteral("Loaded brand"));

    QVERIFY(RunOpening(dialog, [&](QDialog& window) {
      QCOMPARE(Edit(window, "brand")->text(), QStringLiteral("Typed brand"));
      ClickSpin(window, true);
      QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("G"));
      QTest::keyClick(Edit(window, "brand"), Qt::Key_Return);
    }));
    QCOMPARE(Text(state.thisMachine.brand), QStringLiteral("Typed brand"));
    QCOMPARE(Text(state.thisMachine.threads), QStringLiteral("8"));
  }

  void theProgramStartsWithTheDetectedDescription() {
    const test_support::FixtureTree tree;
    int detections = 0;
    CBenchApp bench(FixtureDetector(tree, detections));
    QCOMPARE(detections, 1);
    QCOMPARE(Text(bench.state().thisMachine.brand), QStringLiteral("Acme"));
    RunOpening(bench.descriptionDlg(), [&](QDialog& window) {
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("1"));
      const QStringList expected = {"Acme", "Rocket 3000", "", "Acme Blaze @ 4.00GHz",
                                    "4000 MHz", "", "", "", "64 GB", "", "", "Acme OS 1", "1"};
      for (std::size_t i = 0; i < std::size(kMachineEditNames); ++i) {
        QCOMPARE(Edit(window, kMachineEditNames[i])->text(), expected[static_cast<qsizetype>(i)]);
      }
      QCOMPARE(Shown(window), (QStringList{"C", "Acme Disk", "NVMe", "nvme"}));
      Click(window, "cancelButton");
    });
  }

  // Detect refills every machine text and the known drives' records, over what was typed; the
  // thread count and other drives stay; everything can be edited again before OK.
  void detectRefillsTheFieldsWhichStayEditable() {
    const test_support::FixtureTree tree;
    int detections = 0;
    BenchmarkState state;
    Describe(state, 'D', "Typed D");
    CDescriptionDlg dialog(state, FixtureDetector(tree, detections));
    dialog.SetWarner([](QWidget*, const QString& text) { QFAIL(qPrintable(text)); });
    QVERIFY(RunOpening(dialog, [&](QDialog& window) {
      Type(Edit(window, "threads"), "6");
      Type(Edit(window, "brand"), "Typed brand");
      Type(Edit(window, "externalClock"), "133 MHz");
      Type(Edit(window, "harddisk"), "Typed C");
      QCOMPARE(detections, 0);
      Click(window, "detectButton");
      QCOMPARE(detections, 1);
      QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("6"));
      QCOMPARE(Edit(window, "brand")->text(), QStringLiteral("Acme"));
      QCOMPARE(Edit(window, "externalClock")->text(), QString());  // the system does not say
      QCOMPARE(Shown(window), (QStringList{"C", "Acme Disk", "NVMe", "nvme"}));
      ClickSpin(window, true);
      QCOMPARE(Shown(window), (QStringList{"D", "Typed D", "Ctrl D", ""}));
      auto* detect = window.findChild<QPushButton*>(QStringLiteral("detectButton"));
      QVERIFY(detect->isVisible());
      QCOMPARE(detect->text(), QStringLiteral("Detect"));
      Type(Edit(window, "model"), "Rocket 3001");
      Click(window, "okButton");
    }));
    QCOMPARE(Text(state.thisMachine.brand), QStringLiteral("Acme"));
    QCOMPARE(Text(state.thisMachine.model), QStringLiteral("Rocket 3001"));
    QCOMPARE(Text(state.thisMachine.ramSize), QStringLiteral("64 GB"));
    QCOMPARE(Text(state.thisMachine.threads), QStringLiteral("6"));
    QCOMPARE(Text(state.thisDrives[0].harddisk), QStringLiteral("Acme Disk"));
    QCOMPARE(Text(state.thisDrives[1].harddisk), QStringLiteral("Typed D"));
  }

  void tabOrderFollowsTheTemplate() {
    BenchmarkState state;
    CDescriptionDlg dialog(state);
    RunOpening(dialog, [&](QDialog& window) {
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      Edit(window, "threads")->setFocus(Qt::TabFocusReason);
      QStringList visited{QApplication::focusWidget()->objectName()};
      for (int i = 0; i < 22; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
      }
      QCOMPARE(visited.join(' '),
               QStringLiteral("threads brand model motherboard cpu cpuCount internalClock "
                              "externalClock cacheSize cacheType ramSize ramType ramSpeed "
                              "driveLetter harddisk controller driver os okButton cancelButton "
                              "deleteButton detectButton threads"));
      Click(window, "cancelButton");
    });
  }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::DescriptionDialogTest)
#include "test_description_dialog.moc"
