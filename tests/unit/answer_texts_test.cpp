#include <gtest/gtest.h>

#include "net/net_def.h"
#include "platform/cp932.h"
#include "session/answer_texts.h"

namespace {
// Every text comes back as code page 932; the server's own text byte for byte.
const char* const kServer = "\x83\x54\x81\x5b\x83\x6f";  // サーバ in CP932

struct AnswerRow {
  const char* answer;
  std::optional<std::string> (*refusal)(uint8_t, const char*);
  uint8_t status;
  const char* utf8;  // nullptr: nothing is shown; "" with the server's text
};

std::optional<std::string> Ready(uint8_t status, const char* message) { return AReadyRefusal(status, message); }

TEST(AnswerTextsTest, EveryStatusHasItsTextInCodePage932) {
  const AnswerRow rows[] = {
      {"ready", Ready, NetDef::ReadyUnsupportedMachine, "残念ながら該当機種はまだサポートされていません"},
      {"ready", Ready, NetDef::ReadyTooManyUsers, "接続しているユーザ数が多すぎて接続できませんでした"},
      {"ready", Ready, NetDef::StatusServerText, ""},
      {"ready", Ready, 200, ""},
      {"connect", AConnectRefusal, NetDef::StatusServerText, ""},
      {"connect", AConnectRefusal, NetDef::LoginWrongPassword, "IDがパスワードが違います"},
      {"connect", AConnectRefusal, NetDef::LoginAddressRefused, "指定のIPアドレスからの接続はできません"},
      {"connect", AConnectRefusal, NetDef::LoginNoPermission, "このサーバへの接続権限がありません"},
      {"connect", AConnectRefusal, NetDef::LoginTooManyConnections, "接続数が多すぎて接続できませんでした"},
      {"connect", AConnectRefusal, NetDef::StatusOk, nullptr},
      {"connect", AConnectRefusal, 6, nullptr},
      {"create", ACreateRoomRefusal, NetDef::StatusOk, nullptr},
      {"create", ACreateRoomRefusal, NetDef::StatusServerText, ""},
      {"create", ACreateRoomRefusal, NetDef::CreateRoomOwnLimit,
       "一人で作成できる部屋数には制限があり、これ以上作成できません"},
      {"create", ACreateRoomRefusal, NetDef::CreateRoomServerFull, "部屋数をこれ以上増やすことはできません"},
      {"create", ACreateRoomRefusal, NetDef::CreateRoomNoPermission, "部屋を作成する権限がありません"},
      {"create", ACreateRoomRefusal, NetDef::CreateRoomNameTaken, "同一の部屋名があります"},
      {"create", ACreateRoomRefusal, NetDef::CreateRoomNotTeamMember, "チーム員でないため作成できません"},
      {"create", ACreateRoomRefusal, 7, nullptr},
      {"enter", AEnterRoomRefusal, NetDef::StatusOk, nullptr},
      {"enter", AEnterRoomRefusal, NetDef::StatusServerText, ""},
      {"enter", AEnterRoomRefusal, NetDef::EnterRoomAlreadyIn, "既に部屋に入室しています"},
      {"enter", AEnterRoomRefusal, NetDef::EnterRoomWrongPassword, "パスワードが違います"},
      {"enter", AEnterRoomRefusal, NetDef::EnterRoomFull, "満員で入室できません"},
      {"enter", AEnterRoomRefusal, NetDef::EnterRoomNoPermission, "入室権限がありません"},
      {"enter", AEnterRoomRefusal, 6, nullptr},
  };
  for (const AnswerRow& row : rows) {
    SCOPED_TRACE(std::string(row.answer) + " status " + std::to_string(row.status));
    const std::optional<std::string> text = row.refusal(row.status, kServer);
    if (row.utf8 == nullptr) {
      EXPECT_FALSE(text.has_value());
    } else if (*row.utf8 == '\0') {
      EXPECT_EQ(text, std::string(kServer));
    } else {
      EXPECT_EQ(text, cp932::FromUtf8(row.utf8));
    }
  }
}

TEST(AnswerTextsTest, AMissingServerTextIsEmpty) {
  EXPECT_EQ(AReadyRefusal(NetDef::StatusServerText, nullptr), "");
  EXPECT_EQ(AConnectRefusal(NetDef::StatusServerText, nullptr), "");
  EXPECT_EQ(ACreateRoomRefusal(NetDef::StatusServerText, nullptr), "");
  EXPECT_EQ(AEnterRoomRefusal(NetDef::StatusServerText, nullptr), "");
}

TEST(AnswerTextsTest, SocketFaultsHaveTheirOwnWords) {
  const std::pair<SocketFault, const char*> rows[] = {
      {SocketFault::Refused, "サーバに接続を拒否されました。"},
      {SocketFault::HostNotFound, "サーバが見つかりません。"},
      {SocketFault::Timeout, "サーバからの応答がありません。"},
      {SocketFault::Network, "ネットワークに接続できません。"},
      {SocketFault::TlsCertificate, "サーバの証明書を確認できなかったため、接続を中止しました。"},
      {SocketFault::TlsHandshake, "暗号化された接続を確立できませんでした。"},
      {SocketFault::TlsAuthority, "サーバの証明書を確認するための CA 証明書を読み込めませんでした。"},
      {SocketFault::Other, "通信エラーが発生しました。"},
  };
  for (const auto& [fault, utf8] : rows) EXPECT_EQ(SocketFaultText(fault), cp932::FromUtf8(utf8)) << utf8;
}
}  // namespace
