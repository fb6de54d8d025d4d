#include "session/answer_texts.h"

#include "net/net_def.h"
#include "platform/cp932.h"

namespace {
std::string Fixed(const char* utf8) { return cp932::FromUtf8(utf8); }
std::string ServerText(const char* serverMessage) { return serverMessage != nullptr ? serverMessage : ""; }
}  // namespace

std::string AReadyRefusal(uint8_t status, const char* serverMessage) {
  switch (status) {
    case NetDef::ReadyUnsupportedMachine:
      return Fixed("残念ながら該当機種はまだサポートされていません");
    case NetDef::ReadyTooManyUsers:
      return Fixed("接続しているユーザ数が多すぎて接続できませんでした");
    default:
      return ServerText(serverMessage);
  }
}

std::optional<std::string> AConnectRefusal(uint8_t status, const char* serverMessage) {
  switch (status) {
    case NetDef::StatusServerText:
      return ServerText(serverMessage);
    case NetDef::LoginWrongPassword:
      return Fixed("IDがパスワードが違います");
    case NetDef::LoginAddressRefused:
      return Fixed("指定のIPアドレスからの接続はできません");
    case NetDef::LoginNoPermission:
      return Fixed("このサーバへの接続権限がありません");
    case NetDef::LoginTooManyConnections:
      return Fixed("接続数が多すぎて接続できませんでした");
    default:
      return std::nullopt;
  }
}

std::optional<std::string> ACreateRoomRefusal(uint8_t status, const char* serverMessage) {
  switch (status) {
    case NetDef::StatusServerText:
      return ServerText(serverMessage);
    case NetDef::CreateRoomOwnLimit:
      return Fixed("一人で作成できる部屋数には制限があり、これ以上作成できません");
    case NetDef::CreateRoomServerFull:
      return Fixed("部屋数をこれ以上増やすことはできません");
    case NetDef::CreateRoomNoPermission:
      return Fixed("部屋を作成する権限がありません");
    case NetDef::CreateRoomNameTaken:
      return Fixed("同一の部屋名があります");
    case NetDef::CreateRoomNotTeamMember:
      return Fixed("チーム員でないため作成できません");
    default:
      return std::nullopt;
  }
}

std::optional<std::string> AEnterRoomRefusal(uint8_t status, const char* serverMessage) {
  switch (status) {
    case NetDef::StatusServerText:
      return ServerText(serverMessage);
    case NetDef::EnterRoomAlreadyIn:
      return Fixed("既に部屋に入室しています");
    case NetDef::EnterRoomWrongPassword:
      return Fixed("パスワードが違います");
    case NetDef::EnterRoomFull:
      return Fixed("満員で入室できません");
    case NetDef::EnterRoomNoPermission:
      return Fixed("入室権限がありません");
    default:
      return std::nullopt;
  }
}

std::string SocketFaultText(SocketFault fault) {
  switch (fault) {
    case SocketFault::Refused:
      return Fixed("サーバに接続を拒否されました。");
    case SocketFault::HostNotFound:
      return Fixed("サーバが見つかりません。");
    case SocketFault::Timeout:
      return Fixed("サーバからの応答がありません。");
    case SocketFault::Network:
      return Fixed("ネットワークに接続できません。");
    case SocketFault::TlsCertificate:
      return Fixed("サーバの証明書を確認できなかったため、接続を中止しました。");
    case SocketFault::TlsHandshake:
      return Fixed("暗号化された接続を確立できませんでした。");
    case SocketFault::TlsAuthority:
      return Fixed("サーバの証明書を確認するための CA 証明書を読み込めませんでした。");
    case SocketFault::Other:
      break;
  }
  return Fixed("通信エラーが発生しました。");
}
