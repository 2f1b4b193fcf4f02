#include "common/package_builder.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {
namespace {

std::string Convert(std::string_view in, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  std::string out;
  std::string src(in);
  char* inp = src.data();
  size_t inLeft = src.size();
  char buf[256];
  while (inLeft > 0) {
    char* outp = buf;
    size_t outLeft = sizeof buf;
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    out.append(buf, static_cast<size_t>(outp - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An unmappable or invalid sequence: one "?" and skip one character.
      out += '?';
      size_t skip = 1;
      if (std::strcmp(from, "UTF-8") == 0) {
        unsigned char c = static_cast<unsigned char>(*inp);
        skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      }
      skip = std::min(skip, inLeft);
      inp += skip;
      inLeft -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

void Put16(std::string& s, size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, size_t at, unsigned long v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string ToCp866(std::string_view utf8) { return Convert(utf8, "CP866", "UTF-8"); }
std::string ToCp1251(std::string_view utf8) { return Convert(utf8, "CP1251", "UTF-8"); }
std::string FromCp866(std::string_view bytes) { return Convert(bytes, "UTF-8", "CP866"); }

std::string BuildDbf(const std::vector<DbfColumn>& columns, const std::vector<DbfRow>& rows,
                     uint8_t productionIndexFlag) {
  const size_t headerLength = 32 + 32 * columns.size() + 1;
  size_t recordLength = 1;
  for (const auto& c : columns) recordLength += static_cast<size_t>(c.length);
  std::string out(headerLength, '\0');
  out[0] = 0x03;
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  out[1] = static_cast<char>(tm.tm_year);
  out[2] = static_cast<char>(tm.tm_mon + 1);
  out[3] = static_cast<char>(tm.tm_mday);
  Put32(out, 4, rows.size());
  Put16(out, 8, static_cast<unsigned>(headerLength));
  Put16(out, 10, static_cast<unsigned>(recordLength));
  out[28] = static_cast<char>(productionIndexFlag);
  out[29] = 0x26;
  for (size_t i = 0; i < columns.size(); ++i) {
    const size_t at = 32 + 32 * i;
    std::string name = columns[i].name.substr(0, 10);
    std::memcpy(&out[at], name.data(), name.size());
    out[at + 11] = columns[i].type;
    out[at + 16] = static_cast<char>(columns[i].length);
  }
  out[headerLength - 1] = 0x0D;
  for (const auto& row : rows) {
    std::string rec(1, row.deleted ? '*' : ' ');
    for (size_t i = 0; i < columns.size(); ++i) {
      std::string v = i < row.values.size() ? row.values[i] : std::string();
      v.resize(static_cast<size_t>(columns[i].length), ' ');
      rec += v;
    }
    out += rec;
  }
  out += '\x1A';
  return out;
}

InstalBuilder::InstalBuilder()
    : columns_{{"VID", 'C', 1},  {"NAIM", 'C', 60}, {"DIR", 'C', 80}, {"DOP", 'C', 30},
               {"BAZ_", 'C', 4}, {"NBDATE", 'C', 8}, {"YES", 'L', 1}} {}

InstalBuilder& InstalBuilder::Width(const std::string& column, int width) {
  for (auto& c : columns_)
    if (c.name == column) c.length = width;
  return *this;
}

InstalBuilder& InstalBuilder::Without(const std::string& column) {
  std::erase_if(columns_, [&](const DbfColumn& c) { return c.name == column; });
  return *this;
}

InstalBuilder& InstalBuilder::With(const DbfColumn& column) {
  columns_.push_back(column);
  return *this;
}

InstalBuilder& InstalBuilder::Row(const std::map<std::string, std::string>& fields, bool deleted) {
  std::map<std::string, std::string> raw;
  for (const auto& [k, v] : fields) raw[k] = ToCp866(v);
  rows_.push_back(std::move(raw));
  deleted_.push_back(deleted);
  return *this;
}

InstalBuilder& InstalBuilder::RawRow(const std::map<std::string, std::string>& fields) {
  rows_.push_back(fields);
  deleted_.push_back(false);
  return *this;
}

InstalBuilder& InstalBuilder::Base(const std::string& name, const std::string& dir,
                                   const std::string& ident, const std::string& type,
                                   const std::string& date) {
  return Row({{"VID", "b"}, {"NAIM", name}, {"DIR", dir}, {"DOP", type}, {"BAZ_", ident},
              {"NBDATE", date}});
}

InstalBuilder& InstalBuilder::DefaultRows(const std::string& root) {
  Row({{"VID", "a"}, {"NAIM", "Каталог для хранения выходной информации"}, {"DIR", root + "SM_A\\"}});
  Row({{"VID", "d"},
       {"NAIM", "Каталог со вспомогательной информацией ( DOP, HLP, ...)"},
       {"DIR", root + "SM_D\\"}});
  Row({{"VID", "n"}, {"NAIM", "Рабочий каталог"}, {"DIR", root + "SM_R\\"}});
  Row({{"VID", "i"}, {"NAIM", "Путь для архивации сметной документации:"}, {"DIR", root + "SM_R\\WR\\"}});
  Row({{"VID", "h"}, {"NAIM", "Порт принтера:"}, {"DIR", "PRN"}});
  Row({{"VID", "f"},
       {"NAIM", "Печать формулы объёма при выпуске локальной сметы:"},
       {"DOP", "{'НЕТ',' ','ДА','*'}"},
       {"BAZ_", "*"},
       {"YES", "T"}});
  return *this;
}

InstalBuilder& InstalBuilder::HeaderFlag(uint8_t flag) {
  flag_ = flag;
  return *this;
}

std::string InstalBuilder::Bytes() const {
  std::vector<DbfRow> rows;
  for (size_t r = 0; r < rows_.size(); ++r) {
    DbfRow row;
    row.deleted = deleted_[r];
    for (const auto& c : columns_) {
      auto it = rows_[r].find(c.name);
      row.values.push_back(it == rows_[r].end() ? std::string() : it->second);
    }
    rows.push_back(std::move(row));
  }
  return BuildDbf(columns_, rows, flag_);
}

PackageBuilder::PackageBuilder(TempPackage& package, std::string root)
    : package_(package), root_(std::move(root)) {}

void PackageBuilder::WriteTable() { package_.WriteFile(TablePath(), table_.Bytes()); }

void PackageBuilder::MakeBase(const std::string& winDir, const NbIni& ini) {
  package_.MakeDir(winDir);
  std::string dir = winDir;
  if (dir.back() != '\\') dir += '\\';
  package_.WriteFile(dir + "N_POZ.DBF", BuildDbf({{"KOD", 'C', 10}}, {}));
  WriteNbIni(dir, ini);
}

void PackageBuilder::WriteNbIni(const std::string& winDir, const NbIni& ini) {
  std::string dir = winDir;
  if (dir.back() != '\\') dir += '\\';
  std::string text = "[Version]\r\nName=" + ini.name + "\r\n";
  if (!ini.date.empty()) text += "Date=" + ini.date + "\r\n";
  if (!ini.typeNb.empty()) text += "TypeNB=" + ini.typeNb + "\r\n";
  package_.WriteFile(dir + "NB.INI", ToCp1251(text));
}

void PackageBuilder::MakeWorkDirs() {
  package_.WriteFile(root_ + "SM_A\\APX_0.DBF", BuildDbf({{"X", 'C', 1}}, {}));
  package_.WriteFile(root_ + "SM_D\\IND_0.DBF", BuildDbf({{"X", 'C', 1}}, {}));
  package_.MakeDir(root_ + "SM_R\\WR");
}

void PackageBuilder::WriteInstallApp(const std::vector<AppEntry>& entries) {
  std::string text;
  for (const auto& e : entries) text += "[base]\r\n" + e.name + "\r\n" + e.type + "\r\n" + e.path + "\r\n";
  package_.WriteFile(root_ + "SM_R\\INSTALL.APP", text);
}

std::vector<std::string> OracleTable::Column(const std::string& name) const {
  std::vector<std::string> out;
  for (const auto& r : rows) {
    auto it = r.find(name);
    out.push_back(it == r.end() ? std::string() : it->second);
  }
  return out;
}

std::optional<OracleTable> ReadWithDbfread(const std::filesystem::path& hostPath) {
  if (access("/usr/bin/python3", X_OK) != 0) return std::nullopt;
  // Fields: "F<TAB>name<TAB>type<TAB>length"; rows: "R" then <TAB>value per
  // field. Deleted rows are skipped by dbfread.
  static const char* kScript =
      "import sys\n"
      "try:\n"
      "  import dbfread\n"
      "except ImportError:\n"
      "  sys.exit(3)\n"
      "t = dbfread.DBF(sys.argv[1], encoding='cp866', char_decode_errors='strict')\n"
      "for f in t.fields: print('F\\t%s\\t%s\\t%d' % (f.name, f.type, f.length))\n"
      "def v(x):\n"
      "  if x is True: return 'T'\n"
      "  if x is False: return 'F'\n"
      "  if x is None: return ''\n"
      "  return str(x).rstrip(' ')\n"
      "for r in t:\n"
      "  print('R' + ''.join('\\t' + v(x) for x in r.values()))\n";
  std::string script = hostPath.string() + ".oracle.py";
  {
    FILE* f = std::fopen(script.c_str(), "w");
    if (!f) throw std::runtime_error("cannot write " + script);
    std::fputs(kScript, f);
    std::fclose(f);
  }
  std::string quoted = "'";
  for (char c : hostPath.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  quoted += "'";
  std::string cmd = "/usr/bin/python3 '" + script + "' " + quoted + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return std::nullopt;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = pclose(p);
  std::remove(script.c_str());
  if (WIFEXITED(rc) && WEXITSTATUS(rc) == 3) return std::nullopt;
  if (rc != 0) throw std::runtime_error("dbfread: " + out);
  OracleTable table;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
      size_t tab = line.find('\t', start);
      parts.push_back(line.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (parts[0] == "F" && parts.size() == 4) {
      table.columns.push_back({parts[1], parts[2][0], std::stoi(parts[3])});
    } else if (parts[0] == "R") {
      std::map<std::string, std::string> row;
      for (size_t i = 0; i < table.columns.size(); ++i)
        row[table.columns[i].name] = i + 1 < parts.size() ? parts[i + 1] : std::string();
      table.rows.push_back(std::move(row));
    }
  }
  return table;
}

}  // namespace testing_support
