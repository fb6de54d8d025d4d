#pragma once
// Pixel heights of the chat log's lines, laid out or estimated, as a Fenwick
// tree: the height above any line, the total, and the line at any pixel are
// found in O(log n), and one line's height changes in O(log n). A log of a
// million lines scrolls, jumps and learns its true heights without a pass over
// every line.

#include <cstdint>
#include <functional>
#include <vector>

class LogHeights {
 public:
  int Count() const { return static_cast<int>(tree_.size()) - 1; }
  void Push(int height);
  void Set(int line, int height);
  int Height(int line) const { return static_cast<int>(Above(line + 1) - Above(line)); }
  // Sum of the heights of the lines before `line` (line may be Count()).
  int64_t Above(int line) const;
  int64_t Total() const { return Above(Count()); }
  // The line that holds pixel y (0 at the top of the first line), clamped to
  // the first and the last line; 0 when there are none.
  int LineAt(int64_t y) const;
  // Every height anew (a new width), in one pass.
  void Rebuild(int count, const std::function<int(int)>& heightOf);

 private:
  std::vector<int32_t> tree_ = {0};  // 1-based; tree_[0] unused
};
