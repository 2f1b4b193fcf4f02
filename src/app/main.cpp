// vem-config: the configurator's entry. One copy per user; the first
// argument, if any, is the package root.
//
// VEM_MESSAGES=stderr in the environment sends every message to standard
// error, answered with its first button, instead of showing a box (for
// scripted runs).
#include <QApplication>
#include <QStringList>
#include <exception>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "dbf/backup.h"
#include "dialogs/qt_message_ui.h"
#include "install/session.h"
#include "platform/single_instance.h"
#include "platform/ui.h"

namespace {

void ShowError(const std::string& text, const std::string& title) {
  platform::ShowMessage(text, title, platform::Icon::Error, platform::Buttons::Ok,
                        platform::Modality::Task);
}

}  // namespace

int main(int argc, char** argv) {
  // Taken before anything else, held until the process ends.
  platform::SingleInstance instance("VODIZORI_M");

  QApplication application(argc, argv);
  dialogs::QtMessageUi messageUi;
  if (qgetenv("VEM_MESSAGES") != "stderr") platform::SetMessageUi(&messageUi);

  switch (instance.result()) {
    case platform::SingleInstance::Result::kAcquired:
      break;
    case platform::SingleInstance::Result::kAlreadyRunning:
      ShowError("Программа VODIZORI.exe уже выполняется", "Error");
      return 1;
    case platform::SingleInstance::Result::kWrongObject:
      ShowError("Error 'VODIZORI_M' mutex object", "Error");
      return 1;
  }

  QApplication::setApplicationDisplayName(QString::fromUtf8(install::kApplicationTitle));
  std::vector<std::string> args;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());

  int code = 1;
  try {
    app::TfMain window;
    if (window.Set(args)) {
      window.show();
      code = QApplication::exec();
    }
  } catch (const std::exception& e) {
    ShowError(e.what(), install::kApplicationTitle);
    code = 1;
  } catch (const Backup::ExBackup&) {
    // The backup exceptions carry no text.
    ShowError("", install::kApplicationTitle);
    code = 1;
  } catch (...) {
    ShowError("", install::kApplicationTitle);
    code = 1;
  }
  platform::SetMessageUi(nullptr);
  return code;
}
