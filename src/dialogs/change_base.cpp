#include "dialogs/change_base.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/edit_and_select_folder.h"
#include "dialogs/path_routines.h"
#include "nbini/nbini_format.h"
#include "nbini/utility_class.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "support/singletons.h"

namespace dialogs {
namespace {

constexpr char kMarkerFile[] = "N_POZ.DBF";
constexpr char kBrowseTitle[] =
    "Каталог с базой данных\nВ каталоге должен находится N_POZ.DBF";
constexpr char kEnterName[] = "Введите название базы";
constexpr char kBadPath[] = "Неверно указан путь к базе!\nОтсутствует файл N_POZ.DBF";

// Entries 0..3 of the type list and their codes; 4 and 5 are empty.
constexpr char kEntryCodes[] = {'4', '1', 'M', 'G'};
constexpr int kEmptyEntry = 5;

int EntryOfCode(char code) {
  for (int i = 0; i < 4; ++i)
    if (kEntryCodes[i] == code) return i;
  return -1;
}

const char* DialogNameOf(char code) {
  for (const auto& t : nbini::kBaseTypes)
    if (t.code == code) return t.dialogName;
  return "";
}

}  // namespace

TfChgBaz::TfChgBaz(QWidget* parent) : QDialog(parent) {
  setObjectName("fChgBaz");
  resize(652, 181);

  Label3 = new QLabel(QString::fromUtf8("Каталог базы данных"), this);
  Label3->setObjectName("Label3");
  FrameSelectFolderDir = new TEditAndSelectFolder(this);
  FrameSelectFolderDir->setObjectName("FrameSelectFolderDir");
  FrameSelectFolderDir->SetBevels(false);
  FrameSelectFolderDir->setMinimumWidth(442);

  leNameLabel = new QLabel(QString::fromUtf8("Наименование базы данных"), this);
  leNameLabel->setObjectName("leNameLabel");
  leName = new QLineEdit(this);
  leName->setObjectName("leName");
  leNameLabel->setBuddy(leName);

  Label1 = new QLabel(QString::fromUtf8("Тип нормативной базы"), this);
  Label1->setObjectName("Label1");
  cbType = new QComboBox(this);
  cbType->setObjectName("cbType");
  cbType->setEditable(false);
  for (int i = 0; i < 6; ++i) cbType->addItem(QString());
  for (int i = 0; i < 4; ++i) cbType->setItemText(i, QString::fromUtf8(DialogNameOf(kEntryCodes[i])));

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);

  bbOK = new QPushButton("OK", this);
  bbOK->setObjectName("bbOK");
  bbOK->setDefault(true);
  bbCancel = new QPushButton(QString::fromUtf8("Отмена"), this);
  bbCancel->setObjectName("bbCancel");
  for (QPushButton* b : {bbOK, bbCancel}) b->setMinimumWidth(90);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(12);
  grid->addWidget(Label3, 0, 0);
  grid->addWidget(FrameSelectFolderDir, 0, 1);
  grid->addWidget(leNameLabel, 1, 0);
  grid->addWidget(leName, 1, 1);
  grid->addWidget(Label1, 2, 0);
  grid->addWidget(cbType, 2, 1);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bbOK);
  buttons->addWidget(bbCancel);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 10);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addWidget(Bevel1);
  layout->addLayout(buttons);

  setTabOrder(leName, cbType);
  setTabOrder(cbType, bbCancel);
  setTabOrder(bbCancel, bbOK);
  setTabOrder(bbOK, FrameSelectFolderDir->Edit);

  // FormCreate: the chooser offers only folders that hold N_POZ.DBF.
  FrameSelectFolderDir->SetCheckFolder(
      [](const std::string& folder) { return FolderHoldsFile(folder, kMarkerFile); });
  FrameSelectFolderDir->SetTitle(kBrowseTitle);
  FrameSelectFolderDir->SetSelectHandler([this] { FrameSelectFolderDirsbSelectFolderClick(); });

  FolderEdit* edit = FrameSelectFolderDir->Edit;
  connect(edit, &QLineEdit::textChanged, this, [edit] { MarkByFile(*edit, kMarkerFile); });
  connect(edit, &FolderEdit::exited, this, [edit] { edit->SetText(NormalizeSlash(edit->Text())); });
  connect(bbOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfChgBaz::SetBase(const nsBase::SBase& base) {
  setWindowTitle(QString::fromUtf8(base.Name.empty() ? "Добавление записи" : "Редактирование записи"));
  leName->setText(QString::fromStdString(base.Name));
  FrameSelectFolderDir->Edit->SetText(base.Path);
  MarkByFile(*FrameSelectFolderDir->Edit, kMarkerFile);
  const int entry = base.Type.empty() ? -1 : EntryOfCode(base.Type[0]);
  cbType->setCurrentIndex(entry >= 0 ? entry : kEmptyEntry);
}

nsBase::SBase TfChgBaz::GetBase() const {
  nsBase::SBase base;
  base.Name = leName->text().toStdString();
  base.Path = NormalizeSlash(FrameSelectFolderDir->Edit->Text());
  const int entry = cbType->currentIndex();
  base.Type = (entry >= 0 && entry < 4) ? std::string(1, kEntryCodes[entry]) : nsBase::kNoType;
  return base;
}

void TfChgBaz::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
  FormActivate();
}

void TfChgBaz::FormShow() {
  shownName_ = leName->text().toStdString();
  shownDir_ = FrameSelectFolderDir->Edit->Text();
  shownType_ = cbType->currentIndex();
}

void TfChgBaz::FormActivate() {
  if (leName->text().isEmpty()) FrameSelectFolderDir->Edit->setFocus();
}

void TfChgBaz::done(int result) {
  if (!FormCloseQuery(result)) return;
  QDialog::done(result);
}

bool TfChgBaz::FormCloseQuery(int result) {
  if (result != QDialog::Accepted) {
    changes_ = Changes{};
    return true;
  }
  // An empty directory is no base directory either: it holds no N_POZ.DBF,
  // although emptying the edit leaves its earlier mark.
  FolderEdit* edit = FrameSelectFolderDir->Edit;
  if (edit->IsInvalid() || edit->text().trimmed().isEmpty()) {
    platform::ShowMessage(kBadPath, windowTitle().toStdString(), platform::Icon::Warning,
                          platform::Buttons::Ok, platform::Modality::Task);
    leName->setText(QString::fromStdString(shownName_));
    FrameSelectFolderDir->Edit->SetText(shownDir_);
    cbType->setCurrentIndex(shownType_);
    return false;
  }
  changes_.name = leName->text().toStdString() != shownName_;
  changes_.directory = FrameSelectFolderDir->Edit->Text() != shownDir_;
  changes_.type = cbType->currentIndex() != shownType_;
  return true;
}

void TfChgBaz::FrameSelectFolderDirsbSelectFolderClick() {
  FrameSelectFolderDir->sbSelectFolderClick();
  if (!FrameSelectFolderDir->IsSelected()) return;

  FolderEdit* edit = FrameSelectFolderDir->Edit;
  edit->SetText(FrameSelectFolderDir->GetFolder());
  edit->end(false);
  const std::string dir = AddSlash(FrameSelectFolderDir->GetFolder());

  cbType->setCurrentIndex(3);
  const std::string iniPath = dir + nbini::kFileName;
  if (platform::FileExists(iniPath)) {
    WIniFile& ini = SingleIniFile::Instance();
    std::string name;
    ini.ReadValue(iniPath, nbini::kSectionVersion, nbini::kKeyName, WIniFile::kText, name,
                  ini.spareFloat, ini.spareInt, ini.spareBool, false);
    const QString typed = leName->text();
    if (typed.isEmpty() || typed == QString::fromUtf8(kEnterName))
      leName->setText(QString::fromStdString(name));
    const int entry = EntryOfCode(SingleUtility::Instance().DetectBaseType(dir));
    if (entry == 0 || entry == 2 || entry == 3) cbType->setCurrentIndex(entry);
  }
  MarkByFile(*edit, kMarkerFile);
}

}  // namespace dialogs
