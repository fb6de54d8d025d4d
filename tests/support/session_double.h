#pragma once
// The lobby session as the windows' tests use it: the real LobbySession with
// its subscriptions and send(), but no socket. It is logged in from the start,
// records every frame the windows send, and delivers the messages a test hands
// it to the subscribers exactly as the frame loop does.

#include <string>
#include <vector>

#include "net/net_messages.h"
#include "session/lobby_session.h"

class SessionDouble : public LobbySession {
 public:
  SessionDouble() {
    setState(State::LoggedIn);
    setIdentity(1, "abc");
  }

  std::vector<NetPacket> sent;

  void setOpen(bool open) { setState(open ? State::LoggedIn : State::Idle); }
  // The connection ends as a real one does, with closed().
  void drop() { endConnection(); }
  void setClientId(int16_t clientId) { setIdentity(clientId, playerName()); }
  void setPlayerName(std::string name) { setIdentity(clientId(), std::move(name)); }

  // Encodes the message and hands its frame to the subscribers; false when it
  // does not encode.
  template <class M>
  bool deliver(const typename M::Info& info) {
    NetPacket packet;
    if (!M::encode(packet, info)) return false;
    receive(packet);
    return true;
  }
  // A frame as the server sent it, whatever it holds.
  void deliverFrame(const NetPacket& packet) { receive(packet); }

  // The sent messages of one kind, decoded.
  template <class M>
  std::vector<typename M::Info> Sent() const {
    std::vector<typename M::Info> out;
    for (const NetPacket& p : sent) {
      typename M::Info info;
      if (p.type() == M::Type && M::decode(p, info)) out.push_back(info);
    }
    return out;
  }
  // Every sent frame's bytes as they would go on the wire.
  std::vector<std::vector<uint8_t>> SentBytes() const {
    std::vector<std::vector<uint8_t>> frames;
    for (const NetPacket& p : sent) frames.emplace_back(p.frame_bytes(), p.frame_bytes() + p.wire_length());
    return frames;
  }
  std::vector<uint8_t> SentTypes() const {
    std::vector<uint8_t> types;
    for (const NetPacket& p : sent) types.push_back(p.type());
    return types;
  }
  // How many sent messages are of another kind than M.
  template <class M>
  int SentOther() const {
    int n = 0;
    for (const NetPacket& p : sent) n += p.type() != M::Type ? 1 : 0;
    return n;
  }

 protected:
  void transmit(const NetPacket& packet) override { sent.push_back(packet); }
};
