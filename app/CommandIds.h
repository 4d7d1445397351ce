// The command identifiers of the main window's menu. A command is triggered by its number.
#pragma once

#include <array>

#include "engine/TestSelection.h"

namespace quorvane::command {

constexpr int kFileLoad = 40007;
constexpr int kFileCompare = 40042;
constexpr int kFileSaveAs = 40006;
constexpr int kFileExport = 40037;
constexpr int kExit = 57665;
constexpr int kDhrystones = 40039;
constexpr int kWhetstones = 40005;
constexpr int kEightQueens = 40004;
constexpr int kMatrix = 40043;
constexpr int kNumberCrunching = 40040;
constexpr int kFloatingPoint = 40036;
constexpr int kMemory = 40002;
// The test commands in the order of the tests (TestId order).
constexpr std::array<int, kTestCount> kTestCommands = {
    kDhrystones, kWhetstones, kEightQueens, kMatrix, kNumberCrunching, kFloatingPoint, kMemory};
constexpr int kDriveC = 40012;  // "Drive C" ... "Drive Z" are 40012 ... 40035
constexpr int kDriveZ = 40035;
constexpr int kSelectAll = 40046;
constexpr int kDeselectAll = 40047;
constexpr int kRunSelectedTests = 40003;
constexpr int kLongTests = 40038;
constexpr int kRealTime = 40050;
constexpr int kEnterDescription = 40044;
constexpr int kShowDescription = 40045;
constexpr int kHelp = 57670;
constexpr int kAbout = 57664;

// Added beside the menu above.
constexpr int kShowChart = 40110;
constexpr int kSaveChart = 40111;
constexpr int kRepeatThree = 40100;    // "Repeat 3 times (median)"
constexpr int kQuickTests = 40101;     // "Quick tests (fixed work)"
constexpr int kKeepHistory = 40102;    // "Keep a history of runs"
constexpr int kExportWebPage = 40112;  // "Export as web page..."
constexpr int kHistory = 40113;        // "History..."

}  // namespace quorvane::command
