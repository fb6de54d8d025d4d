#pragma once
// Every message kind of the lobby protocol, once. Type numbers never change.
//
//   X(type, codec, direction)   direction: ToServer, ToClient or Both
//
// The NetDef::MessageType constants, the codec visitor below and both peers'
// dispatch switches are generated from or checked against this table.

#include <cstdint>

#define TURFWING_MESSAGES(X)         \
  X(1, GmReady, ToServer)            \
  X(2, GmAReady, ToClient)           \
  X(3, GmLife, ToClient)             \
  X(4, GmClose, ToClient)            \
  X(10, GmConnect, ToServer)         \
  X(11, GmAConnect, ToClient)        \
  X(12, GmUserCount, ToClient)       \
  X(13, GmRoomList, ToClient)        \
  X(14, GmRoomListRequest, ToServer) \
  X(15, GmRoomUsers, ToClient)       \
  X(16, GmCreateRoom, ToServer)      \
  X(17, GmACreateRoom, ToClient)     \
  X(18, GmEnterRoom, ToServer)       \
  X(19, GmAEnterRoom, ToClient)      \
  X(20, GmLeaveRoom, ToServer)       \
  X(21, GmUserEnter, ToClient)       \
  X(22, GmUserLeave, ToClient)       \
  X(23, GmTalk, Both)                \
  X(24, GmStadiumAdd, ToClient)      \
  X(25, GmStadiumDelete, ToClient)   \
  X(26, GmStadiumState, ToClient)    \
  X(27, GmStadiumTeams, ToClient)    \
  X(28, GmWaiting, Both)             \
  X(29, GmUserChange, ToClient)      \
  X(30, GmFormationOpen, ToServer)   \
  X(31, GmFormationAOpen, ToClient)  \
  X(32, GmFormationClose, ToServer)  \
  X(33, GmFormationInfo, Both)       \
  X(34, GmFormationFile, Both)       \
  X(50, GmPing, ToServer)            \
  X(51, GmAPing, ToClient)

namespace NetDef {

enum class Direction : uint8_t { ToServer, ToClient, Both };

enum MessageType : uint8_t {
#define TURFWING_MESSAGE_ENUM(type, name, dir) name = type,
  TURFWING_MESSAGES(TURFWING_MESSAGE_ENUM)
#undef TURFWING_MESSAGE_ENUM
};

// True when a peer receiving in `receiving` takes messages that travel `dir`.
constexpr bool Receives(Direction receiving, Direction dir) { return dir == Direction::Both || dir == receiving; }

// True when a peer receiving in the given direction accepts this type.
constexpr bool Accepts(Direction receiving, uint8_t type) {
  switch (type) {
#define TURFWING_MESSAGE_ACCEPT(t, name, dir) \
  case t:                                     \
    return Receives(receiving, Direction::dir);
    TURFWING_MESSAGES(TURFWING_MESSAGE_ACCEPT)
#undef TURFWING_MESSAGE_ACCEPT
    default:
      return false;
  }
}

}  // namespace NetDef
