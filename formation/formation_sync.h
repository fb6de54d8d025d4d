#pragma once
// What the formation window says and does, free of widgets: the one-entry change
// it sends for a slot, how received changes are applied, and the texts of its
// check failures and of the server's answers (all code page 932).

#include <cstdint>
#include <functional>
#include <string>

#include "formation/team_formation.h"
#include "net/net_messages.h"

// The GmFormationInfo for one changed slot: the slot's current values, the flags
// as given, the players per side in the low bits. slot must name a slot.
GmFormationInfo::Info MakeSlotChange(const TeamFormation& formation, int16_t sender, int16_t room, int slot,
                                     bool changePos, bool changePosType, bool changeName);

// Applies the flagged fields of each entry in order. An entry whose index names
// no slot of the formation is skipped; so is anything beyond the entry capacity.
// redraw(index) is called before an entry is applied and again after it changed
// anything. Returns the number of entries applied.
int ApplyFormationInfo(TeamFormation& formation, const GmFormationInfo::Info& info,
                       const std::function<void(int)>& redraw);

// The error text for a failed check; empty for Ok. For a misplaced player: its
// number, its name, then "の位置が不正です".
std::string CheckErrorText(const TeamFormation& formation, FormationCheck result, int badSlot);

struct FormationAnswerBox {
  enum Kind { None, Information, Error } kind = None;
  std::string caption;  // for Information; an Error box always says "エラー"
  std::string text;
};
// The box for the server's answer to a load or save request.
FormationAnswerBox FileAnswerBox(uint8_t action, uint8_t result);

// The box for a refused GmFormationAOpen.
std::string OpenRefusedText();
