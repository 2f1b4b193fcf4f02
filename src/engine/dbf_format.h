// The bytes of a .DBF file (dBASE III+/IV layout): the 32-byte header, the
// 32-byte field descriptors ended by 0x0D, fixed-length records that start
// with the delete mark (' ' or '*'), and the end-of-file byte 0x1A.
// docs/FORMATS.md describes what this code writes.
//
// Parsing never trusts the header: a header length past the end of the
// file, a missing terminator, a zero-width field or fields wider than the
// record length are kCorrupt; a record count beyond the end of the file is
// cut to the records that are there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/table.h"
#include "platform/status.h"

namespace engine::dbf {

inline constexpr char kTerminator = 0x0D;
inline constexpr char kEofByte = 0x1A;
inline constexpr char kDeletedMark = '*';
inline constexpr size_t kHeaderPrefix = 32;
inline constexpr size_t kDescriptorSize = 32;
inline constexpr size_t kMaxFields = 255;
inline constexpr size_t kMaxNameLength = 10;

// Header byte offsets.
inline constexpr size_t kVersionOffset = 0;
inline constexpr size_t kDateOffset = 1;
inline constexpr size_t kCountOffset = 4;
inline constexpr size_t kHeaderLengthOffset = 8;
inline constexpr size_t kRecordLengthOffset = 10;
inline constexpr size_t kProductionFlagOffset = 28;
inline constexpr size_t kLanguageOffset = 29;
inline constexpr size_t kFieldFlagOffset = 31;  // within a descriptor

struct Field {
  FieldDef def;
  uint32_t offset = 0;     // of the field's first byte within the record
  std::string descriptor;  // the 32 descriptor bytes as read or made
};

struct Layout {
  std::string prefix;  // header bytes 0..31 as read (version, flags, LDID...)
  std::vector<Field> fields;
  uint16_t headerLength = 0;
  uint16_t recordLength = 0;
  uint32_t storedCount = 0;  // record count as the header states it
  std::string tail;  // header bytes after the terminator, kept until a restructure

  uint8_t Version() const { return static_cast<uint8_t>(prefix[kVersionOffset]); }
  uint8_t ProductionFlag() const { return static_cast<uint8_t>(prefix[kProductionFlagOffset]); }
  uint8_t LanguageDriver() const { return static_cast<uint8_t>(prefix[kLanguageOffset]); }
  // Index of a field by name, ignoring ASCII letter case; -1 when none.
  int FindField(std::string_view name) const;
};

struct TableData {
  Layout layout;
  uint32_t count = 0;   // records present: min(stored count, what the file holds)
  std::string records;  // count * recordLength bytes
  std::string_view Record(uint32_t recNo) const {  // from 1
    return std::string_view(records).substr(size_t(recNo - 1) * layout.recordLength,
                                            layout.recordLength);
  }
  bool Deleted(uint32_t recNo) const {
    return records[size_t(recNo - 1) * layout.recordLength] == kDeletedMark;
  }
};

uint16_t GetU16(std::string_view b, size_t off);
uint32_t GetU32(std::string_view b, size_t off);
void PutU16(std::string& b, size_t off, uint16_t v);
void PutU32(std::string& b, size_t off, uint32_t v);

// Parses the header and descriptors from the first bytes of a file of
// `fileSize` bytes. `name` is used in error texts.
platform::StatusOr<Layout> ParseLayout(std::string_view head, uint64_t fileSize,
                                       const std::string& name);
// Parses a whole file.
platform::StatusOr<TableData> ParseTable(std::string_view bytes, const std::string& name);

// Today's date as the three header bytes YY(+1900) MM DD.
std::string TodayBytes();

// A descriptor for a new field (name, type, length, decimals; the rest 0).
std::string MakeDescriptor(const FieldDef& def);
// Recomputes offsets, record length and header length from the fields.
// kInvalidArgument when the layout exceeds what the format can hold.
platform::Status Relayout(Layout* layout);
// The header bytes (prefix with count, lengths and today's date, the
// descriptors, the terminator).
std::string SerializeHeader(const Layout& layout, uint32_t count);
// A whole file: header, records, 0x1A.
std::string SerializeTable(const Layout& layout, uint32_t count, std::string_view records);

// A new record of the layout: delete mark ' ' and every field blank.
std::string BlankRecord(const Layout& layout);

// The value of a field as text: character and other types without trailing
// blanks, numbers and dates without surrounding blanks, logicals as the
// stored letter ("" when blank).
std::string ReadValue(std::string_view record, const Field& field);
std::string_view RawValue(std::string_view record, const Field& field);
// Stores a text into a field: character values blank-padded and cut to the
// width; numbers right-aligned (kInvalidArgument when not a number or too
// wide); dates as 8 digits or blank; logicals from T/Y/F/N/? or blank.
// Other types (memo and unknown) are kUnsupported.
platform::Status WriteValue(std::string* record, const Field& field, std::string_view value);

// Removes trailing blanks (and NULs, which some writers pad with).
std::string_view TrimRight(std::string_view s);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string UpperAscii(std::string_view s);

}  // namespace engine::dbf
