#include "lobby/stadium_waiting.h"

#include "net/net_def.h"
#include "platform/cp932.h"

WaitingReaction ReactionToWaitingEvent(uint8_t event, bool stadiumFound) {
  switch (event) {
    case NetDef::WaitingEnded:
      return WaitingReaction::Leave;
    case NetDef::WaitingStarted:
      return WaitingReaction::Enter;
    case NetDef::WaitingFailed:
      return WaitingReaction::Refused;
    case NetDef::WaitingMatchReady:
      return stadiumFound ? WaitingReaction::ConfirmMatch : WaitingReaction::MissingStadium;
    default:
      return WaitingReaction::Ignore;
  }
}

StadiumControlStates StadiumControlRules(bool socketOpen, bool waiting, bool rowSelected) {
  StadiumControlStates s;
  s.listEnabled = socketOpen;
  s.gameEnabled = socketOpen && !waiting && rowSelected;
  s.reserveEnabled = socketOpen && (rowSelected || waiting);
  return s;
}

std::string ReserveButtonCaption(bool waiting) { return cp932::FromUtf8(waiting ? "待機中止(&W)" : "入場待機(&W)"); }

std::string WaitingLabelText(const StadiumRow* row) {
  std::string text;
  if (row != nullptr) {
    text = StadiumName(*row);
    if (!text.empty()) text += cp932::FromUtf8("－");
  }
  return text + cp932::FromUtf8("入場待機中");
}

std::string IdleLabelText(bool socketOpen) {
  return socketOpen ? cp932::FromUtf8("☆競技場を選択し、待機/即入場ボタンを押してください☆") : std::string();
}

std::string WaitRefusedText(std::string_view serverText) {
  return cp932::FromUtf8("入場待機に失敗しました。") + std::string(serverText);
}

std::string MissingStadiumText() {
  return cp932::FromUtf8(
      "待機イベントに対応する競技場が見つかりません。プログラムの不具合が考えられます。管理者へ報告してください");
}

std::string MatchReadyCaption() { return cp932::FromUtf8("競技場入場の確認"); }

std::string MatchReadyText() { return cp932::FromUtf8("メンバーが揃い、試合が開始されます！　競技場に入場しますか？"); }

std::string LaunchFailedText() { return cp932::FromUtf8("サッカーゲームの起動に失敗しました"); }
