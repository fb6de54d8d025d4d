#include "chat/name_completion.h"

#include <algorithm>

#include "chat/chat_user_list.h"
#include "platform/cp932.h"

namespace {

// A blank ends a word: the ASCII ones and the full-width space Japanese input
// gives.
size_t SpaceLength(std::string_view text, size_t pos) {
  if (text[pos] == ' ' || text[pos] == '\t') return 1;
  if (text.substr(pos, 2) == "\x81\x40") return 2;
  return 0;
}

// Start of the run of non-blank characters that ends at caret; npos when the
// caret is not on a character boundary.
size_t WordStart(std::string_view text, size_t caret) {
  size_t start = 0;
  size_t i = 0;
  while (i < caret) {
    const size_t len = cp932::CharLength(text, i);
    i += len;
    if (SpaceLength(text, i - len) != 0) start = i;
  }
  return i == caret ? start : std::string_view::npos;
}

// The text the cycle's current name gives: a blank follows the name unless one is
// there already or it would not fit.
NameCompletionResult Show(NameCompletionState& state, size_t limitBytes) {
  const std::string& name = state.matches[state.index];
  const bool blankFollows = !state.after.empty() && SpaceLength(state.after, 0) != 0;
  const size_t bare = state.before.size() + name.size() + state.after.size();
  const std::string_view suffix = blankFollows || bare + 1 > limitBytes ? "" : " ";
  NameCompletionResult r;
  r.outcome = CompletionOutcome::Completed;
  r.text.reserve(bare + suffix.size());
  r.text.append(state.before).append(name).append(suffix);
  r.caret = r.text.size();
  r.text.append(state.after);
  state.shown = r.text;
  state.caret = r.caret;
  return r;
}

bool InputHoldsAsIs(std::string_view name) {
  std::string back;
  return cp932::FromUtf16(cp932::ToUtf16(name), back) && back == name;
}

}  // namespace

NameCompletionResult CompleteName(std::string_view text, size_t caret, std::span<const std::string> candidates,
                                  bool backward, size_t limitBytes, NameCompletionState& state) {
  if (!state.matches.empty() && caret == state.caret && text == state.shown) {
    const size_t n = state.matches.size();
    state.index = backward ? (state.index + n - 1) % n : (state.index + 1) % n;
    return Show(state, limitBytes);
  }
  state.Reset();
  NameCompletionResult none;
  if (backward || caret > text.size()) return none;
  const size_t start = WordStart(text, caret);
  if (start == std::string_view::npos || start == caret) return none;
  const std::string_view word = text.substr(start, caret - start);
  const size_t rest = start + (text.size() - caret);  // bytes that stay around the name
  bool anyBegins = false;
  for (const std::string& name : candidates) {
    if (name.empty() || !cp932::StartsWithFoldingAscii(name, word)) continue;
    anyBegins = true;
    if (rest + name.size() > limitBytes) continue;
    if (std::find(state.matches.begin(), state.matches.end(), name) == state.matches.end()) {
      state.matches.push_back(name);
    }
  }
  if (state.matches.empty()) {
    none.outcome = anyBegins ? CompletionOutcome::NothingFits : CompletionOutcome::NothingToComplete;
    return none;
  }
  state.before = std::string(text.substr(0, start));
  state.after = std::string(text.substr(caret));
  return Show(state, limitBytes);
}

std::vector<std::string> CompletionCandidates(const ChatUserList& users, std::string_view ownName) {
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(users.Count()));
  std::vector<char> taken(static_cast<size_t>(users.Count()), 0);
  bool ownListed = false;
  auto offer = [&](int i) {
    if (taken[static_cast<size_t>(i)] != 0) return;
    taken[static_cast<size_t>(i)] = 1;
    const std::string_view name = users.At(i).name;
    if (!InputHoldsAsIs(name)) return;
    if (!ownName.empty() && name == ownName) {
      ownListed = true;
      return;
    }
    names.emplace_back(name);
  };
  for (int k = 0; k < users.RecentCount(); ++k) {
    const int i = users.IndexOf(users.RecentAt(k));
    if (i >= 0) offer(i);
  }
  for (int i = 0; i < users.Count(); ++i) offer(i);
  if (ownListed) names.emplace_back(ownName);
  return names;
}
