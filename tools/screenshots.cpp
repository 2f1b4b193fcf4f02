// vem-screenshots OUTDIR: starts the configurator's main window on a fresh
// sample package, and saves a PNG of the main window and of each of its
// dialogs and questions into OUTDIR. Every dialog is closed without
// changes except the last step, which removes the missing base and
// answers No to the closing question (the table is put back).
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/main_window.h"
#include "dialogs/qt_message_ui.h"
#include "install/qt/error_form.h"
#include "platform/paths.h"
#include "tools/demo_package.h"

namespace {

QString outDir;
int failures = 0;

void Save(QWidget* widget, const QString& name) {
  const QString file = outDir + "/" + name + ".png";
  if (!widget || !widget->grab().save(file)) {
    std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
    ++failures;
    return;
  }
  std::printf("%s\n", qPrintable(file));
}

void Settle(int ms = 150) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Saves the next modal window once it is up, then closes it with `close`.
void WhenModal(const QString& name, std::function<void(QWidget*)> close) {
  QTimer::singleShot(300, [name, close] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
      std::fprintf(stderr, "no window for %s\n", qPrintable(name));
      ++failures;
      return;
    }
    Save(modal, name);
    close(modal);
  });
}

void Reject(QWidget* w) {
  if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
}

std::function<void(QWidget*)> Answer(QMessageBox::StandardButton button) {
  return [button](QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w))
      if (QAbstractButton* b = box->button(button)) b->click();
  };
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  outDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(outDir);

  QTemporaryDir prefix;
  demo::MakeDemoPackage(prefix.path().toStdString());
  platform::SetDriveMap(
      platform::DriveMap::FromDosdevices(prefix.path().toStdString() + "/dosdevices"));
  dialogs::QtMessageUi messageUi;
  platform::SetMessageUi(&messageUi);
  QApplication::setApplicationDisplayName("Конфигурация VEM");

  app::TfMain window;
  if (!window.Set({demo::kRoot})) {
    std::fprintf(stderr, "the start-up failed\n");
    return 1;
  }
  window.show();
  Settle(400);
  Save(&window, "main");

  window.actShowIdentyfy->trigger();
  window.dbgBasesTitleBtnClick(0);
  Settle();
  Save(&window, "main_sorted_by_name");
  window.actDisableSortExecute();
  window.actShowIdentyfy->trigger();

  window.actShowHideCaption->trigger();
  Settle();
  Save(&window, "main_without_captions");
  window.actShowHideCaption->trigger();

  WhenModal("change_base_edit", Reject);
  window.actConfigBaseExecute();
  WhenModal("change_base_add", Reject);
  window.actAddBaseExecute();
  WhenModal("work_path", Reject);
  window.actEditWorkDirExecute();
  WhenModal("form_ini", Reject);
  window.actEditNBIniExecute();
  WhenModal("delete_question", Answer(QMessageBox::No));
  window.actDelBaseExecute();

  {
    // The overlap dialog as the start-up shows it; Cancel, then its warning.
    std::vector<install::ErrorStruct> entries = {
        {"C:\\VEM\\NB\\GESN2001\\", "ГЭСН-2001 Государственные элементные сметные нормы",
         false},
        {"C:\\VEM\\NB\\COPY_N2001\\", "ГЭСН-2001 (копия)", false}};
    install::QtOverlapChooser chooser(&window);
    WhenModal("error_form", [](QWidget* w) {
      auto* form = qobject_cast<install::TtErrorForm*>(w);
      if (!form) return;
      WhenModal("error_form_cancel_warning", Answer(QMessageBox::Ok));
      form->BitBtn2Click();
    });
    chooser.Choose(entries);
  }

  window.actDeleteInvalidBaseExecute();
  Settle();
  Save(&window, "main_after_delete_missing");
  WhenModal("close_question", Answer(QMessageBox::No));
  window.close();
  Settle();

  platform::SetMessageUi(nullptr);
  return failures == 0 ? 0 : 1;
}
