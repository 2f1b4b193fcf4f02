#include "install/qt/frame_select_string_grid.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

static void LoadInstallQtResource() { Q_INIT_RESOURCE(vem_install_qt_icons); }

namespace install {
namespace {

// Column 0 of a data row: the row's sign with its left edge 20 pixels left
// of the cell's right edge and its top 2 pixels below the cell's top.
class MarkDelegate : public QStyledItemDelegate {
 public:
  MarkDelegate(TFrmSelectStringGrid* frame) : QStyledItemDelegate(frame), frame_(frame) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (index.column() != 0) return;
    const QIcon& icon =
        index.row() + 1 == frame_->GetSelected() ? frame_->markedIcon : frame_->unmarkedIcon;
    const QRect& cell = option.rect;
    icon.paint(painter, QRect(cell.right() + 1 - 20, cell.top() + 2, 16, 16));
  }

 private:
  TFrmSelectStringGrid* frame_;
};

}  // namespace

TFrmSelectStringGrid::TFrmSelectStringGrid(QWidget* parent) : QFrame(parent) {
  static const bool loaded = (LoadInstallQtResource(), true);
  (void)loaded;
  markedIcon = QIcon(":/overlap/marked.svg");
  unmarkedIcon = QIcon(":/overlap/unmarked.svg");

  StringGrid1 = new QTableWidget(0, 3, this);
  StringGrid1->setObjectName("StringGrid1");
  StringGrid1->setHorizontalHeaderLabels(
      {"*", QString::fromUtf8("Имя базы"), QString::fromUtf8("Путь к базе")});
  StringGrid1->verticalHeader()->hide();
  StringGrid1->verticalHeader()->setDefaultSectionSize(20);
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  StringGrid1->horizontalHeader()->setHighlightSections(false);
  StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  StringGrid1->horizontalHeader()->setStyleSheet(
      "QHeaderView::section { background-color: #008080; color: white; font-weight: bold;"
      " padding-bottom: 4px; border: 1px solid #006060; }");
  StringGrid1->setShowGrid(true);
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setFrameShape(QFrame::NoFrame);
  StringGrid1->setItemDelegate(new MarkDelegate(this));
  StringGrid1->setColumnWidth(0, 28);
  StringGrid1->setColumnWidth(1, 171);
  StringGrid1->setColumnWidth(2, 227);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(StringGrid1);
  // The columns follow the grid's client width, which is known once the
  // viewport itself has been resized.
  StringGrid1->viewport()->installEventFilter(this);

  // Only a double-click on a data row marks it; the header and the empty
  // area below the rows give no cell.
  connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    selectedRow_ = row + 1;
    StringGrid1->viewport()->update();
  });
}

void TFrmSelectStringGrid::SetRowCount(int n) { StringGrid1->setRowCount(n); }

void TFrmSelectStringGrid::AddBase(const std::string& name, const ErrorStruct& entry) {
  ++filled_;
  if (filled_ > StringGrid1->rowCount())
    throw std::runtime_error("TFrmSelectStringGrid: Ошибка при добавлении базы в список");
  const int row = filled_ - 1;
  StringGrid1->setItem(row, 0, new QTableWidgetItem());
  StringGrid1->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(name)));
  StringGrid1->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(entry.Path)));
}

bool TFrmSelectStringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == StringGrid1->viewport() && event->type() == QEvent::Resize) LayoutColumns();
  return QFrame::eventFilter(watched, event);
}

void TFrmSelectStringGrid::LayoutColumns() {
  // Mark column 28 pixels, the name 2w - 2 with w = (client width - 20) / 4,
  // the path the rest (2w - 2 as well, less the few pixels by which the two
  // would overrun the client width, so no horizontal scroll bar appears).
  const int client = StringGrid1->viewport()->width();
  const int w = (client - 20) / 4;
  StringGrid1->setColumnWidth(0, 28);
  StringGrid1->setColumnWidth(1, 2 * w - 2);
  StringGrid1->setColumnWidth(2, std::min(2 * w - 2, client - 28 - (2 * w - 2)));
}

}  // namespace install
