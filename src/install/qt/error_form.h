// TtErrorForm: the modal dialog "Пересекающиеся идентификаторы" in which the
// user chooses, among the bases that share one identifier, the one to keep.
// OK needs a marked row (double-click): it warns that the others are
// removed from the configuration, sets Keep of the marked entry and ends
// with Accepted. Cancel warns that work cannot go on and ends with
// Rejected. Neither the close box nor Escape closes it before a button
// has decided.
#pragma once

#include <QDialog>
#include <vector>

#include "install/ports.h"

class QPushButton;
class QWidget;

namespace install {

class TFrmSelectStringGrid;

class TtErrorForm : public QDialog {
  Q_OBJECT
 public:
  explicit TtErrorForm(QWidget* parent = nullptr);

  // The entries to list, in table order; the form keeps the pointer (the
  // caller owns the vector and keeps it alive while the form is shown).
  void SetErrors(std::vector<ErrorStruct>* entries);

  TFrmSelectStringGrid* FrmSelectStringGrid1;
  QWidget* Panel1;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;

  void BitBtn1Click();
  void BitBtn2Click();

 protected:
  void done(int result) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  std::vector<ErrorStruct>* entries_ = nullptr;
  bool canClose_ = false;
};

// The overlap dialog as the data module asks for it: one modal TtErrorForm
// per call.
class QtOverlapChooser : public OverlapChooser {
 public:
  explicit QtOverlapChooser(QWidget* parent = nullptr) : parent_(parent) {}
  bool Choose(std::vector<ErrorStruct>& entries) override;

 private:
  QWidget* parent_;
};

}  // namespace install
