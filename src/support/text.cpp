#include "support/text.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <unordered_map>

namespace text {
namespace {

// Decodes one UTF-8 character at s[pos]. Returns the code point and sets
// len to its byte length, or returns -1 with len 1 for a byte that does not
// start a valid, shortest-form sequence.
int32_t DecodeOne(std::string_view s, std::size_t pos, std::size_t& len) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  len = 1;
  if (b0 < 0x80) return b0;
  std::size_t need;
  int32_t cp;
  int32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1; cp = b0 & 0x1F; min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2; cp = b0 & 0x0F; min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3; cp = b0 & 0x07; min = 0x10000;
  } else {
    return -1;
  }
  if (pos + need >= s.size()) return -1;  // the sequence is cut off
  for (std::size_t k = 1; k <= need; ++k) {
    const auto b = static_cast<unsigned char>(s[pos + k]);
    if ((b & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  len = need + 1;
  return cp;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The upper half of a single-byte code page as Unicode code points, read
// from iconv once; 0 marks a byte the code page leaves undefined (or a
// system without the converter).
struct CodePage {
  std::array<uint32_t, 128> upper{};
  std::unordered_map<uint32_t, unsigned char> reverse;

  explicit CodePage(const char* name) {
    iconv_t cd = iconv_open("UTF-32LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    for (int b = 0x80; b <= 0xFF; ++b) {
      char in = static_cast<char>(b);
      unsigned char out[8] = {};
      char* inp = &in;
      char* outp = reinterpret_cast<char*>(out);
      std::size_t inLeft = 1;
      std::size_t outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) ||
          outLeft != 4) {
        continue;
      }
      const uint32_t cp = out[0] | (out[1] << 8) | (out[2] << 16) |
                          (static_cast<uint32_t>(out[3]) << 24);
      upper[b - 0x80] = cp;
      reverse.emplace(cp, static_cast<unsigned char>(b));
    }
    iconv_close(cd);
  }

  std::string ToUtf8(std::string_view bytes) const {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      if (b < 0x80) {
        out += c;
      } else if (upper[b - 0x80] != 0) {
        AppendUtf8(out, upper[b - 0x80]);
      } else {
        out += '?';
      }
    }
    return out;
  }

  std::string FromUtf8(std::string_view utf8) const {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
      std::size_t len;
      const int32_t cp = DecodeOne(utf8, pos, len);
      pos += len;
      if (cp >= 0 && cp < 0x80) {
        out += static_cast<char>(cp);
        continue;
      }
      auto it = cp < 0 ? reverse.end() : reverse.find(static_cast<uint32_t>(cp));
      out += it == reverse.end() ? '?' : static_cast<char>(it->second);
    }
    return out;
  }
};

const CodePage& Cp866() {
  static const CodePage page("CP866");
  return page;
}
const CodePage& Cp1251() {
  static const CodePage page("CP1251");
  return page;
}

uint32_t UpperOf(uint32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 0x20;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;     // Latin-1
  if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;                 // а..я
  if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;                 // ѐ..џ, ё
  if (cp == 0x491) return 0x490;                                    // ґ
  return cp;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view bytes) { return Cp1251().ToUtf8(bytes); }
std::string Cp866ToUtf8(std::string_view bytes) { return Cp866().ToUtf8(bytes); }
std::string Utf8ToCp866(std::string_view utf8) { return Cp866().FromUtf8(utf8); }
std::string Utf8ToCp1251(std::string_view utf8) { return Cp1251().FromUtf8(utf8); }

std::string SanitizeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t len;
    const int32_t cp = DecodeOne(bytes, pos, len);
    if (cp < 0) {
      out += '?';
    } else {
      out.append(bytes.substr(pos, len));
    }
    pos += len;
  }
  return out;
}

std::string Utf8Upper(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::size_t len;
    const int32_t cp = DecodeOne(utf8, pos, len);
    if (cp < 0) {
      out += utf8[pos];
    } else {
      AppendUtf8(out, UpperOf(static_cast<uint32_t>(cp)));
    }
    pos += len;
  }
  return out;
}

std::size_t Utf8Length(std::string_view utf8) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < utf8.size(); ++count) {
    std::size_t len;
    DecodeOne(utf8, pos, len);
    pos += len;
  }
  return count;
}

std::string Utf8Substr(std::string_view utf8, std::size_t start, std::size_t count) {
  std::size_t pos = 0;
  std::size_t len;
  for (std::size_t i = 0; i < start && pos < utf8.size(); ++i) {
    DecodeOne(utf8, pos, len);
    pos += len;
  }
  const std::size_t from = pos;
  for (std::size_t i = 0; i < count && pos < utf8.size(); ++i) {
    DecodeOne(utf8, pos, len);
    pos += len;
  }
  return std::string(utf8.substr(from, pos - from));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  return Utf8Upper(a) == Utf8Upper(b);
}

}  // namespace text
