#pragma once
// Network definitions shared by the client and the development lobby server.

#include <cstdint>

namespace NetDef {

// The client's program version: shown in the title and sent in GmReady.
inline constexpr int16_t VersionMajor = 2;
inline constexpr int16_t VersionMinor = 18;
inline constexpr int16_t VersionBuild = 55;
inline constexpr uint8_t MachineKind = 1;

// The private talk tab lives only on the client; the server addresses it as this room.
inline constexpr int16_t PrivateTalkRoom = 9999;

// A member's level; 0 is an ordinary member.
using UserLevel = uint8_t;

// Field capacities in bytes (the Info arrays hold one more for the terminator).
inline constexpr int NameBytes = 18;
inline constexpr int PasswordBytes = 12;
inline constexpr int TalkBytes = 150;
inline constexpr int MessageBytes = 150;
inline constexpr int StadiumNameBytes = 32;
inline constexpr int SlotNameBytes = 4;
inline constexpr int FormationTextBytes = 250;

// List clamps: 16-bit counts hold 40 entries, stadium lists 20, formation entries 23.
inline constexpr int MaxList16 = 40;
inline constexpr int MaxStadiumList = 20;
inline constexpr int MaxFormationEntries = 23;

enum TalkKind : uint8_t {
  TalkNormal = 0,
  TalkNotice1 = 1,
  TalkNotice2 = 2,
  TalkPrivate = 3,
  TalkNotice4 = 4,
  TalkPrivateEcho = 5,
};

}  // namespace NetDef
