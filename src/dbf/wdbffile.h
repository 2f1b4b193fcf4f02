// WDbfFile: care of dBASE table files below the level of rows: opening a
// table with repair of its production index, the header's production index
// flag, packing, widening a character column by SQL, filtering, and the
// read-only attribute.
//
// File names are given in the package's Windows form
// ("C:\VEM\SM_R\INSTAL.DBF") and resolved through platform::ToHost, so companion files
// (INSTAL.mdx, INSTAL.ntx, INSTAL1.ntx, INSTAL2.ntx) are found whatever
// their letter case on disk.
//
// Failures are results (bool), never exceptions; only ApplyFilter passes on
// the engine's error for a filter text it rejects. Message boxes are shown
// only when the caller passes the report switch on, task-modal, with the
// caption "Класс WDbfFile" or, for the header edits, "Удаление индексов";
// platform::ShowMessage resets the cursor before each.
//
// Header edits (RemoveProductionIndex) open the table file with an
// exclusive OFD lock (fcntl F_OFD_SETLK, F_WRLCK) that fails at once while
// any other holder, shared or exclusive, has the file; the engine's own
// table objects must therefore be closed before it is called.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "engine/table.h"

// The table reference: OpenTable replaces what it holds with a new table
// object, CloseTable frees it and leaves it null. The holder owns the object.
using TableRef = std::unique_ptr<engine::Table>;

// One row of an index definition list: tag name, key expression,
// descending-field list. A list ends at the first row in which any of the
// three texts is "NULL", and is never read past kMaxIndexDefs rows.
struct IndexDef {
  std::string name, expression, descending;
};
inline constexpr size_t kMaxIndexDefs = 256;

class WDbfFile {
 public:
  WDbfFile();  // description "Класс WDbfFile"
  const std::string& Description() const { return description_; }

  // Opens `fileName` as a new table object in `table`.
  // Missing file: message "Файл:<name>\nне найден!" (report on), false, the
  // reference untouched. Otherwise clears the read-only attribute and makes
  // up to three attempts: as found; after RemoveProductionIndex (with the
  // caller's report switch); after ResetEngineConfig. Each attempt makes a
  // fresh table object, runs CheckIndexFiles and, with maintainIndexes on,
  // checks that every listed tag can be selected (only when the .mdx
  // exists) or else repairs: opens exclusively and adds each listed tag the
  // production index lacks (names compared without regard to case). Then
  // `activeTag` ("" = natural order) is made active. After the third failed
  // attempt: message "Ошибка при чтении файла: <name>" (report on), false,
  // and the reference is null.
  bool OpenTable(TableRef& table, const std::string& fileName, bool report, bool maintainIndexes,
                 const IndexDef* defs, size_t defCount, const std::string& activeTag,
                 unsigned options = engine::kExpression);
  // Maintain-indexes off, no definitions, no active tag.
  bool OpenTable(TableRef& table, const std::string& fileName, bool report);

  // Closes and frees the object; false when the reference held none.
  bool CloseTable(TableRef& table);

  // Decides before each open whether the production index can be trusted:
  // it is removed (RemoveProductionIndex, report off) when the header flag
  // and the .mdx disagree, or when INSTAL.ntx, INSTAL1.ntx or INSTAL2.ntx
  // was written after it. The report switch is not used for the steps it
  // calls: problems found here surface as failed attempts of OpenTable.
  void CheckIndexFiles(const std::string& fileName, bool report);

  // Sets header byte 28 to 0x00 and deletes the production index file
  // (<name>.mdx for a .dbf table in any case, else <full name> + "x").
  // The exclusive lock on the table file is taken first: when it cannot be
  // had (another holder, or the file cannot be opened) nothing is changed,
  // the opening message is shown (report on) and the result is false.
  bool RemoveProductionIndex(const std::string& fileName, bool report);

  // True when <name>.mdx exists and header byte 28 is not 0x00.
  bool HasProductionIndex(const std::string& fileName, bool report);

  // Removes rows marked deleted. True when packed or when the file does not
  // exist. The engine needs the table exclusively: another holder makes it
  // fail with "Ошибка при упаковке файла: <name>" (report on) and the file
  // unchanged.
  bool PackTable(const std::string& fileName, bool report);

  // The last recovery stage of OpenTable. The engine keeps no persistent
  // configuration, so there is nothing to reset: the call only counts.
  void ResetEngineConfig();

  // Gives CHAR column `column` the width `width`, keeping its values (cut
  // when narrower), through a TEMP column: up to six SQL statements, each
  // one atomic in the engine. The column ends up last in the record. True
  // when nothing had to be done (file, column missing; width already right)
  // or every statement ran; false at the first failing statement, whose
  // predecessors stay in effect. Opens the table with report on.
  bool ResizeCharColumn(const std::string& fileName, const std::string& column, int width);

  // Filters an open table by `filter` and returns the number of rows that
  // pass; the first of them is current. 0 for a null table. Throws
  // engine::EngineError when the engine rejects the filter text (the old
  // filter then stays, switched off).
  int ApplyFilter(engine::Table* table, const std::string& filter);

  // Clears the read-only attribute; failures are ignored.
  void ClearReadOnly(const std::string& fileName);

  // For tests: how often the steps of OpenTable ran, process-wide.
  struct Counters {
    int attempts = 0;          // attempts to open (up to three per OpenTable)
    int indexRemovals = 0;     // recovery stage 1: production index removed
    int configResets = 0;      // recovery stage 2: ResetEngineConfig
    int tagChecks = 0;         // passes over the list selecting each tag
    int tagRepairs = 0;        // exclusive passes adding missing tags
  };
  static Counters& Stats();
  static void ResetStats() { Stats() = Counters{}; }

 private:
  std::string description_;
};
