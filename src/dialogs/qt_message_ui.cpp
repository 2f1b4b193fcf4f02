#include "dialogs/qt_message_ui.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

static void LoadDialogsResource() { Q_INIT_RESOURCE(vem_dialogs_icons); }

namespace dialogs {
namespace {

QMessageBox::Icon ToQtIcon(platform::Icon icon) {
  switch (icon) {
    case platform::Icon::Information:
      return QMessageBox::Information;
    case platform::Icon::Warning:
      return QMessageBox::Warning;
    case platform::Icon::Error:
      return QMessageBox::Critical;
    case platform::Icon::Question:
      return QMessageBox::Question;
    case platform::Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

platform::Answer QtMessageUi::Show(const platform::Message& message) {
  QWidget* owner = nullptr;
  if (message.modality == platform::Modality::Window) {
    owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
  }
  QMessageBox box(ToQtIcon(message.icon), QString::fromStdString(message.title),
                  QString::fromStdString(message.text), QMessageBox::NoButton, owner);
  box.setObjectName("vemMessageBox");
  if (!owner) box.setWindowModality(Qt::ApplicationModal);

  struct Choice {
    QMessageBox::StandardButton button;
    const char* caption;
    platform::Answer answer;
  };
  std::vector<Choice> choices;
  switch (message.buttons) {
    case platform::Buttons::Ok:
      choices = {{QMessageBox::Ok, "OK", platform::Answer::Ok}};
      break;
    case platform::Buttons::OkCancel:
      choices = {{QMessageBox::Ok, "OK", platform::Answer::Ok},
                 {QMessageBox::Cancel, "Отмена", platform::Answer::Cancel}};
      break;
    case platform::Buttons::YesNo:
      choices = {{QMessageBox::Yes, "Да", platform::Answer::Yes},
                 {QMessageBox::No, "Нет", platform::Answer::No}};
      break;
    case platform::Buttons::YesNoCancel:
      choices = {{QMessageBox::Yes, "Да", platform::Answer::Yes},
                 {QMessageBox::No, "Нет", platform::Answer::No},
                 {QMessageBox::Cancel, "Отмена", platform::Answer::Cancel}};
      break;
  }
  for (const Choice& c : choices) {
    box.addButton(c.button)->setText(QString::fromUtf8(c.caption));
  }
  box.setDefaultButton(choices.front().button);
  box.setEscapeButton(choices.back().button);

  const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const Choice& c : choices) {
    if (c.button == clicked) return c.answer;
  }
  // Closed without a button (only possible where Escape has no button):
  // the escape choice.
  return choices.back().answer;
}

void QtMessageUi::ResetCursor() {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void InitResources() {
  static const bool loaded = (LoadDialogsResource(), true);
  (void)loaded;
}

}  // namespace dialogs
