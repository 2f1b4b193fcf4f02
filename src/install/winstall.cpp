#include "install/winstall.h"

#include "install/dm_detail.h"
#include "platform/fs.h"
#include "platform/ui.h"

namespace install {

std::string ParentDirectory(const std::string& dir) {
  if (dir.size() < 2) return "";
  // The last backslash before the final character.
  auto pos = dir.find_last_of('\\', dir.size() - 2);
  if (pos == std::string::npos) return "";
  return dir.substr(0, pos + 1);
}

WInstall::WInstall(const std::string& programDir)
    : description_("WInstall: Класс для работы с файлом instal.dbf") {
  CloseInstalFile();
  OpenInstalFile(programDir);
}

WInstall::~WInstall() { CloseInstalFile(); }

bool WInstall::OpenInstalFile(const std::string& programDir) {
  fileName_ = ParentDirectory(programDir) + "SM_R\\" + "instal.dbf";
  if (!platform::FileExists(fileName_)) {
    platform::ShowMessage("Не найден файл: " + fileName_ + "!", description_,
                          platform::Icon::Warning, platform::Buttons::Ok,
                          platform::Modality::Task);
    return false;
  }
  const IndexDef defs[] = {{"NAIM_IND", "NAIM", "NAIM"}};
  WDbfFile dbf;
  if (!dbf.OpenTable(table_, fileName_, true, true, defs, 1, "NAIM_IND", engine::kExpression)) {
    dbf.CloseTable(table_);
    return false;
  }
  return true;
}

void WInstall::ChangeDrive(const std::string& drive) {
  if (!table_) return;
  WDbfFile dbf;
  WString text;
  engine::Table& t = *table_;
  for (char kind : {'a', 'd', 'n', 'i', 'b'}) {
    const int count = dbf.ApplyFilter(&t, std::string("VID = '") + kind + "'");
    for (int i = 0; i < count; ++i) {
      std::string dir = text.ToAnsi(t.GetString("DIR"));
      // Only a drive-letter path: its first colon is its second character.
      if (dir.find(':') == 1) {
        dir = drive + dir.substr(2);
        if (t.Edit()) {
          detail::Set(t, "DIR", text.ToOem(dir));
          detail::Post(t);
        }
      }
      if (!t.Next()) break;
    }
  }
  t.SetFiltered(false);
}

void WInstall::CloseInstalFile() {
  WDbfFile dbf;
  dbf.CloseTable(table_);
}

}  // namespace install
