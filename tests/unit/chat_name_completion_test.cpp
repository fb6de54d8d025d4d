// Completing member names in the chat input: which word, which names, in which
// order, and the input's byte limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chat/chat_user_list.h"
#include "chat/name_completion.h"
#include "messages.h"

namespace {

constexpr size_t Limit = 150;

const std::vector<std::string> Names = {"taro", "Takeshi", "hanako", Sjis("太郎"), Sjis("ヂ子"), "taro"};

struct Row {
  const char* what;
  std::string text;
  size_t caret;
  CompletionOutcome outcome;
  std::string completed;  // text and caret ("|") after one Tab
};

std::string WithCaret(const NameCompletionResult& r) {
  return r.text.substr(0, r.caret) + "|" + r.text.substr(r.caret);
}

}  // namespace

TEST(NameCompletionTest, OneTabCompletesThePartialWordBeforeTheCaret) {
  const std::string a145(145, 'a');
  const std::string a146(146, 'a');
  const Row rows[] = {
      {"prefix, first name offered", "ta", 2, CompletionOutcome::Completed, "taro |"},
      {"ASCII without regard to case", "TA", 2, CompletionOutcome::Completed, "taro |"},
      {"the last word only", "hi HA", 5, CompletionOutcome::Completed, "hi hanako |"},
      {"Japanese exactly", Sjis("太"), 2, CompletionOutcome::Completed, Sjis("太郎 |")},
      {"after a full-width space", Sjis("やあ　ha"), 8, CompletionOutcome::Completed, Sjis("やあ　hanako |")},
      {"a letter trail byte is not a letter", Sjis("ア"), 2, CompletionOutcome::NothingToComplete, ""},
      {"caret in mid-text, a blank already follows", "ta is here", 2, CompletionOutcome::Completed, "taro| is here"},
      {"caret in mid-word", "tax", 2, CompletionOutcome::Completed, "taro |x"},
      {"no name begins it", "zz", 2, CompletionOutcome::NothingToComplete, ""},
      {"empty input", "", 0, CompletionOutcome::NothingToComplete, ""},
      {"caret after a blank", "ta ", 3, CompletionOutcome::NothingToComplete, ""},
      {"caret inside a double-byte character", Sjis("太"), 1, CompletionOutcome::NothingToComplete, ""},
      {"fits without the blank only", a145 + " ta", 148, CompletionOutcome::Completed, a145 + " taro|"},
      {"no name fits: refused, not cut", a146 + " ta", 149, CompletionOutcome::NothingFits, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    NameCompletionState state;
    const NameCompletionResult r = CompleteName(row.text, row.caret, Names, false, Limit, state);
    EXPECT_EQ(r.outcome, row.outcome);
    if (row.outcome == CompletionOutcome::Completed) {
      EXPECT_EQ(WithCaret(r), row.completed);
      EXPECT_LE(r.text.size(), Limit);
    }
  }
}

TEST(NameCompletionTest, RepeatedTabCyclesShiftTabStepsBackAnyEditStartsAfresh) {
  NameCompletionState state;
  auto tab = [&](const NameCompletionResult& from, bool backward = false) {
    return CompleteName(from.text, from.caret, Names, backward, Limit, state);
  };
  NameCompletionResult r = CompleteName("say ta!", 6, Names, false, Limit, state);
  EXPECT_EQ(WithCaret(r), "say taro |!");
  r = tab(r);
  EXPECT_EQ(WithCaret(r), "say Takeshi |!") << "the same name twice is offered once";
  r = tab(r);
  EXPECT_EQ(WithCaret(r), "say taro |!") << "round again";
  r = tab(r, true);
  EXPECT_EQ(WithCaret(r), "say Takeshi |!");

  // Typed on: the completed word is a new partial word, and only "Takeshi" begins it.
  r = CompleteName("say Takeshi!", 11, Names, false, Limit, state);
  EXPECT_EQ(WithCaret(r), "say Takeshi |!");
  // Shift+Tab without a cycle leaves the focus to move back.
  state.Reset();
  EXPECT_EQ(CompleteName("ta", 2, Names, true, Limit, state).outcome, CompletionOutcome::NothingToComplete);
}

TEST(NameCompletionTest, LatestSpeakersFirstThenTheRoomInOrderAndTheOwnNameLast) {
  ChatUserList users;
  users.Add(1, 0, 0, "me");
  users.Add(2, 0, 0, "ann");
  users.Add(3, 0, 0, "bob");
  users.Add(4, 0, 0, "cid");
  const auto order = [&] { return CompletionCandidates(users, "me"); };
  EXPECT_EQ(order(), (std::vector<std::string>{"ann", "bob", "cid", "me"}));

  users.NoteSpeaker(4);
  users.NoteSpeaker(3);
  users.NoteSpeaker(1);
  users.NoteSpeaker(4);
  users.NoteSpeaker(4);
  users.NoteSpeaker(99);  // not listed: nobody to offer
  EXPECT_EQ(order(), (std::vector<std::string>{"cid", "bob", "ann", "me"}));
  EXPECT_EQ(users.RecentCount(), 3);

  users.Remove(3);  // a member who left is not offered, and leaves no gap
  EXPECT_EQ(order(), (std::vector<std::string>{"cid", "ann", "me"}));
  EXPECT_EQ(users.RecentCount(), 2);
  users.Add(3, 0, 0, "bob");
  EXPECT_EQ(order(), (std::vector<std::string>{"cid", "ann", "bob", "me"}));
  users.Clear();
  EXPECT_EQ(users.RecentCount(), 0);
}
