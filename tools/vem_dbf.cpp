// vem-dbf: looks at and maintains dBASE tables with the program's own
// engine.
//
//   vem-dbf info FILE                 header fields, columns, tags
//   vem-dbf dump [--oem] FILE         one line per record in file order
//   vem-dbf tags [--oem] FILE         each tag of the .mdx and its keys in order
//   vem-dbf reindex FILE NAME=EXPR... adds or rebuilds these tags
//   vem-dbf pack FILE                 removes the rows marked deleted
//   vem-dbf sql "STATEMENT"           runs one ALTER TABLE or UPDATE
//
// FILE is a host path or a path in Windows form. Exit status 0 on success,
// 2 with a one-line message on stderr otherwise. --oem converts character
// values from code page 866 to UTF-8 for the terminal.
#include <iconv.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "engine/dbf_format.h"
#include "engine/env.h"
#include "engine/index.h"
#include "engine/mdx.h"
#include "engine/table.h"
#include "engine/table_file.h"
#include "platform/paths.h"

namespace {

using engine::Status;

int Fail(const std::string& message) {
  std::string line = message;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  std::cerr << "vem-dbf: " << line << "\n";
  return 2;
}

// A relative host path given on the command line is taken from the
// current directory.
std::string ArgPath(const std::string& arg) {
  if (arg.empty() || arg[0] == '/' || arg[0] == '\\' || platform::HasDriveRoot(arg)) return arg;
  return std::filesystem::absolute(arg).string();
}

int Usage() {
  return Fail(
      "usage: vem-dbf info FILE | dump [--oem] FILE | tags [--oem] FILE | "
      "reindex FILE NAME=EXPRESSION... | pack FILE | sql \"STATEMENT\"");
}

std::string FromOem(const std::string& in) {
  iconv_t cd = iconv_open("UTF-8", "CP866");
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out;
  std::string src = in;
  char* inp = src.data();
  size_t inLeft = src.size();
  std::vector<char> buf(4 * src.size() + 16);
  while (inLeft > 0) {
    char* outp = buf.data();
    size_t outLeft = buf.size();
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    out.append(buf.data(), outp);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      out += '?';  // a byte CP866 does not map
      ++inp;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

std::string Escape(std::string_view v) {
  std::string out;
  for (char c : v) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

struct Loaded {
  std::filesystem::path host;
  engine::dbf::TableData data;
};

engine::StatusOr<Loaded> Load(const std::string& file) {
  auto host = engine::tablefile::ResolvePath(file);
  if (!host.ok()) return host.status();
  auto f = engine::tablefile::OpenLocked(engine::CurrentEnv(), *host, engine::LockKind::kShared,
                                         false, file);
  if (!f.ok()) return f.status();
  auto data = engine::tablefile::Read(*f->file, file);
  if (!data.ok()) return data.status();
  return Loaded{*host, std::move(data.value())};
}

char Hex(int v) { return "0123456789abcdef"[v & 15]; }
std::string Byte(uint8_t b) { return std::string("0x") + Hex(b >> 4) + Hex(b); }

int Info(const std::string& file) {
  auto t = Load(file);
  if (!t.ok()) return Fail(t.status().message());
  const auto& l = t->data.layout;
  std::printf("file\t%s\n", t->host.c_str());
  std::printf("version\t%s\n", Byte(l.Version()).c_str());
  std::printf("last update\t%04d-%02d-%02d\n", 1900 + static_cast<uint8_t>(l.prefix[1]),
              static_cast<uint8_t>(l.prefix[2]), static_cast<uint8_t>(l.prefix[3]));
  std::printf("records\t%u\n", l.storedCount);
  std::printf("records present\t%u\n", t->data.count);
  std::printf("header length\t%u\n", l.headerLength);
  std::printf("record length\t%u\n", l.recordLength);
  std::printf("production index flag\t%s\n", Byte(l.ProductionFlag()).c_str());
  std::printf("language driver\t%s\n", Byte(l.LanguageDriver()).c_str());
  std::printf("columns\t%zu\n", l.fields.size());
  for (const auto& f : l.fields) {
    std::printf("COLUMN\t%s\t%c\t%u\t%u\n", f.def.name.c_str(), f.def.type, f.def.length,
                f.def.decimals);
  }
  auto mdxPath = engine::index::FindMdx(engine::CurrentEnv(), t->host);
  if (mdxPath) {
    auto tags = engine::mdx::ReadTagList(engine::CurrentEnv(), *mdxPath);
    if (!tags.ok()) return Fail(tags.status().message());
    std::printf("index\t%s\n", mdxPath->c_str());
    for (const auto& tag : *tags) {
      std::printf("TAG\t%s\t%s\t%c\t%u\n", tag.name.c_str(), tag.expression.c_str(), tag.keyType,
                  tag.keyLength);
    }
  }
  return 0;
}

int Dump(const std::string& file, bool oem) {
  auto t = Load(file);
  if (!t.ok()) return Fail(t.status().message());
  const auto& d = t->data;
  std::string out;
  for (uint32_t rec = 1; rec <= d.count; ++rec) {
    std::string_view r = d.Record(rec);
    out += d.Deleted(rec) ? '*' : ' ';
    for (const auto& f : d.layout.fields) {
      out += '\t';
      std::string_view raw = engine::dbf::RawValue(r, f);
      if (f.def.type == 'L') {
        char c = raw.empty() ? ' ' : raw[0];
        out += (c == 'T' || c == 't' || c == 'Y' || c == 'y')   ? 'T'
               : (c == 'F' || c == 'f' || c == 'N' || c == 'n') ? 'F'
                                                                : '?';
        continue;
      }
      std::string v(engine::dbf::TrimRight(raw));
      if (oem && f.def.type == 'C') v = FromOem(v);
      out += Escape(v);
    }
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int Tags(const std::string& file, bool oem) {
  auto t = Load(file);
  if (!t.ok()) return Fail(t.status().message());
  auto mdxPath = engine::index::FindMdx(engine::CurrentEnv(), t->host);
  if (!mdxPath) return Fail("table " + file + " has no .mdx file");
  auto tags = engine::mdx::ReadTagList(engine::CurrentEnv(), *mdxPath);
  if (!tags.ok()) return Fail(tags.status().message());
  std::string out;
  for (const auto& tag : *tags) {
    auto keys = engine::mdx::ReadKeys(engine::CurrentEnv(), *mdxPath, tag.name);
    if (!keys.ok()) return Fail(keys.status().message());
    out += "TAG " + tag.name + " " + tag.expression + "\n";
    for (const auto& [key, rec] : *keys) {
      std::string k(engine::dbf::TrimRight(key));
      if (oem && tag.keyType == 'C') k = FromOem(k);
      out += Escape(k) + "\t" + std::to_string(rec) + "\n";
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int Reindex(const std::string& file, const std::vector<std::string>& defs) {
  auto host = engine::tablefile::ResolvePath(file);
  if (!host.ok()) return Fail(host.status().message());
  engine::Table t;
  t.SetDatabaseName(host->parent_path().string());
  t.SetTableName(host->filename().string());
  t.SetExclusive(true);
  if (Status st = t.Open(); !st.ok()) return Fail(st.message());
  for (const std::string& def : defs) {
    size_t eq = def.find('=');
    if (eq == std::string::npos || eq == 0) return Fail("\"" + def + "\" is not NAME=EXPRESSION");
    engine::TagDef tag;
    tag.name = def.substr(0, eq);
    tag.expression = def.substr(eq + 1);
    tag.descendingFields = tag.expression;
    if (Status st = t.AddTag(tag); !st.ok()) return Fail(st.message());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  const std::string cmd = args[0];
  args.erase(args.begin());
  bool oem = false;
  if ((cmd == "dump" || cmd == "tags") && !args.empty() && args[0] == "--oem") {
    oem = true;
    args.erase(args.begin());
  }
  if (cmd != "sql" && !args.empty()) args[0] = ArgPath(args[0]);
  if (cmd == "info" && args.size() == 1) return Info(args[0]);
  if (cmd == "dump" && args.size() == 1) return Dump(args[0], oem);
  if (cmd == "tags" && args.size() == 1) return Tags(args[0], oem);
  if (cmd == "reindex" && args.size() >= 2) {
    return Reindex(args[0], std::vector<std::string>(args.begin() + 1, args.end()));
  }
  if (cmd == "pack" && args.size() == 1) {
    Status st = engine::PackTable(args[0]);
    return st.ok() ? 0 : Fail(st.message());
  }
  if (cmd == "sql" && args.size() == 1) {
    Status st = engine::ExecuteSql(args[0]);
    return st.ok() ? 0 : Fail(st.message());
  }
  return Usage();
}
