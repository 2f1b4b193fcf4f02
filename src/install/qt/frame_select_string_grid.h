// TFrmSelectStringGrid: the list of the overlap dialog, a grid of the bases
// that share one identifier (columns: mark, base name, path) under a teal
// header. A double-click on a data row marks that row; the mark column
// shows the marked sign in the marked row and the unmarked sign in every
// other.
#pragma once

#include <QFrame>
#include <QIcon>
#include <string>

#include "install/ports.h"

class QTableWidget;

namespace install {

class TFrmSelectStringGrid : public QFrame {
  Q_OBJECT
 public:
  explicit TFrmSelectStringGrid(QWidget* parent = nullptr);

  // n data rows below the header.
  void SetRowCount(int n);
  // Fills the next data row with the name and the entry's path. Throws
  // std::runtime_error("TFrmSelectStringGrid: Ошибка при добавлении базы в
  // список") when every data row is filled already.
  void AddBase(const std::string& name, const ErrorStruct& entry);
  // The marked data row, counted from 1; 0 when none is marked.
  int GetSelected() const { return selectedRow_; }

  QTableWidget* StringGrid1;
  QIcon markedIcon;    // image 0 of the original image list
  QIcon unmarkedIcon;  // image 2

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutColumns();

  int selectedRow_ = 0;
  int filled_ = 0;
};

}  // namespace install
