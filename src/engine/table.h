// A dBASE table (.DBF) with its production index (.mdx): the table object
// that the table file services and the installation data module work with.
//
// Model: the table is configured with a directory and a file name (texts in
// the package's Windows form or host form, resolved through
// platform::ToHost at Open), then opened shared or exclusively. While open
// it holds an OFD lock on the .DBF (shared or exclusive; a conflicting
// holder makes Open fail at once with kLocked), the header and field
// descriptors, the rows, and the keys of every tag of the production index
// in memory (the tables this system works with are small). Posts and
// deletes write the record in place, update the header (record count,
// date of last update), flush, and then rewrite the .mdx (at the end of a
// batch when one is open). A failed write or flush makes the post fail and
// leaves the in-memory row as it was.
//
// Tags: the .mdx is read only for its tag list (when the header claims it);
// the keys are rebuilt from the rows at Open. A tag whose expression the
// engine cannot evaluate (anything but character columns joined by "+") is
// left out, and so disappears from the file at the next rewrite.
//
// The view: rows not marked deleted, in the order of the active tag (or
// natural record order when no tag is active), restricted by the filter
// when filtering is on. The cursor is a position in that view. The view is
// cached and rebuilt on the first access after a change, so MoveTo,
// Position and RecordCount are O(1) between changes.
//
// Character values: read without trailing blanks, written blank-padded and
// cut to the column width. No code-page conversion happens here: bytes pass
// through unchanged.
//
// Errors are results. Calls that the data module makes in the middle of a
// walk and that cannot sensibly fail (cursor moves, field reads) return
// plain values; a call on a closed table returns an empty or false result.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace engine {

using platform::Status;
using platform::StatusOr;

// The one exception type of the engine, for the few places where the
// caller's contract says the platform raises (an unguarded open in
// AddColumn, a filter text that does not parse when applied by a caller
// that does not check). Message in UTF-8.
class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FieldDef {
  std::string name;    // upper-case as stored, at most 10 characters
  char type = 'C';     // C, L, N, F, D, M or any other byte (carried as is)
  uint8_t length = 0;
  uint8_t decimals = 0;
};

// Index option of a tag; every caller of the system passes kExpression.
enum IndexOption : unsigned {
  kIndexNone = 0,
  kExpression = 1u << 0,
  kDescending = 1u << 1,
  kUnique = 1u << 2,
};

struct TagDef {
  std::string name;        // matched without regard to case
  std::string expression;  // column names joined by "+", e.g. "VID+DIR"
  unsigned options = kExpression;
  std::string descendingFields;  // accepted and stored; no effect with kExpression
};

// Identifies one row (the record number from 1) across view changes.
struct Bookmark {
  uint32_t record = 0;
  bool valid() const { return record != 0; }
  bool operator==(const Bookmark&) const = default;
};

class Table {
 public:
  Table();
  ~Table();  // closes
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // --- configuration (only while closed) ---
  void SetDatabaseName(std::string directory);  // e.g. "C:\VEM\SM_R"
  void SetTableName(std::string fileName);      // e.g. "INSTAL.DBF"
  const std::string& DatabaseName() const;
  const std::string& TableName() const;
  // Directory + "\" + file name, as configured (not mapped).
  std::string FullName() const;
  void SetExclusive(bool exclusive);
  bool Exclusive() const;

  // --- open and close ---
  // Opens the table with the lock its exclusive switch asks for, reads the
  // header, and loads the production index when the header claims one and
  // the .mdx exists (found without regard to letter case). A named active
  // tag that is missing, or an unreadable .mdx while a tag is asked for,
  // makes Open fail. kNotFound, kLocked, kCorrupt, kUnsupported (dBASE 7)
  // or kIoError. A file that cannot be opened for writing is opened
  // read-only; posts then fail with kIoError. A filter text set while
  // closed is resolved here (kInvalidArgument for an unknown column). The
  // first row of the view becomes current (no afterScroll).
  Status Open();
  void Close();
  bool IsOpen() const;

  // --- index tags ---
  // Makes a tag active by name (case-insensitive) or natural order ("").
  // May be called while closed (takes effect at Open, which then fails when
  // the tag is missing) or while open (fails when missing; nothing changes).
  Status SetActiveTag(std::string_view name);
  const std::string& ActiveTag() const;
  // Re-reads the tag list from the .mdx (empty when there is none or the
  // header does not claim it). Works while closed too (reads the files
  // without locking; kCorrupt for an unreadable .mdx).
  Status RefreshTagDefs();
  std::vector<TagDef> Tags() const;
  bool HasTag(std::string_view name) const;
  // Adds (or rebuilds, when the name exists) a maintained tag and writes the
  // production index; sets header byte 28 and the field flag of a
  // single-column tag. Table must be open exclusively; the expression must
  // name existing character columns. Works while closed too: it then opens
  // exclusively, adds and closes.
  Status AddTag(const TagDef& tag);

  // --- filter ---
  // Filter text: comparisons "COL = 'literal'" joined by "and" (column names
  // case-insensitive; a literal's apostrophe is written twice, 'O''Neil').
  // Equal when both sides agree after trailing blanks are removed.
  // kInvalidArgument when the text does not parse or names an unknown
  // column; the old filter then stays.
  Status SetFilter(std::string_view text);
  void SetFilterPredicate(std::function<bool(const Table&)> predicate);
  const std::string& FilterText() const;
  void SetFiltered(bool on);
  bool Filtered() const;
  // Quotes a literal for a filter text: 'O''Neil'.
  static std::string QuoteLiteral(std::string_view value);

  // --- cursor over the view ---
  size_t RecordCount() const;  // rows in the view
  bool First();
  bool Last();
  // First, Last, Next, Prior, MoveTo, Seek and GotoBookmark end a pending
  // edit without posting it.
  bool Next();   // false (and Eof) after the last row
  bool Prior();  // false (and Bof) before the first row
  // Eof: the view is empty or a Next found no further row; Bof likewise
  // for Prior. First, Last and the other moves clear both.
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;
  // Position of the current row in the view, from 0; nullopt when none.
  std::optional<size_t> Position() const;
  bool MoveTo(size_t position);  // random access to the n-th row of the view
  uint32_t RecNo() const;        // record number of the current row, 0 when none

  // Exact match of the key on the active tag (the key is blank-padded or cut
  // to the tag's key length), searched within the view. Found: the row
  // becomes current. Not found: false, current row unchanged. kNotFound
  // when no tag is active.
  StatusOr<bool> Seek(std::string_view key);

  Bookmark GetBookmark() const;
  bool GotoBookmark(Bookmark mark);  // false when the row is not in the view
  bool BookmarkValid(Bookmark mark) const;

  // --- editing ---
  // Append starts a new blank row (dropping an unposted pending row); Edit
  // starts editing the current row (false when there is none, or while
  // appending). SetField* change the pending row (kInvalidArgument when not
  // editing, or for a value the column type cannot hold; kUnsupported for
  // memo and unknown types); Post writes it (the appended row gets the next
  // record number, after rows another program appended meanwhile, and
  // becomes current); Cancel drops it. A Post that fails keeps the pending
  // row, so it can be posted again or cancelled.
  void Append();
  bool Edit();
  Status Post();
  void Cancel();
  bool Editing() const;
  // Marks the current row deleted; the next row of the view becomes
  // current, or the last when it was the last. kNotFound without a current
  // row. Deleted rows stay indexed (as dBASE keeps them) until a pack.
  Status Delete();
  // Re-reads header and rows from the file (after another writer).
  Status Refresh();

  // --- fields (current or pending row) ---
  const std::vector<FieldDef>& Fields() const;
  std::optional<FieldDef> FindField(std::string_view name) const;  // case-insensitive
  bool HasField(std::string_view name) const;
  std::string GetString(std::string_view field) const;  // "" when no row or no field
  std::optional<bool> GetBool(std::string_view field) const;  // nullopt for "?"/blank
  Status SetString(std::string_view field, std::string_view value);
  Status SetBool(std::string_view field, bool value);

  // --- events (called after the operation succeeded; afterScroll also
  // after a post or delete that changed the current row, and after a filter
  // change that did) ---
  std::function<void(Table&)> afterPost;
  std::function<void(Table&)> afterDelete;
  std::function<void(Table&)> afterScroll;  // the current row changed

  // --- batch bracket (nests) ---
  // While a batch is open, index rewrites and the flush of written rows are
  // held back and afterScroll is not fired; EndBatch of the outermost level
  // flushes the table file, writes the index and fires afterScroll once.
  // A failed held-back flush or index write is returned there (each row's
  // own write is still checked by its Post or Delete). Close flushes what
  // a batch left pending.
  void BeginBatch();
  Status EndBatch();

  // --- header facts ---
  uint8_t ProductionIndexFlag() const;  // header byte 28
  uint8_t LanguageDriver() const;       // header byte 29

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Removes rows marked deleted from a closed table file (Windows or host
// form): a new file is written beside it and renamed over it. Needs the
// exclusive lock (kLocked at once otherwise); kNotFound for a missing file.
// The production index, when the header claims one and it exists, is
// rebuilt with the new record numbers; a claim without a readable .mdx is
// cleared. docs/FORMATS.md has the details.
Status PackTable(const std::string& path);

// Runs one local SQL statement (ALTER TABLE ... ADD/DROP ..., UPDATE ... SET
// col = col | CAST(col AS CHAR(n))). The table is named by a quoted full
// path in Windows or host form. One atomic rewrite per statement: a failing
// statement changes nothing. Keeps header byte 29 and rebuilds a claimed
// production index for the new layout (tags whose columns vanished are
// dropped). Errors (kInvalidArgument, kNotFound, kLocked, kCorrupt,
// kIoError) name the statement and what was wrong. The grammar is in
// engine/sql.h.
Status ExecuteSql(std::string_view statement);

}  // namespace engine
