#pragma once
// Waiting for a place in a match: what a GmWaiting event from the server leads
// to, the texts of the wait button and label, and which of the list's controls
// are usable. CP932 bytes throughout.

#include <cstdint>
#include <string>
#include <string_view>

#include "lobby/stadium_row.h"

enum class WaitingReaction {
  Ignore,          // events other than 2..5
  Leave,           // 2: the wait ended
  Enter,           // 3: the wait began
  Refused,         // 4: the server refused; tell the user, then leave
  ConfirmMatch,    // 5: members complete; ask, maybe start the game, then leave
  MissingStadium,  // 5 for a stadium not in the list: tell the user, change nothing
};
WaitingReaction ReactionToWaitingEvent(uint8_t event, bool stadiumFound);

struct StadiumControlStates {
  bool listEnabled = false;
  bool gameEnabled = false;     // ButtonGame
  bool reserveEnabled = false;  // ButtonReserve
};
StadiumControlStates StadiumControlRules(bool socketOpen, bool waiting, bool rowSelected);

// "入場待機(&W)", or "待機中止(&W)" while waiting.
std::string ReserveButtonCaption(bool waiting);
// The stadium's name, "－" when the name is not empty, then "入場待機中".
std::string WaitingLabelText(const StadiumRow* row);
// The invitation to choose a stadium while connected; empty otherwise.
std::string IdleLabelText(bool socketOpen);
// "入場待機に失敗しました。" followed by the server's reason, when it gave one.
std::string WaitRefusedText(std::string_view serverText);

// Fixed message texts (CP932).
std::string MissingStadiumText();
std::string MatchReadyCaption();
std::string MatchReadyText();
std::string LaunchFailedText();
