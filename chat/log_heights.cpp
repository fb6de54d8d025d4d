#include "chat/log_heights.h"

#include <algorithm>

int64_t LogHeights::Above(int line) const {
  int64_t sum = 0;
  for (int i = std::min(line, Count()); i > 0; i -= i & -i) sum += tree_[static_cast<size_t>(i)];
  return sum;
}

void LogHeights::Set(int line, int height) {
  const int delta = height - Height(line);
  if (delta == 0) return;
  const int n = Count();
  for (int i = line + 1; i <= n; i += i & -i) tree_[static_cast<size_t>(i)] += delta;
}

void LogHeights::Push(int height) {
  const int i = static_cast<int>(tree_.size());  // the new line's 1-based index
  int32_t value = height;
  for (int j = 1; j < (i & -i); j <<= 1) value += tree_[static_cast<size_t>(i - j)];
  tree_.push_back(value);
}

int LogHeights::LineAt(int64_t y) const {
  const int n = Count();
  if (n == 0 || y <= 0) return 0;
  int pos = 0;
  int step = 1;
  while (step <= n / 2) step *= 2;
  for (; step > 0; step /= 2) {
    if (pos + step <= n && tree_[static_cast<size_t>(pos) + static_cast<size_t>(step)] <= y) {
      pos += step;
      y -= tree_[static_cast<size_t>(pos)];
    }
  }
  return std::min(pos, n - 1);
}

void LogHeights::Rebuild(int count, const std::function<int(int)>& heightOf) {
  tree_.assign(static_cast<size_t>(count) + 1, 0);
  for (int i = 1; i <= count; ++i) {
    tree_[static_cast<size_t>(i)] += heightOf(i - 1);
    const int j = i + (i & -i);
    if (j <= count) tree_[static_cast<size_t>(j)] += tree_[static_cast<size_t>(i)];
  }
}
