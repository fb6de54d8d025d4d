#pragma once
// The development lobby: every rule of the protocol as the server plays it,
// without sockets. A connection is a SessionLink that takes outgoing frames; the
// bytes it receives are fed to receive(), which cuts frames with a FrameLoop and
// decodes them with the shared codecs. Time comes from a ServerClock.
//
// Choices of this server (the client leaves them open):
// - Client IDs count up from 1 and skip the ones in use; room numbers are the
//   smallest free number from 1 (the lobby "待合室" is 1), never 9999.
// - The client adds a room-list row per GmRoomList entry without looking for
//   duplicates, so a connection receives the rows once: with its first room list
//   request, or just before its first successful room entry (so the new tab can
//   take its caption from the rows). From then on it is sent changes only (new
//   rooms, removed rooms, member counts), and later requests bring counts only.
// - A created room is entered by its creator at once, who gets level 1 in it;
//   it is removed when its last member leaves. Permanent rooms stay.
// - "/t NAME TEXT" reaches every logged-in member of that name; "/o NAME" needs
//   level 1 in the room; "/i NAME" stops (and resumes) that member's lines and
//   private talk for the one who asked.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "net/net_messages.h"
#include "net/stream_buffer.h"
#include "server/accounts.h"
#include "server/server_clock.h"
#include "server/team_board.h"

struct ServerOptions {
  bool demo = false;
  uint8_t minVersion[3] = {0, 0, 0};  // major, minor, build
  int maxUsers = 1000;                // connections past the handshake
  int lifeSeconds = 30;               // 0: no keep-alive
  int lobbyCapacity = 900;            // the client's member list holds 900
  int roomCapacity = 100;             // created rooms
  int maxRooms = 200;                 // every room, permanent ones included
  int roomsPerUser = 3;               // created rooms alive at once per member ID
  int readySeconds = 3;               // from a full stadium to waiting event 5
  int loginSeconds = 60;              // a connection not logged in by then is closed
  uint32_t demoTeamId = 7001;         // in demo mode everyone plays for it
  std::vector<Account> accounts;
};

class SessionLink {
 public:
  virtual ~SessionLink() = default;
  virtual void sendFrame(const uint8_t* bytes, int n) = 0;
  // The world is done with the connection: graceful closes after what was sent
  // has gone out, otherwise at once. Must not call back into the world now.
  virtual void requestClose(bool graceful) = 0;
};

struct StadiumSetup {
  GmStadiumAdd::Entry info;
  GmStadiumState::Entry state;  // its waitingCount is the server's own count
  GmStadiumTeams::Entry teams;
  int matchSize = 18;  // players + waiting needed before waiting turns into a match
};

class LobbyWorld {
 public:
  using LogFn = std::function<void(const std::string&)>;
  static constexpr int16_t LobbyRoom = 1;

  LobbyWorld(ServerOptions options, ServerClock& clock, LogFn log = {});
  ~LobbyWorld();
  LobbyWorld(const LobbyWorld&) = delete;
  LobbyWorld& operator=(const LobbyWorld&) = delete;

  // ---- connections (the transport calls these)
  int open(SessionLink* link, const std::string& peer);  // returns the connection key
  void receive(int conn, const uint8_t* bytes, int n);
  void closed(int conn);  // the connection is gone; it leaves everything
  void shutdown();        // GmClose to every connection, then close them

  // ---- building the world (demo and tests); texts in code page 932
  int16_t addRoom(const std::string& name, const std::string& password, uint32_t teamId,
                  uint8_t kind = NetDef::ChatRoomKind,
                  int capacity = 0);  // permanent; 0 = the created-room capacity; returns 0 when full
  // A member without connection; autoReply, when not empty, answers private talk.
  int16_t addBot(const std::string& name, uint32_t userNumber, uint8_t level = 0, const std::string& autoReply = {});
  bool botEnter(int16_t clientId, int16_t room);
  void botSay(int16_t clientId, int16_t room, const std::string& text);
  void announce(const std::string& text);  // kind 4 to every logged-in member
  void putStadium(const StadiumSetup& setup);
  void removeStadium(uint32_t id);
  void setStadiumStates(const std::vector<GmStadiumState::Entry>& states);
  void setStadiumTeams(const std::vector<GmStadiumTeams::Entry>& teams);

  // ---- looking in
  int userCount() const;        // logged-in members, bots included
  int connectionCount() const;  // open connections in any phase
  int roomCount() const { return static_cast<int>(rooms_.size()); }
  int16_t roomNumberOf(const std::string& name) const;
  bool hasStadium(uint32_t id) const;
  std::vector<StadiumSetup> stadiums() const;
  const ServerOptions& options() const { return options_; }
  ServerClock& clock() { return clock_; }

 private:
  enum class Phase { Handshake, Login, LoggedIn, Closing };
  struct Session {
    int conn = 0;
    SessionLink* link = nullptr;  // null for the demo's members
    std::string peer;
    int64_t openedAt = 0;
    std::string autoReply;  // demo members only
    Phase phase = Phase::Handshake;
    int16_t clientId = 0;
    uint32_t userId = 0;
    std::string name;
    uint8_t level = 0;
    std::vector<uint32_t> teams;
    bool roomListSent = false;
    std::set<int16_t> ignored;
    std::vector<int16_t> rooms;  // entered, in order
    std::set<int16_t> boards;    // rooms whose formation board is open
    uint32_t waitingFor = 0;     // stadium id, 0 when not waiting
    StreamBuffer buffer;
    NetPacket packet;
    std::unique_ptr<FrameLoop> loop;
  };
  struct Room {
    int16_t number = 0;
    uint8_t kind = NetDef::ChatRoomKind;
    std::string name;
    std::string password;
    uint32_t teamId = 0;
    bool permanent = false;
    int capacity = 0;
    uint32_t creator = 0;          // member ID of the creator, 0 for permanent rooms
    std::vector<int16_t> members;  // client IDs in order of entry
    std::map<int16_t, uint8_t> levels;
    TeamBoard live;
    TeamBoard stored;
  };
  struct StadiumRuntime {
    StadiumSetup setup;
    int64_t readyAt = -1;
  };

  // dispatch
  void dispatch(Session& s);
  void on(Session& s, GmReady, const GmReady::Info& in);
  void on(Session& s, GmConnect, const GmConnect::Info& in);
  void on(Session& s, GmRoomListRequest, const GmRoomListRequest::Info& in);
  void on(Session& s, GmCreateRoom, const GmCreateRoom::Info& in);
  void on(Session& s, GmEnterRoom, const GmEnterRoom::Info& in);
  void on(Session& s, GmLeaveRoom, const GmLeaveRoom::Info& in);
  void on(Session& s, GmTalk, const GmTalk::Info& in);
  void on(Session& s, GmWaiting, const GmWaiting::Info& in);
  void on(Session& s, GmFormationOpen, const GmFormationOpen::Info& in);
  void on(Session& s, GmFormationClose, const GmFormationClose::Info& in);
  void on(Session& s, GmFormationInfo, const GmFormationInfo::Info& in);
  void on(Session& s, GmFormationFile, const GmFormationFile::Info& in);
  void on(Session& s, GmPing, const GmPing::Info& in);

  // talk commands
  void privateTalk(Session& s, int16_t room, const std::string& rest);
  void grantLevel(Session& s, int16_t room, const std::string& rest);
  void toggleIgnore(Session& s, int16_t room, const std::string& rest);
  void notice(Session& s, int16_t room, uint8_t kind, const std::string& text);
  void relayTalk(Room& room, const Session& speaker, const std::string& text);

  // rooms
  void enter(Session& s, Room& room, uint8_t level, const std::string& passwordEcho);
  void leave(Session& s, int16_t roomNumber);
  // The one way a room comes to be: a free number, the name cut to whole characters
  // within its field; null when the server holds its most rooms.
  Room* createRoom(const std::string& name, const std::string& password, uint32_t teamId, uint8_t kind, int capacity,
                   uint32_t creator);
  void removeRoom(int16_t number);
  void sendRoomRows(Session& s);
  void sendRoomCounts(Session& s);
  void pushRoomRow(const Room& room, bool removed);
  void pushRoomCount(const Room& room);
  int16_t freeRoomNumber() const;
  Room* findRoomByName(const char* name);
  bool inTeam(const Session& s, uint32_t teamId) const;
  bool isMember(const Session& s, int16_t room) const;
  uint8_t levelIn(const Room& room, int16_t clientId) const;

  // stadiums and waiting
  void sendStadiumList(Session& s);
  StadiumRuntime* findStadium(uint32_t id);
  int waitersOf(uint32_t id) const;
  void stopWaiting(Session& s, bool answer);
  void broadcastStadiumState(const StadiumRuntime& st);
  void checkReady(StadiumRuntime& st);
  void tick();

  // sessions and sending
  Session* byConn(int conn);
  Session* byClient(int16_t clientId);
  std::vector<Session*> byName(const std::string& name);
  int16_t allocateClientId();
  void pushUserCount();
  void beginClose(Session& s, bool graceful, const char* why);
  template <class M>
  bool build(const typename M::Info& info) {
    return out_.encode<M>(info);
  }
  void sendBuilt(Session& s);
  template <class M>
  void send(Session& s, const typename M::Info& info) {
    if (build<M>(info)) sendBuilt(s);
  }
  // To every member of a room that pred accepts (the demo's members take nothing).
  template <class M, class Pred>
  void sendToRoom(const Room& room, const typename M::Info& info, Pred pred) {
    if (!build<M>(info)) return;
    for (const int16_t id : room.members) {
      Session* m = byClient(id);
      if (m != nullptr && pred(*m)) sendBuilt(*m);
    }
  }
  template <class M>
  void sendToRoom(const Room& room, const typename M::Info& info) {
    sendToRoom<M>(room, info, [](const Session&) { return true; });
  }
  static auto boardOpen(int16_t room) {
    return [room](const Session& m) { return m.boards.count(room) != 0; };
  }
  // Sends `total` entries to one connection in as few frames as hold them: each
  // frame takes up to the list clamp, fewer while the frame would be too long.
  // fill(info, first, n) puts entries first..first+n-1 into info.entries[0..n-1].
  template <class M, class Fill>
  void sendInFrames(Session& s, size_t total, Fill fill) {
    for (size_t at = 0; at < total;) {
      typename M::Info info;
      int n = static_cast<int>(std::min<size_t>(NetDef::MaxList16, total - at));
      fill(info, at, n);
      for (; n > 0; --n) {
        info.count = static_cast<decltype(info.count)>(n);
        if (build<M>(info)) break;
      }
      if (n == 0) return;
      sendBuilt(s);
      at += static_cast<size_t>(n);
    }
  }
  template <class M, class Pred>
  void broadcast(const typename M::Info& info, Pred pred) {
    if (!build<M>(info)) return;
    for (auto& [key, s] : sessions_)
      if (s->link != nullptr && s->phase == Phase::LoggedIn && pred(*s)) sendBuilt(*s);
  }
  template <class M>
  void broadcast(const typename M::Info& info) {
    broadcast<M>(info, [](const Session&) { return true; });
  }
  void log(const std::string& line) const {
    if (log_) log_(line);
  }

  ServerOptions options_;
  ServerClock& clock_;
  LogFn log_;
  NetMessageSet out_;
  std::map<int, std::unique_ptr<Session>> sessions_;
  std::map<int16_t, Session*> clients_;
  std::map<int16_t, Room> rooms_;
  std::vector<StadiumRuntime> stadiums_;
  int nextConn_ = 1;
  int16_t nextClientId_ = 1;
  int lastUserCount_ = -1;
  ServerClock::TimerId tickTimer_ = 0;
  ServerClock::TimerId lifeTimer_ = 0;
};
