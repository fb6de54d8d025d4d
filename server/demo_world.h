#pragma once
// The demo world of turfwing-lobbyd --demo: a few rooms, chatting members in the
// lobby, stadiums whose matches play through every phase on the world's clock,
// and a stadium that opens and closes now and then.

#include <cstdint>
#include <vector>

#include "server/lobby_world.h"

class DemoWorld {
 public:
  static constexpr uint32_t SpectatorStadiumId = 103;
  static constexpr uint32_t TestStadiumId = 104;
  static constexpr uint32_t ComingAndGoingStadiumId = 105;
  static constexpr int64_t StepMs = 1000;             // one match step
  static constexpr int64_t ChatterMs = 9000;          // one demo line
  static constexpr int64_t ComingAndGoingMs = 75000;  // the occasional stadium

  explicit DemoWorld(LobbyWorld& world);
  ~DemoWorld();
  DemoWorld(const DemoWorld&) = delete;
  DemoWorld& operator=(const DemoWorld&) = delete;

  std::vector<int16_t> lobbyMembers() const { return bots_; }

 private:
  struct Match {
    uint32_t id = 0;
    uint8_t phase = 0;
    int ticks = 0;  // steps spent in this phase
    int16_t clock = 0;
    uint8_t home = 0;
    uint8_t away = 0;
    int teamPair = 0;
  };
  void step();
  void stepMatch(Match& m);
  void chatter();
  void toggleStadium();
  GmStadiumState::Entry stateOf(const Match& m) const;
  GmStadiumTeams::Entry teamsOf(const Match& m) const;
  StadiumSetup specOf(const Match& m, const char* utf8Name, uint16_t port) const;
  uint32_t random(uint32_t below);

  LobbyWorld& world_;
  std::vector<Match> matches_;
  std::vector<int16_t> bots_;
  uint32_t seed_ = 20261208u;
  int line_ = 0;
  int announce_ = 0;
  ServerClock::TimerId stepTimer_ = 0;
  ServerClock::TimerId chatterTimer_ = 0;
  ServerClock::TimerId toggleTimer_ = 0;
};
