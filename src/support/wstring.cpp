#include "support/wstring.h"

#include "support/text.h"

std::string WString::ToOem(const std::string& utf8) { return text::Utf8ToCp866(utf8); }

std::string WString::ToAnsi(const std::string& cp866) { return text::Cp866ToUtf8(cp866); }

std::string WString::PadRight(const std::string& text, int width) {
  if (width <= 0 || static_cast<std::size_t>(width) <= text.size()) return text;
  std::string out = text;
  out.append(static_cast<std::size_t>(width) - text.size(), ' ');
  return out;
}
