// UtilityClass: the readers of a normative base's NB.INI (type name, date,
// type detection) and the base identifier routines. All texts are UTF-8;
// paths are in Windows form. Nothing here fails or reports: a missing or
// unreadable NB.INI reads as empty. One process-wide instance
// (SingleUtility); the members keep no state.
#pragma once

#include <loki/Singleton.h>

#include <string>

class UtilityClass {
 public:
  // Display name of a base type code ('G', '4', '1', 'M', exact
  // comparison); "Не найден" for any other code.
  std::string GetBaseTypeName(char code);

  // The creation date of the base in dir (which ends with a backslash) from
  // dir + "nb.ini", [Version] Date "d.m.yyyy time": year, month and day
  // joined as written (normally YYYYMMDD); "00000000" when Date is not in
  // that form; empty when the file, the key or its value is missing.
  // Reads through SingleIniFile.
  std::string GetNbIniDate(const std::string& dir);

  // The base type of the base in dir (ends with a backslash, dir +
  // "NB.INI" exists): 'G', 'M' or '4', from [Version] TypeNB, else
  // [Crypter] TypeBase, else the base name in [Version] Name; 'G' when
  // nothing decides. Uses a WIniFile of its own.
  char DetectBaseType(const std::string& dir);

  // The last component of a directory path: "C:\NB\GESN2001\" and
  // "C:\NB\GESN2001" give "GESN2001", "C:\" gives "C:", a path ending in two
  // backslashes gives "".
  std::string GetFolderName(const std::string& path);

  // The base identifier of a directory: the folder name's text after its
  // first underscore; else, for a name of more than nbini::kIdentLength (4)
  // characters, its last kIdentLength + 1 characters; else the name. Counted in
  // characters, letter case kept, not cut to the column width (the table
  // does that), not converted to the OEM form.
  std::string GetBaseIdent(const std::string& path);
};

using SingleUtility = Loki::SingletonHolder<UtilityClass>;
