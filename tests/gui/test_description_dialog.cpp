// The machine description dialog driven through its real window: what it shows at each opening,
// what its controls write into the store and when, its refusals, and its keyboard behaviour.
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <limits>

#include "dialogs/CDescriptionDlg.h"
#include "dialogs/DescriptionExchange.h"
#include "dialogs/DriveSpin.h"
#include "engine/BenchmarkState.h"

namespace quorvane {
namespace {

// The machine texts' edit controls (all but the thread count).
const char* const kMachineEditNames[] = {
    "brand",         "model",     "motherboard", "cpu",     "internalClock",
    "externalClock", "cacheSize", "cacheType",   "ramSize", "ramType",
    "ramSpeed",      "os",        "cpuCount"};

QString Text(const DescriptionField& field) {
  const std::string_view text = FieldText(field);
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The 14 fields of a machine description in the store's order.
QStringList MachineTexts(const MachineDescription& machine) {
  QStringList texts;
  for (auto field : kMachineFields) texts << Text(machine.*field);
  return texts;
}

void Describe(BenchmarkState& state, char letter, const char* harddisk, const char* controller,
              const char* driver) {
  DriveDescription& record = state.thisDrives[static_cast<std::size_t>(letter - 'C')];
  SetField(record.letter, std::string(1, letter));
  SetField(record.harddisk, harddisk);
  SetField(record.controller, controller);
  SetField(record.driver, driver);
}

template <typename T>
T* Find(QDialog& window, const char* name) {
  T* widget = window.findChild<T*>(QString::fromLatin1(name));
  if (!widget) qFatal("the description window has no control named %s", name);
  return widget;
}

QLineEdit* Edit(QDialog& window, const char* name) { return Find<QLineEdit>(window, name); }

void ClickSpin(QDialog& window, bool up, int times = 1) {
  auto* arrow = Find<QToolButton>(window, up ? "driveSpinUp" : "driveSpinDown");
  for (int i = 0; i < times; ++i) QTest::mouseClick(arrow, Qt::LeftButton);
}

void Click(QDialog& window, const char* button) {
  QTest::mouseClick(Find<QPushButton>(window, button), Qt::LeftButton);
}

// Types `text` key by key, as a user would (input limits apply). Unlike QTest::keyClicks it
// also takes characters beyond ASCII.
void TypeKeys(QLineEdit* edit, const QString& text) {
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// Replaces a field's text by typing.
void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  TypeKeys(edit, text);
}

// Opens the dialog modally and runs `script` inside it once its event loop runs. The script must
// close the dialog; one that does not (a failed check returns early) is a failure, and the dialog
// is cancelled for it.
bool RunOpening(CDescriptionDlg& dialog, const std::function<void(QDialog&)>& script,
                QWidget* owner = nullptr) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    QDialog* window = dialog.window();
    if (!window) {
      QTest::qFail("the dialog window is not open", __FILE__, __LINE__);
      return;
    }
    ran = true;
    script(*window);
    if (dialog.window() && dialog.window()->isVisible()) {
      if (!QTest::currentTestFailed()) {
        QTest::qFail("the script left the dialog open", __FILE__, __LINE__);
      }
      dialog.window()->reject();
    }
  });
  const bool accepted = dialog.DoModal(owner);
  if (!ran && !QTest::currentTestFailed()) {
    QTest::qFail("the script did not run", __FILE__, __LINE__);
  }
  return accepted;
}

struct WarningLog {
  QStringList texts;
  QList<QWidget*> parents;
  void Attach(CDescriptionDlg& dialog) {
    dialog.SetWarner([this](QWidget* parent, const QString& text) {
      texts << text;
      parents << parent;
    });
  }
};

bool ActivateWindow(QDialog& window) {
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}

}  // namespace

class DescriptionDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void layoutShowsTheTemplate();
  void firstOpeningShowsOneThreadDriveCAndEmptyFields();
  void startUpValuesComeFromTheStore_data();
  void startUpValuesComeFromTheStore();
  void typingADriveFieldWritesTheRecordAtOnceAndSurvivesCancel();
  void spinShowsDescribedDrivesOnly();
  void deleteUndescribesOnlyTheShownDrive();
  void refusedOkChangesNothing_data();
  void refusedOkChangesNothing();
  void validOkWritesAllFourteenFields_data();
  void validOkWritesAllFourteenFields();
  void longTextsAreCutWhenStored();
  void inputAcceptsOnlyDigitsAndLimitedLengths();
  void overlongControlTextIsRefusedAndStopsTheExchange();
  void driveFieldChangeWithBadThreadCountWarnsAndStillWrites();
  void workingValuesPersistAndAreNotReloadedFromTheStore();
  void cancelKeepsWhatTheLastExchangeTook();
  void keysAndCloseBox_data();
  void keysAndCloseBox();
  void tabOrderFollowsTheTemplate();
  void spinStaysWithinCToZ();
};

void DescriptionDialogTest::layoutShowsTheTemplate() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  QWidget owner;
  RunOpening(
      dialog,
      [&](QDialog& window) {
        QCOMPARE(window.parentWidget(), &owner);
        QCOMPARE(window.windowTitle(),
                 QStringLiteral("Test configuration / Description of current machine"));
        QStringList groups;
        for (QGroupBox* group : window.findChildren<QGroupBox*>()) groups << group->title();
        QCOMPARE(groups, (QStringList{"Test configuration", "Computer System",
                                      "Motherboard/Processor/Cache/Memory",
                                      "Mass storage subsystem", "Operating system"}));
        QCOMPARE(Find<QLabel>(window, "notice")->text(),
                 QStringLiteral("Enter as many threads as processors in your computer. The maximum "
                                "number of threads is 128. Attention: Each thread running the "
                                "memory test consumes 32 MB of RAM!"));

        // Every control's object name, the label beside it and its control number.
        const struct {
          const char* name;
          const char* label;
          int id;
        } controls[] = {{"threads", "# of threads to run", 1031},
                        {"brand", "Brand", 1001},
                        {"model", "Model", 1000},
                        {"motherboard", "Motherboard", 1009},
                        {"cpu", "CPU", 1002},
                        {"cpuCount", "# of CPUs", 1030},
                        {"internalClock", "Internal Clock", 1003},
                        {"externalClock", "External Clock", 1024},
                        {"cacheSize", "Cache Size", 1004},
                        {"cacheType", "Cache Type", 1005},
                        {"ramSize", "RAM Size", 1007},
                        {"ramType", "RAM Type", 1008},
                        {"ramSpeed", "RAM Speed", 1011},
                        {"driveLetter", "Drive Letter", 1020},
                        {"driveSpin", nullptr, 1023},
                        {"deleteButton", nullptr, 1026},
                        {"harddisk", "Harddisk", 1012},
                        {"controller", "Controller", 1013},
                        {"driver", "Driver", 1010},
                        {"os", "OS", 1014},
                        {"okButton", nullptr, 1},
                        {"cancelButton", nullptr, 2}};
        for (const auto& control : controls) {
          QWidget* widget = Find<QWidget>(window, control.name);
          QCOMPARE(widget->property("controlId").toInt(), control.id);
          if (!control.label) continue;
          QStringList labels;
          for (QLabel* label : window.findChildren<QLabel*>()) {
            if (label->buddy() == widget) labels << label->text();
          }
          QCOMPARE(labels, QStringList{QString::fromLatin1(control.label)});
        }

        QVERIFY(Edit(window, "driveLetter")->isReadOnly());
        QCOMPARE(Edit(window, "motherboard")->maxLength(), 63);
        QCOMPARE(Edit(window, "cpuCount")->maxLength(), 8);
        QVERIFY(Find<QPushButton>(window, "okButton")->isDefault());
        QCOMPARE(Find<QPushButton>(window, "okButton")->text(), QStringLiteral("OK"));
        QCOMPARE(Find<QPushButton>(window, "cancelButton")->text(), QStringLiteral("Cancel"));
        QCOMPARE(Find<QPushButton>(window, "deleteButton")->text(), QStringLiteral("Delete"));
        auto* spin = Find<DriveSpin>(window, "driveSpin");
        QCOMPARE(spin->focusPolicy(), Qt::NoFocus);
        for (QToolButton* arrow : spin->findChildren<QToolButton*>()) {
          QCOMPARE(arrow->focusPolicy(), Qt::NoFocus);
        }

        // A second opening while one is open is refused without a second window.
        QCOMPARE(dialog.DoModal(nullptr), false);
        QCOMPARE(dialog.window(), &window);
        Click(window, "cancelButton");
      },
      &owner);
  QCOMPARE(dialog.window(), nullptr);
}

void DescriptionDialogTest::firstOpeningShowsOneThreadDriveCAndEmptyFields() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  QCOMPARE(dialog.workingThreads(), 1);
  QCOMPARE(dialog.currentDrive(), 0);
  const bool accepted = RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("1"));
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("C"));
    for (const char* name : kMachineEditNames) QCOMPARE(Edit(window, name)->text(), QString());
    for (const char* name : {"harddisk", "controller", "driver"}) {
      QCOMPARE(Edit(window, name)->text(), QString());
    }
    Click(window, "cancelButton");
  });
  QVERIFY(!accepted);
  QVERIFY(!state.descriptionConfirmed);
  QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
  // Filling the controls at opening runs no change handler: no drive became described.
  for (int k = 0; k < kDriveRecords; ++k) QVERIFY(!IsDriveDescribed(state.thisDrives, k));
}

void DescriptionDialogTest::startUpValuesComeFromTheStore_data() {
  QTest::addColumn<QString>("storedThreads");
  QTest::addColumn<int>("threads");
  QTest::newRow("empty reads as 0, shown as 1") << "" << 1;
  QTest::newRow("letters read as 0") << "abc" << 1;
  QTest::newRow("blanks and trailing text") << "  12 threads" << 12;
  QTest::newRow("zero") << "0" << 1;
  QTest::newRow("out of range is kept") << "300" << 300;
}

void DescriptionDialogTest::startUpValuesComeFromTheStore() {
  QFETCH(QString, storedThreads);
  QFETCH(int, threads);
  BenchmarkState state;
  SetField(state.thisMachine.threads, storedThreads.toStdString());
  SetField(state.thisMachine.brand, "Stored brand");
  SetField(state.thisMachine.cpuCount, "2");
  Describe(state, 'C', "Disk C", "Ctrl C", "Drv C");
  CDescriptionDlg dialog(state);
  QCOMPARE(dialog.workingThreads(), threads);
  RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "threads")->text(), QString::number(threads));
    QCOMPARE(Edit(window, "brand")->text(), QStringLiteral("Stored brand"));
    QCOMPARE(Edit(window, "cpuCount")->text(), QStringLiteral("2"));
    QCOMPARE(Edit(window, "harddisk")->text(), QStringLiteral("Disk C"));
    QCOMPARE(Edit(window, "controller")->text(), QStringLiteral("Ctrl C"));
    QCOMPARE(Edit(window, "driver")->text(), QStringLiteral("Drv C"));
    Click(window, "cancelButton");
  });
}

void DescriptionDialogTest::typingADriveFieldWritesTheRecordAtOnceAndSurvivesCancel() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  WarningLog warnings;
  warnings.Attach(dialog);
  const bool accepted = RunOpening(dialog, [&](QDialog& window) {
    ClickSpin(window, true, 2);
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("E"));
    QVERIFY(!IsDriveDescribed(state.thisDrives, 2));

    QTest::keyClicks(Edit(window, "harddisk"), "WD");
    // Stored after the first character already, and again after the second.
    QCOMPARE(Text(state.thisDrives[2].letter), QStringLiteral("E"));
    QCOMPARE(Text(state.thisDrives[2].harddisk), QStringLiteral("WD"));
    QTest::keyClicks(Edit(window, "controller"), "AHCI");
    QTest::keyClicks(Edit(window, "driver"), "ahci.sys");
    QCOMPARE(Text(state.thisDrives[2].controller), QStringLiteral("AHCI"));
    QCOMPARE(Text(state.thisDrives[2].driver), QStringLiteral("ahci.sys"));
    // The typed texts stay in their controls, and typing inside a text keeps the caret where it
    // is although every change of Harddisk refills the controls.
    QCOMPARE(Edit(window, "driver")->text(), QStringLiteral("ahci.sys"));
    QLineEdit* harddisk = Edit(window, "harddisk");
    harddisk->setCursorPosition(1);
    TypeKeys(harddisk, QStringLiteral("e B"));
    QCOMPARE(harddisk->text(), QStringLiteral("We BD"));
    QCOMPARE(Text(state.thisDrives[2].harddisk), QStringLiteral("We BD"));
    Click(window, "cancelButton");
  });
  QVERIFY(!accepted);
  QVERIFY(!state.descriptionConfirmed);
  QVERIFY(IsDriveDescribed(state.thisDrives, 2));
  QCOMPARE(Text(state.thisDrives[2].harddisk), QStringLiteral("We BD"));
  QCOMPARE(Text(state.thisDrives[2].controller), QStringLiteral("AHCI"));
  QCOMPARE(Text(state.thisDrives[2].driver), QStringLiteral("ahci.sys"));
  for (int k = 0; k < kDriveRecords; ++k) {
    if (k != 2) QVERIFY2(!IsDriveDescribed(state.thisDrives, k), qPrintable(QString::number(k)));
  }
  QVERIFY(warnings.texts.isEmpty());
  QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
}

void DescriptionDialogTest::spinShowsDescribedDrivesOnly() {
  BenchmarkState state;
  Describe(state, 'D', "Disk D", "Ctrl D", "Drv D");
  // F holds texts but no letter, G the wrong letter: neither counts as described.
  Describe(state, 'F', "stale F", "stale F", "stale F");
  state.thisDrives[3].letter[0] = '\0';
  Describe(state, 'G', "stale G", "stale G", "stale G");
  state.thisDrives[4].letter[0] = 'X';
  CDescriptionDlg dialog(state);
  RunOpening(dialog, [&](QDialog& window) {
    auto shown = [&] {
      return QStringList{Edit(window, "driveLetter")->text(), Edit(window, "harddisk")->text(),
                         Edit(window, "controller")->text(), Edit(window, "driver")->text()};
    };
    ClickSpin(window, true);
    QCOMPARE(shown(), (QStringList{"D", "Disk D", "Ctrl D", "Drv D"}));
    ClickSpin(window, true);
    QCOMPARE(shown(), (QStringList{"E", "", "", ""}));
    ClickSpin(window, true);
    QCOMPARE(shown(), (QStringList{"F", "", "", ""}));
    ClickSpin(window, true);
    QCOMPARE(shown(), (QStringList{"G", "", "", ""}));
    ClickSpin(window, false, 3);
    QCOMPARE(shown(), (QStringList{"D", "Disk D", "Ctrl D", "Drv D"}));
    QCOMPARE(dialog.currentDrive(), 1);
    Click(window, "cancelButton");
  });
  // Emptying the fields while stepping ran no change handler: nothing new is described, nothing
  // was overwritten.
  QVERIFY(!IsDriveDescribed(state.thisDrives, 2));
  QVERIFY(!IsDriveDescribed(state.thisDrives, 3));
  QVERIFY(!IsDriveDescribed(state.thisDrives, 4));
  QCOMPARE(Text(state.thisDrives[4].letter), QStringLiteral("X"));
  QCOMPARE(Text(state.thisDrives[1].harddisk), QStringLiteral("Disk D"));
}

void DescriptionDialogTest::deleteUndescribesOnlyTheShownDrive() {
  BenchmarkState state;
  Describe(state, 'C', "Disk C", "Ctrl C", "Drv C");
  Describe(state, 'D', "Disk D", "Ctrl D", "Drv D");
  Describe(state, 'E', "Disk E", "Ctrl E", "Drv E");
  CDescriptionDlg dialog(state);
  RunOpening(dialog, [&](QDialog& window) {
    ClickSpin(window, true);
    QCOMPARE(Edit(window, "harddisk")->text(), QStringLiteral("Disk D"));
    Click(window, "deleteButton");
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("D"));
    QCOMPARE(Edit(window, "harddisk")->text(), QString());
    QCOMPARE(Edit(window, "controller")->text(), QString());
    QCOMPARE(Edit(window, "driver")->text(), QString());
    // Only D's letter is emptied; its other fields keep their text.
    QVERIFY(!IsDriveDescribed(state.thisDrives, 1));
    QCOMPARE(Text(state.thisDrives[1].letter), QString());
    QCOMPARE(Text(state.thisDrives[1].harddisk), QStringLiteral("Disk D"));
    QVERIFY(IsDriveDescribed(state.thisDrives, 0));
    QVERIFY(IsDriveDescribed(state.thisDrives, 2));

    ClickSpin(window, true);
    QCOMPARE(Edit(window, "harddisk")->text(), QStringLiteral("Disk E"));
    ClickSpin(window, false);
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("D"));
    QCOMPARE(Edit(window, "harddisk")->text(), QString());
    QCOMPARE(Edit(window, "controller")->text(), QString());
    ClickSpin(window, false);
    QCOMPARE(Edit(window, "harddisk")->text(), QStringLiteral("Disk C"));
    Click(window, "cancelButton");
  });
  QVERIFY(!IsDriveDescribed(state.thisDrives, 1));
  QCOMPARE(Text(state.thisDrives[2].harddisk), QStringLiteral("Disk E"));
}

void DescriptionDialogTest::refusedOkChangesNothing_data() {
  QTest::addColumn<QString>("entry");
  QTest::addColumn<bool>("typed");  // false: set as a whole, past the digits-only input
  QTest::addColumn<QString>("warning");
  QTest::addColumn<int>("workingAfter");
  QTest::addColumn<bool>("confirmedBefore");
  const QString range = ThreadRangeWarning();
  const QString notNumber = NotANumberWarning();
  QTest::newRow("0") << "0" << true << range << 0 << false;
  QTest::newRow("129") << "129" << true << range << 129 << false;
  QTest::newRow("129 after an earlier OK") << "129" << true << range << 129 << true;
  QTest::newRow("000") << "000" << true << range << 0 << false;
  QTest::newRow("huge") << "99999999999" << true << range
                        << std::numeric_limits<std::int32_t>::max() << false;
  QTest::newRow("negative") << " -3" << false << range << -3 << false;
  // Not a number: the working count keeps the 2 read from the store at start-up.
  QTest::newRow("empty") << "" << true << notNumber << 2 << false;
  QTest::newRow("blanks only") << "  " << false << notNumber << 2 << true;
  QTest::newRow("letters") << "abc" << false << notNumber << 2 << false;
  QTest::newRow("trailing text") << "4x" << false << notNumber << 2 << false;
  QTest::newRow("minus zero") << "-0" << false << notNumber << 2 << false;
  QTest::newRow("sign only") << "+" << false << notNumber << 2 << false;
}

void DescriptionDialogTest::refusedOkChangesNothing() {
  QFETCH(QString, entry);
  QFETCH(bool, typed);
  QFETCH(QString, warning);
  QFETCH(int, workingAfter);
  QFETCH(bool, confirmedBefore);
  BenchmarkState state;
  SetField(state.thisMachine.brand, "Loaded brand");
  SetField(state.thisMachine.threads, "2");
  state.descriptionConfirmed = confirmedBefore;
  const QStringList machineBefore = MachineTexts(state.thisMachine);
  CDescriptionDlg dialog(state);
  WarningLog warnings;
  warnings.Attach(dialog);
  const bool accepted = RunOpening(dialog, [&](QDialog& window) {
    QLineEdit* threads = Edit(window, "threads");
    if (typed) {
      Type(threads, entry);
    } else {
      threads->setText(entry);
    }
    QCOMPARE(threads->text(), entry);
    Type(Edit(window, "brand"), "Typed brand");
    Click(window, "okButton");

    QCOMPARE(warnings.texts, QStringList{warning});
    QCOMPARE(warnings.parents.value(0), &window);
    QVERIFY(window.isVisible());
    QCOMPARE(window.focusWidget(), threads);
    QCOMPARE(threads->selectedText(), entry);
    QCOMPARE(MachineTexts(state.thisMachine), machineBefore);
    QCOMPARE(state.descriptionConfirmed, confirmedBefore);
    QCOMPARE(dialog.workingThreads(), workingAfter);

    Click(window, "cancelButton");
  });
  QVERIFY(!accepted);
  QVERIFY(!state.descriptionConfirmed);
  QCOMPARE(MachineTexts(state.thisMachine), machineBefore);
  QCOMPARE(warnings.texts.size(), 1);
}

void DescriptionDialogTest::validOkWritesAllFourteenFields_data() {
  QTest::addColumn<QString>("entry");
  QTest::addColumn<bool>("typed");
  QTest::addColumn<QString>("stored");
  QTest::newRow("4") << "4" << true << "4";
  QTest::newRow("leading zeros") << "0004" << true << "4";
  QTest::newRow("leading blank") << " 4" << false << "4";
  QTest::newRow("blanks and tabs around") << "\t 4 \t" << false << "4";
  QTest::newRow("plus sign") << "+7" << false << "7";
  QTest::newRow("lowest") << "1" << true << "1";
  QTest::newRow("highest") << "128" << true << "128";
}

void DescriptionDialogTest::validOkWritesAllFourteenFields() {
  QFETCH(QString, entry);
  QFETCH(bool, typed);
  QFETCH(QString, stored);
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  WarningLog warnings;
  warnings.Attach(dialog);
  const bool accepted = RunOpening(dialog, [&](QDialog& window) {
    if (typed) {
      Type(Edit(window, "threads"), entry);
    } else {
      Edit(window, "threads")->setText(entry);
    }
    for (const char* name : kMachineEditNames) {
      Type(Edit(window, name),
           name == QLatin1String("cpuCount") ? QStringLiteral("2") : QStringLiteral("t-") + name);
    }
    Click(window, "okButton");
  });
  QVERIFY(accepted);
  QVERIFY(warnings.texts.isEmpty());
  QVERIFY(state.descriptionConfirmed);
  QCOMPARE(MachineTexts(state.thisMachine),
           (QStringList{"t-brand", "t-model", "t-motherboard", "t-cpu", "t-internalClock",
                        "t-externalClock", "t-cacheSize", "t-cacheType", "t-ramSize", "t-ramType",
                        "t-ramSpeed", "t-os", stored, "2"}));
  QCOMPARE(dialog.workingThreads(), stored.toInt());
}

void DescriptionDialogTest::longTextsAreCutWhenStored() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  const QString seventy = QString(60, QLatin1Char('b')) + QStringLiteral("0123456789");
  QVERIFY(RunOpening(dialog, [&](QDialog& window) {
    Type(Edit(window, "brand"), seventy);
    Type(Edit(window, "motherboard"), seventy);
    QCOMPARE(Edit(window, "motherboard")->text(), seventy.left(63));  // its input limit
    Type(Edit(window, "os"), QStringLiteral("Überschall Linux"));
    Type(Edit(window, "cpu"), QStringLiteral("Ryzen™"));
    TypeKeys(Edit(window, "harddisk"), seventy);
    Click(window, "okButton");
  }));
  QCOMPARE(Text(state.thisMachine.brand), seventy.left(63));
  QCOMPARE(Text(state.thisMachine.motherboard), seventy.left(63));
  QCOMPARE(Text(state.thisDrives[0].harddisk), seventy.left(63));
  // One byte per character in the store; what Latin-1 cannot hold becomes '?'.
  QCOMPARE(FieldText(state.thisMachine.os).size(), std::size_t{16});
  QCOMPARE(Text(state.thisMachine.os), QStringLiteral("Überschall Linux"));
  QCOMPARE(Text(state.thisMachine.cpu), QStringLiteral("Ryzen?"));

  // The working text keeps every character; only the stored copy is cut.
  RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "brand")->text(), seventy);
    QCOMPARE(Edit(window, "cpu")->text(), QStringLiteral("Ryzen™"));
    Click(window, "cancelButton");
  });
}

void DescriptionDialogTest::inputAcceptsOnlyDigitsAndLimitedLengths() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  QVERIFY(RunOpening(dialog, [&](QDialog& window) {
    Type(Edit(window, "threads"), QStringLiteral("a1 b2-c"));
    QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("12"));
    Type(Edit(window, "cpuCount"), QStringLiteral("x123456789"));
    QCOMPARE(Edit(window, "cpuCount")->text(), QStringLiteral("12345678"));
    // The drive letter cannot be typed over.
    QTest::keyClicks(Edit(window, "driveLetter"), "Q");
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("C"));
    Click(window, "okButton");
  }));
  QCOMPARE(Text(state.thisMachine.threads), QStringLiteral("12"));
  QCOMPARE(Text(state.thisMachine.cpuCount), QStringLiteral("12345678"));
}

void DescriptionDialogTest::overlongControlTextIsRefusedAndStopsTheExchange() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  WarningLog warnings;
  warnings.Attach(dialog);
  const QString seventy(70, QLatin1Char('m'));

  // Motherboard comes second in the exchange: Brand, after it, is not read.
  RunOpening(dialog, [&](QDialog& window) {
    QLineEdit* motherboard = Edit(window, "motherboard");
    motherboard->setMaxLength(100);  // a text beyond the input limit, as a script could set
    motherboard->setText(seventy);
    Type(Edit(window, "brand"), "Not read");
    Click(window, "okButton");
    QCOMPARE(warnings.texts, QStringList{TooLongWarning("Motherboard", 63)});
    QVERIFY(window.isVisible());
    QCOMPARE(window.focusWidget(), motherboard);
    QCOMPARE(motherboard->selectedText(), seventy);
    QVERIFY(!state.descriptionConfirmed);
    QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
    Click(window, "cancelButton");
  });
  RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "brand")->text(), QString());
    QCOMPARE(Edit(window, "motherboard")->text(), seventy.left(63));
    Click(window, "cancelButton");
  });

  // "# of CPUs" comes last: everything before it has been read when it is refused.
  warnings.texts.clear();
  RunOpening(dialog, [&](QDialog& window) {
    QLineEdit* cpuCount = Edit(window, "cpuCount");
    cpuCount->setMaxLength(20);
    cpuCount->setText(QStringLiteral("1234567890"));
    Type(Edit(window, "brand"), "Read");
    Click(window, "okButton");
    QCOMPARE(warnings.texts, QStringList{TooLongWarning("# of CPUs", 8)});
    QCOMPARE(window.focusWidget(), cpuCount);
    QCOMPARE(cpuCount->selectedText(), QStringLiteral("1234567890"));
    QVERIFY(window.isVisible());
    Click(window, "cancelButton");
  });
  RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "brand")->text(), QStringLiteral("Read"));
    Click(window, "cancelButton");
  });
  QCOMPARE(MachineTexts(state.thisMachine), QStringList(14, QString()));
}

void DescriptionDialogTest::driveFieldChangeWithBadThreadCountWarnsAndStillWrites() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  WarningLog warnings;
  warnings.Attach(dialog);
  RunOpening(dialog, [&](QDialog& window) {
    Type(Edit(window, "threads"), QString());
    QVERIFY(warnings.texts.isEmpty());  // typing into the thread count alone checks nothing
    QTest::keyClicks(Edit(window, "controller"), "x");
    QCOMPARE(warnings.texts, QStringList{NotANumberWarning()});
    QCOMPARE(window.focusWidget(), Edit(window, "threads"));
    // The handler goes on after the refusal: the record is marked as described.
    QVERIFY(IsDriveDescribed(state.thisDrives, 0));
    Click(window, "cancelButton");
  });
  QVERIFY(!state.descriptionConfirmed);
}

void DescriptionDialogTest::workingValuesPersistAndAreNotReloadedFromTheStore() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  QVERIFY(RunOpening(dialog, [&](QDialog& window) {
    Type(Edit(window, "threads"), "8");
    Type(Edit(window, "brand"), "Typed brand");
    Type(Edit(window, "os"), "Typed OS");
    ClickSpin(window, true, 3);
    Click(window, "okButton");
  }));
  QCOMPARE(Text(state.thisMachine.brand), QStringLiteral("Typed brand"));

  // A result file is loaded into thisMachine meanwhile.
  SetField(state.thisMachine.brand, "Loaded brand");
  SetField(state.thisMachine.threads, "2");
  SetField(state.thisMachine.os, "Loaded OS");

  QVERIFY(RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "threads")->text(), QStringLiteral("8"));
    QCOMPARE(Edit(window, "brand")->text(), QStringLiteral("Typed brand"));
    QCOMPARE(Edit(window, "os")->text(), QStringLiteral("Typed OS"));
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("F"));
    QCOMPARE(dialog.currentDrive(), 3);
    // Stepping goes on from the drive shown.
    ClickSpin(window, true);
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("G"));
    Click(window, "okButton");
  }));
  QCOMPARE(Text(state.thisMachine.brand), QStringLiteral("Typed brand"));
  QCOMPARE(Text(state.thisMachine.threads), QStringLiteral("8"));
  QCOMPARE(Text(state.thisMachine.os), QStringLiteral("Typed OS"));
  QCOMPARE(dialog.currentDrive(), 4);
}

void DescriptionDialogTest::cancelKeepsWhatTheLastExchangeTook() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  RunOpening(dialog, [&](QDialog& window) {
    Type(Edit(window, "brand"), "Never read");
    Click(window, "cancelButton");
  });
  RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "brand")->text(), QString());
    Type(Edit(window, "brand"), "Read by the spin");
    ClickSpin(window, true);
    Click(window, "cancelButton");
  });
  RunOpening(dialog, [&](QDialog& window) {
    QCOMPARE(Edit(window, "brand")->text(), QStringLiteral("Read by the spin"));
    QCOMPARE(Edit(window, "driveLetter")->text(), QStringLiteral("D"));
    Click(window, "cancelButton");
  });
  QVERIFY(!state.descriptionConfirmed);
  QCOMPARE(Text(state.thisMachine.brand), QString());
}

void DescriptionDialogTest::keysAndCloseBox_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<bool>("accepted");
  QTest::newRow("Enter in a field") << "enter" << true;
  QTest::newRow("Escape") << "escape" << false;
  QTest::newRow("close box") << "close" << false;
}

void DescriptionDialogTest::keysAndCloseBox() {
  QFETCH(QString, how);
  QFETCH(bool, accepted);
  BenchmarkState state;
  state.descriptionConfirmed = !accepted;  // each way must set the flag itself
  CDescriptionDlg dialog(state);
  const bool result = RunOpening(dialog, [&](QDialog& window) {
    QLineEdit* brand = Edit(window, "brand");
    Type(brand, "Acme");
    if (how == "enter") QTest::keyClick(brand, Qt::Key_Return);
    if (how == "escape") QTest::keyClick(brand, Qt::Key_Escape);
    if (how == "close") window.close();
  });
  QCOMPARE(result, accepted);
  QCOMPARE(state.descriptionConfirmed, accepted);
  QCOMPARE(Text(state.thisMachine.brand), accepted ? QStringLiteral("Acme") : QString());
  QCOMPARE(Text(state.thisMachine.threads), accepted ? QStringLiteral("1") : QString());
}

void DescriptionDialogTest::tabOrderFollowsTheTemplate() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  RunOpening(dialog, [&](QDialog& window) {
    QVERIFY(ActivateWindow(window));
    Edit(window, "threads")->setFocus(Qt::TabFocusReason);
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 21; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"threads",      "brand",       "model",         "motherboard",
                                   "cpu",          "cpuCount",    "internalClock", "externalClock",
                                   "cacheSize",    "cacheType",   "ramSize",       "ramType",
                                   "ramSpeed",     "driveLetter", "harddisk",      "controller",
                                   "driver",       "os",          "okButton",      "cancelButton",
                                   "deleteButton", "threads"}));
    Click(window, "cancelButton");
  });
}

void DescriptionDialogTest::spinStaysWithinCToZ() {
  BenchmarkState state;
  CDescriptionDlg dialog(state);
  RunOpening(dialog, [&](QDialog& window) {
    QLineEdit* letter = Edit(window, "driveLetter");
    ClickSpin(window, false);
    QCOMPARE(letter->text(), QStringLiteral("C"));
    QCOMPARE(dialog.currentDrive(), 0);
    for (int k = 1; k < kDriveRecords; ++k) {
      ClickSpin(window, true);
      QCOMPARE(dialog.currentDrive(), k);
      QCOMPARE(letter->text(), QString(QChar('C' + k)));
    }
    ClickSpin(window, true, 2);
    QCOMPARE(letter->text(), QStringLiteral("Z"));
    QCOMPARE(dialog.currentDrive(), 23);
    ClickSpin(window, false);
    QCOMPARE(letter->text(), QStringLiteral("Y"));
    ClickSpin(window, false, 30);
    QCOMPARE(letter->text(), QStringLiteral("C"));
    QCOMPARE(dialog.currentDrive(), 0);
    // Arrow keys in the letter field do not step.
    QTest::keyClick(letter, Qt::Key_Up);
    QCOMPARE(letter->text(), QStringLiteral("C"));
    Click(window, "cancelButton");
  });
  for (int k = 0; k < kDriveRecords; ++k) QVERIFY(!IsDriveDescribed(state.thisDrives, k));
}

}  // namespace quorvane

QTEST_MAIN(quorvane::DescriptionDialogTest)
#include "test_description_dialog.moc"
