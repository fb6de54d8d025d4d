// The lobby world's rooms, talk and demo members.
#include "server/lobby_world.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/cp932.h"
#include "platform/text_checks.h"
#include "server/text_cut.h"
#include "server/world_text.h"

using world_text::J;
using world_text::SplitWord;
using world_text::StartsWith;

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

LobbyWorld::Room* LobbyWorld::createRoom(const std::string& name, const std::string& password, uint32_t teamId,
                                         uint8_t kind, int capacity, uint32_t creator) {
  const int16_t number = freeRoomNumber();
  if (number == 0 || static_cast<int>(rooms_.size()) >= options_.maxRooms) return nullptr;
  Room& room = rooms_[number];
  room.number = number;
  room.kind = kind;
  room.name = std::string(cp932::CutToBytes(name, NetDef::NameBytes));
  room.password = password.substr(0, NetDef::PasswordBytes);
  room.teamId = teamId;
  room.permanent = creator == 0;
  room.capacity = capacity > 0 ? capacity : options_.roomCapacity;
  room.creator = creator;
  pushRoomRow(room, false);
  return &room;
}

int16_t LobbyWorld::addRoom(const std::string& name, const std::string& password, uint32_t teamId, uint8_t kind,
                            int capacity) {
  const Room* room = createRoom(name, password, teamId, kind, capacity, 0);
  return room != nullptr ? room->number : 0;
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
  sendInFrames<GmRoomList>(s, rows.size(), [&](GmRoomList::Info& info, size_t first, int n) {
    for (int i = 0; i < n; ++i) info.entries[i] = rows[first + static_cast<size_t>(i)];
  });
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

void LobbyWorld::on(Session& s, GmRoomListRequest, const GmRoomListRequest::Info&) {
  if (!s.roomListSent) sendRoomRows(s);
  s.roomListSent = true;
  sendRoomCounts(s);
}

void LobbyWorld::on(Session& s, GmCreateRoom, const GmCreateRoom::Info& in) {
  GmACreateRoom::Info out;
  const int created = static_cast<int>(std::count_if(rooms_.begin(), rooms_.end(), [&](const auto& r) {
    return !r.second.permanent && r.second.creator == s.userId;
  }));
  if (!IsValidNameText(in.name)) {
    out.status = NetDef::StatusServerText;
    CopyText(out.message, J("部屋名には空白や記号は使えません").c_str());
  } else if (!IsAlphanumericText(in.password)) {
    out.status = NetDef::StatusServerText;
    CopyText(out.message, J("パスワードには英数字のみ指定可能です").c_str());
  } else if (in.teamId != 0 && !inTeam(s, in.teamId)) {
    out.status = NetDef::CreateRoomNotTeamMember;
  } else if (findRoomByName(in.name) != nullptr) {
    out.status = NetDef::CreateRoomNameTaken;
  } else if (created >= options_.roomsPerUser) {
    out.status = NetDef::CreateRoomOwnLimit;
  } else if (static_cast<int>(rooms_.size()) >= options_.maxRooms || freeRoomNumber() == 0) {
    out.status = NetDef::CreateRoomServerFull;
  }
  send<GmACreateRoom>(s, out);
  if (out.status != NetDef::StatusOk) return;
  Room& room = *createRoom(in.name, in.password, in.teamId, NetDef::ChatRoomKind, 0, s.userId);
  log("room " + std::to_string(room.number) + " created by #" + std::to_string(s.conn));
  enter(s, room, 1, room.password);
}

void LobbyWorld::on(Session& s, GmEnterRoom, const GmEnterRoom::Info& in) {
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
    out.status = NetDef::StatusServerText;
    CopyText(out.message, J("その部屋はもうありません").c_str());
    send<GmAEnterRoom>(s, out);
    return;
  }
  out.room = room->number;
  const bool member = inTeam(s, room->teamId);
  const bool passwordOk = room->password.empty() || room->password == in.password;
  if (isMember(s, room->number)) {
    out.status = NetDef::EnterRoomAlreadyIn;
  } else if (room->teamId != 0 && !member && room->password.empty()) {
    out.status = NetDef::EnterRoomNoPermission;  // a team room without password is for its team only
  } else if (!member && !passwordOk) {
    out.status = NetDef::EnterRoomWrongPassword;
  } else if (static_cast<int>(room->members.size()) >= room->capacity) {
    out.status = NetDef::EnterRoomFull;
  }
  if (out.status != NetDef::StatusOk) {
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
  if (s.link != nullptr) {
    sendInFrames<GmUserEnter>(s, room.members.size(), [&](GmUserEnter::Info& info, size_t first, int n) {
      info.room = room.number;
      for (int i = 0; i < n; ++i) entryOf(room.members[first + static_cast<size_t>(i)], info.entries[i]);
    });
  }
  // And the newcomer to everyone else in the room.
  GmUserEnter::Info one;
  one.room = room.number;
  one.count = 1;
  entryOf(s.clientId, one.entries[0]);
  sendToRoom<GmUserEnter>(room, one, [&](const Session& m) { return &m != &s; });
  pushRoomCount(room);
}

void LobbyWorld::on(Session& s, GmLeaveRoom, const GmLeaveRoom::Info& in) {
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
  sendToRoom<GmUserLeave>(room, info);
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
  sendToRoom<GmTalk>(room, info, [&](const Session& m) { return m.ignored.count(speaker.clientId) == 0; });
}

void LobbyWorld::on(Session& s, GmTalk, const GmTalk::Info& in) {
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
  sendToRoom<GmUserChange>(room, info);
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
  broadcast<GmTalk>(info);
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
