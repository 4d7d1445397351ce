// The controls of one open description window, by role. Only pointers: the window owns them.
#pragma once

class QLineEdit;
class QPushButton;

namespace quorvane {

class DriveSpin;

struct DescriptionControls {
  QLineEdit* threads = nullptr;         // 1031
  QLineEdit* brand = nullptr;           // 1001
  QLineEdit* model = nullptr;           // 1000
  QLineEdit* motherboard = nullptr;     // 1009
  QLineEdit* cpu = nullptr;             // 1002
  QLineEdit* cpuCount = nullptr;        // 1030
  QLineEdit* internalClock = nullptr;   // 1003
  QLineEdit* externalClock = nullptr;   // 1024
  QLineEdit* cacheSize = nullptr;       // 1004
  QLineEdit* cacheType = nullptr;       // 1005
  QLineEdit* ramSize = nullptr;         // 1007
  QLineEdit* ramType = nullptr;         // 1008
  QLineEdit* ramSpeed = nullptr;        // 1011
  QLineEdit* driveLetter = nullptr;     // 1020, read-only
  DriveSpin* driveSpin = nullptr;       // 1023
  QPushButton* deleteButton = nullptr;  // 1026
  QLineEdit* harddisk = nullptr;        // 1012
  QLineEdit* controller = nullptr;      // 1013
  QLineEdit* driver = nullptr;          // 1010
  QLineEdit* os = nullptr;              // 1014
  QPushButton* okButton = nullptr;      // 1
  QPushButton* cancelButton = nullptr;  // 2
  QPushButton* detectButton = nullptr;  // fills every field from the system
};

}  // namespace quorvane
