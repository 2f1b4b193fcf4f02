// The INI parser and its conversions on arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/text.h"
#include "support/wini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static constexpr std::string_view kLookups[][2] = {
      {"Version", "Date"}, {"Version", "Name"}, {"Crypter", "TypeBase"},
      {"VERSION", "typenb"}, {"Версия", "Имя"}, {"", ""}};
  for (const auto& lookup : kLookups) {
    const auto value = WIniFile::FindValue(bytes, lookup[0], lookup[1]);
    if (!value) continue;
    // A value is always valid UTF-8, whatever the file's bytes.
    if (text::SanitizeUtf8(*value) != *value) __builtin_trap();
    (void)WIniFile::ParseInteger(*value);
    (void)WIniFile::ParseFloat(*value);
  }
  // The section and key names may be anything too: take them from the
  // first two lines of the input.
  const std::size_t first = bytes.find('\n');
  if (first != std::string_view::npos) {
    const std::size_t second = bytes.find('\n', first + 1);
    if (second != std::string_view::npos) {
      (void)WIniFile::FindValue(bytes.substr(second + 1), bytes.substr(0, first),
                                bytes.substr(first + 1, second - first - 1));
    }
  }
  return 0;
}
