#include "nbini/utility_class.h"

#include "nbini/nbini_format.h"
#include "platform/fs.h"
#include "support/singletons.h"
#include "support/text.h"

namespace {

// Splits text at the first sep: the part before it goes to head and the
// rest after it stays in text. False when sep is missing or the first
// character.
bool TakeUpTo(std::string& text, char sep, std::string& head) {
  const std::size_t at = text.find(sep);
  if (at == std::string::npos || at == 0) return false;
  head = text.substr(0, at);
  text.erase(0, at + 1);
  return true;
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

std::string UtilityClass::GetBaseTypeName(char code) {
  for (const nbini::BaseType& type : nbini::kBaseTypes) {
    if (type.code == code) return type.lookupName;
  }
  return nbini::kTypeNotFound;
}

std::string UtilityClass::GetNbIniDate(const std::string& dir) {
  const std::string file = dir + nbini::kFileNameLower;
  if (!platform::FileExists(file)) return "";
  WIniFile& ini = SingleIniFile::Instance();
  std::string date;
  if (!ini.ReadValue(file, nbini::kSectionVersion, nbini::kKeyDate, WIniFile::kText, date,
                     ini.spareFloat, ini.spareInt, ini.spareBool, false) ||
      date.empty()) {
    return "";
  }
  std::string day, month, year;
  if (!TakeUpTo(date, '.', day) || !TakeUpTo(date, '.', month) || !TakeUpTo(date, ' ', year)) {
    day = "00";
    month = "00";
    year = "0000";
  }
  return year + month + day;
}

char UtilityClass::DetectBaseType(const std::string& dir) {
  const std::string file = dir + nbini::kFileName;
  WIniFile ini;
  std::string typeNB, name;
  int typeBase = 0;
  const bool haveTypeNB =
      ini.ReadValue(file, nbini::kSectionVersion, nbini::kKeyTypeNB, WIniFile::kText, typeNB,
                    ini.spareFloat, ini.spareInt, ini.spareBool, false);
  ini.ReadValue(file, nbini::kSectionVersion, nbini::kKeyName, WIniFile::kText, name,
                ini.spareFloat, ini.spareInt, ini.spareBool, false);
  const bool haveTypeBase =
      ini.ReadValue(file, nbini::kSectionCrypter, nbini::kKeyTypeBase, WIniFile::kInteger,
                    ini.spareString, ini.spareFloat, typeBase, ini.spareBool, false);

  char type = 0;
  if (haveTypeNB) {
    if (!typeNB.empty()) {
      const std::string first = text::Utf8Upper(text::Utf8Substr(typeNB, 0, 1));
      if (first == "M") type = 'M';
      if (first == "G") type = 'G';
    }
  } else if (haveTypeBase) {
    switch (static_cast<unsigned char>(typeBase)) {  // the low byte decides
      case 1: type = '4'; break;
      case 2: case 5: case 6: type = 'G'; break;
      case 3: case 4: type = 'M'; break;
      default: break;
    }
  }
  if (type == 0 && !name.empty()) {
    if (Contains(name, "ГЭСН") || Contains(name, "ФЕР") || Contains(name, "ТЕР") ||
        Contains(name, "ОЕР") || Contains(name, "ОЭСН")) {
      type = 'G';
    } else if (Contains(name, "ТСН")) {
      type = 'M';
    } else {
      type = 'G';
    }
  }
  return type == 0 ? 'G' : type;
}

std::string UtilityClass::GetFolderName(const std::string& path) {
  if (path.empty()) return "";
  std::string p = path;
  if (p.back() == '\\') p.pop_back();
  const std::size_t slash = p.rfind('\\');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string UtilityClass::GetBaseIdent(const std::string& path) {
  const std::string folder = GetFolderName(path);
  if (const std::size_t us = folder.find('_'); us != std::string::npos) {
    return folder.substr(us + 1);
  }
  const std::size_t length = text::Utf8Length(folder);
  if (length > nbini::kIdentLength) {
    return text::Utf8Substr(folder, length - nbini::kIdentLength - 1);
  }
  return folder;
}
