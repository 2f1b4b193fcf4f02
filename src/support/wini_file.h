// WIniFile: single typed reads from Windows-style INI files (chiefly a
// normative base's NB.INI), on standard C++ alone.
//
// File format as the Windows profile functions read it: "[section]" lines,
// "key=value" lines; section and key names are matched without regard to
// letter case (ASCII and Cyrillic); blanks and tabs around names and
// values are removed; one pair of matching surrounding quotes (' or ") is
// removed from a value; lines whose first non-blank character is ';' are
// comments; lines without '=' outside a section header are ignored. Lines
// end at LF, CR LF or a lone CR. The first section of a name is the one
// searched (a later section of the same name is ignored), and in it the
// first line of a key wins. A name or value ends at a NUL byte.
//
// Encoding: the file is CP1251 and values are returned converted to UTF-8;
// a file that starts with a UTF-8 byte order mark is taken as UTF-8 (the
// mark is skipped, invalid sequences become "?"). Section and key names
// given by the caller are UTF-8 and compared with the converted names.
//
// The file name is a Windows path (or a host path starting with "/"),
// resolved through platform::ReadFileBytes; the file is read afresh at each
// call and no state is kept between calls. Only the user-interface thread
// uses an instance; the program keeps one (SingleIniFile) and dialogs may
// make local ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class WIniFile {
 public:
  enum Kind { kText = 0, kFloat = 1, kInteger = 2, kBool = 3 };

  WIniFile();

  // Reads section/key of fileName as the kind says into its destination:
  // 0 text -> s, 1 floating-point -> f, 2 integer -> i, 3 boolean -> b.
  // Returns true when the section and the key exist (the value was read);
  // false when the file, the section or the key is missing, with every
  // destination unchanged. Only the destination of the kind changes. A
  // value that does not convert keeps the destination's value (its
  // default). Integer: optional sign and decimal digits, the whole value,
  // within int range. Float: a decimal number with '.' or ',' as the
  // separator, the whole value. Boolean: an integer, non-zero is true. A
  // kind outside 0..3 reads nothing and returns true when the key exists.
  // An unexpected failure (out of memory) returns false and, with report on,
  // shows a task-modal warning captioned Description().
  bool ReadValue(const std::string& fileName, const std::string& section,
                 const std::string& key, int kind, std::string& s, double& f, int& i,
                 bool& b, bool report);

  // Destinations for the kinds a caller does not ask for.
  double spareFloat = 0.0;
  int spareInt = 0;
  bool spareBool = false;
  std::string spareString;

  // "Класс: WIniFile", the caption of the message box.
  const std::string& Description() const { return description_; }

  // The parsing step on bytes already in memory: the value (UTF-8, trimmed,
  // quotes removed) of section/key, nullopt when the section or key is
  // missing. Any input is accepted.
  static std::optional<std::string> FindValue(std::string_view fileBytes,
                                              std::string_view section,
                                              std::string_view key);

  // The conversions ReadValue applies; nullopt when the text does not
  // convert.
  static std::optional<int> ParseInteger(std::string_view text);
  static std::optional<double> ParseFloat(std::string_view text);

 private:
  std::string description_;
};
