// Texts made safe for the web page: every text that comes from a result file, a description or
// the system is escaped here before it enters the page, as element text or as an attribute value
// (in HTML and in inline SVG alike). Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

namespace quorvane {

// The page's UTF-8 for a UTF-8 text (what the system reports): '&', '<', '>', '"' and '\'' as
// character references, a control character (C0, DEL, C1) as '?', a byte that is not UTF-8 and a
// noncharacter as U+FFFD. The result holds no markup and no character a browser must reject.
std::string HtmlText(std::string_view utf8);

// The same for a store text (Windows-1252, one byte per character: result values, description
// fields, drive records), converted to UTF-8 first; its control bytes become '?' as in the report.
std::string HtmlStoreText(std::string_view windows1252);

}  // namespace quorvane
