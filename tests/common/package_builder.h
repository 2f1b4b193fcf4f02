// Fixture packages for the installation layer's tests: a package root on a
// TempPackage drive with SM_R\INSTAL.DBF written byte by byte (no engine
// involved, so a fixture can hold what the engine would never write:
// narrow columns, missing columns, deleted rows, a stale header flag),
// normative base folders with N_POZ.DBF and a CP1251 NB.INI, and
// SM_R\INSTALL.APP. Also an independent reader of a finished table
// (/usr/bin/python3 with dbfread).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/temp_package.h"

namespace testing_support {

// UTF-8 -> CP866 / CP1251 bytes ("?" for characters the page lacks).
std::string ToCp866(std::string_view utf8);
std::string ToCp1251(std::string_view utf8);
// CP866 bytes -> UTF-8.
std::string FromCp866(std::string_view bytes);

struct DbfColumn {
  std::string name;
  char type = 'C';
  int length = 1;
};

struct DbfRow {
  std::vector<std::string> values;  // raw bytes per column; missing ones blank
  bool deleted = false;
};

// A dBASE file (version 0x03, language driver 0x26 = CP866, header byte 28
// as given): C values blank-padded or cut to the width, L values "T", "F"
// or blank.
std::string BuildDbf(const std::vector<DbfColumn>& columns, const std::vector<DbfRow>& rows,
                     uint8_t productionIndexFlag = 0);

// INSTAL.DBF contents. Columns start as VID C1, NAIM C60, DIR C80, DOP C30,
// BAZ_ C4, NBDATE C8, YES L1. Row texts are UTF-8 and stored as CP866.
class InstalBuilder {
 public:
  InstalBuilder();
  InstalBuilder& Width(const std::string& column, int width);
  InstalBuilder& Without(const std::string& column);
  InstalBuilder& With(const DbfColumn& column);
  // One row by column name (UTF-8 texts; YES takes "T"/"F").
  InstalBuilder& Row(const std::map<std::string, std::string>& fields, bool deleted = false);
  // One row with bytes stored as given.
  InstalBuilder& RawRow(const std::map<std::string, std::string>& fields);
  InstalBuilder& Base(const std::string& name, const std::string& dir, const std::string& ident,
                      const std::string& type = "G", const std::string& date = "");
  // The six rows the program appends (a, d, n, i below root; h; f).
  InstalBuilder& DefaultRows(const std::string& root);
  InstalBuilder& HeaderFlag(uint8_t flag);
  std::string Bytes() const;
  const std::vector<DbfColumn>& Columns() const { return columns_; }

 private:
  std::vector<DbfColumn> columns_;
  std::vector<std::map<std::string, std::string>> rows_;  // raw bytes
  std::vector<bool> deleted_;
  uint8_t flag_ = 0;
};

struct NbIni {
  std::string name = "Тестовая база";
  std::string date = "05.04.2010 14:37";  // empty: no Date key
  std::string typeNb = "G";
};

// One entry of INSTALL.APP (bytes as they stand in the file).
struct AppEntry {
  std::string name, type, path;
};

class PackageBuilder {
 public:
  explicit PackageBuilder(TempPackage& package, std::string root = "C:\\VEM\\");
  const std::string& root() const { return root_; }
  std::string TablePath() const { return root_ + "SM_R\\INSTAL.DBF"; }
  std::filesystem::path TableHost() { return package_.Host(TablePath()); }

  InstalBuilder& Table() { return table_; }
  // Writes root + SM_R\INSTAL.DBF from Table().
  void WriteTable();
  // A normative base folder: N_POZ.DBF and NB.INI (CP1251).
  void MakeBase(const std::string& winDir, const NbIni& ini = {});
  void WriteNbIni(const std::string& winDir, const NbIni& ini);
  // SM_A, SM_D, SM_R, SM_R\WR with their marker files.
  void MakeWorkDirs();
  // root + SM_R\INSTALL.APP, four lines per entry, CR LF line ends.
  void WriteInstallApp(const std::vector<AppEntry>& entries);

 private:
  TempPackage& package_;
  std::string root_;
  InstalBuilder table_;
};

// A table as dbfread reads it: columns and the rows not marked deleted,
// texts decoded from CP866 without trailing blanks, L values "T"/"F"/"".
struct OracleTable {
  std::vector<DbfColumn> columns;
  std::vector<std::map<std::string, std::string>> rows;
  std::vector<std::string> Column(const std::string& name) const;
};
// nullopt when /usr/bin/python3 with dbfread is not available; throws
// std::runtime_error when the reader rejects the file.
std::optional<OracleTable> ReadWithDbfread(const std::filesystem::path& hostPath);

}  // namespace testing_support
