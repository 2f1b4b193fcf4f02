#include "dbf/wdbffile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "dbf/wsql.h"
#include "platform/fs.h"
#include "platform/paths.h"
#include "platform/ui.h"
#include "platform/unique_fd.h"

namespace {

constexpr off_t kProductionIndexFlagOffset = 28;
const char kHeaderEditCaption[] = "Удаление индексов";
using Fd = platform::UniqueFd;

// Opens a Windows-form (or host) path; -1 when it maps to no host file or
// the open fails.
int OpenPath(const std::string& winPath, int flags) {
  const auto host = platform::ToHost(winPath);
  if (!host) return -1;
  return ::open(host->c_str(), flags | O_CLOEXEC);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The table path without its extension: "C:\X\INSTAL.DBF" -> "C:\X\INSTAL".
std::string WithoutExtension(const std::string& fileName) {
  const std::string ext = platform::ExtractFileExt(fileName);
  return fileName.substr(0, fileName.size() - ext.size());
}

// The production index as the check and removal steps name it: <name>.mdx
// for a .dbf table (any case), else the full name followed by "x".
std::string ProductionIndexName(const std::string& fileName) {
  if (Upper(platform::ExtractFileExt(fileName)) == ".DBF")
    return WithoutExtension(fileName) + ".mdx";
  return fileName + "x";
}

// The production index as opening and HasProductionIndex name it.
std::string MdxName(const std::string& fileName) { return WithoutExtension(fileName) + ".mdx"; }

bool Earlier(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

void Warn(bool report, const std::string& text, const std::string& caption) {
  if (report)
    platform::ShowMessage(text, caption, platform::Icon::Warning, platform::Buttons::Ok,
                          platform::Modality::Task);
}

std::string OpenErrorText(const std::string& fileName) {
  return "Ошибка при открытии файла:\n" + fileName +
         "!\nВозможно он используется другой программой.";
}

// The rows of a definition list up to the first "NULL" in any of its texts,
// never more than kMaxIndexDefs.
std::vector<IndexDef> ListedRows(const IndexDef* defs, size_t defCount) {
  std::vector<IndexDef> rows;
  if (!defs) return rows;
  const size_t n = std::min(defCount, kMaxIndexDefs);
  for (size_t i = 0; i < n; ++i) {
    const IndexDef& d = defs[i];
    if (d.name == "NULL" || d.expression == "NULL" || d.descending == "NULL") break;
    rows.push_back(d);
  }
  return rows;
}

}  // namespace

WDbfFile::WDbfFile() : description_("Класс WDbfFile") {}

WDbfFile::Counters& WDbfFile::Stats() {
  static Counters counters;
  return counters;
}

bool WDbfFile::OpenTable(TableRef& table, const std::string& fileName, bool report) {
  return OpenTable(table, fileName, report, false, nullptr, 0, "", engine::kExpression);
}

bool WDbfFile::OpenTable(TableRef& table, const std::string& fileName, bool report,
                         bool maintainIndexes, const IndexDef* defs, size_t defCount,
                         const std::string& activeTag, unsigned options) {
  if (!platform::FileExists(fileName)) {
    Warn(report, "Файл:" + fileName + "\nне найден!", description_);
    return false;
  }
  ClearReadOnly(fileName);
  const std::vector<IndexDef> rows = ListedRows(defs, defCount);

  // One attempt; false when any step of it failed.
  auto attempt = [&]() -> bool {
    table.reset();
    table = std::make_unique<engine::Table>();
    table->Close();
    CheckIndexFiles(fileName, false);
    table->SetDatabaseName(platform::ExtractFileDir(fileName));
    table->SetTableName(platform::ExtractFileName(fileName));
    if (!maintainIndexes) return table->Open().ok();

    // Tag check: select every listed tag in turn; a tag that cannot be
    // selected sends the attempt on to the repair.
    bool someTagFailed = false;
    if (platform::FileExists(MdxName(fileName))) {
      ++Stats().tagChecks;
      for (const IndexDef& row : rows) {
        const bool wasOpen = table->IsOpen();
        bool ok = wasOpen || table->Open().ok();
        if (ok) ok = table->SetActiveTag(row.name).ok();
        if (!ok) {
          table->Close();
          someTagFailed = true;
          continue;
        }
        if (!wasOpen) table->Close();
      }
      if (!someTagFailed) {
        if (!table->IsOpen() && !table->Open().ok()) return false;
        return table->SetActiveTag(activeTag).ok();
      }
    }

    // Tag repair: add every listed tag the production index lacks, holding
    // the table exclusively.
    ++Stats().tagRepairs;
    table->Close();
    table->SetExclusive(true);
    if (!table->RefreshTagDefs().ok()) return false;
    for (const IndexDef& row : rows) {
      const std::vector<engine::TagDef> tags = table->Tags();
      const std::string wanted = Upper(row.name);
      const bool present = std::any_of(tags.begin(), tags.end(), [&](const engine::TagDef& t) {
        return Upper(t.name) == wanted;
      });
      if (!present) {
        engine::TagDef tag;
        tag.name = row.name;
        tag.expression = row.expression;
        tag.options = options;
        tag.descendingFields = row.descending;
        if (!table->AddTag(tag).ok()) return false;
      }
    }
    if (table->IsOpen()) table->Close();
    if (!table->SetActiveTag(activeTag).ok()) return false;
    table->SetExclusive(false);
    return table->Open().ok();
  };

  int stage = 0;
  for (;;) {
    ++Stats().attempts;
    bool opened = false;
    try {
      opened = attempt();
    } catch (...) {
      opened = false;  // an engine failure of any kind ends the attempt
    }
    if (opened) return true;
    CloseTable(table);
    if (stage == 0) {
      stage = 1;
      ++Stats().indexRemovals;
      RemoveProductionIndex(fileName, report);
    } else if (stage == 1) {
      stage = 2;
      ResetEngineConfig();
    } else {
      Warn(report, "Ошибка при чтении файла: " + fileName, description_);
      return false;
    }
  }
}

bool WDbfFile::CloseTable(TableRef& table) {
  if (!table) return false;
  table->Close();
  table.reset();
  return true;
}

void WDbfFile::CheckIndexFiles(const std::string& fileName, bool /*report*/) {
  const std::string mdx = ProductionIndexName(fileName);
  if (!platform::FileExists(mdx) || !HasProductionIndex(fileName, false)) {
    // A flag that points to a missing file, or a file the header does not
    // claim: both go.
    RemoveProductionIndex(fileName, false);
    return;
  }
  const std::string base = WithoutExtension(fileName);
  for (const char* suffix : {".ntx", "1.ntx", "2.ntx"}) {
    const std::string foreign = base + suffix;
    if (!platform::FileExists(foreign)) continue;
    Fd mdxFd(OpenPath(mdx, O_RDONLY));
    Fd foreignFd(OpenPath(foreign, O_RDONLY));
    if (!mdxFd.valid() || !foreignFd.valid()) return;
    struct stat mdxStat {}, foreignStat {};
    if (::fstat(mdxFd.get(), &mdxStat) != 0 || ::fstat(foreignFd.get(), &foreignStat) != 0) return;
    mdxFd.Close();
    foreignFd.Close();
    if (Earlier(mdxStat.st_mtim, foreignStat.st_mtim)) {
      // Another program changed the table after the index was written.
      RemoveProductionIndex(fileName, false);
      return;
    }
  }
}

bool WDbfFile::RemoveProductionIndex(const std::string& fileName, bool report) {
  ClearReadOnly(fileName);
  // The exclusive lock comes first, so that nothing is changed while
  // another program holds the table.
  Fd fd(OpenPath(fileName, O_RDWR));
  bool locked = false;
  if (fd.valid()) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;  // the whole file
    locked = ::fcntl(fd.get(), F_OFD_SETLK, &lock) == 0;
  }
  if (!locked) {
    Warn(report, OpenErrorText(fileName), kHeaderEditCaption);
    return false;
  }

  const std::string mdx = ProductionIndexName(fileName);
  if (platform::FileExists(mdx)) {
    ClearReadOnly(mdx);
    platform::DeleteFile(mdx);  // a failed deletion is not reported
  }

  // A file too short to have a header byte 28 is not extended.
  struct stat st {};
  bool written = ::fstat(fd.get(), &st) == 0 && st.st_size > kProductionIndexFlagOffset;
  if (written) {
    const char zero = 0;
    written = ::pwrite(fd.get(), &zero, 1, kProductionIndexFlagOffset) == 1 &&
              ::fdatasync(fd.get()) == 0;
  }
  written = fd.Close() && written;
  if (!written) {
    Warn(report, "Ошибка при записи в файл:\n" + fileName + "!", kHeaderEditCaption);
    return false;
  }
  return true;
}

bool WDbfFile::HasProductionIndex(const std::string& fileName, bool report) {
  if (!platform::FileExists(MdxName(fileName))) return false;
  Fd fd(OpenPath(fileName, O_RDONLY));
  if (!fd.valid()) {
    Warn(report, OpenErrorText(fileName), kHeaderEditCaption);
    return false;
  }
  unsigned char flag = 0;
  if (::pread(fd.get(), &flag, 1, kProductionIndexFlagOffset) != 1) {
    fd.Close();
    Warn(report, "Ошибка при чтении файла:\n" + fileName + "!", kHeaderEditCaption);
    return false;
  }
  fd.Close();
  return flag != 0;
}

bool WDbfFile::PackTable(const std::string& fileName, bool report) {
  if (!platform::FileExists(fileName)) return true;
  // The engine packs under the long name; no short name is needed.
  TableRef table;
  if (!OpenTable(table, fileName, report)) return false;
  table->Close();
  const auto host = platform::ToHost(fileName);
  const platform::Status packed =
      host ? engine::PackTable(host->string()) : platform::Status::NotFound(fileName);
  table.reset();
  if (!packed.ok()) {
    if (report)
      platform::ShowMessage("Ошибка при упаковке файла: " + fileName, description_,
                            platform::Icon::Error, platform::Buttons::Ok,
                            platform::Modality::Task);
    return false;
  }
  return true;
}

void WDbfFile::ResetEngineConfig() {
  // The engine keeps no configuration between runs; the stage keeps its
  // place in the order of attempts and is counted.
  ++Stats().configResets;
}

bool WDbfFile::ResizeCharColumn(const std::string& fileName, const std::string& column,
                                int width) {
  if (!platform::FileExists(fileName)) return true;
  TableRef table;
  if (!OpenTable(table, fileName, true)) return false;
  const std::optional<engine::FieldDef> field = table->FindField(column);
  if (!field || field->length == width) {
    CloseTable(table);
    return true;
  }
  const bool hasTemp = table->HasField("TEMP");
  CloseTable(table);

  const std::string n = std::to_string(width);
  // The file name is quoted with apostrophes; one inside it is doubled.
  std::string file;
  for (char c : fileName) {
    file += c;
    if (c == '\'') file += c;
  }
  std::vector<std::string> statements;
  if (hasTemp) statements.push_back("ALTER TABLE '" + file + "' DROP TEMP");
  statements.push_back("ALTER TABLE '" + file + "' ADD TEMP CHAR(" + n + ")");
  statements.push_back("UPDATE '" + file + "' SET TEMP = CAST (" + column + " AS CHAR(" + n +
                       "))");
  statements.push_back("ALTER TABLE '" + file + "' DROP " + column + ", ADD " + column +
                       " CHAR(" + n + ")");
  statements.push_back("UPDATE '" + file + "' SET " + column + " = TEMP");
  statements.push_back("ALTER TABLE '" + file + "' DROP TEMP");

  WSQL sql;
  auto query = std::make_unique<SqlQuery>();
  for (const std::string& statement : statements) {
    if (!sql.RunSQL(*query, statement, false)) {
      query->Close();
      return false;
    }
  }
  query->Close();
  return true;
}

int WDbfFile::ApplyFilter(engine::Table* table, const std::string& filter) {
  if (!table) return 0;
  table->SetFiltered(false);
  const platform::Status status = table->SetFilter(filter);
  if (!status.ok()) throw engine::EngineError(status.message());
  table->SetFiltered(true);
  table->First();
  return static_cast<int>(table->RecordCount());
}

void WDbfFile::ClearReadOnly(const std::string& fileName) {
  if (platform::IsReadOnly(fileName)) platform::SetReadOnly(fileName, false);
}
