// The local SQL the engine understands, on tables named by a quoted file
// path (Windows form or host form), keywords without regard to case:
//
//   ALTER TABLE 'path' ADD col type | DROP col [, ADD ... | DROP ...]...
//       type: CHAR(n) | NUMERIC(p[,s]) | BOOLEAN | BLOB | DATE
//   UPDATE 'path' SET col = other_col | CAST(col AS CHAR(n)) | 'text' [, ...]
//
// Added columns come after the existing ones and are blank in every row.
// Each statement reads the whole table, builds the new file in memory and
// replaces the old one in one atomic rewrite, so a failing statement
// changes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace engine::sql {

struct ColumnType {
  char type = 'C';
  uint8_t length = 0;
  uint8_t decimals = 0;
};

struct AlterItem {
  bool add = false;
  std::string column;
  ColumnType type;  // for ADD
};

struct Assignment {
  enum class Kind { kColumn, kCast, kLiteral };
  std::string target;
  Kind kind = Kind::kColumn;
  std::string source;       // column name, or the literal text
  uint8_t castLength = 0;   // CHAR(n) of a cast
};

struct Statement {
  enum class Kind { kAlter, kUpdate };
  Kind kind = Kind::kAlter;
  std::string table;  // the path as written between the quotes
  std::vector<AlterItem> alter;
  std::vector<Assignment> sets;
};

// Syntax only: touches no file. kInvalidArgument naming what was expected
// and where.
platform::StatusOr<Statement> Parse(std::string_view text);

// Runs a parsed statement against its table (exclusive lock, one atomic
// rewrite, production index rebuilt).
platform::Status Execute(const Statement& statement);

}  // namespace engine::sql
