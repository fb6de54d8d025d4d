// The lobby world's stadiums, waiting and formation boards.
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
  broadcast<GmStadiumAdd>(add);
  GmStadiumState::Info state;
  state.count = 1;
  state.entries[0] = s.state;
  broadcast<GmStadiumState>(state);
  GmStadiumTeams::Info teams;
  teams.count = 1;
  teams.entries[0] = s.teams;
  broadcast<GmStadiumTeams>(teams);
}

void LobbyWorld::removeStadium(uint32_t id) {
  auto it = std::find_if(stadiums_.begin(), stadiums_.end(),
                         [id](const StadiumRuntime& st) { return st.setup.info.id == id; });
  if (it == stadiums_.end()) return;
  stadiums_.erase(it);
  GmStadiumDelete::Info info;
  info.count = 1;
  info.ids[0] = id;
  broadcast<GmStadiumDelete>(info);
  // Whoever waited for it would wait for ever.
  GmWaiting::Info failed;
  failed.stadiumId = id;
  failed.event = NetDef::WaitingFailed;
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
      broadcast<GmStadiumState>(info);
      info.count = 0;
    }
  }
  if (info.count > 0) broadcast<GmStadiumState>(info);
}

void LobbyWorld::setStadiumTeams(const std::vector<GmStadiumTeams::Entry>& teams) {
  GmStadiumTeams::Info info;
  for (const GmStadiumTeams::Entry& e : teams) {
    StadiumRuntime* st = findStadium(e.id);
    if (st == nullptr) continue;
    st->setup.teams = e;
    info.entries[info.count++] = e;
    if (info.count == NetDef::MaxStadiumList) {
      broadcast<GmStadiumTeams>(info);
      info.count = 0;
    }
  }
  if (info.count > 0) broadcast<GmStadiumTeams>(info);
}

void LobbyWorld::broadcastStadiumState(const StadiumRuntime& st) {
  GmStadiumState::Info info;
  info.count = 1;
  info.entries[0] = st.setup.state;
  broadcast<GmStadiumState>(info);
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
    out.event = NetDef::WaitingEnded;
    send<GmWaiting>(s, out);
  }
  if (StadiumRuntime* st = findStadium(id)) {
    st->setup.state.waitingCount = static_cast<uint8_t>(std::min(waitersOf(id), 255));
    checkReady(*st);
    broadcastStadiumState(*st);
  }
}

void LobbyWorld::on(Session& s, GmWaiting, const GmWaiting::Info& in) {
  if (in.event == NetDef::WaitingActionCancel) {
    stopWaiting(s, true);
    return;
  }
  if (in.event != NetDef::WaitingActionWait) return;
  StadiumRuntime* st = findStadium(in.stadiumId);
  GmWaiting::Info out;
  out.stadiumId = in.stadiumId;
  if (st == nullptr || st->setup.info.playable == 0) {
    out.event = NetDef::WaitingFailed;
    CopyText(out.text,
             st == nullptr ? J("指定の競技場はありません").c_str() : J("観戦専用の競技場には入場できません").c_str());
    send<GmWaiting>(s, out);
    return;
  }
  if (s.waitingFor != 0 && s.waitingFor != in.stadiumId) stopWaiting(s, false);
  s.waitingFor = in.stadiumId;
  out.event = NetDef::WaitingStarted;
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
    ready.event = NetDef::WaitingMatchReady;
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

void LobbyWorld::on(Session& s, GmFormationOpen, const GmFormationOpen::Info& in) {
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

void LobbyWorld::on(Session& s, GmFormationClose, const GmFormationClose::Info& in) { s.boards.erase(in.room); }

void LobbyWorld::on(Session& s, GmFormationInfo, const GmFormationInfo::Info& in) {
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
  if (out.count == 0) return;
  sendToRoom<GmFormationInfo>(room, out, boardOpen(in.room));
}

void LobbyWorld::on(Session& s, GmFormationFile, const GmFormationFile::Info& in) {
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
    sendToRoom<GmFormationInfo>(room, room.live.asInfo(s.clientId, in.room), boardOpen(in.room));
  } else if (!room.live.passesCheck()) {
    out.result = 2;
  } else {
    room.stored = room.live;
  }
  send<GmFormationFile>(s, out);
}
