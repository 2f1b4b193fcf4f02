// The texts of the base list's cells and of the add command's proposed
// directory: pure functions of the stored values (OEM form), so the list
// model and the commands share one rule each.
#pragma once

#include <string>

namespace app {

// Name and directory cells: the stored text converted to the ANSI form.
std::string NameCellText(const std::string& storedNaim);
std::string DirCellText(const std::string& storedDir);

// Type cell: nothing (empty) when recordCount <= 0; "Неизвестно" for an
// empty DOP (or an error while forming the text); otherwise the type name
// of DOP's first character ("Не найден" for a code without a name). DOP is
// used as stored, without conversion.
std::string TypeCellText(int recordCount, const std::string& storedDop);

// Date cell: NBDATE (YYYYMMDD) shown as DD.MM.YYYY; the parts beyond the
// end of a shorter value are empty, so "" shows "..".
std::string DateCellText(const std::string& nbdate);

// The directory that Add base proposes: the main-information folder's text
// up to and including the first backslash from its 4th character on
// ("C:\VEM\SM_A\" gives "C:\VEM\"); empty when there is none. Characters
// are counted, not bytes.
std::string ProposedBaseDir(const std::string& mainInfoDir);

}  // namespace app
