// Where the help page lies (in help/ beside the program file) and how it is opened: with the
// desktop's default application. Shows nothing of its own, not even when the page is missing;
// it tells its caller when the page is there but could not be opened.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace quorvane {

// programFolder + "/help/Quorvane Ru VAR EZO help.htm".
QString HelpDocumentPath(const QString& programFolder);

// The help page of the running program: in the folder of its executable file, whatever the
// current directory is.
QString HelpDocumentPath();

// Hands a URL to whatever opens it; false when nothing could open it.
using UrlOpener = std::function<bool(const QUrl&)>;

enum class HelpOutcome { Missing, Opened, NotOpened };

// Opens the help page of the program in `programFolder` with `open` (default:
// QDesktopServices::openUrl). When the page is missing nothing is opened and nothing is shown.
HelpOutcome OpenHelpDocument(const QString& programFolder, const UrlOpener& open = {});

// The same for the running program.
HelpOutcome OpenHelpDocument(const UrlOpener& open = {});

}  // namespace quorvane
