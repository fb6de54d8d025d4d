#include "lobby/main_window_rules.h"

#include "net/net_def.h"

MainControlStates ComputeControlStates(bool connected, bool inputNotEmpty) {
  MainControlStates s;
  s.OpenMenu = !connected;
  s.CloseMenu = s.CreateMenu = s.MenuNext = s.MenuPrev = s.MenuRoomList = s.RetireMenu = s.MenuPing = connected;
  s.PanelInput = s.GameList2 = connected;
  s.ButtonSendChat = connected && inputNotEmpty;
  return s;
}

std::string ProgramVersion() {
  return std::to_string(NetDef::VersionMajor) + "." + std::to_string(NetDef::VersionMinor) + "." +
         std::to_string(NetDef::VersionBuild);
}

std::string TitleText(int userCount) {
  std::string title = "Turfwing ver" + ProgramVersion();
  if (userCount != 0) title += " - " + std::to_string(userCount) + "人";
  return title;
}

RefusalText AReadyRefusal(uint8_t status, const char* serverMessage) {
  switch (status) {
    case NetDef::ReadyUnsupportedMachine:
      return {"残念ながら該当機種はまだサポートされていません", false};
    case NetDef::ReadyTooManyUsers:
      return {"接続しているユーザ数が多すぎて接続できませんでした", false};
    default:
      return {serverMessage != nullptr ? serverMessage : "", true};
  }
}

std::optional<RefusalText> AConnectRefusal(uint8_t status, const char* serverMessage) {
  switch (status) {
    case NetDef::StatusServerText:
      return RefusalText{serverMessage != nullptr ? serverMessage : "", true};
    case NetDef::LoginWrongPassword:
      return RefusalText{"IDがパスワードが違います", false};
    case NetDef::LoginAddressRefused:
      return RefusalText{"指定のIPアドレスからの接続はできません", false};
    case NetDef::LoginNoPermission:
      return RefusalText{"このサーバへの接続権限がありません", false};
    case NetDef::LoginTooManyConnections:
      return RefusalText{"接続数が多すぎて接続できませんでした", false};
    default:
      return std::nullopt;
  }
}

std::optional<RefusalText> ACreateRoomRefusal(uint8_t status, const char* serverMessage) {
  switch (status) {
    case NetDef::StatusServerText:
      return RefusalText{serverMessage != nullptr ? serverMessage : "", true};
    case NetDef::CreateRoomOwnLimit:
      return RefusalText{"一人で作成できる部屋数には制限があり、これ以上作成できません", false};
    case NetDef::CreateRoomServerFull:
      return RefusalText{"部屋数をこれ以上増やすことはできません", false};
    case NetDef::CreateRoomNoPermission:
      return RefusalText{"部屋を作成する権限がありません", false};
    case NetDef::CreateRoomNameTaken:
      return RefusalText{"同一の部屋名があります", false};
    case NetDef::CreateRoomNotTeamMember:
      return RefusalText{"チーム員でないため作成できません", false};
    default:
      return std::nullopt;
  }
}
