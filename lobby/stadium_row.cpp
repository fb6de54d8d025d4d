#include "lobby/stadium_row.h"

#include <cstdio>
#include <cstring>

#include "net/net_def.h"
#include "platform/cp932.h"

namespace {

template <size_t N>
std::string FixedText(const char (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

struct Texts {
  std::array<std::string, 10> phases;
  std::string ideographicSpace, person, spectatorOnly, testMark;
  Texts() {
    static const char* const kPhases[10] = {"試合前",   "前半",       "ハーフ",   "後半", "延長戦",
                                            "延長前半", "延長ハーフ", "延長後半", "PK戦", "終了"};
    for (size_t i = 0; i < phases.size(); ++i) phases[i] = cp932::FromUtf8(kPhases[i]);
    ideographicSpace = cp932::FromUtf8("　");
    person = cp932::FromUtf8("人");
    spectatorOnly = cp932::FromUtf8("観戦専用");
    testMark = cp932::FromUtf8("βテスト");
  }
};

const Texts& Fixed() {
  static const Texts texts;
  return texts;
}

}  // namespace

const std::string& StadiumPhaseText(uint8_t state) {
  return Fixed().phases[state <= NetDef::PhasePenalties ? state : uint8_t{NetDef::PhaseFullTime}];
}

bool StadiumPhaseShowsClock(uint8_t state) {
  return state == NetDef::PhaseFirstHalf || state == NetDef::PhaseSecondHalf || state == NetDef::PhaseExtraFirstHalf ||
         state == NetDef::PhaseExtraSecondHalf;
}

std::string StadiumClockText(int16_t clock) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", clock / 60, clock % 60);
  return text;
}

std::string StadiumName(const StadiumRow& row) { return FixedText(row.stadium.name); }

std::string StadiumAddressText(const StadiumRow& row) {
  const uint8_t* a = row.stadium.address;
  char text[20];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
  return text;
}

bool IsTestStadium(const StadiumRow& row) { return StadiumName(row).find(Fixed().testMark) != std::string::npos; }

StadiumRowTexts RenderStadiumRow(const StadiumRow& row) {
  const Texts& fixed = Fixed();
  const GmStadiumState::Entry& s = row.state;
  const int people = s.count1 + s.count2 + s.count3;

  StadiumRowTexts out;
  auto& c = out.columns;
  c[0] = StadiumName(row);
  c[5] = std::to_string(people) + fixed.person;
  if (row.stadium.playable == 0) {
    // A stadium only for watching: no teams, score, phase or queue to show.
    c[1] = c[2] = c[3] = c[6] = "---";
    c[4] = fixed.spectatorOnly;
    return out;
  }
  const std::string home = FixedText(row.teams.homeTeamName);
  const std::string away = FixedText(row.teams.awayTeamName);
  c[1] = home.empty() ? "HOME" : home;
  c[2] = std::to_string(s.homeScore) + " - " + std::to_string(s.awayScore);
  c[3] = away.empty() ? "AWAY" : away;
  // The blank stays even without a clock, so the column looks the same in every phase.
  c[4] = StadiumPhaseText(s.state) + fixed.ideographicSpace;
  if (StadiumPhaseShowsClock(s.state)) c[4] += StadiumClockText(s.clock);
  c[6] = std::to_string(s.waitingCount) + fixed.person;
  return out;
}
