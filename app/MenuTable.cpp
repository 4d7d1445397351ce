#include "app/MenuTable.h"

#include <array>

#include "app/CMainFrame.h"
#include "app/CommandIds.h"
#include "engine/TestTable.h"

namespace quorvane {

namespace {

using F = CMainFrame;
constexpr MenuItem Separator(Popup popup) { return {popup, 0, nullptr, nullptr, false}; }
constexpr MenuItem Drive(int k) {
  constexpr const char* kTexts[] = {
      "Drive C", "Drive D", "Drive E", "Drive F", "Drive G", "Drive H", "Drive I", "Drive J",
      "Drive K", "Drive L", "Drive M", "Drive N", "Drive O", "Drive P", "Drive Q", "Drive R",
      "Drive S", "Drive T", "Drive U", "Drive V", "Drive W", "Drive X", "Drive Y", "Drive Z"};
  return {Popup::DiskThroughput, command::kDriveC + k, kTexts[k], &F::OnToggleDrive, true};
}

constexpr MenuItem TestItem(TestId test) {
  const auto index = static_cast<std::size_t>(test);
  return {Popup::Test, command::kTestCommands[index], kTestTable[index].menuText.data(),
          &F::OnToggleTest, true};
}

constexpr std::array kItems = {
    MenuItem{Popup::File, command::kFileLoad, "Load...", &F::OnFileLoad, false},
    MenuItem{Popup::File, command::kFileCompare, "Compare...", &F::OnFileCompare, false},
    MenuItem{Popup::File, command::kFileSaveAs, "Save as...", &F::OnFileSaveAs, false},
    MenuItem{Popup::File, command::kFileExport, "Export...", &F::OnFileExport, false},
    MenuItem{Popup::File, command::kSaveChart, "Save chart as picture...", &F::OnSaveChart, false},
    MenuItem{Popup::File, command::kExportWebPage, "Export as web page...", &F::OnExportWebPage,
             false},
    MenuItem{Popup::File, command::kHistory, "History...", &F::OnHistory, false},
    Separator(Popup::File),
    MenuItem{Popup::File, command::kExit, "Exit", &F::OnExit, false},
    TestItem(TestId::Dhrystone),
    TestItem(TestId::Whetstone),
    TestItem(TestId::Queens),
    TestItem(TestId::Matrix),
    TestItem(TestId::NumberCrunch),
    TestItem(TestId::FloatingPoint),
    TestItem(TestId::Memory),
    Drive(0),
    Drive(1),
    Drive(2),
    Drive(3),
    Drive(4),
    Drive(5),
    Drive(6),
    Drive(7),
    Drive(8),
    Drive(9),
    Drive(10),
    Drive(11),
    Drive(12),
    Drive(13),
    Drive(14),
    Drive(15),
    Drive(16),
    Drive(17),
    Drive(18),
    Drive(19),
    Drive(20),
    Drive(21),
    Drive(22),
    Drive(23),
    Separator(Popup::Test),
    MenuItem{Popup::Test, command::kSelectAll, "Select all CPU tests", &F::OnSelectAllTests, false},
    MenuItem{Popup::Test, command::kDeselectAll, "Deselect all CPU tests", &F::OnDeselectAllTests,
             false},
    Separator(Popup::Test),
    MenuItem{Popup::Test, command::kRunSelectedTests, "Run selected tests", &F::OnRunSelectedTests,
             false},
    MenuItem{Popup::Options, command::kLongTests, "Long tests", &F::OnLongTests, true},
    MenuItem{Popup::Options, command::kRealTime, "RealTime Class Process", &F::OnRealTime, true},
    MenuItem{Popup::Options, command::kRepeatThree, "Repeat 3 times (median)", &F::OnRepeatThree,
             true},
    MenuItem{Popup::Options, command::kQuickTests, "Quick tests (fixed work)", &F::OnQuickTests,
             true},
    MenuItem{Popup::Options, command::kKeepHistory, "Keep a history of runs", &F::OnKeepHistory,
             true},
    Separator(Popup::Options),
    MenuItem{Popup::Options, command::kEnterDescription, "Enter Description",
             &F::OnEnterDescription, false},
    MenuItem{Popup::Options, command::kShowDescription, "Show Description/Results",
             &F::OnShowDescription, false},
    MenuItem{Popup::Options, command::kShowChart, "Show Chart", &F::OnShowChart, true},
    MenuItem{Popup::Info, command::kHelp, "Help", &F::OnHelp, false},
    Separator(Popup::Info),
    MenuItem{Popup::Info, command::kAbout, "About", &F::OnAbout, false},
};

}  // namespace

std::span<const MenuItem> MenuItems() { return kItems; }

const char* PopupTitle(Popup popup) {
  switch (popup) {
    case Popup::File:
      return "File";
    case Popup::Test:
      return "Test";
    case Popup::DiskThroughput:
      return "Disk throughput";
    case Popup::Options:
      return "Options";
    case Popup::Info:
      return "Info";
  }
  return "";
}

}  // namespace quorvane
