#include "lobby/stadium_list.h"

#include <algorithm>
#include <numeric>

namespace {

int ByteCompare(const std::string& a, const std::string& b) { return a.compare(b); }

int Clamped(int count) { return std::clamp(count, 0, NetDef::MaxStadiumList); }

}  // namespace

StadiumList::StadiumList(CaptionCompare compare) : compare_(compare ? std::move(compare) : ByteCompare) {}

std::optional<size_t> StadiumList::IndexOfKey(uint64_t key) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].key == key) return i;
  }
  return std::nullopt;
}

std::optional<size_t> StadiumList::FindStadiumRow(uint32_t id) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].row.stadium.id == id) return i;
  }
  return std::nullopt;
}

void StadiumList::ApplyAdd(const GmStadiumAdd::Info& info) {
  const int count = Clamped(info.count);
  if (count == 0) return;
  const size_t first = items_.size();
  const size_t last = first + static_cast<size_t>(count) - 1;
  if (observer_) observer_->RowsAboutToBeAppended(first, last);
  for (int i = 0; i < count; ++i) {
    // No lookup by id: a stadium announced twice is listed twice.
    Item item{nextKey_++, StadiumRow{}, {}};
    item.row.stadium = info.entries[i];
    item.texts = RenderStadiumRow(item.row);
    items_.push_back(std::move(item));
  }
  if (observer_) observer_->RowsAppended(first, last);
  Sort();
}

void StadiumList::ApplyDelete(const GmStadiumDelete::Info& info) {
  const int count = Clamped(info.count);
  for (int i = 0; i < count; ++i) {
    const std::optional<size_t> index = FindStadiumRow(info.ids[i]);
    if (!index) continue;
    if (observer_) observer_->RowAboutToBeRemoved(*index);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(*index));
    if (observer_) observer_->RowRemoved(*index);
  }
}

void StadiumList::ApplyState(const GmStadiumState::Info& info) {
  const int count = Clamped(info.count);
  for (int i = 0; i < count; ++i) {
    const std::optional<size_t> index = FindStadiumRow(info.entries[i].id);
    if (!index) continue;
    items_[*index].row.state = info.entries[i];
    Rerender(*index);
  }
}

void StadiumList::ApplyTeams(const GmStadiumTeams::Info& info) {
  const int count = Clamped(info.count);
  for (int i = 0; i < count; ++i) {
    const std::optional<size_t> index = FindStadiumRow(info.entries[i].id);
    if (!index) continue;
    items_[*index].row.teams = info.entries[i];
    Rerender(*index);
  }
}

void StadiumList::Clear() {
  if (observer_) observer_->AboutToClear();
  items_.clear();
  if (observer_) observer_->Cleared();
}

void StadiumList::Rerender(size_t index) {
  items_[index].texts = RenderStadiumRow(items_[index].row);
  if (observer_) observer_->RowChanged(index);
}

void StadiumList::Sort() {
  // Stable, so rows with equal captions keep the order they were announced in.
  std::vector<size_t> order(items_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
    return compare_(items_[a].texts.caption(), items_[b].texts.caption()) < 0;
  });
  if (observer_) observer_->AboutToSort();
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  std::vector<size_t> newIndexOf(items_.size());
  for (size_t i = 0; i < order.size(); ++i) {
    newIndexOf[order[i]] = i;
    sorted.push_back(std::move(items_[order[i]]));
  }
  items_ = std::move(sorted);
  if (observer_) observer_->Sorted(newIndexOf);
}
