#include "dialogs/edit_and_select_folder.h"

#include <QEvent>
#include <QIcon>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/qt_message_ui.h"

namespace dialogs {

TEditAndSelectFolder::TEditAndSelectFolder(QWidget* parent) : QFrame(parent) {
  InitResources();
  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Edit = new FolderEdit(Panel1);
  Edit->setObjectName("Edit");
  Edit->setGeometry(5, 5, 156, Edit->sizeHint().height());
  sbSelectFolder = new QToolButton(Panel1);
  sbSelectFolder->setObjectName("sbSelectFolder");
  sbSelectFolder->setAutoRaise(true);
  sbSelectFolder->setFocusPolicy(Qt::NoFocus);
  QIcon icon;
  icon.addFile(":/icons/folder_open.svg", QSize(16, 16), QIcon::Normal);
  icon.addFile(":/icons/folder_open_disabled.svg", QSize(16, 16), QIcon::Disabled);
  sbSelectFolder->setIcon(icon);
  sbSelectFolder->setIconSize(QSize(16, 16));
  sbSelectFolder->setGeometry(176, 4, 19, 22);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Panel1);
  SetBevels(true);
  setFocusProxy(Edit);
  setMinimumHeight(Edit->height() + 6);
  resize(286, std::max(32, Edit->height() + 6));

  Panel1->installEventFilter(this);
  connect(sbSelectFolder, &QToolButton::clicked, this, [this] {
    if (handler_)
      handler_();
    else
      sbSelectFolderClick();
  });
}

void TEditAndSelectFolder::SetBevels(bool on) {
  if (on) {
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setLineWidth(1);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
  } else {
    Panel1->setFrameShape(QFrame::NoFrame);
    setFrameShape(QFrame::NoFrame);
  }
}

bool TEditAndSelectFolder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel1 && event->type() == QEvent::Resize) Panel1Resize();
  return QFrame::eventFilter(watched, event);
}

void TEditAndSelectFolder::Panel1Resize() {
  const int editHeight = Edit->height();
  const int buttonHeight = editHeight + 1;
  const int buttonWidth = buttonHeight;
  const int editWidth = Panel1->width() - buttonWidth - 10;
  const int buttonLeft = editWidth + 5;
  const int editTop = (Panel1->height() - editHeight) / 2;
  Edit->setGeometry(Edit->x(), editTop, editWidth, editHeight);
  sbSelectFolder->setGeometry(buttonLeft, editTop - 1, buttonWidth, buttonHeight);
}

bool TEditAndSelectFolder::SelectFolder() {
  bool result = false;
  if (auto chosen = FolderChooser::Choose(FolderRequest{title_, folder_, check_}, window())) {
    folder_ = *chosen;
    selected_ = true;
    result = true;
  }
  Edit->setFocus();
  Edit->SetText(folder_);
  return result;
}

void TEditAndSelectFolder::sbSelectFolderClick() {
  selected_ = false;
  folder_ = Edit->Text();
  SelectFolder();
}

}  // namespace dialogs
