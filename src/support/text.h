// Text helpers on UTF-8 strings and the two 8-bit code pages of the
// package (CP1251 for NB.INI files, CP866 for table text). Invalid UTF-8
// is never rejected: each byte that does not start a valid sequence counts
// as one character of its own (and converts to "?").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// CP1251 bytes -> UTF-8; the one undefined byte (0x98) becomes "?".
std::string Cp1251ToUtf8(std::string_view bytes);
// CP866 bytes -> UTF-8.
std::string Cp866ToUtf8(std::string_view bytes);
// UTF-8 -> CP866 / CP1251; characters the code page lacks and invalid
// bytes become "?".
std::string Utf8ToCp866(std::string_view utf8);
std::string Utf8ToCp1251(std::string_view utf8);
// UTF-8 with every invalid byte replaced by "?".
std::string SanitizeUtf8(std::string_view bytes);

// Upper case of Latin (ASCII and Latin-1) and Cyrillic letters (the
// letters CP1251 has, ё -> Ё included); other characters and invalid bytes
// are kept as they are.
std::string Utf8Upper(std::string_view utf8);

// Number of characters.
std::size_t Utf8Length(std::string_view utf8);
// Up to count characters starting at character index start (from 0);
// empty when start is past the end.
std::string Utf8Substr(std::string_view utf8, std::size_t start,
                       std::size_t count = std::string_view::npos);

// ASCII + Cyrillic case-insensitive equality of two UTF-8 texts.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace text
