#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/stadium_list.h"
#include "platform/cp932.h"

namespace {

GmStadiumAdd::Entry Stadium(uint32_t id, const char* name) {
  GmStadiumAdd::Entry e;
  e.id = id;
  CopyText(e.name, cp932::FromUtf8(name).c_str());
  e.playable = 1;
  return e;
}

GmStadiumAdd::Info Add(std::initializer_list<GmStadiumAdd::Entry> entries) {
  GmStadiumAdd::Info info;
  for (const auto& e : entries) info.entries[info.count++] = e;
  return info;
}

GmStadiumState::Info State(uint32_t id, uint8_t home, uint8_t away) {
  GmStadiumState::Info info;
  info.count = 1;
  info.entries[0].id = id;
  info.entries[0].homeScore = home;
  info.entries[0].awayScore = away;
  return info;
}

GmStadiumTeams::Info Teams(uint32_t id, const char* home) {
  GmStadiumTeams::Info info;
  info.count = 1;
  info.entries[0].id = id;
  CopyText(info.entries[0].homeTeamName, home);
  return info;
}

GmStadiumDelete::Info Delete(std::initializer_list<uint32_t> ids) {
  GmStadiumDelete::Info info;
  for (uint32_t id : ids) info.ids[info.count++] = id;
  return info;
}

std::vector<std::string> Captions(const StadiumList& list) {
  std::vector<std::string> out;
  for (size_t i = 0; i < list.size(); ++i) out.push_back(cp932::ToUtf8(list.texts(i).caption()));
  return out;
}

using Names = std::vector<std::string>;

// Records the notifications as a view would receive them.
struct Recorder final : StadiumListObserver {
  std::vector<std::string> log;
  std::vector<size_t> lastPermutation;
  void RowsAboutToBeAppended(size_t f, size_t l) override {
    log.push_back("append " + std::to_string(f) + ".." + std::to_string(l));
  }
  void RowsAppended(size_t, size_t) override { log.push_back("appended"); }
  void AboutToSort() override { log.push_back("sort"); }
  void Sorted(const std::vector<size_t>& p) override {
    lastPermutation = p;
    log.push_back("sorted");
  }
  void RowAboutToBeRemoved(size_t i) override { log.push_back("remove " + std::to_string(i)); }
  void RowRemoved(size_t) override { log.push_back("removed"); }
  void RowChanged(size_t i) override { log.push_back("changed " + std::to_string(i)); }
  void AboutToClear() override { log.push_back("clear"); }
  void Cleared() override { log.push_back("cleared"); }
};

}  // namespace

TEST(StadiumListTest, SortedByCaptionWheneverRowsAreAdded) {
  StadiumList list;
  list.ApplyAdd(Add({Stadium(1, "charlie"), Stadium(2, "alpha")}));
  EXPECT_EQ(Captions(list), (Names{"alpha", "charlie"}));
  list.ApplyAdd(Add({Stadium(3, "bravo")}));
  EXPECT_EQ(Captions(list), (Names{"alpha", "bravo", "charlie"}));
}

TEST(StadiumListTest, UsesTheInjectedComparison) {
  // Reverse order, to prove the list sorts by what it is given.
  StadiumList list([](const std::string& a, const std::string& b) { return b.compare(a); });
  list.ApplyAdd(Add({Stadium(1, "a"), Stadium(2, "c"), Stadium(3, "b")}));
  EXPECT_EQ(Captions(list), (Names{"c", "b", "a"}));
}

TEST(StadiumListTest, EqualCaptionsKeepAnnouncementOrder) {
  StadiumList list;
  list.ApplyAdd(Add({Stadium(5, "same"), Stadium(6, "same")}));
  list.ApplyAdd(Add({Stadium(4, "same"), Stadium(9, "a")}));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list.row(0).stadium.id, 9u);
  EXPECT_EQ(list.row(1).stadium.id, 5u);
  EXPECT_EQ(list.row(2).stadium.id, 6u);
  EXPECT_EQ(list.row(3).stadium.id, 4u);
}

TEST(StadiumListTest, DuplicateIdGivesTwoRowsAndLookupsReachTheFirstInDisplayOrder) {
  StadiumList list;
  // Announced "zulu" first, but "alpha" sorts first: that one is found.
  list.ApplyAdd(Add({Stadium(42, "zulu"), Stadium(42, "alpha")}));
  ASSERT_EQ(list.size(), 2u);
  ASSERT_EQ(list.FindStadiumRow(42), 0u);

  list.ApplyState(State(42, 3, 1));
  list.ApplyTeams(Teams(42, "Reds"));
  EXPECT_EQ(list.texts(0).columns[2], "3 - 1");
  EXPECT_EQ(list.texts(0).columns[1], "Reds");
  EXPECT_EQ(list.texts(1).columns[2], "0 - 0") << "the second row is not reached";
  EXPECT_EQ(list.texts(1).columns[1], "HOME");

  list.ApplyDelete(Delete({42}));
  EXPECT_EQ(Captions(list), (Names{"zulu"})) << "one delete removes one row";
  list.ApplyState(State(42, 2, 2));
  EXPECT_EQ(list.texts(0).columns[2], "2 - 2") << "now the remaining row is the first";
  list.ApplyDelete(Delete({42, 42}));
  EXPECT_TRUE(list.empty());
}

TEST(StadiumListTest, UnknownIdsAreSkippedAndTheRestApplied) {
  StadiumList list;
  list.ApplyAdd(Add({Stadium(1, "a"), Stadium(2, "b")}));
  GmStadiumState::Info state;
  state.count = 2;
  state.entries[0].id = 99;
  state.entries[0].homeScore = 9;
  state.entries[1].id = 2;
  state.entries[1].homeScore = 4;
  list.ApplyState(state);
  EXPECT_EQ(list.texts(0).columns[2], "0 - 0");
  EXPECT_EQ(list.texts(1).columns[2], "4 - 0");
  list.ApplyDelete(Delete({99, 1}));
  EXPECT_EQ(Captions(list), (Names{"b"}));
  EXPECT_FALSE(list.FindStadiumRow(99).has_value());
}

TEST(StadiumListTest, OutOfRangeCountsAreClamped) {
  StadiumList list;
  GmStadiumAdd::Info add;
  for (int i = 0; i < NetDef::MaxStadiumList; ++i) add.entries[i] = Stadium(static_cast<uint32_t>(i), "s");
  add.count = 1000;
  list.ApplyAdd(add);
  EXPECT_EQ(list.size(), static_cast<size_t>(NetDef::MaxStadiumList));
  add.count = -3;
  list.ApplyAdd(add);
  EXPECT_EQ(list.size(), static_cast<size_t>(NetDef::MaxStadiumList));
  GmStadiumDelete::Info del;
  del.count = 5000;
  list.ApplyDelete(del);  // twenty zeros: removes the row with id 0 once
  EXPECT_EQ(list.size(), static_cast<size_t>(NetDef::MaxStadiumList) - 1);
}

TEST(StadiumListTest, KeysFollowRowsThroughSortAndDelete) {
  StadiumList list;
  list.ApplyAdd(Add({Stadium(1, "m")}));
  const uint64_t key = list.key(0);
  list.ApplyAdd(Add({Stadium(2, "a")}));
  EXPECT_EQ(list.IndexOfKey(key), 1u);
  list.ApplyDelete(Delete({1}));
  EXPECT_FALSE(list.IndexOfKey(key).has_value());
  list.ApplyAdd(Add({Stadium(1, "m")}));
  EXPECT_NE(list.key(*list.FindStadiumRow(1)), key) << "a new announcement is a new row";
}

TEST(StadiumListTest, ObserverSeesAppendThenSortWithPermutation) {
  StadiumList list;
  Recorder rec;
  list.SetObserver(&rec);
  list.ApplyAdd(Add({Stadium(1, "b")}));
  list.ApplyAdd(Add({Stadium(2, "c"), Stadium(3, "a")}));
  EXPECT_EQ(rec.lastPermutation, (std::vector<size_t>{1, 2, 0})) << "b moves to 1, c to 2, a to 0";
  list.ApplyState(State(2, 1, 0));
  list.ApplyDelete(Delete({1}));
  list.Clear();
  EXPECT_EQ(rec.log,
            (std::vector<std::string>{"append 0..0", "appended", "sort", "sorted", "append 1..2", "appended", "sort",
                                      "sorted", "changed 2", "remove 1", "removed", "clear", "cleared"}));
  GmStadiumAdd::Info none;
  rec.log.clear();
  list.ApplyAdd(none);
  EXPECT_TRUE(rec.log.empty()) << "an empty announcement changes nothing";
}
