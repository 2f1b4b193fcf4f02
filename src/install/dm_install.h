// TdmInstall: the data module that owns the installation table
// SM_R\INSTAL.DBF for the whole run of the program.
//
// It opens the table at start-up (OpenInstall: verify and add NBDATE, open
// with the production index tags, widen BAZ_, refresh every base's NBDATE
// from its NB.INI), prepares it for the main window (InitInstall: directory
// rows, printing rows, upper-case identifiers, filter to base rows, events,
// data source), serves the base list (DS, GetFieldText, GetRecordCount,
// SetSortIndex, Keep/RestorePosition) and the commands (base records,
// identifier checks, directory rows), and closes the table for good
// (CloseInstall: delete invalid rows, strip the production index, pack,
// delete SM_R\INSTALL.APP).
//
// Text rules: NAIM, DIR, DOP and BAZ_ hold OEM form (CP866 bytes). Stored
// text is converted with ToAnsi before it is shown, compared with a path or
// used as one, and text that the program makes or the user types is
// converted with ToOem before it is stored. Identifiers are computed from
// the ANSI form of a directory (GetBaseIdent), converted with ToOem, and
// stored, searched and compared in OEM form. INSTALL.APP texts are stored
// as they stand.
//
// Failures: a table write that the table layer refuses (post, delete)
// raises engine::EngineError, which reaches the caller's handler; the open
// reports through messages and a false result. Messages go through
// platform::ShowMessage. Only the user-interface thread uses the module.
//
// Collaborators are not owned and must outlive the module: the main
// window's port (root, caption, status bar, redraw bracket), the working
// directories dialog's edits, and the overlap dialog.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbf/wdbffile.h"
#include "engine/table.h"
#include "install/bases.h"
#include "install/data_source.h"
#include "install/keepers.h"
#include "install/ports.h"

namespace install {

// The action of ApplyRecord.
enum TypeAction { TAR_INSERT = 0, TAR_EDIT = 1 };

// The message texts of this module, for the windows that need them too.
inline constexpr char kOpenErrorHead[] = "Ошибка при открытии файла:\n";
inline constexpr char kOpenErrorTail[] =
    "\nВозможно файл занят другим приложением\nЗакройте все приложения VEM и попробуйте "
    "снова\nПриложение будет закрыто";
inline constexpr char kIdentTakenHead[] = "Нормативная база с таким идентификатором уже существует\n";
inline constexpr char kIdentTakenFolder[] = "Поменяйте идентификатор у папки ";
inline constexpr char kOverlapsFound[] =
    "Найдены пересекающиеся идентификаторы!\nНеобходимо выбрать один правильный.";
inline constexpr char kOverlapsTitle[] = "Ошибка!";

class TdmInstall {
 public:
  TdmInstall(MainWindowPort& window, WorkDirEdits& workDirs, OverlapChooser& chooser);
  ~TdmInstall();
  TdmInstall(const TdmInstall&) = delete;
  TdmInstall& operator=(const TdmInstall&) = delete;

  // ---- opening and verifying (start-up) ----

  // Verifies the columns, opens the table at path with the index tags of
  // the installation table, widens BAZ_ to IDENT_LENGTH when narrower and
  // fills NBDATE. False after the open-error message when the file cannot
  // be opened; false without a message when NBDATE cannot be added or a
  // table error is raised (the table object is released then).
  bool OpenInstall(const std::string& path);
  // Opens the table without tags and adds NBDATE CHAR(8) when the table has
  // no column DATA. False after the open-error message when it cannot be
  // opened, false without one when the column cannot be added.
  bool VeryfingAndChangeTable(const std::string& path);
  // Sets NBDATE of every base row from its NB.INI where that gives a date;
  // the table is left unfiltered. Nothing is written when the table has no
  // NBDATE column.
  void mf_FillDataNb();
  // Directory rows, printing rows, upper-case identifiers, filter to base
  // rows, events, data source, base count (changed false).
  void InitInstall();

  // ---- the view ----

  void FilterBases();  // only base rows: "VID = 'b'"
  void UnFiltering();  // all rows
  void AttachDataSource();
  DataSource& DS() { return ds_; }
  // The current row's value of a column as stored (OEM form); "" when there
  // is no table, no row or no such column.
  std::string GetFieldText(const std::string& column) const;
  // Rows the table shows; 0 when there is no open table.
  int GetRecordCount() const;
  // Makes a tag active ("" for natural order); false when there is no such
  // tag (the order stays).
  bool SetSortIndex(const std::string& tag);
  void KeepPosition();
  void RestorePosition();

  // ---- closing ----

  // Deletes invalid rows, releases the table, strips its production index,
  // packs it and deletes SM_R\INSTALL.APP. Safe to call without a table.
  void CloseInstall();
  // Deletes the shown rows with an empty VID and the base rows whose DIR
  // holds no colon.
  void DeleteInvalidRows();

  // ---- base records ----

  // Appends every listed base whose directory is not registered yet.
  void RegisterBases(const nsBase::VBases& bases);
  // Writes the six texts of a record into a new row (TAR_INSERT, the new row
  // becomes current) or the current row (TAR_EDIT). False, with nothing
  // written, for TAR_EDIT without a current row. NBDATE is written only
  // when the table has that column.
  bool ApplyRecord(const nsBase::SRecord& record, TypeAction action);
  // Rewrites the current base row from a base in ANSI form; with check set
  // the identifier of the new directory must be free (BaseIdentExists).
  // False, with nothing written, when refused or when there is no current
  // row. NBDATE becomes empty.
  bool EditBase(const nsBase::SBase& base, bool check);
  // Deletes the current row; false when there is none.
  bool DeleteBase();
  // Deletes the shown rows whose directory does not exist; the first row is
  // current afterwards.
  void DeleteMissingBases();

  // ---- identifiers ----

  // The stored form of the identifier of a directory in ANSI form:
  // ToOem(GetBaseIdent(dir)).
  static std::string IdentOf(const std::string& ansiDir);
  // True when a shown base row holds the identifier of the directory (ANSI
  // form); that row becomes current.
  bool FindBaseIdent(const std::string& ansiDir);
  // True, after the warning, when the identifier of the base's directory is
  // taken.
  bool BaseIdentExists(const nsBase::SBase& base);
  // For every identifier that several base rows share, asks the overlap
  // dialog which base to keep and deletes the other rows. False when the
  // user cancelled a dialog (the remaining identifiers are not checked).
  bool CheckIdentOverlaps();

  // ---- directory rows ----

  // Finds the first row of the kind (tag Vid) or appends it with the
  // default directory and caption (UTF-8); with a command-line root on
  // another drive the stored directory moves onto the root's drive. The
  // edit then shows the directory and is marked.
  void InitWorkDir(WorkDir kind, const std::string& defaultDir, const std::string& caption);
  // Writes the four edits' directories into their rows (appending missing
  // rows) when write is set. The filter stays off. Returns true.
  bool SaveWorkDirs(bool write);

  // ---- events ----
  void tblInstalAfterPost();
  void tblInstalAfterDelete();
  void tblInstalAfterScroll();

  // The table object; null before the open and after the close.
  engine::Table* Table() const { return tblInstal.get(); }
  const TKeepBookMark& BookmarkKeeper() const { return bookmark_; }

  // The table reference, as the file services take it.
  TableRef tblInstal;

 private:
  bool OpenInstallRun(const std::string& path, int depth);
  void ShowOpenError(const std::string& path);
  void Log(const std::string& text);
  // The bound list is not redrawn and index rewrites are held back while a
  // Quiet lives; Finish (or the destructor, which ignores errors) ends it.
  class Quiet {
   public:
    explicit Quiet(TdmInstall& dm);
    ~Quiet();
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;
    // Ends the bracket; a failed index rewrite raises engine::EngineError.
    void Finish();

   private:
    TdmInstall& dm_;
    engine::Table* table_;
    bool done_ = false;
  };
  // Walks the rows the table shows from the first and deletes each one the
  // predicate picks (the row that follows becomes current and is examined
  // next), with the list not redrawn; with firstAfter the first row is
  // current at the end.
  void DeleteShownRowsWhere(const std::function<bool(const engine::Table&)>& doomed,
                            bool firstAfter);
  void ConnectEvents();
  void DisconnectEvents();
  std::string CurrentIdentAnsi() const;
  int FieldWidth(const char* field) const;

  MainWindowPort& window_;
  WorkDirEdits& workDirs_;
  OverlapChooser& chooser_;
  DataSource ds_;
  TKeepBookMark bookmark_;
};

// Throws engine::EngineError for a failed table write.
void CheckTable(const platform::Status& status);

}  // namespace install
