// The four working directory rows (kinds a, d, n, i) and their edits in the
// working directories dialog.
#include <string>

#include "install/dm_detail.h"
#include "install/dm_install.h"

namespace install {

using detail::Ansi;
using detail::Oem;

namespace {

const char* CaptionOf(WorkDir kind) {
  for (const auto& row : nsBase::kDefaultRows)
    if (row.VID == static_cast<char>(kind)) return row.NAIM;
  return "";
}

}  // namespace

void TdmInstall::InitWorkDir(WorkDir kind, const std::string& defaultDir,
                             const std::string& caption) {
  if (!tblInstal) throw ExNullTable();
  engine::Table& t = *tblInstal;
  const std::string letter(1, static_cast<char>(kind));
  TKeeperIndex keeper;
  keeper.KeepAndSetIndex(&t, "Vid");
  if (detail::SeekKey(t, letter)) {
    std::string dir = Ansi(t.GetString("DIR"));
    const std::string root = window_.GetRootDir();
    // Only a drive-letter directory below a drive-letter root can move onto
    // the root's drive; relative and network paths stay as stored.
    if (window_.RootFromCommandLine() && detail::HasDriveLetter(root) &&
        detail::HasDriveLetter(dir) && root.compare(0, 2, dir, 0, 2) != 0) {
      dir.replace(0, 2, root, 0, 2);
      if (t.Edit()) {
        detail::Set(t, "DIR", Oem(dir));
        detail::Post(t);
      }
    }
  } else {
    t.Append();
    detail::Set(t, "VID", letter);
    detail::Set(t, "DIR", Oem(defaultDir));
    detail::Set(t, "NAIM", Oem(caption));
    detail::Post(t);
  }
  workDirs_.SetDirText(kind, Ansi(t.GetString("DIR")));
  workDirs_.MarkByDir(kind);
  keeper.RestoreIndex();
}

bool TdmInstall::SaveWorkDirs(bool write) {
  if (!tblInstal) return true;
  engine::Table& t = *tblInstal;
  Quiet quiet(*this);
  t.SetFiltered(false);
  if (write) {
    TKeeperIndex keeper;
    keeper.KeepAndSetIndex(&t, "Vid");
    for (WorkDir kind : {WorkDir::Output, WorkDir::Auxiliary, WorkDir::Working, WorkDir::Archive}) {
      const std::string letter(1, static_cast<char>(kind));
      if (detail::SeekKey(t, letter)) {
        if (!t.Edit()) continue;
      } else {
        t.Append();
        detail::Set(t, "VID", letter);
        detail::Set(t, "NAIM", Oem(CaptionOf(kind)));
      }
      detail::Set(t, "DIR", Oem(workDirs_.DirText(kind)));
      detail::Post(t);
    }
    keeper.RestoreIndex();
  }
  quiet.Finish();
  ds_.Notify(DataSource::Change::kReset);
  return true;
}

}  // namespace install
