#include "tools/demo_package.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "support/text.h"

namespace fs = std::filesystem;

namespace demo {
namespace {

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void MakeDir(const fs::path& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) throw std::runtime_error("cannot create " + path.string() + ": " + ec.message());
}

void PutLe(std::string& out, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Oem(const std::string& utf8) { return text::Utf8ToCp866(utf8); }

struct IniSpec {
  std::string name, number, date, confirm, typeNb, subType, region, typeBase;
  int c4, x40, kod, varMontag;
};

std::string NbIniText(const IniSpec& s) {
  std::string t;
  t += "[Version]\r\n";
  t += "Name=" + s.name + "\r\n";
  t += "Number=" + s.number + "\r\n";
  t += "Date=" + s.date + "\r\n";
  t += "ConfirmDate=" + s.confirm + "\r\n";
  t += "TypeNB=" + s.typeNb + "\r\n";
  t += "SubTypeNB=" + s.subType + "\r\n";
  t += "RegionName=" + s.region + "\r\n";
  t += "\r\n[Crypter]\r\n";
  t += "TypeBase=" + s.typeBase + "\r\n";
  t += "\r\n[Calculation]\r\n";
  t += "C4=" + std::to_string(s.c4) + "\r\n";
  t += "X40=" + std::to_string(s.x40) + "\r\n";
  t += "KodRemontSbornik_GESN=" + std::to_string(s.kod) + "\r\n";
  t += "VarMontagMaterial=" + std::to_string(s.varMontag) + "\r\n";
  return text::Utf8ToCp1251(t);
}

// A marker table: the few columns of a normative base's position list and
// two rows, enough for any program that opens it.
std::string MarkerTable() {
  return BuildDbfBytes({{"KOD", 'C', 12}, {"NAIM", 'C', 60}},
                       {{"01-01-001", Oem("Разработка грунта")},
                        {"01-01-002", Oem("Засыпка траншей")}});
}

}  // namespace

std::string BuildDbfBytes(const std::vector<DemoColumn>& columns,
                          const std::vector<std::vector<std::string>>& rows) {
  size_t recordSize = 1;
  for (const DemoColumn& c : columns) recordSize += static_cast<size_t>(c.width);
  const size_t headerSize = 32 + 32 * columns.size() + 1;

  std::string out(headerSize, '\0');
  out[0] = 0x03;
  out[1] = 124;  // 2024-03-06: the date of the last update
  out[2] = 3;
  out[3] = 6;
  PutLe(out, 4, static_cast<uint32_t>(rows.size()), 4);
  PutLe(out, 8, static_cast<uint32_t>(headerSize), 2);
  PutLe(out, 10, static_cast<uint32_t>(recordSize), 2);
  out[28] = 0;     // no production index
  out[29] = 0x26;  // code page 866
  size_t at = 32;
  for (const DemoColumn& c : columns) {
    for (size_t i = 0; i < c.name.size() && i < 10; ++i) out[at + i] = c.name[i];
    out[at + 11] = c.type;
    out[at + 16] = static_cast<char>(c.width);
    at += 32;
  }
  out[at] = 0x0D;

  for (const auto& row : rows) {
    out += ' ';
    for (size_t i = 0; i < columns.size(); ++i) {
      std::string value = i < row.size() ? row[i] : std::string();
      const size_t width = static_cast<size_t>(columns[i].width);
      if (columns[i].type == 'L' && value.empty()) value = " ";
      value.resize(width, ' ');
      out += value;
    }
  }
  out += '\x1A';
  return out;
}

void MakeDemoPackage(const fs::path& prefix) {
  const fs::path drive = prefix / "drive_c";
  const fs::path vem = drive / "VEM";
  MakeDir(vem);

  // The drive map: c: -> ../drive_c, as Wine keeps it.
  const fs::path devices = prefix / "dosdevices";
  MakeDir(devices);
  std::error_code ec;
  fs::remove(devices / "c:", ec);
  fs::create_directory_symlink("../drive_c", devices / "c:", ec);
  if (ec) throw std::runtime_error("cannot link " + (devices / "c:").string() + ": " + ec.message());

  // Working directories with their marker files.
  WriteBytes(vem / "SM_A" / "APX_0.DBF", MarkerTable());
  WriteBytes(vem / "SM_D" / "IND_0.DBF", MarkerTable());
  MakeDir(vem / "SM_R" / "WR");

  // Normative bases.
  WriteBytes(vem / "NB" / "GESN2001" / "N_POZ.DBF", MarkerTable());
  WriteBytes(vem / "NB" / "GESN2001" / "NB.INI",
             NbIniText({"ГЭСН-2001 Государственные элементные сметные нормы", "2001.3",
                        "15.03.2022 10:30", "20.03.2022 09:00", "G", "1", "77", "2", 1, 0, 1,
                        0}));
  WriteBytes(vem / "NB" / "TSN_MOS" / "N_POZ.DBF", MarkerTable());
  WriteBytes(vem / "NB" / "TSN_MOS" / "NB.INI",
             NbIniText({"ТСН-2001 Территориальные сметные нормы г. Москвы", "12",
                        "06.03.2024 08:15", "11.03.2024 12:00", "M", "2", "77", "3", 0, 1, 0,
                        1}));
  WriteBytes(vem / "NB" / "FER2001" / "N_POZ.DBF", MarkerTable());
  WriteBytes(vem / "NB" / "FER2001" / "NB.INI",
             NbIniText({"ФЕР-2001 Федеральные единичные расценки", "2020.1", "01.02.2021 16:45",
                        "05.02.2021 10:00", "G", "0", "77", "5", 1, 1, 0, 0}));

  // The installation table, one row of every kind.
  const std::vector<DemoColumn> columns = {{"VID", 'C', 1},  {"NAIM", 'C', 80},
                                           {"DIR", 'C', 80}, {"DOP", 'C', 20},
                                           {"BAZ_", 'C', 4}, {"NBDATE", 'C', 8},
                                           {"YES", 'L', 1}};
  const std::vector<std::vector<std::string>> rows = {
      {"a", Oem("Каталог для хранения выходной информации"), "C:\\VEM\\SM_A\\", "", "", "", "F"},
      {"d", Oem("Каталог со вспомогательной информацией ( DOP, HLP, ...)"), "C:\\VEM\\SM_D\\",
       "", "", "", "F"},
      {"n", Oem("Рабочий каталог"), "C:\\VEM\\SM_R\\", "", "", "", "F"},
      {"i", Oem("Путь для архивации сметной документации:"), "C:\\VEM\\SM_R\\WR\\", "", "", "",
       "F"},
      {"h", Oem("Порт принтера:"), "PRN", "", "", "", "F"},
      {"f", Oem("Печать формулы объёма при выпуске локальной сметы:"), "",
       Oem("{'НЕТ',' ','ДА','*'}"), "*", "", "T"},
      {"b", Oem("ГЭСН-2001 Государственные элементные сметные нормы"),
       "C:\\VEM\\NB\\GESN2001\\", "G", "N200", "20220315", ""},
      {"b", Oem("ТСН-2001 Территориальные сметные нормы г. Москвы"), "C:\\VEM\\NB\\TSN_MOS\\",
       "M", "MOS", "", ""},
      {"b", Oem("ЕРЕР-1984 (каталог удалён)"), "C:\\VEM\\NB\\EREP1984\\", "4", "P198",
       "19840101", ""},
      {"z", Oem("Строка другой программы"), "C:\\VEM\\OTHER\\", "", "", "", ""},
  };
  WriteBytes(vem / "SM_R" / "INSTAL.DBF", BuildDbfBytes(columns, rows));

  // What an installer leaves for the configurator: one base to register.
  WriteBytes(vem / "SM_R" / "INSTALL.APP",
             Oem("[FER2001]\r\nФЕР-2001 Федеральные единичные расценки\r\nG\r\n"
                 "C:\\VEM\\NB\\FER2001\\\r\n"));
}

}  // namespace demo
