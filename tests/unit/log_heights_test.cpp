// The chat log's height index: sums, the line at a pixel at every boundary, one
// height changed, and a rebuild that agrees with appending line by line.
#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "chat/log_heights.h"

namespace {

// The index against plain sums over the same heights.
void ExpectMatches(const LogHeights& h, const std::vector<int>& heights) {
  ASSERT_EQ(h.Count(), static_cast<int>(heights.size()));
  int64_t above = 0;
  for (int i = 0; i < h.Count(); ++i) {
    ASSERT_EQ(h.Above(i), above) << i;
    ASSERT_EQ(h.Height(i), heights[static_cast<size_t>(i)]) << i;
    // First and last pixel of each line, and the pixel after it.
    ASSERT_EQ(h.LineAt(above), i);
    ASSERT_EQ(h.LineAt(above + heights[static_cast<size_t>(i)] - 1), i);
    above += heights[static_cast<size_t>(i)];
    if (i + 1 < h.Count()) {
      ASSERT_EQ(h.LineAt(above), i + 1);
    }
  }
  EXPECT_EQ(h.Total(), above);
}

}  // namespace

TEST(LogHeightsTest, SumsAndLinesAtPixelsFollowEveryAppendAndChange) {
  std::mt19937 random(7);
  std::vector<int> heights;
  LogHeights h;
  EXPECT_EQ(h.LineAt(100), 0) << "empty";
  EXPECT_EQ(h.Total(), 0);
  for (int n : {1, 2, 3, 4, 7, 8, 9, 16, 17, 100, 1000}) {
    while (static_cast<int>(heights.size()) < n) {
      heights.push_back(1 + static_cast<int>(random() % 60));
      h.Push(heights.back());
    }
    ExpectMatches(h, heights);
  }
  for (int i : {0, 1, 511, 512, 999}) {
    heights[static_cast<size_t>(i)] = 3 + i % 5;
    h.Set(i, heights[static_cast<size_t>(i)]);
  }
  ExpectMatches(h, heights);
  // Outside the content the nearest line answers.
  EXPECT_EQ(h.LineAt(-5), 0);
  EXPECT_EQ(h.LineAt(h.Total() + 1000), 999);
}

TEST(LogHeightsTest, RebuildAgreesWithAppendingOneByOne) {
  for (int n : {0, 1, 5, 64, 65, 1023}) {
    std::vector<int> heights(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) heights[static_cast<size_t>(i)] = 10 + (i * 7) % 23;
    LogHeights rebuilt;
    rebuilt.Push(99);  // whatever was there before goes
    rebuilt.Rebuild(n, [&](int line) { return heights[static_cast<size_t>(line)]; });
    ExpectMatches(rebuilt, heights);
    rebuilt.Push(5);
    heights.push_back(5);
    ExpectMatches(rebuilt, heights);
  }
}
