#include "support/wini_file.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <limits>

#include "platform/fs.h"
#include "platform/ui.h"
#include "support/text.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view StripQuotes(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
    s.remove_prefix(1);
    s.remove_suffix(1);
  }
  return s;
}

// The next line of the text from pos (ends at LF, CR LF or a lone CR);
// pos moves past its line end.
std::string_view NextLine(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  const std::size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) {
    pos = text.size();
    return text.substr(start);
  }
  pos = end + 1;
  if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  return text.substr(start, end - start);
}

}  // namespace

WIniFile::WIniFile() : description_("Класс: WIniFile") {}

std::optional<std::string> WIniFile::FindValue(std::string_view fileBytes,
                                               std::string_view section,
                                               std::string_view key) {
  bool utf8 = false;
  if (fileBytes.substr(0, 3) == "\xEF\xBB\xBF") {
    utf8 = true;
    fileBytes.remove_prefix(3);
  }
  auto decode = [utf8](std::string_view bytes) {
    return utf8 ? text::SanitizeUtf8(bytes) : text::Cp1251ToUtf8(bytes);
  };
  const std::string wantedSection = text::Utf8Upper(section);
  const std::string wantedKey = text::Utf8Upper(key);

  bool inSection = false;
  std::size_t pos = 0;
  while (pos < fileBytes.size()) {
    std::string_view line = NextLine(fileBytes, pos);
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos) {
      line = line.substr(0, nul);
    }
    line = TrimBlanks(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      if (inSection) return std::nullopt;  // only the first section of the name counts
      std::string_view name = line.substr(1);
      name = name.substr(0, name.find(']'));
      inSection = text::Utf8Upper(decode(TrimBlanks(name))) == wantedSection;
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = TrimBlanks(line.substr(0, eq));
    if (name.empty() || text::Utf8Upper(decode(name)) != wantedKey) continue;
    return decode(StripQuotes(TrimBlanks(line.substr(eq + 1))));
  }
  return std::nullopt;
}

std::optional<int> WIniFile::ParseInteger(std::string_view t) {
  if (t.empty()) return std::nullopt;
  bool negative = false;
  if (t.front() == '+' || t.front() == '-') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  long long value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

std::optional<double> WIniFile::ParseFloat(std::string_view t) {
  std::string s(t);
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  std::string_view v = s;
  bool negative = false;
  if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
    negative = v.front() == '-';
    v.remove_prefix(1);
  }
  // Digits and a separator only: no "inf", "nan" or hexadecimal forms.
  if (v.empty() || !((v.front() >= '0' && v.front() <= '9') || v.front() == '.')) {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value,
                                         std::chars_format::general);
  if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

bool WIniFile::ReadValue(const std::string& fileName, const std::string& section,
                         const std::string& key, int kind, std::string& s, double& f, int& i,
                         bool& b, bool report) {
  try {
    const std::optional<std::string> bytes = platform::ReadFileBytes(fileName);
    if (!bytes) return false;  // a missing file has no sections
    const std::optional<std::string> value = FindValue(*bytes, section, key);
    if (!value) return false;
    switch (kind) {
      case kText:
        s = *value;
        break;
      case kFloat:
        if (auto v = ParseFloat(*value)) f = *v;
        break;
      case kInteger:
        if (auto v = ParseInteger(*value)) i = *v;
        break;
      case kBool:
        if (auto v = ParseInteger(*value)) b = *v != 0;
        break;
      default:
        break;
    }
    return true;
  } catch (const std::exception&) {
    if (report) {
      platform::ShowMessage("Ошибка при чтении параметра: " + key + "\nСекции: " + section +
                                "\nФайла: " + fileName,
                            description_, platform::Icon::Warning, platform::Buttons::Ok,
                            platform::Modality::Task);
    }
    return false;
  }
}
