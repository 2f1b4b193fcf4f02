#include "dialogs/work_path.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/edit_and_select_folder.h"
#include "dialogs/path_routines.h"
#include "platform/ui.h"
#include "support/text.h"

namespace dialogs {

using install::WorkDir;

TWorkPath::TWorkPath(QWidget* parent) : QDialog(parent) {
  setObjectName("WorkPath");
  setWindowTitle(QString::fromUtf8("Рабочие каталоги"));
  resize(618, 281);

  auto makeLabel = [this](const char* name, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), this);
    label->setObjectName(name);
    return label;
  };
  auto makeFrame = [this](const char* name) {
    auto* frame = new TEditAndSelectFolder(this);
    frame->setObjectName(name);
    frame->SetBevels(false);
    frame->setMinimumWidth(570);
    return frame;
  };
  Label1 = makeLabel("Label1", "Каталог для хранения основной информации");
  FrameSelectFolderSM_A = makeFrame("FrameSelectFolderSM_A");
  Label2 = makeLabel("Label2", "Каталог для вспомогательной информации");
  FrameSelectFolderSM_D = makeFrame("FrameSelectFolderSM_D");
  Label3 = makeLabel("Label3", "Каталог для рабочих файлов");
  FrameSelectFolderSM_R = makeFrame("FrameSelectFolderSM_R");
  Label4 = makeLabel("Label4", "Каталог для архивации сметной документации");
  FrameSelectFolderWR = makeFrame("FrameSelectFolderWR");

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  bbtnOk = new QPushButton("OK", this);
  bbtnOk->setObjectName("bbtnOk");
  bbtnOk->setDefault(true);
  bbtnCancel = new QPushButton(QString::fromUtf8("Отмена"), this);
  bbtnCancel->setObjectName("bbtnCancel");
  for (QPushButton* b : {bbtnOk, bbtnCancel}) b->setMinimumWidth(90);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 10, 24, 10);
  layout->setSpacing(2);
  const std::pair<QLabel*, TEditAndSelectFolder*> rows[] = {
      {Label1, FrameSelectFolderSM_A},
      {Label2, FrameSelectFolderSM_D},
      {Label3, FrameSelectFolderSM_R},
      {Label4, FrameSelectFolderWR}};
  for (const auto& [label, frame] : rows) {
    layout->addSpacing(4);
    layout->addWidget(label);
    layout->addWidget(frame);
  }
  layout->addStretch(1);
  layout->addWidget(Bevel1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bbtnOk);
  buttons->addWidget(bbtnCancel);
  layout->addLayout(buttons);

  setTabOrder(FrameSelectFolderSM_A->Edit, FrameSelectFolderSM_D->Edit);
  setTabOrder(FrameSelectFolderSM_D->Edit, FrameSelectFolderSM_R->Edit);
  setTabOrder(FrameSelectFolderSM_R->Edit, FrameSelectFolderWR->Edit);
  setTabOrder(FrameSelectFolderWR->Edit, bbtnOk);
  setTabOrder(bbtnOk, bbtnCancel);

  slots_ = {{
      {WorkDir::Output, FrameSelectFolderSM_A, "APX_0.DBF",
       "Неправильно указан каталог для хранения основной информации\n"
       "Каталог должен содержать файл - APX_0.DBF",
       "Не верно указан каталог для хранения основной информации!\n", {}},
      {WorkDir::Auxiliary, FrameSelectFolderSM_D, "IND_0.DBF",
       "Неправильно указан каталог для вспомогательной информации\n"
       "Каталог должен содержать файл - IND_0.DBF",
       "Не верно указан каталог для хранения вспомогательной информации!\n", {}},
      {WorkDir::Working, FrameSelectFolderSM_R, "INSTAL.DBF",
       "Неправильно указан каталог для рабочих файлов\n"
       "Каталог должен содержать файл - INSTAL.DBF",
       "Не верно указан каталог для хранения рабочих файлов!\n", {}},
      {WorkDir::Archive, FrameSelectFolderWR, nullptr,
       "Неправильно указан каталог для архивации сметной документации",
       "Не верно указан каталог для архивации сметной документации!\n", {}},
  }};

  // FormCreate: chooser titles, and folder checks for the marked kinds.
  FrameSelectFolderSM_A->SetTitle("Каталог для хранения основной информации");
  FrameSelectFolderSM_D->SetTitle("Каталог для вспомогательной информации\nФайл: IND_0.DBF");
  FrameSelectFolderSM_R->SetTitle("Каталог для рабочих файлов\nФайл: INSTAL.DBF");
  FrameSelectFolderWR->SetTitle("Каталог для архивации сметной документации\n");
  for (const Slot& slot : slots_) {
    FolderEdit* edit = slot.frame->Edit;
    if (slot.marker) {
      const std::string marker = slot.marker;
      slot.frame->SetCheckFolder(
          [marker](const std::string& folder) { return FolderHoldsFile(folder, marker); });
      connect(edit, &QLineEdit::textChanged, this, [edit, marker] { MarkByFile(*edit, marker); });
    } else {
      connect(edit, &QLineEdit::textChanged, this, [edit] { dialogs::MarkByDir(*edit); });
    }
    connect(edit, &FolderEdit::exited, this, [edit] { edit->SetText(NormalizeSlash(edit->Text())); });
  }
  FrameSelectFolderSM_A->SetSelectHandler([this] { FrameSelectFolderSM_AsbSelectFolderClick(); });
  FrameSelectFolderSM_D->SetSelectHandler([this] { FrameSelectFolderSM_DsbSelectFolderClick(); });
  FrameSelectFolderSM_R->SetSelectHandler([this] { FrameSelectFolderSM_RsbSelectFolderClick(); });
  FrameSelectFolderWR->SetSelectHandler([this] { FrameSelectFolderWRsbSelectFolderClick(); });

  connect(bbtnOk, &QPushButton::clicked, this, [this] {
    bbtnOkClick();
    accept();
  });
  connect(bbtnCancel, &QPushButton::clicked, this, [this] {
    bbtnCancelClick();
    reject();
  });
}

void TWorkPath::SetSaveActions(std::function<void()> saveWorkDirs,
                               std::function<void()> filterBases) {
  saveWorkDirs_ = std::move(saveWorkDirs);
  filterBases_ = std::move(filterBases);
}

const TWorkPath::Slot& TWorkPath::SlotOf(WorkDir dir) const {
  for (const Slot& slot : slots_)
    if (slot.dir == dir) return slot;
  return slots_.back();
}

TEditAndSelectFolder* TWorkPath::Frame(WorkDir dir) const { return SlotOf(dir).frame; }

void TWorkPath::SetDirText(WorkDir dir, const std::string& text) { Frame(dir)->Edit->SetText(text); }

std::string TWorkPath::DirText(WorkDir dir) const { return Frame(dir)->Edit->Text(); }

void TWorkPath::MarkByDir(WorkDir dir) { dialogs::MarkByDir(*Frame(dir)->Edit); }

bool TWorkPath::IsChanged() const {
  for (const Slot& slot : slots_)
    if (slot.frame->Edit->Text() != slot.shown) return true;
  return false;
}

std::string TWorkPath::GetErrorText() const {
  std::string text;
  for (const Slot& slot : slots_)
    if (slot.frame->Edit->IsInvalid()) text += slot.reportLine;
  return text;
}

void TWorkPath::RestoreDirs() {
  for (const Slot& slot : slots_) slot.frame->Edit->SetText(slot.shown);
}

void TWorkPath::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TWorkPath::FormShow() {
  for (Slot& slot : slots_) slot.shown = slot.frame->Edit->Text();
  saved_ = false;
}

void TWorkPath::keyPressEvent(QKeyEvent* event) {
  // Escape is the Cancel button, texts put back included.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    bbtnCancel->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TWorkPath::BrowseMarked(const Slot& slot, bool upperCase) {
  TEditAndSelectFolder* frame = slot.frame;
  frame->sbSelectFolderClick();
  if (!frame->IsSelected()) return;
  FolderEdit* edit = frame->Edit;
  edit->SetText(AddSlash(frame->GetFolder()));
  if (!FolderHoldsFile(edit->Text(), slot.marker))
    platform::ShowMessage(slot.badBrowse, windowTitle().toStdString(), platform::Icon::Error);
  std::string text = AddSlash(edit->Text());
  if (upperCase) text = text::Utf8Upper(text);
  edit->SetText(text);
  edit->end(false);
}

void TWorkPath::FrameSelectFolderSM_AsbSelectFolderClick() { BrowseMarked(slots_[0], false); }
void TWorkPath::FrameSelectFolderSM_DsbSelectFolderClick() { BrowseMarked(slots_[1], false); }
void TWorkPath::FrameSelectFolderSM_RsbSelectFolderClick() { BrowseMarked(slots_[2], true); }

void TWorkPath::FrameSelectFolderWRsbSelectFolderClick() {
  const Slot& slot = slots_[3];
  slot.frame->sbSelectFolderClick();
  if (!slot.frame->IsSelected()) return;
  FolderEdit* edit = slot.frame->Edit;
  edit->SetText(AddSlash(slot.frame->GetFolder()));
  const std::string text = edit->Text();
  for (const char* system : {"WINDOWS", "WINNT", "WIN98"}) {
    if (text.find(system) != std::string::npos) {
      platform::ShowMessage(slot.badBrowse, windowTitle().toStdString(), platform::Icon::Error);
      break;
    }
  }
  edit->SetText(AddSlash(edit->Text()));
  edit->end(false);
}

void TWorkPath::bbtnOkClick() {
  if (!IsChanged()) {
    saved_ = false;
    return;
  }
  const std::string errors = GetErrorText();
  if (!errors.empty())
    platform::ShowMessage(errors, windowTitle().toStdString(), platform::Icon::Warning);
  if (saveWorkDirs_) saveWorkDirs_();
  if (filterBases_) filterBases_();
  saved_ = true;
}

void TWorkPath::bbtnCancelClick() {
  RestoreDirs();
  saved_ = false;
}

}  // namespace dialogs
