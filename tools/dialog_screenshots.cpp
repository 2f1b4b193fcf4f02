// vem-dialog-screenshots OUTDIR: renders each dialog on its own into
// OUTDIR/dialog-<name>.png (QWidget::grab), filled from a small sample
// package that the tool writes into a temporary folder mapped as drive C:.
// Needs no main window; scripts/screenshots runs it under xvfb-run.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "dialogs/change_base.h"
#include "dialogs/folder_chooser.h"
#include "dialogs/path_routines.h"
#include "dialogs/qt_message_ui.h"
#include "dialogs/work_path.h"
#include "install/qt/error_form.h"
#include "install/qt/frame_select_string_grid.h"
#include "nbini/qt/form_ini.h"
#include "platform/paths.h"
#include "support/text.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// C:\VEM with its working directories and two bases, below driveC.
void MakeSample(const fs::path& driveC) {
  const fs::path vem = driveC / "VEM";
  WriteFile(vem / "SM_A" / "APX_0.DBF", "");
  WriteFile(vem / "SM_D" / "IND_0.DBF", "");
  WriteFile(vem / "SM_R" / "INSTAL.DBF", "");
  fs::create_directories(vem / "SM_R" / "WR");
  WriteFile(vem / "NB" / "GESN2001" / "N_POZ.DBF", "");
  WriteFile(vem / "NB" / "GESN2001" / "NB.INI",
            text::Utf8ToCp1251("[Version]\r\nName=ГЭСН-2001 Сборники 1-47\r\nNumber=2.1\r\n"
                               "Date=05.04.2010 14:37\r\nConfirmDate=12.05.2010 09:00\r\n"
                               "TypeNB=G\r\nSubTypeNB=2\r\nRegionName=77\r\n"
                               "[Calculation]\r\nC4=1\r\nX40=0\r\n"
                               "KodRemontSbornik_GESN=1\r\nVarMontagMaterial=1\r\n"));
  WriteFile(vem / "NB" / "TSN_MOS" / "N_POZ.DBF", "");
}

void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(QWidget& widget, const QDir& out, const char* name, int settleMs = 50) {
  widget.show();
  Settle(settleMs);
  const QString file = out.filePath(QString("dialog-") + name + ".png");
  const bool ok = widget.grab().save(file);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
  widget.hide();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: vem-dialog-screenshots OUTDIR\n");
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(".")) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }

  std::error_code ec;
  const fs::path sample =
      fs::temp_directory_path(ec) / ("vem-dialog-screenshots-" + std::to_string(::getpid()));
  MakeSample(sample / "drive_c");
  platform::DriveMap map;
  map.Set('C', sample / "drive_c");
  platform::SetDriveMap(map);
  dialogs::QtMessageUi messageUi;
  platform::SetMessageUi(&messageUi);

  bool ok = true;
  {
    dialogs::TfChgBaz dialog;
    dialog.SetBase({"ГЭСН-2001 Сборники 1-47", "G", "C:\\VEM\\NB\\GESN2001\\"});
    ok &= Save(dialog, out, "base-edit");
    dialogs::TfChgBaz adding;
    adding.SetBase({"", "x", "C:\\VEM\\"});
    ok &= Save(adding, out, "base-add");
  }
  {
    dialogs::TWorkPath dialog;
    const std::pair<install::WorkDir, const char*> dirs[] = {
        {install::WorkDir::Output, "C:\\VEM\\SM_A\\"},
        {install::WorkDir::Auxiliary, "C:\\VEM\\SM_D\\"},
        {install::WorkDir::Working, "C:\\VEM\\SM_R\\"},
        {install::WorkDir::Archive, "C:\\VEM\\SM_R\\ARCHIV\\"}};
    for (const auto& [dir, text] : dirs) {
      dialog.SetDirText(dir, text);
      dialog.MarkByDir(dir);
    }
    ok &= Save(dialog, out, "work-dirs");
  }
  {
    nbini::TFormIni dialog;
    dialog.SetDir("C:\\VEM\\NB\\GESN2001\\");
    dialog.FormShow();
    ok &= Save(dialog, out, "nb-ini");
  }
  {
    std::vector<install::ErrorStruct> entries = {
        {"C:\\VEM\\NB\\GESN2001\\", "ГЭСН-2001 Сборники 1-47", false},
        {"C:\\VEM\\NB\\OLD\\GESN2001\\", "ГЭСН-2001 (старая копия)", false}};
    install::TtErrorForm dialog;
    dialog.SetErrors(&entries);
    dialog.show();
    Settle(20);
    emit dialog.FrmSelectStringGrid1->StringGrid1->cellDoubleClicked(0, 1);
    ok &= Save(dialog, out, "overlap");
  }
  {
    dialogs::FolderChooser chooser(
        {"Каталог с базой данных\nВ каталоге должен находится N_POZ.DBF", "C:\\VEM\\NB\\GESN2001",
         [](const std::string& f) { return dialogs::FolderHoldsFile(f, "N_POZ.DBF"); }});
    // The model fills the tree in the background.
    ok &= Save(chooser, out, "folder-chooser", 500);
  }

  {
    // The icon sheet: every icon of the resources at 16 and at 32 pixels.
    const QStringList icons = QDir(":/icons").entryList() + QStringList{":/overlap/marked.svg",
                                                                        ":/overlap/unmarked.svg"};
    QPixmap sheet(48 * icons.size() + 8, 64);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < icons.size(); ++i) {
      const QString path = icons[i].startsWith(':') ? icons[i] : ":/icons/" + icons[i];
      const QIcon icon(path);
      icon.paint(&painter, QRect(8 + 48 * i, 4, 16, 16));
      icon.paint(&painter, QRect(8 + 48 * i, 26, 32, 32));
    }
    painter.end();
    const QString file = out.filePath("dialog-icons.png");
    const bool saved = sheet.save(file);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(file));
    ok &= saved;
  }

  platform::SetMessageUi(nullptr);
  fs::remove_all(sample, ec);
  return ok ? 0 : 1;
}
