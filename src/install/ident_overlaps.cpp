// Base identifiers: the check that an identifier is free and the start-up
// check for identifiers that several bases share.
#include <map>
#include <string>
#include <vector>

#include "install/dm_detail.h"
#include "install/dm_install.h"
#include "nbini/utility_class.h"
#include "platform/ui.h"

namespace install {

using detail::Ansi;
using detail::Oem;

std::string TdmInstall::IdentOf(const std::string& ansiDir) {
  return Oem(SingleUtility::Instance().GetBaseIdent(ansiDir));
}

bool TdmInstall::FindBaseIdent(const std::string& ansiDir) {
  if (!tblInstal) return false;
  Quiet quiet(*this);
  TKeeperIndex keeper;
  keeper.KeepAndSetIndex(tblInstal.get(), "BAZ_");
  const bool found = detail::SeekKey(*tblInstal, IdentOf(ansiDir));
  keeper.RestoreIndex();
  quiet.Finish();
  return found;
}

bool TdmInstall::BaseIdentExists(const nsBase::SBase& base) {
  if (!FindBaseIdent(base.Path)) return false;
  platform::ShowMessage(std::string(kIdentTakenHead) + kIdentTakenFolder +
                            SingleUtility::Instance().GetFolderName(base.Path) + "\n",
                        window_.Caption(), platform::Icon::Warning, platform::Buttons::Ok,
                        platform::Modality::Task);
  return true;
}

bool TdmInstall::CheckIdentOverlaps() {
  if (!tblInstal) return true;
  engine::Table& t = *tblInstal;
  bool result = true;
  bool deleted = false;
  FilterBases();

  // One pass counts the base rows of each identifier (padded to the column
  // width, ordered by byte value); only the shared ones get a filtered pass.
  const int width = FieldWidth("BAZ_");
  std::map<std::string, int> counts;
  for (bool more = t.First(); more; more = t.Next())
    ++counts[SingleString::Instance().PadRight(t.GetString("BAZ_"), width)];
  UnFiltering();

  for (const auto& [ident, count] : counts) {
    if (count < 2) continue;
    t.SetFiltered(false);
    CheckTable(t.SetFilter("VID = 'b' and BAZ_ = " + engine::Table::QuoteLiteral(ident)));
    t.SetFiltered(true);
    if (t.RecordCount() <= 1) continue;

    platform::ShowMessage(kOverlapsFound, kOverlapsTitle, platform::Icon::Warning,
                          platform::Buttons::Ok, platform::Modality::Task);
    std::vector<ErrorStruct> entries;
    std::vector<engine::Bookmark> rows;
    for (bool more = t.First(); more; more = t.Next()) {
      entries.push_back({Ansi(t.GetString("DIR")), Ansi(t.GetString("NAIM")), false});
      rows.push_back(t.GetBookmark());
    }
    bool chosen = chooser_.Choose(entries);
    // An answer that keeps no base would delete every row of the
    // identifier; it counts as not resolved.
    bool keepsOne = false;
    for (const auto& e : entries) keepsOne = keepsOne || e.Keep;
    t.SetFiltered(false);
    if (!chosen || !keepsOne) {
      result = false;
      break;
    }
    for (size_t i = 0; i < entries.size() && i < rows.size(); ++i) {
      if (entries[i].Keep) continue;
      if (t.GotoBookmark(rows[i])) {
        CheckTable(t.Delete());
        deleted = true;
      }
    }
    t.First();
  }

  UnFiltering();
  FilterBases();
  // The deletions reported the rows shown without a filter; the status bar
  // is to count the bases that stayed.
  if (deleted) tblInstalAfterDelete();
  return result;
}

}  // namespace install
