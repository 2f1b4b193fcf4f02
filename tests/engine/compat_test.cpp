// Other dBASE readers (dbfread, python3-dbf, Perl's dbf_dump, GDAL's
// ogrinfo) see the rows the engine sees, after posts, deletes, a column
// restructuring and a pack. A reader whose program is absent is skipped.
#include <gtest/gtest.h>

#include "common/strict.h"

#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "engine/table.h"
#include "engine_test_util.h"

namespace {

using engine_test::OpenTable;
using engine_test::TempDir;
using engine_test::WriteAll;

std::string Run(const std::string& cmd, int* rc) {
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) {
    *rc = -1;
    return {};
  }
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  *rc = ::pclose(p);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::string Cp866ToUtf8(const std::string& in) {
  iconv_t cd = iconv_open("UTF-8", "CP866");
  std::string src = in, out(in.size() * 4 + 4, '\0');
  char* ip = src.data();
  char* op = out.data();
  size_t il = src.size(), ol = out.size();
  iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  out.resize(out.size() - ol);
  return out;
}

// The engine's rows as "v|v|v" in UTF-8, logicals as T, F or "".
std::vector<std::string> EngineRows(const std::filesystem::path& path) {
  auto t = OpenTable(path);
  EXPECT_TRUE(t);
  std::vector<std::string> rows;
  if (!t) return rows;
  for (bool ok = t->First(); ok; ok = t->Next()) {
    std::string line;
    for (size_t i = 0; i < t->Fields().size(); ++i) {
      const auto& f = t->Fields()[i];
      if (i) line += '|';
      if (f.type == 'L') {
        auto b = t->GetBool(f.name);
        line += b ? (*b ? "T" : "F") : "";
      } else {
        line += Cp866ToUtf8(t->GetString(f.name));
      }
    }
    rows.push_back(line);
  }
  return rows;
}

const char* kPython = R"PY(
import sys
def norm(v):
    if v is None: return ''
    if isinstance(v, bool): return 'T' if v else 'F'
    s = str(v)
    if s in ('True', 'False'): return s[0]
    if s in ('?', 'None', 'Unknown'): return ''
    if isinstance(v, float) and v == int(v) and '.' not in sys.argv[3]: s = str(int(v))
    return s.rstrip()
if sys.argv[1] == 'dbfread':
    import dbfread
    for r in dbfread.DBF(sys.argv[2], encoding='cp866'):
        print('|'.join(norm(v) for v in r.values()))
else:
    import dbf
    t = dbf.Table(sys.argv[2], codepage='cp866')
    t.open(dbf.READ_ONLY)
    for r in t:
        if not dbf.is_deleted(r):
            print('|'.join(norm(v) for v in tuple(r)))
)PY";

struct Reader {
  const char* name;
  const char* binary;
  // Rows as the reader prints them, or nullopt when it failed.
  std::function<std::vector<std::string>(const std::filesystem::path& table,
                                         const std::filesystem::path& script,
                                         const std::vector<engine::FieldDef>& fields)>
      rows;
};

std::vector<std::string> PythonRows(const char* which, const std::filesystem::path& table,
                                    const std::filesystem::path& script) {
  int rc = 0;
  std::string out = Run("/usr/bin/python3 '" + script.string() + "' " + which + " '" +
                            table.string() + "' x 2>&1",
                        &rc);
  EXPECT_EQ(rc, 0) << out;
  return Lines(out);
}

std::vector<std::string> PerlRows(const std::filesystem::path& table,
                                  const std::vector<engine::FieldDef>& fields) {
  int rc = 0;
  std::string out =
      Run("dbf_dump --fs '|' '" + table.string() + "' | iconv -f CP866 -t UTF-8", &rc);
  EXPECT_EQ(rc, 0) << out;
  std::vector<std::string> rows;
  for (std::string line : Lines(out)) {
    // Logicals come out as 1, 0 or empty.
    std::vector<std::string> v;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, '|');) v.push_back(cell);
    v.resize(fields.size());
    std::string norm;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i) norm += '|';
      if (fields[i].type == 'L') {
        norm += v[i] == "1" ? "T" : v[i] == "0" ? "F" : "";
      } else {
        norm += v[i];
      }
    }
    rows.push_back(norm);
  }
  return rows;
}

std::vector<std::string> OgrRows(const std::filesystem::path& table,
                                 const std::vector<engine::FieldDef>& fields) {
  int rc = 0;
  std::string out = Run("ogrinfo -ro -al -q -oo ENCODING=CP866 '" + table.string() + "' 2>&1", &rc);
  EXPECT_EQ(rc, 0) << out;
  std::vector<std::string> rows;
  std::vector<std::string> cur;
  auto flush = [&] {
    if (cur.empty()) return;
    std::string line;
    for (size_t i = 0; i < cur.size(); ++i) line += (i ? "|" : "") + cur[i];
    rows.push_back(line);
    cur.clear();
  };
  for (const std::string& line : Lines(out)) {
    if (line.rfind("OGRFeature(", 0) == 0) {
      flush();
      cur.assign(fields.size(), "");
      continue;
    }
    size_t eq = line.find(") = ");
    if (cur.empty() || line.rfind("  ", 0) != 0 || eq == std::string::npos) continue;
    std::string name = line.substr(2, line.find(' ', 2) - 2);
    std::string value = line.substr(eq + 4);
    if (value == "(null)") value.clear();
    for (size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].name == name) cur[i] = value;
    }
  }
  flush();
  return rows;
}

bool HaveBinary(const char* path) { return ::access(path, X_OK) == 0; }

class CompatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "INSTAL.DBF";
    script_ = dir_ / "read.py";
    WriteAll(script_, kPython);
    engine_test::DbfSpec spec = engine_test::InstalSpec();
    spec.rows[0].values[1] = "\x81\xa0\xa7\xa0 \xae\xa4\xa8\xad";  // "База оди" in CP866
    WriteAll(path_, engine_test::MakeDbf(spec));
  }

  // Compares every installed reader with the engine.
  void Compare(const std::string& stage) {
    const auto expected = EngineRows(path_);
    auto t = OpenTable(path_);
    ASSERT_TRUE(t);
    const auto fields = t->Fields();
    t.reset();
    int checked = 0;
    if (HaveBinary("/usr/bin/python3")) {
      for (const char* which : {"dbfread", "dbf"}) {
        EXPECT_EQ(PythonRows(which, path_, script_), expected) << stage << ": " << which;
      }
      ++checked;
    }
    if (HaveBinary("/usr/bin/dbf_dump")) {
      EXPECT_EQ(PerlRows(path_, fields), expected) << stage << ": dbf_dump";
      ++checked;
    }
    if (HaveBinary("/usr/bin/ogrinfo")) {
      EXPECT_EQ(OgrRows(path_, fields), expected) << stage << ": ogrinfo";
      ++checked;
    }
    if (checked == 0) VEM_SKIP_UNLESS_STRICT("no dBASE reader installed");
    if (checked < 3 && ::testing_support::StrictTests()) {
      FAIL() << stage << ": only " << checked << " of the three reader programs are installed";
    }
  }

  TempDir dir_;
  std::filesystem::path path_, script_;
};

TEST_F(CompatTest, ReadersSeeTheEnginesRows) {
  {
    auto t = OpenTable(path_, true);
    ASSERT_TRUE(t);
    engine::TagDef d;
    d.name = "VidDir";
    d.expression = "VID+DIR";
    ASSERT_TRUE(t->AddTag(d).ok());
    t->Append();
    ASSERT_TRUE(t->SetString("VID", "b").ok());
    ASSERT_TRUE(t->SetString("NAIM", "\x8d\xae\xa2\xa0\xef").ok());  // "Новая"
    ASSERT_TRUE(t->SetString("DIR", "C:\\NEW\\").ok());
    ASSERT_TRUE(t->SetBool("YES", true).ok());
    ASSERT_TRUE(t->Post().ok());
    ASSERT_TRUE(t->MoveTo(1));
    ASSERT_TRUE(t->Delete().ok());
    ASSERT_TRUE(t->First());
    ASSERT_TRUE(t->Edit());
    ASSERT_TRUE(t->SetString("DIR", "D:\\EDITED\\").ok());
    ASSERT_TRUE(t->Post().ok());
  }
  Compare("after posts and a delete");
  const std::string f = "'" + path_.string() + "'";
  for (const std::string& stmt :
       {"ALTER TABLE " + f + " ADD TEMP CHAR(6)", "UPDATE " + f + " SET TEMP = CAST (BAZ_ AS CHAR(6))",
        "ALTER TABLE " + f + " DROP BAZ_, ADD BAZ_ CHAR(6)", "UPDATE " + f + " SET BAZ_ = TEMP",
        "ALTER TABLE " + f + " DROP TEMP, ADD CNT NUMERIC(5,0)", "UPDATE " + f + " SET CNT = '42'"}) {
    ASSERT_TRUE(engine::ExecuteSql(stmt).ok()) << stmt;
  }
  Compare("after the restructuring");
  ASSERT_TRUE(engine::PackTable(path_.string()).ok());
  Compare("after the pack");
  EXPECT_EQ(EngineRows(path_).size(), 4u);
}

}  // namespace
