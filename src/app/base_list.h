// The base list of the main window: a table model over the data module's
// data source (DS), the title row that shows the sort state, and the
// delegate that draws the directory existence mark.
//
// The model asks the data source for the rows the installation table shows,
// in the table's current order and filter, and forms each cell's text with
// the rules of cell_text.h. It listens to the data source: a reset of the
// rows resets the model, and after every notification the `changed`
// callback runs so the window can put the list's current row on the
// table's current row.
//
// Columns, in design order (the model's column numbers): name, directory,
// type, date. Each carries a column tag (given at the end of the start-up,
// -1 before) and a title look: clTeal with white bold text, or, for the
// sort column, clMoneyGreen with black text and the "up" sort marker.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHeaderView>
#include <QIcon>
#include <QStyledItemDelegate>
#include <array>
#include <functional>
#include <string>

namespace install {
class TdmInstall;
}

namespace app {

inline const QColor kClTeal(0, 128, 128);
inline const QColor kClMoneyGreen(192, 220, 192);

// Role of the header's sort marker: true when the "up" marker is shown.
inline constexpr int kSortMarkerRole = Qt::UserRole + 1;

class BaseListModel : public QAbstractTableModel {
 public:
  enum Column { kName = 0, kDir = 1, kType = 2, kDate = 3, kColumns = 4 };

  // dm must outlive the model.
  BaseListModel(install::TdmInstall& dm, QObject* parent = nullptr);
  ~BaseListModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The text of a cell (UTF-8), by the rules of its column.
  std::string CellText(int row, int column) const;
  // The stored text of a field of a row.
  std::string Field(int row, const char* field) const;

  void SetTag(int column, int tag);
  int Tag(int column) const;
  // The title looks.
  void MarkSortTitle(int column);
  void ResetTitle(int column);
  bool IsSortTitle(int column) const;
  QColor TitleColor(int column) const;
  QColor TitleFontColor(int column) const;
  bool TitleMarker(int column) const;

  // Runs after every notification of the data source.
  std::function<void()> changed;

 private:
  struct Title {
    QColor color = kClTeal;
    QColor font = Qt::white;
    bool marker = false;
  };
  void OnChange(bool reset);

  install::TdmInstall& dm_;
  int subscription_ = 0;
  std::array<int, kColumns> tags_{-1, -1, -1, -1};
  std::array<Title, kColumns> titles_{};
};

// The title row: each title a raised button in its title colour, the text
// centred in its font colour, the "up" marker at the right of the sort
// column.
class TitleHeader : public QHeaderView {
 public:
  explicit TitleHeader(QWidget* parent = nullptr);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

// Draws the directory cells' existence mark: the green tick when the row's
// directory exists, the red prohibition sign when not, 20 pixels left of
// the cell's right edge and 2 below its top, over the text. Only for the
// column whose tag is 1 and only while the table shows rows.
class DirMarkDelegate : public QStyledItemDelegate {
 public:
  DirMarkDelegate(install::TdmInstall& dm, const BaseListModel& model, QObject* parent = nullptr);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  // Whether the mark of a row is the tick (true) or the prohibition sign.
  bool DirExists(int row) const;

 private:
  install::TdmInstall& dm_;
  const BaseListModel& model_;
  QIcon tick_, prohibit_;
};

}  // namespace app
