#include "install/dm_install.h"

#include <exception>
#include <utility>

#include "dbf/dbf_singletons.h"
#include "install/dm_detail.h"
#include "nbini/utility_class.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "support/text.h"

namespace install {

using detail::Ansi;
using detail::Oem;

namespace {

WDbfFile& Dbf() { return SingleDbfFile::Instance(); }
WSQL& Sql() { return SingleSQL::Instance(); }

// The index tag list of the installation table in the file service's form.
// A table that keeps DATA instead of NBDATE gets no tag over the missing
// column (a tag over it could not be built and the open would fail).
std::vector<IndexDef> InstallIndexDefs(bool hasNbDate) {
  std::vector<IndexDef> defs;
  for (const auto& d : nsBase::kInstallIndexDefs) {
    if (!hasNbDate && std::string_view(d.Expression) == "NBDATE") continue;
    defs.push_back({d.Name, d.Expression, d.Descending});
  }
  return defs;
}

const nsBase::SDefaultRow& DefaultRow(char kind) {
  for (const auto& row : nsBase::kDefaultRows)
    if (row.VID == kind) return row;
  throw std::logic_error(std::string("no default row of kind ") + kind);
}

}  // namespace

void CheckTable(const platform::Status& status) {
  if (!status.ok()) throw engine::EngineError(status.message());
}

namespace detail {

void Set(engine::Table& table, std::string_view field, std::string_view value) {
  auto status = table.SetString(field, value);
  if (!status.ok()) {
    table.Cancel();
    throw engine::EngineError(status.message());
  }
}

void Post(engine::Table& table) {
  auto status = table.Post();
  if (!status.ok()) {
    table.Cancel();
    throw engine::EngineError(status.message());
  }
}

}  // namespace detail

// ---------------------------------------------------------------------------

TdmInstall::TdmInstall(MainWindowPort& window, WorkDirEdits& workDirs, OverlapChooser& chooser)
    : window_(window), workDirs_(workDirs), chooser_(chooser) {}

TdmInstall::~TdmInstall() {
  DisconnectEvents();
  ds_.Detach();
}

TdmInstall::Quiet::Quiet(TdmInstall& dm) : dm_(dm), table_(dm.tblInstal.get()) {
  dm_.window_.DisableControls();
  dm_.ds_.Disable();
  if (table_) table_->BeginBatch();
}

TdmInstall::Quiet::~Quiet() {
  if (done_) return;
  done_ = true;
  if (table_) (void)table_->EndBatch();
  dm_.ds_.Enable();
  dm_.window_.EnableControls();
}

void TdmInstall::Quiet::Finish() {
  if (done_) return;
  done_ = true;
  platform::Status status;
  if (table_) status = table_->EndBatch();
  dm_.ds_.Enable();
  dm_.window_.EnableControls();
  CheckTable(status);
}

void TdmInstall::Log(const std::string& text) { SingleLog::Instance().Write(text); }

void TdmInstall::ShowOpenError(const std::string& path) {
  platform::ShowMessage(kOpenErrorHead + path + kOpenErrorTail, "", platform::Icon::Error,
                        platform::Buttons::Ok);
}

int TdmInstall::FieldWidth(const char* field) const {
  if (!tblInstal) return 0;
  auto def = tblInstal->FindField(field);
  return def ? def->length : 0;
}

std::string TdmInstall::CurrentIdentAnsi() const {
  return tblInstal ? Ansi(tblInstal->GetString("BAZ_")) : std::string();
}

// ---- opening --------------------------------------------------------------

bool TdmInstall::OpenInstall(const std::string& path) { return OpenInstallRun(path, 0); }

bool TdmInstall::OpenInstallRun(const std::string& path, int depth) {
  Log("::OpenInstall 1 strTableName = " + path);
  try {
    Log("::OpenInstall 2");
    if (!VeryfingAndChangeTable(path)) {
      Dbf().CloseTable(tblInstal);
      return false;
    }
    Log("::OpenInstall 3");
    auto defs = InstallIndexDefs(tblInstal->HasField("NBDATE"));
    if (!Dbf().OpenTable(tblInstal, path, false, true, defs.data(), defs.size(), "",
                         engine::kExpression)) {
      ShowOpenError(path);
      Dbf().CloseTable(tblInstal);
      return false;
    }
    Log("::OpenInstall 4");
    if (FieldWidth("BAZ_") < nsBase::IDENT_LENGTH) {
      // Widen once and open again. A column that is still too narrow after
      // that (the widening failed, or there is no BAZ_ to widen) ends the
      // open instead of widening again and again.
      if (depth > 0) {
        ShowOpenError(path);
        Dbf().CloseTable(tblInstal);
        return false;
      }
      Dbf().CloseTable(tblInstal);
      (void)Dbf().ResizeCharColumn(path, "BAZ_", nsBase::IDENT_LENGTH);
      if (!OpenInstallRun(path, depth + 1)) return false;
    }
    Log("::OpenInstall before mf_FillDataNb5");
    mf_FillDataNb();
    Log("::OpenInstall after mf_FillDataNb6");
    bookmark_.SetTable(tblInstal.get());
    Log("::OpenInstall 7");
    return true;
  } catch (const std::exception&) {
    bookmark_.SetTable(nullptr);
    Dbf().CloseTable(tblInstal);
    return false;
  }
}

bool TdmInstall::VeryfingAndChangeTable(const std::string& path) {
  Log("::VeryfingAndChangeTable 1");
  if (!Dbf().OpenTable(tblInstal, path, false)) {
    ShowOpenError(path);
    return false;
  }
  const bool hasData = tblInstal->HasField("DATA");
  if (!hasData) {
    Log("::VeryfingAndChangeTable 2");
    if (!Sql().AddColumn(*tblInstal, "NBDATE", "8", kColumnChar)) {
      Log("::VeryfingAndChangeTable: return FALSE after CheckField 3");
      return false;
    }
  }
  Log(std::string("::VeryfingAndChangeTable: return TRUE CheckField ") + (hasData ? "2" : "3"));
  return true;
}

void TdmInstall::mf_FillDataNb() {
  engine::Table& t = *tblInstal;
  FilterBases();
  const std::string count = std::to_string(t.RecordCount());
  Log("::mf_FillDataNb() tblInstal->RecordCount =" + count);
  // A table that has DATA instead of NBDATE keeps no dates: nothing to write.
  const bool hasDate = t.HasField("NBDATE");
  try {
    Quiet quiet(*this);
    for (bool more = t.First(); more; more = t.Next()) {
      const std::string dir = t.GetString("DIR");
      const std::string date = SingleUtility::Instance().GetNbIniDate(Ansi(dir));
      const std::string recNo = std::to_string(t.RecNo());
      Log("::mf_FillDataNb() " + recNo + " " + dir + " reccount: " + count + " " + date);
      Log("::mf_FillDataNb() before if");
      if (!date.empty() && hasDate) {
        Log("\t::mf_FillDataNb() before edit");
        if (!t.Edit()) throw engine::EngineError("no current row");
        Log("\t::mf_FillDataNb() after edit");
        detail::Set(t, "NBDATE", date);
        Log("\t::mf_FillDataNb() before post");
        detail::Post(t);
        Log("\t::mf_FillDataNb() after post");
      }
      Log("::mf_FillDataNb() after recNo" + recNo);
      Log(std::string("::mf_FillDataNb() after tblInstal->Eof") + (t.Eof() ? "1" : "0"));
      Log("::mf_FillDataNb() after if");
    }
    quiet.Finish();
  } catch (const std::exception&) {
    if (t.Editing()) t.Cancel();
    Log("::mf_FillDataNb() произошла необъяснимая фигня!!!");
  }
  Log("::mf_FillDataNb() before UnFiltering()");
  UnFiltering();
  Log("::mf_FillDataNb() exit cycle");
}

void TdmInstall::InitInstall() {
  if (!tblInstal) throw ExNullTable();
  engine::Table& t = *tblInstal;
  if (!t.IsOpen()) CheckTable(t.Open());

  const std::string root = window_.GetRootDir();
  for (char kind : {'i', 'n', 'a', 'd'}) {
    const auto& row = DefaultRow(kind);
    InitWorkDir(static_cast<WorkDir>(kind), root + row.DIR, row.NAIM);
  }

  {
    TKeeperIndex keeper;
    keeper.KeepAndSetIndex(&t, "Vid");
    for (char kind : {'h', 'f'}) {
      if (detail::SeekKey(t, std::string(1, kind))) continue;
      const auto& row = DefaultRow(kind);
      t.Append();
      detail::Set(t, "VID", std::string(1, kind));
      detail::Set(t, "NAIM", Oem(row.NAIM));
      if (*row.DIR) detail::Set(t, "DIR", Oem(row.DIR));
      if (*row.DOP) detail::Set(t, "DOP", Oem(row.DOP));
      if (*row.BAZ_) detail::Set(t, "BAZ_", Oem(row.BAZ_));
      if (row.YES && t.HasField("YES")) {
        auto status = t.SetBool("YES", true);
        if (!status.ok()) {
          t.Cancel();
          CheckTable(status);
        }
      }
      detail::Post(t);
    }
    keeper.RestoreIndex();
  }

  // Identifiers are compared as stored; upper-case them once per start so
  // that folder names differing only in letter case agree.
  FilterBases();
  {
    Quiet quiet(*this);
    for (bool more = t.First(); more; more = t.Next()) {
      const std::string stored = t.GetString("BAZ_");
      const std::string upper = Oem(text::Utf8Upper(Ansi(stored)));
      if (upper == stored) continue;
      if (!t.Edit()) continue;
      detail::Set(t, "BAZ_", upper);
      detail::Post(t);
    }
    quiet.Finish();
  }
  FilterBases();
  ConnectEvents();
  ds_.Attach(tblInstal.get());
  window_.ShowBaseCount(GetRecordCount(), false);
}

// ---- the view -------------------------------------------------------------

void TdmInstall::FilterBases() {
  if (!tblInstal) return;
  tblInstal->SetFiltered(false);
  CheckTable(tblInstal->SetFilter("VID = 'b'"));
  tblInstal->SetFiltered(true);
  ds_.Notify(DataSource::Change::kReset);
}

void TdmInstall::UnFiltering() {
  if (!tblInstal) return;
  tblInstal->SetFiltered(false);
  CheckTable(tblInstal->SetFilter(""));
  ds_.Notify(DataSource::Change::kReset);
}

void TdmInstall::AttachDataSource() { ds_.Attach(tblInstal.get()); }

std::string TdmInstall::GetFieldText(const std::string& column) const {
  return tblInstal ? tblInstal->GetString(column) : std::string();
}

int TdmInstall::GetRecordCount() const {
  if (!tblInstal || !tblInstal->IsOpen()) return 0;
  return static_cast<int>(tblInstal->RecordCount());
}

bool TdmInstall::SetSortIndex(const std::string& tag) {
  if (!tblInstal) return false;
  bool ok = tblInstal->SetActiveTag(tag).ok();
  ds_.Notify(DataSource::Change::kReset);
  return ok;
}

void TdmInstall::KeepPosition() { bookmark_.SaveMark(); }

void TdmInstall::RestorePosition() {
  bookmark_.GotoMark();
  ds_.Notify(DataSource::Change::kCurrent);
}

// ---- events ---------------------------------------------------------------

void TdmInstall::ConnectEvents() {
  if (!tblInstal) return;
  tblInstal->afterPost = [this](engine::Table&) { tblInstalAfterPost(); };
  tblInstal->afterDelete = [this](engine::Table&) { tblInstalAfterDelete(); };
  tblInstal->afterScroll = [this](engine::Table&) { tblInstalAfterScroll(); };
}

void TdmInstall::DisconnectEvents() {
  if (!tblInstal) return;
  tblInstal->afterPost = nullptr;
  tblInstal->afterDelete = nullptr;
  tblInstal->afterScroll = nullptr;
}

void TdmInstall::tblInstalAfterPost() {
  window_.ShowBaseCount(GetRecordCount(), true);
  window_.ShowIdentifier(CurrentIdentAnsi());
  ds_.Notify(DataSource::Change::kReset);
}

void TdmInstall::tblInstalAfterDelete() {
  window_.ShowBaseCount(GetRecordCount(), true);
  window_.ShowIdentifier(CurrentIdentAnsi());
  ds_.Notify(DataSource::Change::kReset);
}

void TdmInstall::tblInstalAfterScroll() {
  window_.ShowIdentifier(CurrentIdentAnsi());
  ds_.Notify(DataSource::Change::kCurrent);
}

// ---- closing --------------------------------------------------------------

void TdmInstall::CloseInstall() {
  if (tblInstal && tblInstal->IsOpen()) DeleteInvalidRows();
  DisconnectEvents();
  ds_.Detach();
  bookmark_.SetTable(nullptr);
  Dbf().CloseTable(tblInstal);

  const std::string root = window_.GetRootDir();
  const std::string path = root + "SM_R\\" + "INSTAL.DBF";
  Dbf().RemoveProductionIndex(path, true);
  Dbf().PackTable(path, true);

  const std::string app = root + "SM_R\\INSTALL.APP";
  if (platform::FileExists(app)) platform::DeleteFile(app);
}

void TdmInstall::DeleteInvalidRows() {
  if (!tblInstal) return;
  DeleteShownRowsWhere([](const engine::Table& t) {
    const std::string vid = t.GetString("VID");
    return vid.empty() ||
           (vid == nsBase::kBaseKind && t.GetString("DIR").find(':') == std::string::npos);
  }, false);
}

void TdmInstall::DeleteShownRowsWhere(const std::function<bool(const engine::Table&)>& doomed,
                                      bool firstAfter) {
  engine::Table& t = *tblInstal;
  Quiet quiet(*this);
  bool more = t.First();
  while (more) {
    if (!doomed(t)) {
      more = t.Next();
      continue;
    }
    // After a deletion the next row is current; after the last one the
    // walk is over.
    auto pos = t.Position();
    const bool wasLast = !pos || *pos + 1 >= t.RecordCount();
    CheckTable(t.Delete());
    more = !wasLast && t.Position().has_value();
  }
  if (firstAfter) t.First();
  quiet.Finish();
}

}  // namespace install
