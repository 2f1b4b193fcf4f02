#include "nbini/qt/form_ini.h"

#include <algorithm>

#include <QButtonGroup>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

#include "nbini/nbini_format.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "support/singletons.h"

namespace nbini {
namespace {

constexpr char kDisplayFormat[] = "dd.MM.yyyy    HH:mm";
const QColor kMissingColour(0xFF, 0x00, 0x00);

// The type list of the dialog and the code of each entry after the first.
constexpr char kTypeCodes[] = {'G', '4', '1', 'M'};

const char* DialogNameOf(char code) {
  for (const auto& t : kBaseTypes)
    if (t.code == code) return t.dialogName;
  return "";
}

void SetMissing(QDateTimeEdit* picker, bool missing) {
  picker->setProperty("vemMissing", missing);
  QPalette pal = picker->palette();
  pal.setColor(QPalette::Base, missing ? kMissingColour : QPalette().color(QPalette::Base));
  picker->setPalette(pal);
}

}  // namespace

// ------------------------------------------------------------ RadioGroup

RadioGroup::RadioGroup(const QString& caption, const QString& item0, const QString& item1,
                       QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
  // Two short items side by side, long ones one below the other.
  const bool sideBySide = fontMetrics().horizontalAdvance(item0 + item1) < 420;
  QBoxLayout* layout = sideBySide ? static_cast<QBoxLayout*>(new QHBoxLayout(this))
                                  : static_cast<QBoxLayout*>(new QVBoxLayout(this));
  layout->setContentsMargins(8, 2, 8, 4);
  layout->setSpacing(sideBySide ? 24 : 0);
  for (int i = 0; i < 2; ++i) {
    items_[i] = new QRadioButton(i == 0 ? item0 : item1, this);
    items_[i]->setObjectName(QString("item%1").arg(i));
    group_->addButton(items_[i], i);
    layout->addWidget(items_[i]);
  }
  if (sideBySide) layout->addStretch(1);
}

int RadioGroup::ItemIndex() const { return group_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
  if (index > 1) index = 1;
  if (index < 0) {
    // An exclusive group never unchecks its last item by itself.
    group_->setExclusive(false);
    for (QRadioButton* item : items_) item->setChecked(false);
    group_->setExclusive(true);
    return;
  }
  items_[index]->setChecked(true);
}

// ------------------------------------------------------------ UpDown

UpDown::UpDown(QLineEdit* buddy, int min, int max, QWidget* parent)
    : QWidget(parent), buddy_(buddy), min_(min), max_(max), position_(min) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* up = new QToolButton(this);
  up->setObjectName("up");
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(this);
  down->setObjectName("down");
  down->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up, down}) {
    b->setFixedSize(17, 11);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(b);
  }
  connect(up, &QToolButton::clicked, this, [this] { StepBy(1); });
  connect(down, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void UpDown::StepBy(int steps) {
  bool ok = false;
  const int shown = buddy_->text().trimmed().toInt(&ok);
  if (ok && shown >= min_ && shown <= max_) position_ = shown;
  position_ = std::clamp(position_ + steps, min_, max_);
  buddy_->setText(QString::number(position_));
}

// ------------------------------------------------------------ dates

std::optional<QDateTime> ParseNbIniDateTime(const QString& text) {
  static const QRegularExpression kForm(
      R"(^\s*(\d{1,2})\.(\d{1,2})\.(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)");
  const QRegularExpressionMatch m = kForm.match(text);
  if (!m.hasMatch()) return std::nullopt;
  const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
  QTime time(0, 0);
  if (m.hasCaptured(4)) {
    time = QTime(m.captured(4).toInt(), m.captured(5).toInt(),
                 m.hasCaptured(6) ? m.captured(6).toInt() : 0);
  }
  if (!date.isValid() || !time.isValid()) return std::nullopt;
  return QDateTime(date, time);
}

// ------------------------------------------------------------ TFormIni

TFormIni::TFormIni(QWidget* parent) : QDialog(parent) {
  setObjectName("FormIni");
  setWindowTitle("nb.ini");
  resize(568, 469);
  const QDateTime initial(QDate(2010, 4, 5), QTime(14, 37));

  auto label = [this](const char* name, const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setObjectName(name);
    return l;
  };
  auto picker = [this, &initial](const char* name) {
    auto* p = new QDateTimeEdit(initial, this);
    p->setObjectName(name);
    p->setDisplayFormat(kDisplayFormat);
    p->setCalendarPopup(true);
    return p;
  };

  GroupBox1 = new QGroupBox(QString::fromUtf8(" Версия: "), this);
  GroupBox1->setObjectName("GroupBox1");
  leNameLabel = label("leNameLabel", "Наименование:");
  leName = new QLineEdit(this);
  leName->setObjectName("leName");
  leNumberLabel = label("leNumberLabel", "Номер:");
  leNumber = new QLineEdit(this);
  leNumber->setObjectName("leNumber");

  GroupBox3 = new QGroupBox(QString::fromUtf8(" Дата и время создания  "), this);
  GroupBox3->setObjectName("GroupBox3");
  dtpCreate = picker("dtpCreate");
  (new QHBoxLayout(GroupBox3))->addWidget(dtpCreate);
  GroupBox4 = new QGroupBox(QString::fromUtf8(" Дата и время утверждения  "), this);
  GroupBox4->setObjectName("GroupBox4");
  dtpConfirmate = picker("dtpConfirmate");
  (new QHBoxLayout(GroupBox4))->addWidget(dtpConfirmate);

  Label1 = label("Label1", "Тип НБ:");
  cbTypeNB = new QComboBox(this);
  cbTypeNB->setObjectName("cbTypeNB");
  cbTypeNB->addItem(QString::fromUtf8(kNotSet));
  for (char code : kTypeCodes) cbTypeNB->addItem(QString::fromUtf8(DialogNameOf(code)));
  cbTypeNB->setCurrentIndex(0);

  Label2 = label("Label2", "Подтип НБ:");
  edSubTypeNB = new QLineEdit("0", this);
  edSubTypeNB->setObjectName("edSubTypeNB");
  edSubTypeNB->setReadOnly(true);
  edSubTypeNB->setMaximumWidth(60);
  UpDown1 = new UpDown(edSubTypeNB, 0, 100, this);
  UpDown1->setObjectName("UpDown1");

  Label3 = label("Label3", "Регион");
  cbRegio = new QComboBox(this);
  cbRegio->setObjectName("cbRegio");
  for (const std::string& entry : RegionListEntries()) cbRegio->addItem(QString::fromStdString(entry));
  cbRegio->setCurrentIndex(0);
  cbRegio->setMaxVisibleItems(20);

  auto* version = new QGridLayout(GroupBox1);
  version->setVerticalSpacing(4);
  version->addWidget(leNameLabel, 0, 0, 1, 4);
  version->addWidget(leName, 1, 0, 1, 4);
  version->addWidget(leNumberLabel, 2, 0, 1, 4);
  version->addWidget(leNumber, 3, 0, 1, 2);
  version->addWidget(GroupBox3, 4, 0, 1, 2);
  version->addWidget(GroupBox4, 4, 2, 1, 2);
  version->addWidget(Label1, 5, 0);
  version->addWidget(cbTypeNB, 5, 1);
  version->addWidget(Label2, 5, 2);
  auto* subtype = new QHBoxLayout;
  subtype->setSpacing(0);
  subtype->addWidget(edSubTypeNB);
  subtype->addWidget(UpDown1);
  subtype->addStretch(1);
  version->addLayout(subtype, 5, 3);
  version->addWidget(Label3, 6, 0);
  version->addWidget(cbRegio, 6, 1, 1, 3);
  version->setColumnStretch(1, 1);
  version->setColumnStretch(3, 1);

  GroupBox2 = new QGroupBox(QString::fromUtf8(" Расчет: "), this);
  GroupBox2->setObjectName("GroupBox2");
  auto* calculation = new QVBoxLayout(GroupBox2);
  calculation->setSpacing(2);
  RadioGroup** groups[] = {&rgC4, &rgX40, &rgKodRemontSbornik_GESN, &rgVarMontagMaterial};
  for (std::size_t i = 0; i < kCalculationOptions.size(); ++i) {
    const CalculationOption& option = kCalculationOptions[i];
    auto* group = new RadioGroup(QString::fromUtf8(option.caption), QString::fromUtf8(option.option0),
                                 QString::fromUtf8(option.option1), GroupBox2);
    group->setObjectName(QString("rg") + option.key);
    calculation->addWidget(group);
    *groups[i] = group;
  }

  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  BitBtn1 = new QPushButton("OK", Panel1);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QString::fromUtf8("Отмена"), Panel1);
  BitBtn2->setObjectName("BitBtn2");
  auto* buttons = new QHBoxLayout(Panel1);
  buttons->setContentsMargins(0, 4, 0, 0);
  buttons->addStretch(1);
  for (QPushButton* b : {BitBtn1, BitBtn2}) {
    b->setMinimumWidth(90);
    buttons->addWidget(b);
  }
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addWidget(GroupBox2, 1);
  layout->addWidget(Panel1);
}

void TFormIni::SetDir(const std::string& dir) {
  path_ = dir;
  if (!dir.empty() && dir.back() != '\\') path_ += '\\';
  path_ += kFileNameLower;
}

bool TFormIni::IsMarkedMissing(const QDateTimeEdit* picker) {
  return picker->property("vemMissing").toBool();
}

int TFormIni::exec() {
  if (!FormShow()) return QDialog::Rejected;
  return QDialog::exec();
}

bool TFormIni::FormShow() {
  const std::string title = windowTitle().toStdString();
  if (path_.empty()) {
    platform::ShowMessage("Не указан nb.ini", title, platform::Icon::Warning);
    return false;
  }
  if (!platform::FileExists(path_)) {
    platform::ShowMessage("Файл nb.ini не найден\nПуть: " + path_, title, platform::Icon::Warning);
    return false;
  }
  LoadIni();
  return true;
}

std::string TFormIni::Read(const char* section, const char* key) {
  WIniFile& ini = SingleIniFile::Instance();
  std::string value;
  ini.ReadValue(path_, section, key, WIniFile::kText, value, ini.spareFloat, ini.spareInt,
                ini.spareBool, false);
  return value;
}

void TFormIni::ShowConversionError(const std::string& text) {
  platform::ShowMessage(text, windowTitle().toStdString(), platform::Icon::Error);
}

void TFormIni::LoadIni() {
  leName->setText(QString::fromStdString(Read(kSectionVersion, kKeyName)));
  leNumber->setText(QString::fromStdString(Read(kSectionVersion, kKeyNumber)));

  const std::string created = Read(kSectionVersion, kKeyDate);
  if (!created.empty()) {
    auto when = ParseNbIniDateTime(QString::fromStdString(created));
    if (!when) {
      ShowConversionError("'" + created + "' - неверная дата и время");
      return;
    }
    dtpCreate->setDateTime(*when);
    SetMissing(dtpCreate, false);
  } else {
    SetMissing(dtpCreate, true);
  }

  const std::string confirmed = Read(kSectionVersion, kKeyConfirmDate);
  if (!confirmed.empty()) {
    auto when = ParseNbIniDateTime(QString::fromStdString(confirmed));
    if (!when) {
      ShowConversionError("'" + confirmed + "' - неверная дата и время");
      return;
    }
    dtpConfirmate->setDateTime(*when);
    SetMissing(dtpConfirmate, false);
  } else {
    dtpConfirmate->setDateTime(QDateTime::currentDateTime());
    SetMissing(dtpConfirmate, true);
  }

  // The type list follows the file: the entry of the code's first letter
  // (G, 4, 1, M, either letter case), "[не указан]" for anything else, so
  // a base without a type never shows the previous base's.
  const QString type = QString::fromStdString(Read(kSectionVersion, kKeyTypeNB)).trimmed();
  int typeEntry = 0;
  if (!type.isEmpty()) {
    const QChar first = type.at(0).toUpper();
    for (int i = 0; i < 4; ++i)
      if (first == QChar(kTypeCodes[i])) typeEntry = i + 1;
  }
  cbTypeNB->setCurrentIndex(typeEntry);

  edSubTypeNB->setText(QString::fromStdString(Read(kSectionVersion, kKeySubTypeNB)));

  const QString region = QString::fromStdString(Read(kSectionVersion, kKeyRegionName));
  if (!region.isEmpty()) {
    for (int i = 1; i < cbRegio->count(); ++i) {
      if (cbRegio->itemText(i).left(2) == region) {
        cbRegio->setCurrentIndex(i);
        break;
      }
    }
  }

  RadioGroup* groups[] = {rgC4, rgX40, rgKodRemontSbornik_GESN, rgVarMontagMaterial};
  for (std::size_t i = 0; i < kCalculationOptions.size(); ++i) {
    const std::string value = Read(kSectionCalculation, kCalculationOptions[i].key);
    if (value.empty()) continue;
    const std::optional<int> index = WIniFile::ParseInteger(value);
    if (!index) {
      ShowConversionError("'" + value + "' - неверное целое число");
      return;
    }
    groups[i]->SetItemIndex(*index);
  }
}

}  // namespace nbini
