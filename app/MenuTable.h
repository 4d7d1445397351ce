// The menu bar of the main window as one table: every item with its popup, identifier, text and
// handler, in menu order. Building the menu and routing a command both read this table.
#pragma once

#include <span>

namespace quorvane {

class CMainFrame;

enum class Popup { File, Test, DiskThroughput, Options, Info };

struct MenuItem {
  Popup popup;
  int id;            // 0 for a separator
  const char* text;  // nullptr for a separator
  void (CMainFrame::*handler)(int id);
  bool checkable;
};

// The items in menu order ("Disk throughput" is the popup at position 7 of "Test").
std::span<const MenuItem> MenuItems();

// The title of each popup.
const char* PopupTitle(Popup popup);

}  // namespace quorvane
