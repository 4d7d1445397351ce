// The result store: fixed-size text tables of results and machine descriptions, and the
// numeric reading of a value text. Plain data only; the layouts are what the result files
// and the report depend on, so the sizes must not change.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvane {

constexpr int kResultRows = 100;
constexpr int kFieldSize = 64;  // 63 characters and the terminating NUL
constexpr int kFieldMaxLength = kFieldSize - 1;
constexpr int kValueSize = 12;  // every writer stores exactly 10 characters ("%10u")
constexpr int kValueLength = 10;
constexpr int kDriveRecords = 24;  // drives C to Z
constexpr char kFirstDrive = 'C';
constexpr char kLastDrive = 'Z';

// One row: a code letter (NUL marks an empty row) and the value as decimal text.
struct ResultEntry {
  char code = '\0';
  std::array<char, kValueSize> value{};
};

// 100 rows; the first row with a NUL code ends the table.
using ResultTable = std::array<ResultEntry, kResultRows>;

// A NUL-terminated text of at most 63 characters.
using DescriptionField = std::array<char, kFieldSize>;

struct MachineDescription {
  DescriptionField brand{};
  DescriptionField model{};
  DescriptionField motherboard{};
  DescriptionField cpu{};
  DescriptionField internalClock{};
  DescriptionField externalClock{};
  DescriptionField cacheSize{};
  DescriptionField cacheType{};
  DescriptionField ramSize{};
  DescriptionField ramType{};
  DescriptionField ramSpeed{};
  DescriptionField os{};
  DescriptionField threads{};
  DescriptionField cpuCount{};
};

constexpr int kMachineFieldCount = 14;

// The 14 fields in their fixed order (the order of the result file).
inline constexpr std::array<DescriptionField MachineDescription::*, kMachineFieldCount>
    kMachineFields = {&MachineDescription::brand,         &MachineDescription::model,
                      &MachineDescription::motherboard,   &MachineDescription::cpu,
                      &MachineDescription::internalClock, &MachineDescription::externalClock,
                      &MachineDescription::cacheSize,     &MachineDescription::cacheType,
                      &MachineDescription::ramSize,       &MachineDescription::ramType,
                      &MachineDescription::ramSpeed,      &MachineDescription::os,
                      &MachineDescription::threads,       &MachineDescription::cpuCount};

// One drive's record; described only when `letter` starts with the record's own letter.
struct DriveDescription {
  DescriptionField letter{};
  DescriptionField harddisk{};
  DescriptionField controller{};
  DescriptionField driver{};
};

// Record k belongs to drive 'C' + k.
using DriveTable = std::array<DriveDescription, kDriveRecords>;

// The text of a fixed-size slot, up to its first NUL (the whole slot when it has none).
std::string_view TextUpToNul(std::span<const char> slot);

// The text of a field, up to its NUL.
std::string_view FieldText(const DescriptionField& field);
// Stores `text` into a field, cut at 63 characters.
void SetField(DescriptionField& field, std::string_view text);

// The text of a row's value, up to its NUL (at most 12 characters).
std::string_view ValueText(const ResultEntry& entry);
// Stores "%10u" of `value` into the row.
void SetRow(ResultEntry& entry, char code, std::uint32_t value);

// Numeric reading of a value: leading white space, an optional sign, decimal digits up to the
// first other character; a text without digits reads as 0. Texts beyond the 32-bit range wrap
// modulo 2^32 to a signed 32-bit number.
std::int32_t ReadValue(std::string_view text);
// The same reading taken as the unsigned 32-bit number that every writer of values stores
// ("%10u"): 2147483648 stays 2147483648. Percentages and check letters use this one.
std::uint32_t ReadUnsignedValue(std::string_view text);

// True when record k (drive 'C' + k) is described.
bool IsDriveDescribed(const DriveTable& drives, int k);

// The index of the first of the 100 rows with `code`, wherever it stands; -1 when none has it.
int FindRowByCode(const ResultTable& table, char code);

// Empties a row: the code and the first character of the value become NUL.
void EmptyRow(ResultEntry& row);
// Empties every row of a table.
void EmptyResultTable(ResultTable& table);

}  // namespace quorvane
