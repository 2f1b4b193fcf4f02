#include "install/qt/error_form.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "install/qt/frame_select_string_grid.h"
#include "platform/ui.h"

namespace install {

TtErrorForm::TtErrorForm(QWidget* parent) : QDialog(parent) {
  setObjectName("tErrorForm");
  setWindowTitle(QString::fromUtf8("Пересекающиеся идентификаторы"));
  resize(607, 388);

  FrmSelectStringGrid1 = new TFrmSelectStringGrid(this);
  FrmSelectStringGrid1->setObjectName("FrmSelectStringGrid1");

  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFixedHeight(41);
  BitBtn1 = new QPushButton("OK", Panel1);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QString::fromUtf8("Отмена"), Panel1);
  BitBtn2->setObjectName("BitBtn2");
  auto* buttons = new QHBoxLayout(Panel1);
  buttons->setContentsMargins(8, 7, 8, 7);
  buttons->addStretch(1);
  for (QPushButton* b : {BitBtn1, BitBtn2}) {
    b->setFixedSize(128, 27);
    buttons->addWidget(b);
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(FrmSelectStringGrid1, 1);
  layout->addWidget(Panel1);

  connect(BitBtn1, &QPushButton::clicked, this, &TtErrorForm::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TtErrorForm::BitBtn2Click);
}

void TtErrorForm::SetErrors(std::vector<ErrorStruct>* entries) {
  entries_ = entries;
  FrmSelectStringGrid1->SetRowCount(static_cast<int>(entries->size()));
  for (const ErrorStruct& entry : *entries) FrmSelectStringGrid1->AddBase(entry.Name, entry);
}

void TtErrorForm::BitBtn1Click() {
  const int marked = FrmSelectStringGrid1->GetSelected();
  if (marked == 0) {
    platform::ShowMessage("Нужно выбрать одну базу!", windowTitle().toStdString(),
                          platform::Icon::Warning, platform::Buttons::Ok, platform::Modality::Task);
    return;
  }
  platform::ShowMessage(
      "Все базы, НЕ отмеченные в списке, будут удалены из конфингурации.\n"
      "Физически базы остаются на диске. Вам необходимо вручную переименовать\n"
      "папки BAZ_ и заново добавить эти базы в конфигуратор",
      "Очистка идентификаторов", platform::Icon::Warning, platform::Buttons::Ok,
      platform::Modality::Task);
  if (entries_ && marked <= static_cast<int>(entries_->size())) (*entries_)[marked - 1].Keep = true;
  canClose_ = true;
  done(QDialog::Accepted);
}

void TtErrorForm::BitBtn2Click() {
  platform::ShowMessage("Пересечения идентификаторов не были устранены!\nДальнейшая работа невозможна",
                        windowTitle().toStdString(), platform::Icon::Warning,
                        platform::Buttons::Ok, platform::Modality::Task);
  canClose_ = true;
  done(QDialog::Rejected);
}

void TtErrorForm::done(int result) {
  if (!canClose_) return;
  QDialog::done(result);
}

void TtErrorForm::closeEvent(QCloseEvent* event) {
  if (!canClose_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool QtOverlapChooser::Choose(std::vector<ErrorStruct>& entries) {
  TtErrorForm form(parent_);
  form.SetErrors(&entries);
  return form.exec() == QDialog::Accepted;
}

}  // namespace install
