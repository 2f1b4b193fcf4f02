// The operations on base rows (kind b): registering the INSTALL.APP list,
// writing a prepared record, editing and deleting bases.
#include <set>
#include <string>

#include "install/dm_detail.h"
#include "install/dm_install.h"
#include "nbini/utility_class.h"
#include "platform/fs.h"

namespace install {

using detail::Ansi;
using detail::Oem;

void TdmInstall::RegisterBases(const nsBase::VBases& bases) {
  if (!tblInstal) return;
  engine::Table& t = *tblInstal;
  FilterBases();
  // The registered directories, as the column stores them (cut to its
  // width, trailing blanks not counted), gathered in one pass: a lookup per
  // listed base instead of a search that rebuilds the tag order after each
  // append. A base listed twice is found the second time.
  const size_t width = static_cast<size_t>(FieldWidth("DIR"));
  auto stored = [width](std::string dir) {
    if (dir.size() > width) dir.resize(width);
    while (!dir.empty() && dir.back() == ' ') dir.pop_back();
    return dir;
  };
  std::set<std::string> registered;
  for (bool more = t.First(); more; more = t.Next()) registered.insert(t.GetString("DIR"));
  // One index rewrite for the whole list instead of one per appended row.
  Quiet quiet(*this);
  for (const auto& base : bases) {
    // INSTALL.APP carries names and directories in the stored (OEM) form:
    // they are compared and stored as they stand.
    if (!registered.insert(stored(base.Path)).second) continue;
    t.Append();
    detail::Set(t, "VID", nsBase::kBaseKind);
    detail::Set(t, "DIR", base.Path);
    detail::Set(t, "NAIM", base.Name);
    detail::Set(t, "BAZ_", IdentOf(Ansi(base.Path)));
    detail::Set(t, "DOP", base.Type);
    detail::Post(t);
  }
  quiet.Finish();
}

bool TdmInstall::ApplyRecord(const nsBase::SRecord& record, TypeAction action) {
  if (!tblInstal) return false;
  engine::Table& t = *tblInstal;
  if (action == TAR_INSERT) {
    t.Append();
  } else if (!t.Position() || !t.Edit()) {
    return false;
  }
  detail::Set(t, "VID", record.VID);
  detail::Set(t, "NAIM", record.NAIM);
  detail::Set(t, "DIR", record.DIR);
  detail::Set(t, "DOP", record.DOP);
  detail::Set(t, "BAZ_", record.BAZ_);
  if (t.HasField("NBDATE")) detail::Set(t, "NBDATE", record.NBDATE);
  detail::Post(t);
  return true;
}

bool TdmInstall::EditBase(const nsBase::SBase& base, bool check) {
  if (!tblInstal) return false;
  engine::Table& t = *tblInstal;
  const engine::Bookmark mark = t.GetBookmark();
  if (!mark.valid()) return false;
  if (check && BaseIdentExists(base)) return false;
  if (!t.GotoBookmark(mark)) return false;
  nsBase::SRecord record;
  record.VID = nsBase::kBaseKind;
  record.NAIM = Oem(base.Name);
  record.DIR = Oem(base.Path);
  record.DOP = base.Type;
  record.BAZ_ = IdentOf(base.Path);
  record.NBDATE = "";
  if (!ApplyRecord(record, TAR_EDIT)) return false;
  CheckTable(t.Refresh());
  t.GotoBookmark(mark);
  ds_.Notify(DataSource::Change::kReset);
  return true;
}

bool TdmInstall::DeleteBase() {
  if (!tblInstal || !tblInstal->Position()) return false;
  CheckTable(tblInstal->Delete());
  return true;
}

void TdmInstall::DeleteMissingBases() {
  if (!tblInstal) return;
  DeleteShownRowsWhere(
      [](const engine::Table& t) { return !platform::DirectoryExists(Ansi(t.GetString("DIR"))); },
      true);
}

}  // namespace install
