#include "dialogs/StoreText.h"

namespace quorvane {

QString FromStoreText(std::string_view text) {
  return QString::fromStdString(Windows1252ToUtf8(text));
}

FieldTextProblem StoreTextProblem(const QString& text) {
  std::string bytes;
  return ToFieldBytes(text.toStdString(), bytes);
}

std::optional<std::string> ToStoreText(const QString& text) {
  std::string bytes;
  if (ToFieldBytes(text.toStdString(), bytes) != FieldTextProblem::None) return std::nullopt;
  return bytes;
}

}  // namespace quorvane
