// WSQL: structure-changing SQL statements on dBASE tables through the
// engine's local SQL, and the addition of a missing column.
//
// Nothing here reaches the user: every operation answers true or false and
// the caller decides what to say. Statements name their table by a quoted
// full path (Windows or host form), so a query needs no database.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/table.h"
#include "platform/status.h"

// The query object: the lines of one SQL statement and an active state.
// ExecSQL runs a statement that returns no rows; Open would run one that
// returns rows and leave the query active, but the engine has no such
// statements, so Open always fails with kUnsupported and the query stays
// closed. Close makes the query inactive; it is safe to call at any time.
class SqlQuery {
 public:
  SqlQuery() = default;
  SqlQuery(const SqlQuery&) = delete;
  SqlQuery& operator=(const SqlQuery&) = delete;

  // The statement text, one entry per line; lines are joined with "\n".
  std::vector<std::string>& Sql() { return lines_; }
  const std::vector<std::string>& Sql() const { return lines_; }
  std::string Text() const;

  void Close() { active_ = false; }
  bool Active() const { return active_; }

  // kInvalidArgument for an empty text; otherwise the engine's status.
  platform::Status ExecSQL();
  platform::Status Open();

 private:
  std::vector<std::string> lines_;
  bool active_ = false;
};

// Column kinds of AddColumn and the SQL type each one adds.
enum ColumnKind : int {
  kColumnChar = 1,       // CHAR(width)
  kColumnNumeric = 2,    // NUMERIC(width,0)
  kColumnNumeric61 = 3,  // NUMERIC(6,1), width ignored
  kColumnBoolean = 4,    // BOOLEAN, width ignored
  kColumnBlob = 5,       // BLOB, width ignored
};

class WSQL {
 public:
  // Closes the query, makes `statement` its only line and executes it (open
  // off) or opens it (open on). Any failure, of any kind, resets the mouse
  // cursor, leaves the query closed and returns false; no message is shown.
  // The same query object can be used again after a failure.
  bool RunSQL(SqlQuery& query, const std::string& statement, bool open);

  // Adds `column` to a dBASE table whose directory and file name are set.
  // Opens the table to look at its fields (an open that fails throws
  // engine::EngineError: this step is not guarded). A column of that name,
  // whatever its type, means true with no statement run. Otherwise the table
  // is closed and "ALTER TABLE \"dir\file\" ADD column <type>" runs; an
  // unknown kind (anything but 1 to 5) runs nothing and gives false. The
  // table is left open or closed as it was found; true when the statement
  // ran (and, for a table that was open, it could be opened again).
  // The width text is inserted as it stands (kinds 1 and 2 only).
  bool AddColumn(engine::Table& table, const std::string& column, const std::string& width,
                 int kind);

  // For tests: called with every statement RunSQL is given and whether it
  // ran. Process-wide; pass an empty function to remove it.
  using StatementObserver = std::function<void(const std::string& statement, bool ok)>;
  static void SetStatementObserver(StatementObserver observer);
};
