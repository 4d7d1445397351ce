// Qt strings of the store's texts: result values, description fields and the engine's messages
// are Windows-1252 bytes, one byte per character; every text of them shown on screen or typed
// into a field passes through here. No widgets.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "engine/Windows1252.h"

namespace quorvane {

// Store fields hold Windows-1252 text, one byte per character, so a cut at 63 characters is a
// cut at 63 bytes. A text that Windows-1252 cannot hold, or that holds a line break, has no
// store text: the exchange refuses it before anything is stored, and a store write skips it.
QString FromStoreText(std::string_view text);
std::optional<std::string> ToStoreText(const QString& text);
// Why `text` cannot be stored (FieldTextProblem::None when it can).
FieldTextProblem StoreTextProblem(const QString& text);

}  // namespace quorvane
