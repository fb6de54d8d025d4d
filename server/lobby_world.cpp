#include "server/lobby_world.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/cp932.h"
#include "server/text_cut.h"

namespace {

std::string J(std::string_view utf8) { return cp932::FromUtf8(utf8); }

// Room names follow the rule of the client's creation dialog: not empty, no
// control codes, blanks, quotes, comma, backslash, angle brackets, full stop,
// full-width space or single-byte codes from 0x80 up.
bool IsValidRoomName(std::string_view name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size();) {
    const auto b = static_cast<uint8_t>(name[i]);
    const size_t len = cp932::CharLength(name, i);
    if (len == 2) {
      if (b == 0x81 && static_cast<uint8_t>(name[i + 1]) == 0x40) return false;
    } else if (b <= 0x20 || b >= 0x80 || std::strchr("\"',\\<>.", b) != nullptr) {
      return false;
    }
    i += len;
  }
  return true;
}

// Splits "NAME REST" at the first blank; REST loses its leading blanks.
void SplitWord(const std::string& text, std::string& word, std::string& rest) {
  const size_t blank = text.find(' ');
  word = text.substr(0, blank);
  rest.clear();
  if (blank == std::string::npos) return;
  const size_t start = text.find_first_not_of(' ', blank);
  if (start != std::string::npos) rest = text.substr(start);
}

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

}  // namespace

LobbyWorld::LobbyWorld(ServerOptions options, ServerClock& clock, LogFn log)
    : options_(std::move(options)), clock_(clock), log_(std::move(log)) {
  addRoom(J("待合室"), "", 0, 1, options_.lobbyCapacity);
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

template <class M>
bool LobbyWorld::build(const typename M::Info& info) {
  return out_.encode<M>(info);
}

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
  broadcast<GmUserCount>(info, [](const Session&) { return true; });
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
  if (!NetDef::Accepts(NetDef::Direction::ToServer, type)) return;
  // Until the login succeeds only the handshake, the login and ping count.
  if (s.phase != Phase::LoggedIn && type != NetDef::GmReady && type != NetDef::GmConnect && type != NetDef::GmPing) {
    return;
  }
  switch (type) {
    case NetDef::GmReady:
      onReady(s);
      break;
    case NetDef::GmConnect:
      onConnect(s);
      break;
    case NetDef::GmRoomListRequest:
      onRoomListRequest(s);
      break;
    case NetDef::GmCreateRoom:
      onCreateRoom(s);
      break;
    case NetDef::GmEnterRoom:
      onEnterRoom(s);
      break;
    case NetDef::GmLeaveRoom:
      onLeaveRoom(s);
      break;
    case NetDef::GmTalk:
      onTalk(s);
      break;
    case NetDef::GmWaiting:
      onWaiting(s);
      break;
    case NetDef::GmFormationOpen:
      onFormationOpen(s);
      break;
    case NetDef::GmFormationClose:
      onFormationClose(s);
      break;
    case NetDef::GmFormationInfo:
      onFormationInfo(s);
      break;
    case NetDef::GmFormationFile:
      onFormationFile(s);
      break;
    case NetDef::GmPing:
      onPing(s);
      break;
    default:
      break;
  }
}

void LobbyWorld::onReady(Session& s) {
  GmReady::Info in;
  if (s.phase != Phase::Handshake || !GmReady::decode(s.packet, in)) return;
  GmAReady::Info out;
  const uint8_t* min = options_.minVersion;
  const bool tooOld =
      std::make_tuple(in.versionMajor, in.versionMinor, in.versionBuild) < std::make_tuple(min[0], min[1], min[2]);
  int accepted = 0;
  for (const auto& [key, other] : sessions_)
    if (other->link != nullptr && (other->phase == Phase::Login || other->phase == Phase::LoggedIn)) ++accepted;
  if (in.machineKind != NetDef::MachineKind) {
    out.status = 3;
    CopyText(out.message, J("この機種には対応していません").c_str());
  } else if (tooOld) {
    out.status = 2;
    CopyText(out.message, J("新しいバージョンをダウンロードしてください").c_str());
  } else if (accepted >= options_.maxUsers) {
    out.status = 4;
    CopyText(out.message, J("接続数が上限に達しています").c_str());
  } else {
    out.clientId = allocateClientId();
    if (out.clientId == 0) out.status = 4;
  }
  if (out.status != 0) {
    send<GmAReady>(s, out);
    beginClose(s, true, ("handshake refused, status " + std::to_string(out.status)).c_str());
    return;
  }
  s.clientId = out.clientId;
  clients_[s.clientId] = &s;
  s.phase = Phase::Login;
  send<GmAReady>(s, out);
}

void LobbyWorld::onConnect(Session& s) {
  GmConnect::Info in;
  if (s.phase != Phase::Login || !GmConnect::decode(s.packet, in)) return;
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
  if (!known && options_.demo && in.userId > 0 && IsAlnumText(password)) {
    ok = true;
    s.name = "Player" + std::to_string(in.userId);
  }
  GmAConnect::Info out;
  if (!ok) {
    out.status = 2;
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

void LobbyWorld::onPing(Session& s) {
  GmAPing::Info out;
  out.value = static_cast<uint32_t>(clock_.nowMs());
  send<GmAPing>(s, out);
}

// ------------------------------------------------------------------ rooms

int16_t LobbyWorld::freeRoomNumber() const {
  for (int n = 1; n < 32767; ++n) {
    if (n == NetDef::PrivateTalkRoom) continue;
    if (rooms_.find(static_cast<int16_t>(n)) == rooms_.end()) return static_cast<int16_t>(n);
  }
  return 0;
}

LobbyWorld::Room* LobbyWorld::findRoomByName(const char* name) {
  for (auto& [number, room] : rooms_)
    if (room.name == name) return &room;
  return nullptr;
}

int16_t LobbyWorld::roomNumberOf(const std::string& name) const {
  for (const auto& [number, room] : rooms_)
    if (room.name == name) return number;
  return 0;
}

bool LobbyWorld::inTeam(const Session& s, uint32_t teamId) const {
  return teamId != 0 && std::find(s.teams.begin(), s.teams.end(), teamId) != s.teams.end();
}

bool LobbyWorld::isMember(const Session& s, int16_t room) const {
  return std::find(s.rooms.begin(), s.rooms.end(), room) != s.rooms.end();
}

uint8_t LobbyWorld::levelIn(const Room& room, int16_t clientId) const {
  auto it = room.levels.find(clientId);
  return it == room.levels.end() ? 0 : it->second;
}

int16_t LobbyWorld::addRoom(const std::string& name, const std::string& password, uint32_t teamId, uint8_t kind,
                            int capacity) {
  const int16_t number = freeRoomNumber();
  if (number == 0 || static_cast<int>(rooms_.size()) >= options_.maxRooms) return 0;
  Room& room = rooms_[number];
  room.number = number;
  room.kind = kind;
  room.name = std::string(cp932::CutToBytes(name, NetDef::NameBytes));
  room.password = password.substr(0, NetDef::PasswordBytes);
  room.teamId = teamId;
  room.permanent = true;
  room.capacity = capacity > 0 ? capacity : options_.roomCapacity;
  pushRoomRow(room, false);
  return number;
}

void LobbyWorld::sendRoomRows(Session& s) {
  std::vector<GmRoomList::Entry> rows;
  for (const auto& [number, room] : rooms_) {
    GmRoomList::Entry e;
    e.room = number;
    e.kind = room.kind;
    CopyText(e.name, room.name.c_str());
    e.passwordFlag = room.password.empty() ? 0 : 1;
    e.teamId = room.teamId;
    rows.push_back(e);
  }
  // Forty entries do not always fit a frame: send as many as fit.
  size_t at = 0;
  while (at < rows.size()) {
    GmRoomList::Info info;
    int n = static_cast<int>(std::min<size_t>(NetDef::MaxList16, rows.size() - at));
    for (int i = 0; i < n; ++i) info.entries[i] = rows[at + static_cast<size_t>(i)];
    for (; n > 0; --n) {
      info.count = n;
      if (build<GmRoomList>(info)) break;
    }
    if (n == 0) return;
    sendBuilt(s);
    at += static_cast<size_t>(n);
  }
}

void LobbyWorld::sendRoomCounts(Session& s) {
  GmRoomUsers::Info info;
  for (auto it = rooms_.begin(); it != rooms_.end();) {
    info.count = 0;
    for (; it != rooms_.end() && info.count < NetDef::MaxList16; ++it) {
      info.entries[info.count].room = it->first;
      info.entries[info.count].userCount = static_cast<int16_t>(it->second.members.size());
      ++info.count;
    }
    send<GmRoomUsers>(s, info);
  }
  send<GmRoomUsers>(s, GmRoomUsers::Info{});  // the end of the run
}

void LobbyWorld::pushRoomRow(const Room& room, bool removed) {
  GmRoomList::Info info;
  info.count = 1;
  info.entries[0].room = room.number;
  info.entries[0].kind = room.kind;
  if (!removed) {
    CopyText(info.entries[0].name, room.name.c_str());
    info.entries[0].passwordFlag = room.password.empty() ? 0 : 1;
    info.entries[0].teamId = room.teamId;
  }
  broadcast<GmRoomList>(info, [](const Session& s) { return s.roomListSent; });
}

void LobbyWorld::pushRoomCount(const Room& room) {
  GmRoomUsers::Info info;
  info.count = 1;
  info.entries[0].room = room.number;
  info.entries[0].userCount = static_cast<int16_t>(room.members.size());
  broadcast<GmRoomUsers>(info, [](const Session& s) { return s.roomListSent; });
  broadcast<GmRoomUsers>(GmRoomUsers::Info{}, [](const Session& s) { return s.roomListSent; });
}

void LobbyWorld::onRoomListRequest(Session& s) {
  if (!s.roomListSent) sendRoomRows(s);
  s.roomListSent = true;
  sendRoomCounts(s);
}

void LobbyWorld::onCreateRoom(Session& s) {
  GmCreateRoom::Info in;
  if (!GmCreateRoom::decode(s.packet, in)) return;
  GmACreateRoom::Info out;
  const int created = static_cast<int>(std::count_if(rooms_.begin(), rooms_.end(), [&](const auto& r) {
    return !r.second.permanent && r.second.creator == s.userId;
  }));
  if (!IsValidRoomName(in.name)) {
    out.status = 1;
    CopyText(out.message, J("部屋名には空白や記号は使えません").c_str());
  } else if (!IsAlnumText(in.password)) {
    out.status = 1;
    CopyText(out.message, J("パスワードには英数字のみ指定可能です").c_str());
  } else if (in.teamId != 0 && !inTeam(s, in.teamId)) {
    out.status = 6;
  } else if (findRoomByName(in.name) != nullptr) {
    out.status = 5;
  } else if (created >= options_.roomsPerUser) {
    out.status = 2;
  } else if (static_cast<int>(rooms_.size()) >= options_.maxRooms || freeRoomNumber() == 0) {
    out.status = 3;
  }
  if (out.status != 0) {
    send<GmACreateRoom>(s, out);
    return;
  }
  const int16_t number = freeRoomNumber();
  Room& room = rooms_[number];
  room.number = number;
  room.kind = 2;
  room.name = in.name;
  room.password = in.password;
  room.teamId = in.teamId;
  room.capacity = options_.roomCapacity;
  room.creator = s.userId;
  send<GmACreateRoom>(s, out);
  log("room " + std::to_string(number) + " created by #" + std::to_string(s.conn));
  pushRoomRow(room, false);
  enter(s, room, 1, room.password);
}

void LobbyWorld::onEnterRoom(Session& s) {
  GmEnterRoom::Info in;
  if (!GmEnterRoom::decode(s.packet, in)) return;
  Room* room = nullptr;
  if (in.room != 0) {
    auto it = rooms_.find(in.room);
    if (it != rooms_.end()) room = &it->second;
  } else {
    room = findRoomByName(in.name);
  }
  GmAEnterRoom::Info out;
  out.room = in.room;
  if (room == nullptr) {
    out.status = 1;
    CopyText(out.message, J("その部屋はもうありません").c_str());
    send<GmAEnterRoom>(s, out);
    return;
  }
  out.room = room->number;
  const bool member = inTeam(s, room->teamId);
  const bool passwordOk = room->password.empty() || room->password == in.password;
  if (isMember(s, room->number)) {
    out.status = 2;
  } else if (room->teamId != 0 && !member && room->password.empty()) {
    out.status = 5;  // a team room without password is for its team only
  } else if (!member && !passwordOk) {
    out.status = 3;
  } else if (static_cast<int>(room->members.size()) >= room->capacity) {
    out.status = 4;
  }
  if (out.status != 0) {
    send<GmAEnterRoom>(s, out);
    return;
  }
  // Only someone who gave the right password gets it back (the client keeps it
  // to enter again next time); a team member who came in without it gets none.
  const bool gavePassword = !room->password.empty() && room->password == in.password;
  enter(s, *room, 0, gavePassword ? room->password : std::string());
}

void LobbyWorld::enter(Session& s, Room& room, uint8_t level, const std::string& passwordEcho) {
  if (s.link != nullptr && !s.roomListSent) {
    // The new tab takes its caption from the room list rows.
    sendRoomRows(s);
    sendRoomCounts(s);
    s.roomListSent = true;
  }
  GmAEnterRoom::Info answer;
  answer.room = room.number;
  CopyText(answer.password, passwordEcho.c_str());
  answer.teamId = room.teamId;
  send<GmAEnterRoom>(s, answer);

  room.members.push_back(s.clientId);
  room.levels[s.clientId] = std::max(level, s.level);
  s.rooms.push_back(room.number);

  auto entryOf = [&](int16_t clientId, GmUserEnter::Entry& e) {
    const Session* m = byClient(clientId);
    e.clientId = clientId;
    e.userNumber = m != nullptr ? m->userId : 0;
    CopyText(e.name, m != nullptr ? m->name.c_str() : "");
    e.level = levelIn(room, clientId);
  };
  // Every member to the one who came in, as many per frame as fit.
  size_t at = 0;
  while (s.link != nullptr && at < room.members.size()) {
    GmUserEnter::Info info;
    info.room = room.number;
    int n = static_cast<int>(std::min<size_t>(NetDef::MaxList16, room.members.size() - at));
    for (int i = 0; i < n; ++i) entryOf(room.members[at + static_cast<size_t>(i)], info.entries[i]);
    for (; n > 0; --n) {
      info.count = n;
      if (build<GmUserEnter>(info)) break;
    }
    if (n == 0) break;
    sendBuilt(s);
    at += static_cast<size_t>(n);
  }
  // And the newcomer to everyone else in the room.
  GmUserEnter::Info one;
  one.room = room.number;
  one.count = 1;
  entryOf(s.clientId, one.entries[0]);
  if (build<GmUserEnter>(one)) {
    for (const int16_t id : room.members) {
      Session* m = byClient(id);
      if (m != nullptr && m != &s) sendBuilt(*m);
    }
  }
  pushRoomCount(room);
}

void LobbyWorld::onLeaveRoom(Session& s) {
  GmLeaveRoom::Info in;
  if (!GmLeaveRoom::decode(s.packet, in)) return;
  if (isMember(s, in.room)) leave(s, in.room);
}

void LobbyWorld::leave(Session& s, int16_t roomNumber) {
  auto it = rooms_.find(roomNumber);
  s.rooms.erase(std::remove(s.rooms.begin(), s.rooms.end(), roomNumber), s.rooms.end());
  s.boards.erase(roomNumber);
  if (it == rooms_.end()) return;
  Room& room = it->second;
  GmUserLeave::Info info;
  info.count = 1;
  info.entries[0].room = roomNumber;
  info.entries[0].clientId = s.clientId;
  // Everyone in the room hears it, the one who leaves included: that closes the tab.
  if (build<GmUserLeave>(info)) {
    for (const int16_t id : room.members) {
      Session* m = byClient(id);
      if (m != nullptr) sendBuilt(*m);
    }
  }
  room.members.erase(std::remove(room.members.begin(), room.members.end(), s.clientId), room.members.end());
  room.levels.erase(s.clientId);
  if (room.members.empty() && !room.permanent) {
    removeRoom(roomNumber);
  } else {
    pushRoomCount(room);
  }
}

void LobbyWorld::removeRoom(int16_t number) {
  auto it = rooms_.find(number);
  if (it == rooms_.end()) return;
  const Room gone = std::move(it->second);
  rooms_.erase(it);
  log("room " + std::to_string(number) + " removed");
  pushRoomRow(gone, true);
}

// ------------------------------------------------------------------ talk

void LobbyWorld::notice(Session& s, int16_t room, uint8_t kind, const std::string& text) {
  GmTalk::Info info;
  info.room = room;
  info.kind = kind;
  CopyText(info.text, text.c_str());
  send<GmTalk>(s, info);
}

void LobbyWorld::relayTalk(Room& room, const Session& speaker, const std::string& text) {
  GmTalk::Info info;
  info.room = room.number;
  info.sender = speaker.clientId;
  CopyText(info.name, speaker.name.c_str());
  CopyText(info.text, WholeChars(text, NetDef::TalkBytes).c_str());
  if (!build<GmTalk>(info)) return;
  for (const int16_t id : room.members) {
    Session* m = byClient(id);
    if (m != nullptr && m->ignored.count(speaker.clientId) == 0) sendBuilt(*m);
  }
}

void LobbyWorld::onTalk(Session& s) {
  GmTalk::Info in;
  if (!GmTalk::decode(s.packet, in)) return;
  const bool privateTab = in.room == NetDef::PrivateTalkRoom;
  if (!privateTab && !isMember(s, in.room)) return;
  if (StartsWith(in.text, "/t ")) return privateTalk(s, in.room, in.text + 3);
  if (StartsWith(in.text, "/o ")) return grantLevel(s, in.room, in.text + 3);
  if (StartsWith(in.text, "/i ")) return toggleIgnore(s, in.room, in.text + 3);
  if (privateTab) {
    notice(s, in.room, NetDef::TalkNotice1, J("個別チャットは「/t 名前 発言」の形で送ってください"));
    return;
  }
  if (in.text[0] == '\0') return;
  relayTalk(rooms_.at(in.room), s, in.text);
}

void LobbyWorld::privateTalk(Session& s, int16_t room, const std::string& rest) {
  std::string name;
  std::string body;
  SplitWord(rest.substr(std::min(rest.find_first_not_of(' '), rest.size())), name, body);
  if (name.empty() || body.empty()) {
    notice(s, room, NetDef::TalkNotice1, J("個別チャットは「/t 名前 発言」の形で送ってください"));
    return;
  }
  const std::vector<Session*> targets = byName(name);
  if (targets.empty()) {
    notice(s, room, NetDef::TalkNotice1, name + J(" さんは見つかりません"));
    return;
  }
  GmTalk::Info info;
  info.room = NetDef::PrivateTalkRoom;
  info.sender = s.clientId;
  info.kind = NetDef::TalkPrivate;
  CopyText(info.name, s.name.c_str());
  CopyText(info.text, WholeChars(body, NetDef::TalkBytes).c_str());
  if (build<GmTalk>(info)) {
    for (Session* t : targets)
      if (t->ignored.count(s.clientId) == 0) sendBuilt(*t);
  }
  info.kind = NetDef::TalkPrivateEcho;
  CopyText(info.name, name.c_str());
  send<GmTalk>(s, info);
  // Demo members answer by themselves.
  for (const Session* t : targets) {
    if (t->link != nullptr || t->autoReply.empty() || s.ignored.count(t->clientId) != 0) continue;
    GmTalk::Info reply;
    reply.room = NetDef::PrivateTalkRoom;
    reply.sender = t->clientId;
    reply.kind = NetDef::TalkPrivate;
    CopyText(reply.name, t->name.c_str());
    CopyText(reply.text, t->autoReply.c_str());
    send<GmTalk>(s, reply);
  }
}

void LobbyWorld::grantLevel(Session& s, int16_t roomNumber, const std::string& rest) {
  auto it = rooms_.find(roomNumber);
  if (it == rooms_.end() || !isMember(s, roomNumber)) {
    notice(s, roomNumber, NetDef::TalkNotice1, J("管理権限は部屋の中で付与してください"));
    return;
  }
  Room& room = it->second;
  std::string name;
  std::string ignoredRest;
  SplitWord(rest, name, ignoredRest);
  if (levelIn(room, s.clientId) < 1) {
    notice(s, roomNumber, NetDef::TalkNotice2, J("管理権限がないため付与できません"));
    return;
  }
  Session* target = nullptr;
  for (const int16_t id : room.members) {
    Session* m = byClient(id);
    if (m != nullptr && m->name == name) {
      target = m;
      break;
    }
  }
  if (target == nullptr) {
    notice(s, roomNumber, NetDef::TalkNotice1, name + J(" さんはこの部屋にいません"));
    return;
  }
  room.levels[target->clientId] = std::max<uint8_t>(levelIn(room, target->clientId), 1);
  GmUserChange::Info info;
  info.room = roomNumber;
  info.clientId = target->clientId;
  info.level = room.levels[target->clientId];
  if (!build<GmUserChange>(info)) return;
  for (const int16_t id : room.members) {
    Session* m = byClient(id);
    if (m != nullptr) sendBuilt(*m);
  }
}

void LobbyWorld::toggleIgnore(Session& s, int16_t room, const std::string& rest) {
  std::string name;
  std::string ignoredRest;
  SplitWord(rest, name, ignoredRest);
  const std::vector<Session*> targets = byName(name);
  if (targets.empty()) {
    notice(s, room, NetDef::TalkNotice1, name + J(" さんは見つかりません"));
    return;
  }
  const bool nowIgnoring = s.ignored.count(targets.front()->clientId) == 0;
  for (const Session* t : targets) {
    if (nowIgnoring) {
      s.ignored.insert(t->clientId);
    } else {
      s.ignored.erase(t->clientId);
    }
  }
  notice(s, room, NetDef::TalkNotice2,
         name + (nowIgnoring ? J(" さんの発言を無視します") : J(" さんの発言の無視をやめます")));
}

void LobbyWorld::announce(const std::string& text) {
  GmTalk::Info info;
  info.room = NetDef::PrivateTalkRoom;
  info.kind = NetDef::TalkNotice4;
  CopyText(info.text, text.c_str());
  broadcast<GmTalk>(info, [](const Session&) { return true; });
}

// ------------------------------------------------------------------ demo members

int16_t LobbyWorld::addBot(const std::string& name, uint32_t userNumber, uint8_t level, const std::string& autoReply) {
  const int16_t id = allocateClientId();
  if (id == 0) return 0;
  auto s = std::make_unique<Session>();
  s->conn = nextConn_++;
  s->phase = Phase::LoggedIn;
  s->clientId = id;
  s->userId = userNumber;
  s->name = std::string(cp932::CutToBytes(name, NetDef::NameBytes));
  s->level = level;
  s->autoReply = autoReply;
  clients_[id] = s.get();
  sessions_[s->conn] = std::move(s);
  pushUserCount();
  return id;
}

bool LobbyWorld::botEnter(int16_t clientId, int16_t roomNumber) {
  Session* s = byClient(clientId);
  auto it = rooms_.find(roomNumber);
  if (s == nullptr || s->link != nullptr || it == rooms_.end() || isMember(*s, roomNumber)) return false;
  if (static_cast<int>(it->second.members.size()) >= it->second.capacity) return false;
  enter(*s, it->second, 0, "");
  return true;
}

void LobbyWorld::botSay(int16_t clientId, int16_t roomNumber, const std::string& text) {
  Session* s = byClient(clientId);
  auto it = rooms_.find(roomNumber);
  if (s == nullptr || it == rooms_.end() || !isMember(*s, roomNumber)) return;
  relayTalk(it->second, *s, text);
}

// ------------------------------------------------------------------ stadiums

std::vector<StadiumSetup> LobbyWorld::stadiums() const {
  std::vector<StadiumSetup> list;
  for (const StadiumRuntime& st : stadiums_) list.push_back(st.setup);
  return list;
}

bool LobbyWorld::hasStadium(uint32_t id) const {
  return std::any_of(stadiums_.begin(), stadiums_.end(),
                     [id](const StadiumRuntime& st) { return st.setup.info.id == id; });
}

LobbyWorld::StadiumRuntime* LobbyWorld::findStadium(uint32_t id) {
  for (StadiumRuntime& st : stadiums_)
    if (st.setup.info.id == id) return &st;
  return nullptr;
}

int LobbyWorld::waitersOf(uint32_t id) const {
  int n = 0;
  for (const auto& [key, s] : sessions_)
    if (s->waitingFor == id) ++n;
  return n;
}

void LobbyWorld::sendStadiumList(Session& s) {
  for (size_t at = 0; at < stadiums_.size(); at += NetDef::MaxStadiumList) {
    const int n = static_cast<int>(std::min<size_t>(NetDef::MaxStadiumList, stadiums_.size() - at));
    GmStadiumAdd::Info add;
    GmStadiumState::Info state;
    GmStadiumTeams::Info teams;
    add.count = state.count = teams.count = n;
    for (int i = 0; i < n; ++i) {
      const StadiumSetup& setup = stadiums_[at + static_cast<size_t>(i)].setup;
      add.entries[i] = setup.info;
      state.entries[i] = setup.state;
      teams.entries[i] = setup.teams;
    }
    send<GmStadiumAdd>(s, add);
    send<GmStadiumState>(s, state);
    send<GmStadiumTeams>(s, teams);
  }
}

void LobbyWorld::putStadium(const StadiumSetup& setup) {
  if (hasStadium(setup.info.id) || setup.info.id == 0) return;
  StadiumRuntime st;
  st.setup = setup;
  st.setup.state.id = st.setup.teams.id = setup.info.id;
  st.setup.state.waitingCount = 0;
  stadiums_.push_back(st);
  const StadiumSetup& s = stadiums_.back().setup;
  GmStadiumAdd::Info add;
  add.count = 1;
  add.entries[0] = s.info;
  broadcast<GmStadiumAdd>(add, [](const Session&) { return true; });
  GmStadiumState::Info state;
  state.count = 1;
  state.entries[0] = s.state;
  broadcast<GmStadiumState>(state, [](const Session&) { return true; });
  GmStadiumTeams::Info teams;
  teams.count = 1;
  teams.entries[0] = s.teams;
  broadcast<GmStadiumTeams>(teams, [](const Session&) { return true; });
}

void LobbyWorld::removeStadium(uint32_t id) {
  auto it = std::find_if(stadiums_.begin(), stadiums_.end(),
                         [id](const StadiumRuntime& st) { return st.setup.info.id == id; });
  if (it == stadiums_.end()) return;
  stadiums_.erase(it);
  GmStadiumDelete::Info info;
  info.count = 1;
  info.ids[0] = id;
  broadcast<GmStadiumDelete>(info, [](const Session&) { return true; });
  // Whoever waited for it would wait for ever.
  GmWaiting::Info failed;
  failed.stadiumId = id;
  failed.event = 4;
  CopyText(failed.text, J("競技場が閉鎖されました").c_str());
  for (auto& [key, s] : sessions_) {
    if (s->waitingFor != id) continue;
    s->waitingFor = 0;
    send<GmWaiting>(*s, failed);
  }
}

void LobbyWorld::setStadiumStates(const std::vector<GmStadiumState::Entry>& states) {
  GmStadiumState::Info info;
  for (const GmStadiumState::Entry& e : states) {
    StadiumRuntime* st = findStadium(e.id);
    if (st == nullptr) continue;
    st->setup.state = e;
    st->setup.state.waitingCount = static_cast<uint8_t>(std::min(waitersOf(e.id), 255));
    checkReady(*st);
    info.entries[info.count++] = st->setup.state;
    if (info.count == NetDef::MaxStadiumList) {
      broadcast<GmStadiumState>(info, [](const Session&) { return true; });
      info.count = 0;
    }
  }
  if (info.count > 0) broadcast<GmStadiumState>(info, [](const Session&) { return true; });
}

void LobbyWorld::setStadiumTeams(const std::vector<GmStadiumTeams::Entry>& teams) {
  GmStadiumTeams::Info info;
  for (const GmStadiumTeams::Entry& e : teams) {
    StadiumRuntime* st = findStadium(e.id);
    if (st == nullptr) continue;
    st->setup.teams = e;
    info.entries[info.count++] = e;
    if (info.count == NetDef::MaxStadiumList) {
      broadcast<GmStadiumTeams>(info, [](const Session&) { return true; });
      info.count = 0;
    }
  }
  if (info.count > 0) broadcast<GmStadiumTeams>(info, [](const Session&) { return true; });
}

void LobbyWorld::broadcastStadiumState(const StadiumRuntime& st) {
  GmStadiumState::Info info;
  info.count = 1;
  info.entries[0] = st.setup.state;
  broadcast<GmStadiumState>(info, [](const Session&) { return true; });
}

void LobbyWorld::checkReady(StadiumRuntime& st) {
  const GmStadiumState::Entry& e = st.setup.state;
  const int players = e.count1 + e.count2 + e.count3;
  const int waiting = waitersOf(st.setup.info.id);
  if (waiting > 0 && players + waiting >= st.setup.matchSize) {
    if (st.readyAt < 0) st.readyAt = clock_.nowMs() + int64_t{options_.readySeconds} * 1000;
  } else {
    st.readyAt = -1;
  }
}

void LobbyWorld::stopWaiting(Session& s, bool answer) {
  const uint32_t id = s.waitingFor;
  s.waitingFor = 0;
  if (answer) {
    GmWaiting::Info out;
    out.stadiumId = id;
    out.event = 2;
    send<GmWaiting>(s, out);
  }
  if (StadiumRuntime* st = findStadium(id)) {
    st->setup.state.waitingCount = static_cast<uint8_t>(std::min(waitersOf(id), 255));
    checkReady(*st);
    broadcastStadiumState(*st);
  }
}

void LobbyWorld::onWaiting(Session& s) {
  GmWaiting::Info in;
  if (!GmWaiting::decode(s.packet, in)) return;
  if (in.event == 2) {
    stopWaiting(s, true);
    return;
  }
  if (in.event != 1) return;
  StadiumRuntime* st = findStadium(in.stadiumId);
  GmWaiting::Info out;
  out.stadiumId = in.stadiumId;
  if (st == nullptr || st->setup.info.playable == 0) {
    out.event = 4;
    CopyText(out.text,
             st == nullptr ? J("指定の競技場はありません").c_str() : J("観戦専用の競技場には入場できません").c_str());
    send<GmWaiting>(s, out);
    return;
  }
  if (s.waitingFor != 0 && s.waitingFor != in.stadiumId) stopWaiting(s, false);
  s.waitingFor = in.stadiumId;
  out.event = 3;
  send<GmWaiting>(s, out);
  st->setup.state.waitingCount = static_cast<uint8_t>(std::min(waitersOf(in.stadiumId), 255));
  checkReady(*st);
  broadcastStadiumState(*st);
}

void LobbyWorld::tick() {
  const int64_t now = clock_.nowMs();
  // Connections that never log in would hold their place for ever.
  for (auto& [key, s] : sessions_) {
    const bool pending = s->phase == Phase::Handshake || s->phase == Phase::Login;
    if (s->link != nullptr && pending && now - s->openedAt >= int64_t{options_.loginSeconds} * 1000) {
      beginClose(*s, false, "no login in time");
    }
  }
  for (StadiumRuntime& st : stadiums_) {
    if (st.readyAt < 0 || now < st.readyAt) continue;
    st.readyAt = -1;
    const uint32_t id = st.setup.info.id;
    GmWaiting::Info ready;
    ready.stadiumId = id;
    ready.event = 5;
    for (auto& [key, s] : sessions_) {
      if (s->waitingFor != id) continue;
      s->waitingFor = 0;
      send<GmWaiting>(*s, ready);
    }
    st.setup.state.waitingCount = 0;
    broadcastStadiumState(st);
  }
}

// ------------------------------------------------------------------ formation

void LobbyWorld::onFormationOpen(Session& s) {
  GmFormationOpen::Info in;
  if (!GmFormationOpen::decode(s.packet, in)) return;
  auto it = rooms_.find(in.room);
  GmFormationAOpen::Info out;
  out.room = in.room;
  const bool allowed =
      it != rooms_.end() && it->second.teamId != 0 && isMember(s, in.room) && inTeam(s, it->second.teamId);
  out.result = allowed ? 0 : 1;
  send<GmFormationAOpen>(s, out);
  if (!allowed) return;
  s.boards.insert(in.room);
  // A fresh board shows the default layout; bring it up to the room's board.
  if (!(it->second.live == TeamBoard())) send<GmFormationInfo>(s, it->second.live.asInfo(0, in.room));
}

void LobbyWorld::onFormationClose(Session& s) {
  GmFormationClose::Info in;
  if (GmFormationClose::decode(s.packet, in)) s.boards.erase(in.room);
}

void LobbyWorld::onFormationInfo(Session& s) {
  GmFormationInfo::Info in;
  if (!GmFormationInfo::decode(s.packet, in)) return;
  auto it = rooms_.find(in.room);
  if (it == rooms_.end() || s.boards.count(in.room) == 0) return;
  if ((in.flags & GmFormationInfo::PlayersMask) != TeamBoard::PlayersPerSide || (in.flags & 0x80) != 0) return;
  Room& room = it->second;
  GmFormationInfo::Info out;
  out.sender = s.clientId;
  out.room = in.room;
  out.flags = in.flags;
  for (int i = 0; i < in.count; ++i) {
    GmFormationInfo::Entry e = in.entries[i];
    if (room.live.apply(in.flags, e)) out.entries[out.count++] = e;
  }
  if (out.count == 0 || !build<GmFormationInfo>(out)) return;
  for (const int16_t id : room.members) {
    Session* m = byClient(id);
    if (m != nullptr && m->boards.count(in.room) != 0) sendBuilt(*m);
  }
}

void LobbyWorld::onFormationFile(Session& s) {
  GmFormationFile::Info in;
  if (!GmFormationFile::decode(s.packet, in)) return;
  if (in.action != GmFormationFile::ActionLoad && in.action != GmFormationFile::ActionSave) return;
  auto it = rooms_.find(in.room);
  GmFormationFile::Info out;
  out.action = in.action == GmFormationFile::ActionSave ? GmFormationFile::ActionUpdated : in.action;
  out.room = in.room;
  out.playersPerSide = TeamBoard::PlayersPerSide;
  if (it == rooms_.end() || it->second.teamId == 0 || !isMember(s, in.room) || !inTeam(s, it->second.teamId)) {
    out.result = 3;
    send<GmFormationFile>(s, out);
    return;
  }
  Room& room = it->second;
  if (in.action == GmFormationFile::ActionLoad) {
    room.live = room.stored;
    if (build<GmFormationInfo>(room.live.asInfo(s.clientId, in.room))) {
      for (const int16_t id : room.members) {
        Session* m = byClient(id);
        if (m != nullptr && m->boards.count(in.room) != 0) sendBuilt(*m);
      }
    }
  } else if (!room.live.passesCheck()) {
    out.result = 2;
  } else {
    room.stored = room.live;
  }
  send<GmFormationFile>(s, out);
}
