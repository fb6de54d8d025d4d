#pragma once
// Every message of the lobby protocol as a codec named after it, with its Info
// record and its one field list (net/message_codec.h), followed by the
// catalogue's visit by type number and the shared message set.

#include <cstdint>

#include "net/message_catalogue.h"
#include "net/message_codec.h"
#include "net/net_def.h"
#include "net/net_packet.h"

// ---------------------------------------------------------------- session

struct GmReady : Codec<GmReady> {
  static constexpr uint8_t Type = NetDef::GmReady;
  struct Info {
    uint8_t machineKind = NetDef::MachineKind;
    uint8_t versionMajor = static_cast<uint8_t>(NetDef::VersionMajor);
    uint8_t versionMinor = static_cast<uint8_t>(NetDef::VersionMinor);
    uint8_t versionBuild = static_cast<uint8_t>(NetDef::VersionBuild);
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u8(i.machineKind);
    io.u8(i.versionMajor);
    io.u8(i.versionMinor);
    io.u8(i.versionBuild);
  }
};

struct GmAReady : Codec<GmAReady> {
  static constexpr uint8_t Type = NetDef::GmAReady;
  struct Info {
    uint8_t status = 0;
    char message[NetDef::MessageBytes + 1] = {};
    char secondMessage[NetDef::MessageBytes + 1] = {};
    int16_t clientId = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u8(i.status);
    io.text(i.message);
    io.text(i.secondMessage);
    io.i16(i.clientId);
  }
};

using GmLife = EmptyMessage<NetDef::GmLife>;
using GmClose = EmptyMessage<NetDef::GmClose>;

struct GmConnect : Codec<GmConnect> {
  static constexpr uint8_t Type = NetDef::GmConnect;
  struct Info {
    uint32_t userId = 0;
    char password[NetDef::PasswordBytes + 1] = {};
    char secondText[NetDef::NameBytes + 1] = {};
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u32(i.userId);
    io.text(i.password);
    io.text(i.secondText);
  }
};

struct GmAConnect : Codec<GmAConnect> {
  static constexpr uint8_t Type = NetDef::GmAConnect;
  struct Info {
    uint8_t status = 0;
    char message[NetDef::MessageBytes + 1] = {};
    char loginText[NetDef::NameBytes + 1] = {};
    char PlayerName[NetDef::NameBytes + 1] = {};
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u8(i.status);
    io.text(i.message);
    io.text(i.loginText);
    io.text(i.PlayerName);
  }
};

struct GmUserCount : Codec<GmUserCount> {
  static constexpr uint8_t Type = NetDef::GmUserCount;
  struct Info {
    int16_t count = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.i16(i.count);
  }
};

using GmPing = EmptyMessage<NetDef::GmPing>;

struct GmAPing : Codec<GmAPing> {
  static constexpr uint8_t Type = NetDef::GmAPing;
  struct Info {
    uint32_t value = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u32(i.value);
  }
};

// ---------------------------------------------------------------- rooms

using GmRoomListRequest = EmptyMessage<NetDef::GmRoomListRequest>;

struct GmRoomList : Codec<GmRoomList> {
  static constexpr uint8_t Type = NetDef::GmRoomList;
  struct Entry {
    int16_t room = 0;
    uint8_t kind = 0;
    char name[NetDef::NameBytes + 1] = {};
    uint8_t passwordFlag = 0;
    uint32_t teamId = 0;
  };
  struct Info {
    int count = 0;
    Entry entries[NetDef::MaxList16];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.list16(i.count, i.entries, [](auto& entryIo, auto& e) {
      entryIo.number(e.room);
      entryIo.u8(e.kind);
      entryIo.text(e.name);
      entryIo.u8(e.passwordFlag);
      entryIo.u32(e.teamId);
    });
  }
};

struct GmRoomUsers : Codec<GmRoomUsers> {
  static constexpr uint8_t Type = NetDef::GmRoomUsers;
  struct Entry {
    int16_t room = 0;
    int16_t userCount = 0;
  };
  struct Info {
    int count = 0;
    Entry entries[NetDef::MaxList16];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.list16(i.count, i.entries, [](auto& entryIo, auto& e) {
      entryIo.number(e.room);
      entryIo.i16(e.userCount);
    });
  }
};

struct GmCreateRoom : Codec<GmCreateRoom> {
  static constexpr uint8_t Type = NetDef::GmCreateRoom;
  struct Info {
    uint8_t kind = NetDef::ChatRoomKind;
    char name[NetDef::NameBytes + 1] = {};
    char password[NetDef::PasswordBytes + 1] = {};
    uint32_t teamId = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u8(i.kind);
    io.text(i.name);
    io.text(i.password);
    io.u32(i.teamId);
  }
};

// Status and message only: the answers to room creation.
struct GmACreateRoom : Codec<GmACreateRoom> {
  static constexpr uint8_t Type = NetDef::GmACreateRoom;
  struct Info {
    uint8_t status = 0;
    char message[NetDef::MessageBytes + 1] = {};
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u8(i.status);
    io.text(i.message);
  }
};

struct GmEnterRoom : Codec<GmEnterRoom> {
  static constexpr uint8_t Type = NetDef::GmEnterRoom;
  struct Info {
    int16_t room = 0;
    char name[NetDef::NameBytes + 1] = {};
    char password[NetDef::PasswordBytes + 1] = {};
    uint32_t teamId = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
    io.text(i.name);
    io.text(i.password);
    io.u32(i.teamId);
  }
};

struct GmAEnterRoom : Codec<GmAEnterRoom> {
  static constexpr uint8_t Type = NetDef::GmAEnterRoom;
  struct Info {
    int16_t room = 0;
    uint8_t status = 0;
    char message[NetDef::MessageBytes + 1] = {};
    char password[NetDef::PasswordBytes + 1] = {};
    uint32_t teamId = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
    io.u8(i.status);
    io.text(i.message);
    io.text(i.password);
    io.u32(i.teamId);
  }
};

struct GmLeaveRoom : Codec<GmLeaveRoom> {
  static constexpr uint8_t Type = NetDef::GmLeaveRoom;
  struct Info {
    int16_t room = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
  }
};

struct GmUserEnter : Codec<GmUserEnter> {
  static constexpr uint8_t Type = NetDef::GmUserEnter;
  struct Entry {
    int16_t clientId = 0;
    uint32_t userNumber = 0;
    char name[NetDef::NameBytes + 1] = {};
    NetDef::UserLevel level = 0;
  };
  struct Info {
    int16_t room = 0;
    int count = 0;
    Entry entries[NetDef::MaxList16];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
    io.list16(i.count, i.entries, [](auto& entryIo, auto& e) {
      entryIo.i16(e.clientId);
      entryIo.u32(e.userNumber);
      entryIo.text(e.name);
      entryIo.u8(e.level);
    });
  }
};

struct GmUserLeave : Codec<GmUserLeave> {
  static constexpr uint8_t Type = NetDef::GmUserLeave;
  struct Entry {
    int16_t room = 0;
    int16_t clientId = 0;
  };
  struct Info {
    int count = 0;
    Entry entries[NetDef::MaxList16];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.list16(i.count, i.entries, [](auto& entryIo, auto& e) {
      entryIo.number(e.room);
      entryIo.i16(e.clientId);
    });
  }
};

struct GmUserChange : Codec<GmUserChange> {
  static constexpr uint8_t Type = NetDef::GmUserChange;
  struct Info {
    int16_t room = 0;
    int16_t clientId = 0;
    NetDef::UserLevel level = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
    io.i16(i.clientId);
    io.u8(i.level);
  }
};

// One chat line. The client sends name empty and kind 0; the server fills both.
struct GmTalk : Codec<GmTalk> {
  static constexpr uint8_t Type = NetDef::GmTalk;
  struct Info {
    int16_t room = 0;
    int16_t sender = 0;
    char name[NetDef::NameBytes + 1] = {};
    char text[NetDef::TalkBytes + 1] = {};
    uint8_t kind = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
    io.i16(i.sender);
    io.text(i.name);
    io.text(i.text);
    io.u8(i.kind);
  }
};

// ---------------------------------------------------------------- stadiums

struct GmStadiumAdd : Codec<GmStadiumAdd> {
  static constexpr uint8_t Type = NetDef::GmStadiumAdd;
  struct Entry {
    uint32_t id = 0;
    char name[NetDef::StadiumNameBytes + 1] = {};
    uint8_t address[4] = {};
    uint16_t port = 0;
    uint8_t spare = 0;
    uint8_t playable = 0;
  };
  struct Info {
    int count = 0;
    Entry entries[NetDef::MaxStadiumList];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.list8(i.count, i.entries, [](auto& entryIo, auto& e) {
      entryIo.u32(e.id);
      entryIo.text(e.name);
      entryIo.u8x4(e.address);
      entryIo.u16(e.port);
      entryIo.u8(e.spare);
      entryIo.u8(e.playable);
    });
  }
};

struct GmStadiumDelete : Codec<GmStadiumDelete> {
  static constexpr uint8_t Type = NetDef::GmStadiumDelete;
  struct Info {
    int count = 0;
    uint32_t ids[NetDef::MaxStadiumList] = {};
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.list8(i.count, i.ids, [](auto& entryIo, auto& id) { entryIo.u32(id); });
  }
};

struct GmStadiumState : Codec<GmStadiumState> {
  static constexpr uint8_t Type = NetDef::GmStadiumState;
  struct Entry {
    uint32_t id = 0;
    uint8_t count1 = 0;
    uint8_t count2 = 0;
    uint8_t count3 = 0;
    uint8_t waitingCount = 0;
    uint8_t homeScore = 0;
    uint8_t awayScore = 0;
    uint8_t state = 0;
    int16_t clock = 0;
  };
  struct Info {
    int count = 0;
    Entry entries[NetDef::MaxStadiumList];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.list8(i.count, i.entries, [](auto& entryIo, auto& e) {
      entryIo.u32(e.id);
      entryIo.u8(e.count1);
      entryIo.u8(e.count2);
      entryIo.u8(e.count3);
      entryIo.u8(e.waitingCount);
      entryIo.u8(e.homeScore);
      entryIo.u8(e.awayScore);
      entryIo.u8(e.state);
      entryIo.i16(e.clock);
    });
  }
};

struct GmStadiumTeams : Codec<GmStadiumTeams> {
  static constexpr uint8_t Type = NetDef::GmStadiumTeams;
  struct Entry {
    uint32_t id = 0;
    uint32_t homeTeamId = 0;
    char homeTeamName[NetDef::NameBytes + 1] = {};
    uint32_t awayTeamId = 0;
    char awayTeamName[NetDef::NameBytes + 1] = {};
  };
  struct Info {
    int count = 0;
    Entry entries[NetDef::MaxStadiumList];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.list8(i.count, i.entries, [](auto& entryIo, auto& e) {
      entryIo.u32(e.id);
      entryIo.u32(e.homeTeamId);
      entryIo.text(e.homeTeamName);
      entryIo.u32(e.awayTeamId);
      entryIo.text(e.awayTeamName);
    });
  }
};

// The client sends action 1 (wait) or 2 (cancel) in `event`; the server answers
// with events 2..5 in the same layout.
struct GmWaiting : Codec<GmWaiting> {
  static constexpr uint8_t Type = NetDef::GmWaiting;
  struct Info {
    uint32_t stadiumId = 0;
    uint8_t event = 0;
    char text[NetDef::MessageBytes + 1] = {};
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u32(i.stadiumId);
    io.u8(i.event);
    io.text(i.text);
  }
};

// ---------------------------------------------------------------- formation

struct GmFormationOpen : Codec<GmFormationOpen> {
  static constexpr uint8_t Type = NetDef::GmFormationOpen;
  struct Info {
    int16_t room = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
  }
};

struct GmFormationClose : Codec<GmFormationClose> {
  static constexpr uint8_t Type = NetDef::GmFormationClose;
  struct Info {
    int16_t room = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
  }
};

struct GmFormationAOpen : Codec<GmFormationAOpen> {
  static constexpr uint8_t Type = NetDef::GmFormationAOpen;
  struct Info {
    int16_t room = 0;
    uint8_t result = 0;
    uint8_t spare = 0;
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.number(i.room);
    io.u8(i.result);
    io.u8(i.spare);
  }
};

struct GmFormationInfo : Codec<GmFormationInfo> {
  static constexpr uint8_t Type = NetDef::GmFormationInfo;
  static constexpr uint8_t PlayersMask = 0x0F;
  static constexpr uint8_t HasPosition = 0x10;
  static constexpr uint8_t HasPosType = 0x20;
  static constexpr uint8_t HasName = 0x40;
  struct Entry {
    uint8_t index = 0;
    int16_t x = 0;
    int16_t y = 0;
    uint8_t posType = 0;
    char name[NetDef::SlotNameBytes + 1] = {};
  };
  struct Info {
    int16_t sender = 0;
    int16_t room = 0;
    uint8_t flags = 0;
    int count = 0;
    Entry entries[NetDef::MaxFormationEntries];
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.i16(i.sender);
    io.number(i.room);
    io.u8(i.flags);
    const uint8_t flags = i.flags;
    io.list8(i.count, i.entries, [flags](auto& entryIo, auto& e) {
      entryIo.u8(e.index);
      if (flags & HasPosition) {
        entryIo.i16(e.x);
        entryIo.i16(e.y);
      }
      if (flags & HasPosType) entryIo.u8(e.posType);
      if (flags & HasName) entryIo.text(e.name);
    });
  }
};

struct GmFormationFile : Codec<GmFormationFile> {
  static constexpr uint8_t Type = NetDef::GmFormationFile;
  static constexpr uint8_t ActionLoad = 1;
  static constexpr uint8_t ActionSave = 3;
  static constexpr uint8_t ActionUpdated = 4;
  struct Info {
    uint8_t action = 0;
    uint8_t result = 0;
    int16_t room = 0;
    uint8_t playersPerSide = 0;
    uint8_t reserved = 0;
    char text[NetDef::FormationTextBytes + 1] = {};
  };
  template <class Io, class I>
  static void fields(Io& io, I& i) {
    io.u8(i.action);
    io.u8(i.result);
    io.number(i.room);
    io.u8(i.playersPerSide);
    io.u8(i.reserved);
    io.text(i.text);
  }
};

// ---------------------------------------------------------------- catalogue

// Calls f.template operator()<Codec>() for the codec of `type`; returns false for
// a type that is not in the catalogue.
template <class F>
bool VisitMessageType(uint8_t type, F&& f) {
  switch (type) {
#define TURFWING_MESSAGE_VISIT(t, name, dir) \
  case t:                                    \
    f.template operator()<name>();           \
    return true;
    TURFWING_MESSAGES(TURFWING_MESSAGE_VISIT)
#undef TURFWING_MESSAGE_VISIT
    default:
      return false;
  }
}

#define TURFWING_MESSAGE_TYPE_CHECK(t, name, dir) \
  static_assert(name::Type == t, #name " type number must match the catalogue");
TURFWING_MESSAGES(TURFWING_MESSAGE_TYPE_CHECK)
#undef TURFWING_MESSAGE_TYPE_CHECK

// One packet shared by every codec: received frames are loaded into it and
// outgoing messages are built in it.
class NetMessageSet {
 public:
  NetPacket& packet() { return packet_; }
  const NetPacket& packet() const { return packet_; }

  template <class M>
  bool encode(const typename M::Info& info) {
    return M::encode(packet_, info);
  }
  template <class M>
  bool decode(typename M::Info& info) const {
    return M::decode(packet_, info);
  }

 private:
  NetPacket packet_;
};
