#pragma once
// The stadium list in display order: rows sorted by caption every time rows are
// added, changed only by the four stadium messages. The server may announce a
// stadium twice; that gives two rows, and lookups by id reach the first of them
// in display order.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "lobby/stadium_row.h"
#include "net/net_messages.h"

// Told about every change so a view can follow it row by row (and keep its
// selection through a re-sort). Indexes are display positions.
class StadiumListObserver {
 public:
  virtual void RowsAboutToBeAppended(size_t first, size_t last) = 0;
  virtual void RowsAppended(size_t first, size_t last) = 0;
  virtual void AboutToSort() = 0;
  // newIndexOf[old position] = position after the sort.
  virtual void Sorted(const std::vector<size_t>& newIndexOf) = 0;
  virtual void RowAboutToBeRemoved(size_t index) = 0;
  virtual void RowRemoved(size_t index) = 0;
  virtual void RowChanged(size_t index) = 0;
  virtual void AboutToClear() = 0;
  virtual void Cleared() = 0;

 protected:
  ~StadiumListObserver() = default;
};

class StadiumList {
 public:
  // <0, 0, >0 like strcmp, on two CP932 captions. The window supplies the
  // system's locale-aware, case-sensitive comparison; without one, byte order.
  using CaptionCompare = std::function<int(const std::string&, const std::string&)>;

  explicit StadiumList(CaptionCompare compare = {});

  void SetObserver(StadiumListObserver* observer) { observer_ = observer; }

  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const StadiumRow& row(size_t index) const { return items_.at(index).row; }
  const StadiumRowTexts& texts(size_t index) const { return items_.at(index).texts; }
  // A number that names one row for its whole life, whatever its position.
  uint64_t key(size_t index) const { return items_.at(index).key; }
  std::optional<size_t> IndexOfKey(uint64_t key) const;

  // The first row in display order whose stadium id is `id`.
  std::optional<size_t> FindStadiumRow(uint32_t id) const;

  // The four stadium messages. Counts outside 0..MaxStadiumList are clamped.
  void ApplyAdd(const GmStadiumAdd::Info& info);
  void ApplyDelete(const GmStadiumDelete::Info& info);
  void ApplyState(const GmStadiumState::Info& info);
  void ApplyTeams(const GmStadiumTeams::Info& info);

  void Clear();

 private:
  struct Item {
    uint64_t key = 0;
    StadiumRow row;
    StadiumRowTexts texts;
  };
  void Sort();
  void Rerender(size_t index);

  CaptionCompare compare_;
  StadiumListObserver* observer_ = nullptr;
  std::vector<Item> items_;
  uint64_t nextKey_ = 1;
};
