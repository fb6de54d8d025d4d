#pragma once
// The stadium list as a Qt table model for GameList2: follows every change of
// the plain StadiumList row by row, so the view keeps its selection (the same
// row, not the same position) through deletes and re-sorts.

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <unordered_map>

#include "lobby/stadium_list.h"

class StadiumTableModel final : public QAbstractTableModel, private StadiumListObserver {
  Q_OBJECT
 public:
  explicit StadiumTableModel(QObject* parent = nullptr);
  ~StadiumTableModel() override;

  StadiumList& list() { return list_; }
  const StadiumList& list() const { return list_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  static int DesignWidth(int column);

 private:
  void RowsAboutToBeAppended(size_t first, size_t last) override;
  void RowsAppended(size_t first, size_t last) override;
  void AboutToSort() override;
  void Sorted(const std::vector<size_t>& newIndexOf) override;
  void RowAboutToBeRemoved(size_t index) override;
  void RowRemoved(size_t index) override;
  void RowChanged(size_t index) override;
  void AboutToClear() override;
  void Cleared() override;
  void Convert(size_t index);

  StadiumList list_;
  // The row texts converted for display once per change, not once per paint.
  std::unordered_map<uint64_t, std::array<QString, StadiumColumnCount>> shown_;
};
