#include "engine/ResultStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quorvane {

std::string_view TextUpToNul(std::span<const char> slot) {
  const void* end = std::memchr(slot.data(), '\0', slot.size());
  const std::size_t length =
      end ? static_cast<std::size_t>(static_cast<const char*>(end) - slot.data()) : slot.size();
  return {slot.data(), length};
}

std::string_view FieldText(const DescriptionField& field) { return TextUpToNul(field); }

void SetField(DescriptionField& field, std::string_view text) {
  const std::size_t length = std::min<std::size_t>(text.size(), kFieldMaxLength);
  std::memcpy(field.data(), text.data(), length);
  field[length] = '\0';
}

std::string_view ValueText(const ResultEntry& entry) { return TextUpToNul(entry.value); }

void SetRow(ResultEntry& entry, char code, std::uint32_t value) {
  entry.code = code;
  std::snprintf(entry.value.data(), entry.value.size(), "%10u", value);
}

std::int32_t ReadValue(std::string_view text) {
  std::size_t i = 0;
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;  // unsigned, so that long texts wrap without undefined behaviour
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    ++i;
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::uint32_t ReadUnsignedValue(std::string_view text) {
  return static_cast<std::uint32_t>(ReadValue(text));
}

bool IsDriveDescribed(const DriveTable& drives, int k) {
  return drives[static_cast<std::size_t>(k)].letter[0] == static_cast<char>(kFirstDrive + k);
}

int FindRowByCode(const ResultTable& table, char code) {
  for (int row = 0; row < kResultRows; ++row) {
    if (table[static_cast<std::size_t>(row)].code == code) return row;
  }
  return -1;
}

void EmptyRow(ResultEntry& row) {
  row.code = '\0';
  row.value[0] = '\0';
}

void EmptyResultTable(ResultTable& table) {
  for (ResultEntry& row : table) EmptyRow(row);
}

}  // namespace quorvane
