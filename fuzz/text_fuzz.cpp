// The code page conversions and the identifier routines on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "nbini/utility_class.h"
#include "support/text.h"
#include "support/wstring.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  WString w;
  // Every CP866 byte has a character: OEM -> UTF-8 -> OEM is exact.
  if (w.ToOem(w.ToAnsi(bytes)) != bytes) __builtin_trap();
  // Conversions to a code page keep one byte per character.
  const std::string clean = text::SanitizeUtf8(bytes);
  if (text::SanitizeUtf8(clean) != clean) __builtin_trap();
  if (w.ToOem(bytes).size() != text::Utf8Length(bytes)) __builtin_trap();
  if (text::Utf8ToCp1251(bytes).size() != text::Utf8Length(bytes)) __builtin_trap();
  (void)text::Cp1251ToUtf8(bytes);
  const std::string upper = text::Utf8Upper(bytes);
  if (text::Utf8Length(upper) != text::Utf8Length(bytes)) __builtin_trap();
  const std::size_t length = text::Utf8Length(bytes);
  if (text::Utf8Substr(bytes, 0, length) != bytes) __builtin_trap();
  if (text::Utf8Substr(bytes, 0, length / 2) + text::Utf8Substr(bytes, length / 2) != bytes) {
    __builtin_trap();
  }

  UtilityClass utility;
  const std::string folder = utility.GetFolderName(bytes);
  const std::string ident = utility.GetBaseIdent(bytes);
  if (folder.size() > bytes.size() || ident.size() > folder.size()) __builtin_trap();
  (void)utility.GetBaseTypeName(size ? bytes[0] : '\0');
  return 0;
}
