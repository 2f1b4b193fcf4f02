#include "app/base_list.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>

#include "app/cell_text.h"
#include "dialogs/qt_message_ui.h"
#include "install/dm_install.h"
#include "platform/fs.h"

namespace app {
namespace {

struct ColumnInfo {
  const char* title;
  const char* hint;  // nullptr: the title's text
};

constexpr ColumnInfo kColumnInfo[BaseListModel::kColumns] = {
    {"Название базы", "Нажмите, чтобы отсортировать по названию"},
    {"Каталог", "Нажмите, чтобы отсортировать по каталогу нормативной базы"},
    {"Тип базы", nullptr},
    {"Дата", nullptr},
};

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// ---- BaseListModel ----------------------------------------------------------

BaseListModel::BaseListModel(install::TdmInstall& dm, QObject* parent)
    : QAbstractTableModel(parent), dm_(dm) {
  subscription_ = dm_.DS().Subscribe([this](install::DataSource::Change change) {
    OnChange(change == install::DataSource::Change::kReset);
  });
}

BaseListModel::~BaseListModel() { dm_.DS().Unsubscribe(subscription_); }

void BaseListModel::OnChange(bool reset) {
  if (reset) {
    // The rows have already changed under the model; tell the views to
    // read everything again.
    beginResetModel();
    endResetModel();
  }
  if (changed) changed();
}

int BaseListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(dm_.DS().RowCount());
}

int BaseListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

std::string BaseListModel::Field(int row, const char* field) const {
  if (row < 0) return {};
  return dm_.DS().FieldText(static_cast<size_t>(row), field);
}

std::string BaseListModel::CellText(int row, int column) const {
  switch (column) {
    case kName:
      return NameCellText(Field(row, "NAIM"));
    case kDir:
      return DirCellText(Field(row, "DIR"));
    case kType:
      return TypeCellText(dm_.GetRecordCount(), Field(row, "DOP"));
    case kDate:
      return DateCellText(Field(row, "NBDATE"));
    default:
      return {};
  }
}

QVariant BaseListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= kColumns) return {};
  switch (role) {
    case Qt::DisplayRole:
      return Q(CellText(index.row(), index.column()));
    case Qt::ToolTipRole:
      // Name, directory and type may be cut with "..."; the tool tip has
      // the full text.
      if (index.column() == kDate) return {};
      return Q(CellText(index.row(), index.column()));
    case Qt::TextAlignmentRole:
      if (index.column() == kDate) return int(Qt::AlignCenter);
      return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant BaseListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) return {};
  const ColumnInfo& info = kColumnInfo[section];
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromUtf8(info.title);
    case Qt::ToolTipRole:
      return QString::fromUtf8(info.hint ? info.hint : info.title);
    case Qt::BackgroundRole:
      return titles_[section].color;
    case Qt::ForegroundRole:
      return titles_[section].font;
    case Qt::FontRole: {
      QFont font;
      font.setBold(true);
      return font;
    }
    case Qt::TextAlignmentRole:
      return int(Qt::AlignCenter);
    case kSortMarkerRole:
      return titles_[section].marker;
    default:
      return {};
  }
}

Qt::ItemFlags BaseListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void BaseListModel::SetTag(int column, int tag) {
  if (column >= 0 && column < kColumns) tags_[column] = tag;
}

int BaseListModel::Tag(int column) const {
  return column >= 0 && column < kColumns ? tags_[column] : -1;
}

void BaseListModel::MarkSortTitle(int column) {
  if (column < 0 || column >= kColumns) return;
  titles_[column] = {kClMoneyGreen, Qt::black, true};
  emit headerDataChanged(Qt::Horizontal, column, column);
}

void BaseListModel::ResetTitle(int column) {
  if (column < 0 || column >= kColumns) return;
  titles_[column] = {kClTeal, Qt::white, false};
  emit headerDataChanged(Qt::Horizontal, column, column);
}

bool BaseListModel::IsSortTitle(int column) const { return TitleColor(column) == kClMoneyGreen; }

QColor BaseListModel::TitleColor(int column) const {
  return column >= 0 && column < kColumns ? titles_[column].color : QColor();
}

QColor BaseListModel::TitleFontColor(int column) const {
  return column >= 0 && column < kColumns ? titles_[column].font : QColor();
}

bool BaseListModel::TitleMarker(int column) const {
  return column >= 0 && column < kColumns && titles_[column].marker;
}

// ---- TitleHeader ------------------------------------------------------------

TitleHeader::TitleHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  setSectionsClickable(true);
  setSectionsMovable(true);
  setHighlightSections(false);
  setDefaultAlignment(Qt::AlignCenter);
}

void TitleHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid() || !model()) return;
  const QColor color = model()->headerData(logicalIndex, Qt::Horizontal, Qt::BackgroundRole)
                           .value<QColor>();
  const QColor fontColor = model()->headerData(logicalIndex, Qt::Horizontal, Qt::ForegroundRole)
                               .value<QColor>();
  const QFont font = model()->headerData(logicalIndex, Qt::Horizontal, Qt::FontRole).value<QFont>();
  const bool marker = model()->headerData(logicalIndex, Qt::Horizontal, kSortMarkerRole).toBool();
  const QString title = model()->headerData(logicalIndex, Qt::Horizontal).toString();

  painter->save();
  painter->fillRect(rect, color);
  // A raised button: light top and left edges, dark bottom and right.
  painter->setPen(color.lighter(150));
  painter->drawLine(rect.topLeft(), rect.topRight());
  painter->drawLine(rect.topLeft(), rect.bottomLeft());
  painter->setPen(color.darker(170));
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());
  painter->drawLine(rect.topRight(), rect.bottomRight());

  QRect textRect = rect.adjusted(4, 1, -4, -1);
  if (marker) {
    // The "up" marker: a small triangle at the right.
    const int cx = rect.right() - 10;
    const int cy = rect.center().y();
    QPolygon up;
    up << QPoint(cx - 4, cy + 2) << QPoint(cx + 4, cy + 2) << QPoint(cx, cy - 3);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fontColor);
    painter->drawPolygon(up);
    textRect.adjust(0, 0, -14, 0);
  }
  painter->setFont(font);
  painter->setPen(fontColor);
  const QString shown = painter->fontMetrics().elidedText(title, Qt::ElideRight, textRect.width());
  painter->drawText(textRect, Qt::AlignCenter, shown);
  painter->restore();
}

// ---- DirMarkDelegate --------------------------------------------------------

DirMarkDelegate::DirMarkDelegate(install::TdmInstall& dm, const BaseListModel& model,
                                 QObject* parent)
    : QStyledItemDelegate(parent), dm_(dm), model_(model) {
  dialogs::InitResources();
  tick_ = QIcon(":/icons/tick.svg");
  prohibit_ = QIcon(":/icons/prohibit.svg");
}

bool DirMarkDelegate::DirExists(int row) const {
  return platform::DirectoryExists(DirCellText(model_.Field(row, "DIR")));
}

void DirMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  if (dm_.GetRecordCount() <= 0 || model_.Tag(index.column()) != 1) return;
  const QIcon& icon = DirExists(index.row()) ? tick_ : prohibit_;
  const QRect target(option.rect.right() + 1 - 20, option.rect.top() + 2, 16, 16);
  icon.paint(painter, target);
}

}  // namespace app
