#include "lobby/stadium_table_model.h"

#include "platform/qt_text.h"

namespace {

struct Column {
  const char* header;
  int width;
  Qt::Alignment alignment;
};

const Column kColumns[StadiumColumnCount] = {
    {"競技場名", 190, Qt::AlignLeft},       {"ホームチーム", 100, Qt::AlignRight}, {"スコア", 50, Qt::AlignHCenter},
    {"アウェイチーム", 100, Qt::AlignLeft}, {"時間", 75, Qt::AlignLeft},           {"人数", 40, Qt::AlignRight},
    {"待機", 40, Qt::AlignRight},
};

int CaptionCompare(const std::string& a, const std::string& b) {
  return QString::localeAwareCompare(ToQString(a), ToQString(b));
}

}  // namespace

StadiumTableModel::StadiumTableModel(QObject* parent) : QAbstractTableModel(parent), list_(CaptionCompare) {
  list_.SetObserver(this);
}

StadiumTableModel::~StadiumTableModel() { list_.SetObserver(nullptr); }

int StadiumTableModel::DesignWidth(int column) {
  return column >= 0 && column < StadiumColumnCount ? kColumns[column].width : 0;
}

int StadiumTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int StadiumTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : StadiumColumnCount;
}

QVariant StadiumTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= StadiumColumnCount) return {};
  if (role == Qt::DisplayRole) {
    const auto found = shown_.find(list_.key(static_cast<size_t>(index.row())));
    return found == shown_.end() ? QVariant() : QVariant(found->second[static_cast<size_t>(index.column())]);
  }
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(kColumns[index.column()].alignment | Qt::AlignVCenter);
  }
  return {};
}

QVariant StadiumTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= StadiumColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(kColumns[section].header);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kColumns[section].alignment | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags StadiumTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void StadiumTableModel::Convert(size_t index) {
  auto& shown = shown_[list_.key(index)];
  const StadiumRowTexts& texts = list_.texts(index);
  for (size_t c = 0; c < shown.size(); ++c) shown[c] = ToQString(texts.columns[c]);
}

void StadiumTableModel::RowsAboutToBeAppended(size_t first, size_t last) {
  beginInsertRows({}, static_cast<int>(first), static_cast<int>(last));
}

void StadiumTableModel::RowsAppended(size_t first, size_t last) {
  for (size_t i = first; i <= last; ++i) Convert(i);
  endInsertRows();
}

void StadiumTableModel::AboutToSort() { Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint); }

void StadiumTableModel::Sorted(const std::vector<size_t>& newIndexOf) {
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& old : from) {
    const auto row = static_cast<size_t>(old.row());
    to << (row < newIndexOf.size() ? index(static_cast<int>(newIndexOf[row]), old.column()) : QModelIndex());
  }
  changePersistentIndexList(from, to);
  Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void StadiumTableModel::RowAboutToBeRemoved(size_t index) {
  beginRemoveRows({}, static_cast<int>(index), static_cast<int>(index));
  shown_.erase(list_.key(index));
}

void StadiumTableModel::RowRemoved(size_t) { endRemoveRows(); }

void StadiumTableModel::RowChanged(size_t index) {
  Convert(index);
  const int row = static_cast<int>(index);
  Q_EMIT dataChanged(this->index(row, 0), this->index(row, StadiumColumnCount - 1), {Qt::DisplayRole});
}

void StadiumTableModel::AboutToClear() { beginResetModel(); }

void StadiumTableModel::Cleared() {
  shown_.clear();
  endResetModel();
}
