#pragma once
// One row of the stadium list: the three entries the server sent for a stadium
// (announcement, state, teams), and the texts the list shows for it.

#include <array>
#include <cstdint>
#include <string>

#include "net/net_messages.h"

struct StadiumRow {
  GmStadiumAdd::Entry stadium;  // from GmStadiumAdd; `id` is the row's identity
  GmStadiumState::Entry state;  // zero until the first GmStadiumState
  GmStadiumTeams::Entry teams;  // zero and empty until the first GmStadiumTeams
};

inline constexpr int StadiumColumnCount = 7;

// Column 0 is the caption (the stadium name), columns 1 to 6 the sub-items:
// home team, score, away team, phase and clock, people, people waiting.
// Every text is CP932 bytes.
struct StadiumRowTexts {
  std::array<std::string, StadiumColumnCount> columns;
  const std::string& caption() const { return columns[0]; }
};

StadiumRowTexts RenderStadiumRow(const StadiumRow& row);

// The phase shown for a state code; every code above 8 reads as finished.
const std::string& StadiumPhaseText(uint8_t state);
// True for the codes whose phase shows the running clock (the halves).
bool StadiumPhaseShowsClock(uint8_t state);
// "%02d:%02d" of the clock's minutes and seconds, each truncated toward zero,
// so -75 reads "-1:-15".
std::string StadiumClockText(int16_t clock);

// The stadium name up to its terminator (never past the array).
std::string StadiumName(const StadiumRow& row);
// "%d.%d.%d.%d" of the game server's address, first octet first.
std::string StadiumAddressText(const StadiumRow& row);
// Test stadiums carry "βテスト" in their name and start the test build of the game.
bool IsTestStadium(const StadiumRow& row);
