#include "server/lobby_world.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "net/message_dispatch.h"
#include "platform/cp932.h"
#include "platform/text_checks.h"
#include "server/text_cut.h"
#include "server/world_text.h"

using world_text::J;
using world_text::SplitWord;
using world_text::StartsWith;

LobbyWorld::LobbyWorld(ServerOptions options, ServerClock& clock, LogFn log)
    : options_(std::move(options)), clock_(clock), log_(std::move(log)) {
  addRoom(J("待合室"), "", 0, NetDef::LobbyRoomKind, options_.lobbyCapacity);
  // Half a second is fine enough for "a few seconds later" and cheap.
  tickTimer_ = clock_.every(500, [this] { tick(); });
  if (options_.lifeSeconds > 0) {
    lifeTimer_ = clock_.every(int64_t{options_.lifeSeconds} * 1000, [this] {
      if (!build<GmLife>(GmLife::Info{})) return;
      for (auto& [key, s] : sessions_)
        if (s->link != nullptr && (s->phase == Phase::Login || s->phase == Phase::LoggedIn)) sendBuilt(*s);
    });
  }
}

LobbyWorld::~LobbyWorld() {
  clock_.cancel(tickTimer_);
  clock_.cancel(lifeTimer_);
}

// ------------------------------------------------------------------ sending

void LobbyWorld::sendBuilt(Session& s) {
  if (s.link == nullptr || s.phase == Phase::Closing) return;
  s.link->sendFrame(out_.packet().frame_bytes(), out_.packet().wire_length());
}

void LobbyWorld::beginClose(Session& s, bool graceful, const char* why) {
  if (s.phase == Phase::Closing) return;
  s.phase = Phase::Closing;
  log("close #" + std::to_string(s.conn) + " " + s.peer + " (" + why + ")");
  if (s.link != nullptr) s.link->requestClose(graceful);
}

// ------------------------------------------------------------------ connections

int LobbyWorld::open(SessionLink* link, const std::string& peer) {
  auto s = std::make_unique<Session>();
  const int conn = nextConn_++;
  s->conn = conn;
  s->link = link;
  s->peer = peer;
  s->openedAt = clock_.nowMs();
  Session* raw = s.get();
  s->loop = std::make_unique<FrameLoop>(s->buffer, s->packet, [this, raw] { dispatch(*raw); });
  sessions_[conn] = std::move(s);
  log("connect #" + std::to_string(conn) + " " + peer);
  return conn;
}

void LobbyWorld::receive(int conn, const uint8_t* bytes, int n) {
  Session* s = byConn(conn);
  if (s == nullptr || s->phase == Phase::Closing || n <= 0) return;
  if (s->loop->feed(bytes, n) == FrameLoop::Result::Close) {
    s->loop->reset();
    beginClose(*s, false, "bad frame length");
  }
}

void LobbyWorld::closed(int conn) {
  auto it = sessions_.find(conn);
  if (it == sessions_.end()) return;
  Session& s = *it->second;
  const bool wasMember = s.clientId != 0 && s.phase != Phase::Handshake;
  if (s.waitingFor != 0) stopWaiting(s, false);
  const std::vector<int16_t> rooms = s.rooms;
  for (const int16_t room : rooms) leave(s, room);
  if (s.clientId != 0) {
    clients_.erase(s.clientId);
    // Its ID may be given to someone else one day; nobody should ignore them by mistake.
    for (auto& [key, other] : sessions_) other->ignored.erase(s.clientId);
  }
  log("disconnect #" + std::to_string(conn) + " " + s.peer);
  sessions_.erase(it);
  if (wasMember) pushUserCount();
}

void LobbyWorld::shutdown() {
  if (!build<GmClose>(GmClose::Info{})) return;
  for (auto& [key, s] : sessions_) {
    if (s->link == nullptr || s->phase == Phase::Closing) continue;
    sendBuilt(*s);
    beginClose(*s, true, "server shutdown");
  }
}

int LobbyWorld::connectionCount() const {
  int n = 0;
  for (const auto& [key, s] : sessions_)
    if (s->link != nullptr) ++n;
  return n;
}

int LobbyWorld::userCount() const {
  int n = 0;
  for (const auto& [key, s] : sessions_)
    if (s->phase == Phase::LoggedIn) ++n;
  return n;
}

void LobbyWorld::pushUserCount() {
  const int count = userCount();
  if (count == lastUserCount_) return;
  lastUserCount_ = count;
  GmUserCount::Info info;
  info.count = static_cast<int16_t>(std::min(count, 32767));
  broadcast<GmUserCount>(info);
}

LobbyWorld::Session* LobbyWorld::byConn(int conn) {
  auto it = sessions_.find(conn);
  return it == sessions_.end() ? nullptr : it->second.get();
}

LobbyWorld::Session* LobbyWorld::byClient(int16_t clientId) {
  auto it = clients_.find(clientId);
  return it == clients_.end() ? nullptr : it->second;
}

std::vector<LobbyWorld::Session*> LobbyWorld::byName(const std::string& name) {
  std::vector<Session*> found;
  for (auto& [key, s] : sessions_)
    if (s->phase == Phase::LoggedIn && s->name == name) found.push_back(s.get());
  return found;
}

int16_t LobbyWorld::allocateClientId() {
  for (int tries = 0; tries < 32767; ++tries) {
    const int16_t id = nextClientId_;
    nextClientId_ = nextClientId_ == 32767 ? 1 : static_cast<int16_t>(nextClientId_ + 1);
    if (clients_.find(id) == clients_.end()) return id;
  }
  return 0;
}

// ------------------------------------------------------------------ dispatch

void LobbyWorld::dispatch(Session& s) {
  if (s.phase == Phase::Closing) return;
  const uint8_t type = s.packet.type();
  // Until the login succeeds only the handshake, the login and ping count.
  if (s.phase != Phase::LoggedIn && type != NetDef::GmReady && type != NetDef::GmConnect && type != NetDef::GmPing) {
    return;
  }
  DispatchFrame<NetDef::Direction::ToServer>(s.packet, [&](auto message, const auto& info) { on(s, message, info); });
}

void LobbyWorld::on(Session& s, GmReady, const GmReady::Info& in) {
  if (s.phase != Phase::Handshake) return;
  GmAReady::Info out;
  const uint8_t* min = options_.minVersion;
  const bool tooOld =
      std::make_tuple(in.versionMajor, in.versionMinor, in.versionBuild) < std::make_tuple(min[0], min[1], min[2]);
  int accepted = 0;
  for (const auto& [key, other] : sessions_)
    if (other->link != nullptr && (other->phase == Phase::Login || other->phase == Phase::LoggedIn)) ++accepted;
  if (in.machineKind != NetDef::MachineKind) {
    out.status = NetDef::ReadyUnsupportedMachine;
    CopyText(out.message, J("この機種には対応していません").c_str());
  } else if (tooOld) {
    out.status = NetDef::ReadyNeedsUpdate;
    CopyText(out.message, J("新しいバージョンをダウンロードしてください").c_str());
  } else if (accepted >= options_.maxUsers) {
    out.status = NetDef::ReadyTooManyUsers;
    CopyText(out.message, J("接続数が上限に達しています").c_str());
  } else {
    out.clientId = allocateClientId();
    if (out.clientId == 0) out.status = NetDef::ReadyTooManyUsers;
  }
  if (out.status != NetDef::StatusOk) {
    send<GmAReady>(s, out);
    beginClose(s, true, ("handshake refused, status " + std::to_string(out.status)).c_str());
    return;
  }
  s.clientId = out.clientId;
  clients_[s.clientId] = &s;
  s.phase = Phase::Login;
  send<GmAReady>(s, out);
}

void LobbyWorld::on(Session& s, GmConnect, const GmConnect::Info& in) {
  if (s.phase != Phase::Login) return;
  const std::string password = in.password;
  bool ok = false;
  for (const Account& a : options_.accounts) {
    if (a.id != in.userId) continue;
    ok = a.password == password;
    if (ok) {
      s.name = a.name;
      s.teams = a.teams;
      s.level = a.level;
    }
    break;
  }
  const bool known = std::any_of(options_.accounts.begin(), options_.accounts.end(),
                                 [&](const Account& a) { return a.id == in.userId; });
  if (!known && options_.demo && in.userId > 0 && IsAlphanumericText(password.c_str())) {
    ok = true;
    s.name = "Player" + std::to_string(in.userId);
  }
  GmAConnect::Info out;
  if (!ok) {
    out.status = NetDef::LoginWrongPassword;
    send<GmAConnect>(s, out);
    beginClose(s, true, ("login refused for ID " + std::to_string(in.userId)).c_str());
    return;
  }
  if (options_.demo) s.teams.push_back(options_.demoTeamId);
  s.userId = in.userId;
  s.phase = Phase::LoggedIn;
  CopyText(out.loginText, std::to_string(in.userId).c_str());
  CopyText(out.PlayerName, s.name.c_str());
  send<GmAConnect>(s, out);
  log("login #" + std::to_string(s.conn) + " ID " + std::to_string(s.userId) + " client " + std::to_string(s.clientId));
  pushUserCount();
  sendStadiumList(s);
}

void LobbyWorld::on(Session& s, GmPing, const GmPing::Info&) {
  GmAPing::Info out;
  out.value = static_cast<uint32_t>(clock_.nowMs());
  send<GmAPing>(s, out);
}
