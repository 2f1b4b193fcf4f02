#include "dbf/wsql.h"

#include <exception>
#include <memory>
#include <utility>

#include "platform/ui.h"

namespace {

WSQL::StatementObserver& Observer() {
  static WSQL::StatementObserver observer;
  return observer;
}

}  // namespace

std::string SqlQuery::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += '\n';
    text += lines_[i];
  }
  return text;
}

platform::Status SqlQuery::ExecSQL() {
  const std::string text = Text();
  if (text.find_first_not_of(" \t\r\n") == std::string::npos)
    return platform::Status::Invalid("empty SQL statement");
  return engine::ExecuteSql(text);
}

platform::Status SqlQuery::Open() {
  active_ = false;
  return platform::Status::Unsupported("the engine runs no SQL statement that returns rows: " +
                                       Text());
}

void WSQL::SetStatementObserver(StatementObserver observer) { Observer() = std::move(observer); }

bool WSQL::RunSQL(SqlQuery& query, const std::string& statement, bool open) {
  bool ok = false;
  try {
    query.Close();
    query.Sql().clear();
    query.Sql().push_back(statement);
    const platform::Status status = open ? query.Open() : query.ExecSQL();
    ok = status.ok();
  } catch (...) {
    // Any failure of any kind counts as a statement that did not run.
    ok = false;
  }
  if (!ok) {
    platform::Ui().ResetCursor();
    query.Close();
  }
  if (Observer()) Observer()(statement, ok);
  return ok;
}

bool WSQL::AddColumn(engine::Table& table, const std::string& column, const std::string& width,
                     int kind) {
  const bool wasOpen = table.IsOpen();
  if (!wasOpen) {
    const platform::Status opened = table.Open();
    if (!opened.ok()) throw engine::EngineError(opened.message());
  }
  // Puts the open state back as found; false when a table that was open
  // cannot be opened again.
  auto restore = [&]() -> bool {
    if (!wasOpen) {
      table.Close();
      return true;
    }
    return table.IsOpen() || table.Open().ok();
  };
  if (table.HasField(column)) return restore();
  table.Close();

  std::string type;
  switch (kind) {
    case kColumnChar: type = " CHAR(" + width + ")"; break;
    case kColumnNumeric: type = " NUMERIC(" + width + ",0)"; break;
    case kColumnNumeric61: type = " NUMERIC(6,1)"; break;
    case kColumnBoolean: type = " BOOLEAN"; break;
    case kColumnBlob: type = " BLOB"; break;
    default:
      restore();
      return false;
  }
  // The path is quoted with double quotes; one inside it is doubled.
  std::string path;
  for (char c : table.DatabaseName() + "\\" + table.TableName()) {
    path += c;
    if (c == '"') path += c;
  }
  const std::string statement = "ALTER TABLE \"" + path + "\" ADD " + column + type;
  bool ran = false;
  {
    auto query = std::make_unique<SqlQuery>();
    ran = RunSQL(*query, statement, false);
    query->Close();
  }
  const bool restored = restore();
  return ran && restored;
}
