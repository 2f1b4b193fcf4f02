// The records in which the installation layer passes base data, the
// shared constants of the installation table, its index tag list and the
// texts of the rows the program creates. Header only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "nbini/nbini_format.h"

namespace nsBase {

// One normative base as a dialog (UTF-8) or INSTALL.APP (bytes as the file
// holds them, normally CP866) gives it.
struct SBase {
  std::string Name;  // base name
  std::string Type;  // base type code, one character; "x" when none
  std::string Path;  // base directory, ending with a backslash
};
using VBases = std::vector<SBase>;

// The six stored texts of one row in column order, each exactly as it is
// to be stored (already in OEM form where the column needs it).
struct SRecord {
  std::string VID, NAIM, DIR, DOP, BAZ_, NBDATE;
};

// The least width of BAZ_, and the length the identifier rule uses.
constexpr uint16_t IDENT_LENGTH = nbini::kIdentLength;
// Row kind of a base row, and the type code of a base without a type.
inline constexpr char kBaseKind[] = "b";
inline constexpr char kNoType[] = "x";

// One row of an index definition list: tag name, key expression,
// descending-field list. A list ends at the first row holding "NULL".
struct SIndexDef {
  const char* Name;
  const char* Expression;
  const char* Descending;
};

// The tags the installation table's production index must carry.
inline constexpr SIndexDef kInstallIndexDefs[] = {
    {"Naim", "NAIM", "NAIM"},
    {"Vid", "VID", "VID"},
    {"Dir", "DIR", "DIR"},
    {"Dop", "DOP", "DOP"},
    {"BAZ_", "BAZ_", "BAZ_"},
    {"NBDate", "NBDATE", "NBDATE"},
    {"VidDir", "VID+DIR", "DIR"},
    {"NULL", "NULL", "NULL"},
};

// A row the program appends when its kind is missing. DIR is the root +
// dirSuffix when rootRelative, else dir as it stands. Texts are UTF-8,
// converted to OEM form when stored; YES is set only for kind f.
struct SDefaultRow {
  char VID;
  const char* NAIM;
  bool rootRelative;
  const char* DIR;
  const char* DOP;
  const char* BAZ_;
  bool YES;
};

inline constexpr SDefaultRow kDefaultRows[] = {
    {'a', "Каталог для хранения выходной информации", true, "SM_A\\", "", "", false},
    {'d', "Каталог со вспомогательной информацией ( DOP, HLP, ...)", true, "SM_D\\", "", "",
     false},
    {'n', "Рабочий каталог", true, "SM_R\\", "", "", false},
    {'i', "Путь для архивации сметной документации:", true, "SM_R\\WR\\", "", "", false},
    {'h', "Порт принтера:", false, "PRN", "", "", false},
    {'f', "Печать формулы объёма при выпуске локальной сметы:", false, "", "{'НЕТ',' ','ДА','*'}",
     "*", true},
};

}  // namespace nsBase
