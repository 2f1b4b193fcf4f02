// The sample package: a complete VEM installation below a Wine-style
// prefix, for trying the configurator out, for screenshots and as a test
// fixture. Nothing here uses Qt or the table engine: the installation
// table is written byte by byte, so the sample is independent of the code
// that reads it.
//
// Layout below prefix (host folder):
//   dosdevices/c: -> ../drive_c (symlink; the drive map of the program)
//   drive_c/VEM/SM_R/INSTAL.DBF  every row kind (a d n i h f b) and one row
//                                 of an unknown kind z; code page 866 texts
//   drive_c/VEM/SM_A/APX_0.DBF, SM_D/IND_0.DBF, SM_R/WR/
//   drive_c/VEM/NB/GESN2001/, TSN_MOS/  registered bases (N_POZ.DBF, NB.INI)
//   drive_c/VEM/NB/FER2001/     a base listed only in SM_R/INSTALL.APP
//   one registered base (C:\VEM\NB\EREP1984\) whose directory is missing.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace demo {

// The package root in Windows form.
inline constexpr char kRoot[] = "C:\\VEM\\";

// Creates the sample below prefix (created when missing). Existing files
// of the sample are overwritten; other files are left alone. Throws
// std::runtime_error naming the path when a file cannot be written.
void MakeDemoPackage(const std::filesystem::path& prefix);

// A dBASE III table (version 0x03, code page byte 0x26 = CP866) from
// column definitions "NAME:TYPE:WIDTH" and rows of raw values in column
// order; C values are blank-padded or cut, L values "T"/"F" or blank.
struct DemoColumn {
  std::string name;
  char type;
  int width;
};
std::string BuildDbfBytes(const std::vector<DemoColumn>& columns,
                          const std::vector<std::vector<std::string>>& rows);

}  // namespace demo
