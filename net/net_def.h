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

// The room kind of GmCreateRoom and GmRoomList: the lobby is kind 1, every other room kind 2.
inline constexpr uint8_t LobbyRoomKind = 1;
inline constexpr uint8_t ChatRoomKind = 2;

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

// Answer statuses. Every answer uses 0 for success and 1 for "show the text
// sent with it"; the higher values name fixed reasons whose texts the client
// keeps with its windows.
inline constexpr uint8_t StatusOk = 0;
inline constexpr uint8_t StatusServerText = 1;
// GmAReady
inline constexpr uint8_t ReadyNeedsUpdate = 2;
inline constexpr uint8_t ReadyUnsupportedMachine = 3;
inline constexpr uint8_t ReadyTooManyUsers = 4;
// GmAConnect
inline constexpr uint8_t LoginWrongPassword = 2;
inline constexpr uint8_t LoginAddressRefused = 3;
inline constexpr uint8_t LoginNoPermission = 4;
inline constexpr uint8_t LoginTooManyConnections = 5;
// GmACreateRoom
inline constexpr uint8_t CreateRoomOwnLimit = 2;
inline constexpr uint8_t CreateRoomServerFull = 3;
inline constexpr uint8_t CreateRoomNoPermission = 4;
inline constexpr uint8_t CreateRoomNameTaken = 5;
inline constexpr uint8_t CreateRoomNotTeamMember = 6;
// GmAEnterRoom
inline constexpr uint8_t EnterRoomAlreadyIn = 2;
inline constexpr uint8_t EnterRoomWrongPassword = 3;
inline constexpr uint8_t EnterRoomFull = 4;
inline constexpr uint8_t EnterRoomNoPermission = 5;

// GmWaiting: the client's actions, and the events the server reports.
inline constexpr uint8_t WaitingActionWait = 1;
inline constexpr uint8_t WaitingActionCancel = 2;
inline constexpr uint8_t WaitingEnded = 2;
inline constexpr uint8_t WaitingStarted = 3;
inline constexpr uint8_t WaitingFailed = 4;
inline constexpr uint8_t WaitingMatchReady = 5;

// The phase of a stadium's match (GmStadiumState).
enum MatchPhase : uint8_t {
  PhaseBeforeMatch = 0,
  PhaseFirstHalf = 1,
  PhaseHalfTime = 2,
  PhaseSecondHalf = 3,
  PhaseExtraTime = 4,
  PhaseExtraFirstHalf = 5,
  PhaseExtraHalfTime = 6,
  PhaseExtraSecondHalf = 7,
  PhasePenalties = 8,
  PhaseFullTime = 9,  // any value above 8 shows as the end of the match
};

enum TalkKind : uint8_t {
  TalkNormal = 0,
  TalkNotice1 = 1,
  TalkNotice2 = 2,
  TalkPrivate = 3,
  TalkNotice4 = 4,
  TalkPrivateEcho = 5,
};

}  // namespace NetDef
