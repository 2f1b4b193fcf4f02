#include "engine/dbf_format.h"

#include <algorithm>
#include <ctime>

namespace engine::dbf {

using platform::Status;
using platform::StatusOr;

uint16_t GetU16(std::string_view b, size_t off) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[off]) |
                               (static_cast<uint8_t>(b[off + 1]) << 8));
}

uint32_t GetU32(std::string_view b, size_t off) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[off])) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[off + 1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[off + 2])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(b[off + 3])) << 24);
}

void PutU16(std::string& b, size_t off, uint16_t v) {
  b[off] = static_cast<char>(v & 0xFF);
  b[off + 1] = static_cast<char>(v >> 8);
}

void PutU32(std::string& b, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[off + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string_view TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return s.substr(0, n);
}

static std::string_view Trim(std::string_view s) {
  s = TrimRight(s);
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

static char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = UpperChar(c);
  return out;
}

int Layout::FindField(std::string_view name) const {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (EqualsIgnoreCase(fields[i].def.name, name)) return static_cast<int>(i);
  }
  return -1;
}

StatusOr<Layout> ParseLayout(std::string_view head, uint64_t fileSize, const std::string& name) {
  auto corrupt = [&](const std::string& what) {
    return Status::Corrupt("table " + name + " is damaged: " + what);
  };
  if (head.size() < kHeaderPrefix || fileSize < kHeaderPrefix) {
    return corrupt("the file is shorter than a table header");
  }
  Layout layout;
  layout.prefix = std::string(head.substr(0, kHeaderPrefix));
  uint8_t version = layout.Version();
  if ((version & 0x07) == 0x04) {
    return Status::Unsupported("table " + name + " is a dBASE 7 table, which is not supported");
  }
  layout.storedCount = GetU32(head, kCountOffset);
  layout.headerLength = GetU16(head, kHeaderLengthOffset);
  layout.recordLength = GetU16(head, kRecordLengthOffset);
  if (layout.headerLength < kHeaderPrefix + kDescriptorSize + 1) {
    return corrupt("the header length " + std::to_string(layout.headerLength) + " is too small");
  }
  if (layout.headerLength > fileSize) {
    return corrupt("the header length " + std::to_string(layout.headerLength) +
                   " goes past the end of the file");
  }
  if (head.size() < layout.headerLength) return corrupt("the header could not be read");
  if (layout.recordLength < 2) return corrupt("the record length is too small");

  size_t pos = kHeaderPrefix;
  bool terminated = false;
  uint32_t offset = 1;
  while (pos < layout.headerLength) {
    if (head[pos] == kTerminator) {
      terminated = true;
      break;
    }
    if (pos + kDescriptorSize > layout.headerLength) break;
    if (layout.fields.size() >= kMaxFields) return corrupt("too many fields");
    std::string_view d = head.substr(pos, kDescriptorSize);
    Field f;
    f.descriptor = std::string(d);
    std::string_view rawName = d.substr(0, 11);
    size_t nul = rawName.find('\0');
    f.def.name = std::string(TrimRight(rawName.substr(0, nul)));
    f.def.type = d[11];
    f.def.length = static_cast<uint8_t>(d[16]);
    f.def.decimals = static_cast<uint8_t>(d[17]);
    if (f.def.name.empty()) {
      return corrupt("field " + std::to_string(layout.fields.size() + 1) + " has no name");
    }
    if (f.def.length == 0) return corrupt("field " + f.def.name + " has zero width");
    f.offset = offset;
    offset += f.def.length;
    if (offset > layout.recordLength) {
      return corrupt("the fields are wider than the record length " +
                     std::to_string(layout.recordLength));
    }
    layout.fields.push_back(std::move(f));
    pos += kDescriptorSize;
  }
  if (!terminated) return corrupt("the field descriptors have no terminator");
  layout.tail = std::string(head.substr(pos + 1, layout.headerLength - pos - 1));
  if (layout.fields.empty()) return corrupt("the table has no fields");
  return layout;
}

StatusOr<TableData> ParseTable(std::string_view bytes, const std::string& name) {
  auto layout = ParseLayout(bytes, bytes.size(), name);
  if (!layout.ok()) return layout.status();
  TableData data;
  data.layout = std::move(layout.value());
  uint64_t available = (bytes.size() - data.layout.headerLength) / data.layout.recordLength;
  data.count = static_cast<uint32_t>(std::min<uint64_t>(available, data.layout.storedCount));
  data.records = std::string(
      bytes.substr(data.layout.headerLength, size_t(data.count) * data.layout.recordLength));
  return data;
}

std::string TodayBytes() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::string out(3, '\0');
  out[0] = static_cast<char>(tm.tm_year & 0xFF);
  out[1] = static_cast<char>(tm.tm_mon + 1);
  out[2] = static_cast<char>(tm.tm_mday);
  return out;
}

std::string MakeDescriptor(const FieldDef& def) {
  std::string d(kDescriptorSize, '\0');
  for (size_t i = 0; i < def.name.size() && i < kMaxNameLength; ++i) d[i] = def.name[i];
  d[11] = def.type;
  d[16] = static_cast<char>(def.length);
  d[17] = static_cast<char>(def.decimals);
  return d;
}

Status Relayout(Layout* layout) {
  if (layout->fields.empty()) return Status::Invalid("a table must keep at least one column");
  if (layout->fields.size() > kMaxFields) {
    return Status::Invalid("a table can hold at most " + std::to_string(kMaxFields) + " columns");
  }
  uint32_t offset = 1;
  for (Field& f : layout->fields) {
    f.offset = offset;
    offset += f.def.length;
    f.descriptor.resize(kDescriptorSize, '\0');
    std::fill(f.descriptor.begin(), f.descriptor.begin() + 11, '\0');
    std::copy(f.def.name.begin(), f.def.name.begin() + std::min(f.def.name.size(), kMaxNameLength),
              f.descriptor.begin());
    f.descriptor[11] = f.def.type;
    f.descriptor[16] = static_cast<char>(f.def.length);
    f.descriptor[17] = static_cast<char>(f.def.decimals);
  }
  if (offset > 0xFFFF) return Status::Invalid("the record would be longer than 65535 bytes");
  layout->recordLength = static_cast<uint16_t>(offset);
  layout->tail.clear();
  layout->headerLength =
      static_cast<uint16_t>(kHeaderPrefix + kDescriptorSize * layout->fields.size() + 1);
  return Status::Ok();
}

std::string SerializeHeader(const Layout& layout, uint32_t count) {
  std::string h = layout.prefix;
  h.resize(kHeaderPrefix, '\0');
  std::string today = TodayBytes();
  std::copy(today.begin(), today.end(), h.begin() + kDateOffset);
  PutU32(h, kCountOffset, count);
  PutU16(h, kHeaderLengthOffset, layout.headerLength);
  PutU16(h, kRecordLengthOffset, layout.recordLength);
  for (const Field& f : layout.fields) h += f.descriptor;
  h += kTerminator;
  // Bytes some writers keep after the terminator stay as they were.
  h += layout.tail;
  h.resize(layout.headerLength, '\0');
  return h;
}

std::string SerializeTable(const Layout& layout, uint32_t count, std::string_view records) {
  std::string out = SerializeHeader(layout, count);
  out.append(records);
  out += kEofByte;
  return out;
}

std::string BlankRecord(const Layout& layout) { return std::string(layout.recordLength, ' '); }

std::string_view RawValue(std::string_view record, const Field& field) {
  if (field.offset >= record.size()) return {};
  return record.substr(field.offset, field.def.length);
}

std::string ReadValue(std::string_view record, const Field& field) {
  std::string_view raw = RawValue(record, field);
  switch (field.def.type) {
    case 'N':
    case 'F':
    case 'D':
      return std::string(Trim(raw));
    case 'L':
      return std::string(Trim(raw));
    default:
      return std::string(TrimRight(raw));
  }
}

static bool IsNumberText(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  return digits > 0 && i == s.size();
}

Status WriteValue(std::string* record, const Field& field, std::string_view value) {
  const size_t width = field.def.length;
  if (field.offset + width > record->size()) return Status::Invalid("record too short");
  char* out = record->data() + field.offset;
  switch (field.def.type) {
    case 'C': {
      size_t n = std::min(width, value.size());
      std::copy(value.begin(), value.begin() + n, out);
      std::fill(out + n, out + width, ' ');
      return Status::Ok();
    }
    case 'N':
    case 'F': {
      std::string_view v = Trim(value);
      if (!v.empty() && !IsNumberText(v)) {
        return Status::Invalid("\"" + std::string(value) + "\" is not a number for column " +
                               field.def.name);
      }
      if (v.size() > width) {
        return Status::Invalid("\"" + std::string(v) + "\" does not fit in column " +
                               field.def.name);
      }
      std::fill(out, out + width, ' ');
      std::copy(v.begin(), v.end(), out + (width - v.size()));
      return Status::Ok();
    }
    case 'D': {
      std::string_view v = Trim(value);
      bool ok = v.empty() || (v.size() == 8 && std::all_of(v.begin(), v.end(), [](char c) {
                                return c >= '0' && c <= '9';
                              }));
      if (!ok || width < v.size()) {
        return Status::Invalid("\"" + std::string(value) + "\" is not a date YYYYMMDD for column " +
                               field.def.name);
      }
      std::fill(out, out + width, ' ');
      std::copy(v.begin(), v.end(), out);
      return Status::Ok();
    }
    case 'L': {
      std::string_view v = Trim(value);
      char c = ' ';
      if (v.size() == 1) {
        switch (v[0]) {
          case 'T': case 't': case 'Y': case 'y': c = 'T'; break;
          case 'F': case 'f': case 'N': case 'n': c = 'F'; break;
          case '?': c = '?'; break;
          default: c = 0;
        }
      } else if (!v.empty()) {
        c = 0;
      }
      if (c == 0) {
        return Status::Invalid("\"" + std::string(value) + "\" is not a logical value for column " +
                               field.def.name);
      }
      std::fill(out, out + width, ' ');
      out[0] = c;
      return Status::Ok();
    }
    default:
      return Status::Unsupported("column " + field.def.name + " of type '" +
                                 std::string(1, field.def.type) + "' cannot be written");
  }
}

}  // namespace engine::dbf
