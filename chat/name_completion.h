#pragma once
// Completing a member's name in the chat input with Tab, as chat clients do: the
// partial word before the caret becomes the first member name it begins
// (ASCII letters without regard to case, everything else exactly), followed by a
// blank; each further Tab replaces it with the next such name, Shift+Tab with
// the previous one. The names come in the order they are offered: the members
// who spoke last first, then the rest of the room (CompletionCandidates).
//
// Texts are code page 932 bytes and the caret is a byte offset on a character
// boundary. The input's byte limit holds: a name that would not fit is skipped,
// never cut.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class ChatUserList;

// A cycle of completions in progress. It goes on only while the input is exactly
// as the last completion left it; any other text or caret starts a new one.
struct NameCompletionState {
  std::string before;                // the text before the completed word
  std::string after;                 // the text after the caret when the cycle began
  std::vector<std::string> matches;  // empty while no cycle goes on
  size_t index = 0;
  std::string shown;  // the text and caret the last completion produced
  size_t caret = 0;

  void Reset() { *this = NameCompletionState{}; }
};

enum class CompletionOutcome {
  Completed,          // text and caret hold the completed input
  NothingToComplete,  // no partial word before the caret, or no name begins it: Tab moves the focus
  NothingFits,        // names begin the word but none fits the byte limit: the input stays as it is
};

struct NameCompletionResult {
  CompletionOutcome outcome = CompletionOutcome::NothingToComplete;
  std::string text;
  size_t caret = 0;
};

// One Tab (backward: Shift+Tab) in the input `text` with the caret at byte
// `caret`. candidates: the names in the order they are offered. Shift+Tab only
// steps back through a cycle in progress; without one it is NothingToComplete.
NameCompletionResult CompleteName(std::string_view text, size_t caret, std::span<const std::string> candidates,
                                  bool backward, size_t limitBytes, NameCompletionState& state);

// The names of a room in the order completion offers them: the members who spoke
// most recently first, then the others in list order, and the player's own name
// (ownName, compared as bytes) last of all. A name the input cannot hold as the
// same bytes (a server-sent name with invalid bytes) is left out: it would be
// sent as another name.
std::vector<std::string> CompletionCandidates(const ChatUserList& users, std::string_view ownName);
