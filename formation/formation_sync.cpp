#include "formation/formation_sync.h"

#include <algorithm>
#include <cstring>

#include "platform/cp932.h"

namespace {

// Keeps the low 16 bits, as the wire carries coordinates.
int16_t Low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu)); }

}  // namespace

GmFormationInfo::Info MakeSlotChange(const TeamFormation& formation, int16_t sender, int16_t room, int slot,
                                     bool changePos, bool changePosType, bool changeName) {
  GmFormationInfo::Info info;
  info.sender = sender;
  info.room = room;
  uint8_t flags = static_cast<uint8_t>(formation.PlayersPerSide()) & GmFormationInfo::PlayersMask;
  if (changePos) flags |= GmFormationInfo::HasPosition;
  if (changePosType) flags |= GmFormationInfo::HasPosType;
  if (changeName) flags |= GmFormationInfo::HasName;
  info.flags = flags;
  const FormationSlot* s = formation.SlotOrNull(slot);
  if (s == nullptr) return info;  // nothing to say about a slot that does not exist
  info.count = 1;
  GmFormationInfo::Entry& e = info.entries[0];
  e.index = static_cast<uint8_t>(slot);
  e.x = Low16(s->x);
  e.y = Low16(s->y);
  e.posType = s->posType;
  CopyText(e.name, s->name);
  return info;
}

int ApplyFormationInfo(TeamFormation& formation, const GmFormationInfo::Info& info,
                       const std::function<void(int)>& redraw) {
  const int count = std::clamp(info.count, 0, NetDef::MaxFormationEntries);
  int applied = 0;
  for (int i = 0; i < count; ++i) {
    const GmFormationInfo::Entry& e = info.entries[i];
    // The index comes from the server: it must name one of our slots.
    FormationSlot* slot = formation.SlotOrNull(e.index);
    if (slot == nullptr) continue;
    if (redraw) redraw(e.index);
    bool changed = false;
    if (info.flags & GmFormationInfo::HasPosition) {
      changed |= slot->x != e.x || slot->y != e.y;
      slot->SetPosition(e.x, e.y);
    }
    if (info.flags & GmFormationInfo::HasPosType) changed |= slot->SetPosType(e.posType);
    if (info.flags & GmFormationInfo::HasName) {
      const std::string before(slot->name);
      slot->SetName(std::string_view(e.name, strnlen(e.name, sizeof e.name)));
      changed |= before != slot->name;
    }
    if (changed && redraw) redraw(e.index);
    ++applied;
  }
  return applied;
}

std::string CheckErrorText(const TeamFormation& formation, FormationCheck result, int badSlot) {
  switch (result) {
    case FormationCheck::Ok:
      return {};
    case FormationCheck::GoalkeeperCount:
      return cp932::FromUtf8("GKが一人でありません");
    case FormationCheck::BadPosition: {
      std::string text;
      if (const FormationSlot* s = formation.SlotOrNull(badSlot)) {
        text = std::to_string(s->number) + std::string(s->name, strnlen(s->name, sizeof s->name));
      }
      return text + cp932::FromUtf8("の位置が不正です");
    }
  }
  return {};
}

FormationAnswerBox FileAnswerBox(uint8_t action, uint8_t result) {
  switch (result) {
    case 0:
      if (action == GmFormationFile::ActionUpdated) {
        return {FormationAnswerBox::Information, cp932::FromUtf8("確認"),
                cp932::FromUtf8("チームフォーメーションの更新に成功しました")};
      }
      return {};
    case 2:
      return {FormationAnswerBox::Error, {}, cp932::FromUtf8("座標やポジション種別が不正です")};
    case 3:
    case 4:
      return {FormationAnswerBox::Error, {}, cp932::FromUtf8("権限がありません")};
    default:
      return {FormationAnswerBox::Error, {}, cp932::FromUtf8("失敗しました")};
  }
}

std::string OpenRefusedText() { return cp932::FromUtf8("フォーメーション盤を開くことができません"); }
