#include "server/demo_world.h"

#include <iterator>
#include <string>

#include "net/net_def.h"
#include "server/world_text.h"

using world_text::J;

namespace {

constexpr const char* TeamNames[] = {"ターフFC",         "港北ユナイテッド", "北風シティ",
                                     "南海ローヴァーズ", "山手アスレチック", "青葉SC"};
constexpr int TeamCount = static_cast<int>(std::size(TeamNames));

constexpr const char* BotNames[] = {"ケンタ", "ミサキ", "ゆうすけ", "Coach_K"};

constexpr const char* Lines[] = {
    "こんにちは！",
    "誰か一緒に試合しませんか？",
    "国立スタジアムで待機中です",
    "さっきのゴールすごかった",
    "フォーメーション変えてみようかな",
    "βテスト競技場、動きが軽いね",
    "3バックが好きです",
    "おつかれさまです",
    "GK やってくれる人いませんか",
    "延長までもつれたね",
    "ターフFCの部屋で作戦会議しよう",
    "また明日！",
};

// Match phases as the stadium list shows them.
enum : uint8_t {
  BeforeMatch = NetDef::PhaseBeforeMatch,
  FirstHalf = NetDef::PhaseFirstHalf,
  HalfTime = NetDef::PhaseHalfTime,
  SecondHalf = NetDef::PhaseSecondHalf,
  ExtraTime = NetDef::PhaseExtraTime,
  ExtraFirst = NetDef::PhaseExtraFirstHalf,
  ExtraHalf = NetDef::PhaseExtraHalfTime,
  ExtraSecond = NetDef::PhaseExtraSecondHalf,
  Penalties = NetDef::PhasePenalties,
  FullTime = NetDef::PhaseFullTime
};
constexpr int16_t ClockStep = 45;  // game seconds per step: a half takes a minute
constexpr int16_t HalfLength = 2700;
constexpr int16_t ExtraLength = 900;

}  // namespace

DemoWorld::DemoWorld(LobbyWorld& world) : world_(world) {
  const uint32_t team = world_.options().demoTeamId;
  world_.addRoom(J("雑談部屋"), "", 0);
  world_.addRoom(J("秘密の部屋"), "himitsu1", 0);
  world_.addRoom(J("ターフFC控室"), "", team);

  uint32_t number = 900001;
  for (const char* name : BotNames) {
    const int16_t id = world_.addBot(J(name), number++, 0, J("（自動応答）いまは観戦中です。あとで返事しますね！"));
    if (id == 0) continue;
    world_.botEnter(id, LobbyWorld::LobbyRoom);
    bots_.push_back(id);
  }

  // Three matches at different moments, a spectators' stadium, one on trial.
  Match a{101, FirstHalf, 0, 1260, 1, 0, 0};
  Match b{102, BeforeMatch, 5, 0, 0, 0, 1};
  Match c{SpectatorStadiumId, BeforeMatch, 0, 0, 0, 0, 2};
  Match d{TestStadiumId, SecondHalf, 0, 4500, 2, 2, 3};
  Match e{ComingAndGoingStadiumId, BeforeMatch, 0, 0, 0, 0, 4};
  matches_ = {a, b, c, d, e};
  world_.putStadium(specOf(matches_[0], "国立スタジアム", 5101));
  world_.putStadium(specOf(matches_[1], "港町アリーナ", 5102));
  world_.putStadium(specOf(matches_[2], "観戦ドーム", 5103));
  world_.putStadium(specOf(matches_[3], "βテスト競技場", 5104));
  world_.putStadium(specOf(matches_[4], "河川敷グラウンド", 5105));

  ServerClock& clock = world_.clock();
  stepTimer_ = clock.every(StepMs, [this] { step(); });
  chatterTimer_ = clock.every(ChatterMs, [this] { chatter(); });
  toggleTimer_ = clock.every(ComingAndGoingMs, [this] { toggleStadium(); });
}

DemoWorld::~DemoWorld() {
  ServerClock& clock = world_.clock();
  clock.cancel(stepTimer_);
  clock.cancel(chatterTimer_);
  clock.cancel(toggleTimer_);
}

uint32_t DemoWorld::random(uint32_t below) {
  seed_ = seed_ * 1664525u + 1013904223u;
  return (seed_ >> 8) % below;
}

StadiumSetup DemoWorld::specOf(const Match& m, const char* utf8Name, uint16_t port) const {
  StadiumSetup setup;
  setup.info.id = m.id;
  CopyText(setup.info.name, J(utf8Name).c_str());
  setup.info.address[0] = 127;
  setup.info.address[3] = 1;
  setup.info.port = port;
  setup.info.playable = m.id == SpectatorStadiumId ? 0 : 1;
  setup.state = stateOf(m);
  setup.teams = teamsOf(m);
  setup.matchSize = 18;
  return setup;
}

GmStadiumState::Entry DemoWorld::stateOf(const Match& m) const {
  GmStadiumState::Entry e;
  e.id = m.id;
  if (m.id == SpectatorStadiumId) {
    e.count3 = static_cast<uint8_t>(20 + (m.ticks * 7) % 17);  // spectators come and go
    return e;
  }
  // Before a match one seat is free, so a wait fills it.
  e.count1 = 9;
  e.count2 = m.phase == BeforeMatch ? 8 : 9;
  e.homeScore = m.home;
  e.awayScore = m.away;
  e.state = m.phase;
  e.clock = m.clock;
  return e;
}

GmStadiumTeams::Entry DemoWorld::teamsOf(const Match& m) const {
  GmStadiumTeams::Entry e;
  e.id = m.id;
  if (m.id == SpectatorStadiumId) return e;
  const int home = m.teamPair % TeamCount;
  const int away = (home + 1 + (m.teamPair / TeamCount) % (TeamCount - 1)) % TeamCount;
  e.homeTeamId = 7001 + static_cast<uint32_t>(home);
  e.awayTeamId = 7001 + static_cast<uint32_t>(away);
  CopyText(e.homeTeamName, J(TeamNames[home]).c_str());
  CopyText(e.awayTeamName, J(TeamNames[away]).c_str());
  return e;
}

void DemoWorld::stepMatch(Match& m) {
  ++m.ticks;
  auto next = [&m](uint8_t phase) {
    m.phase = phase;
    m.ticks = 0;
  };
  auto play = [&](int16_t end) {
    m.clock = static_cast<int16_t>(m.clock + ClockStep);
    const uint32_t r = random(30);
    if (r == 0 && m.home < 99) ++m.home;
    if (r == 1 && m.away < 99) ++m.away;
    return m.clock >= end;
  };
  switch (m.phase) {
    case BeforeMatch:
      if (m.ticks >= 15) {
        next(FirstHalf);
        m.clock = 0;
        m.home = m.away = 0;
      }
      break;
    case FirstHalf:
      if (play(HalfLength)) next(HalfTime);
      break;
    case HalfTime:
      if (m.ticks >= 8) next(SecondHalf);
      break;
    case SecondHalf:
      if (play(2 * HalfLength)) next(m.home == m.away ? ExtraTime : FullTime);
      break;
    case ExtraTime:
      if (m.ticks >= 5) next(ExtraFirst);
      break;
    case ExtraFirst:
      if (play(2 * HalfLength + ExtraLength)) next(ExtraHalf);
      break;
    case ExtraHalf:
      if (m.ticks >= 4) next(ExtraSecond);
      break;
    case ExtraSecond:
      if (play(2 * HalfLength + 2 * ExtraLength)) next(m.home == m.away ? Penalties : FullTime);
      break;
    case Penalties:
      if (m.ticks >= 6) {
        // The shoot-out decides it; the winner's score shows one more.
        if (random(2) == 0) {
          ++m.home;
        } else {
          ++m.away;
        }
        next(FullTime);
      }
      break;
    default:
      if (m.ticks >= 10) {
        next(BeforeMatch);
        m.clock = 0;
        m.home = m.away = 0;
        ++m.teamPair;
        world_.setStadiumTeams({teamsOf(m)});
      }
      break;
  }
}

void DemoWorld::step() {
  std::vector<GmStadiumState::Entry> states;
  for (Match& m : matches_) {
    if (m.id == SpectatorStadiumId) {
      ++m.ticks;
    } else {
      stepMatch(m);
    }
    if (world_.hasStadium(m.id)) states.push_back(stateOf(m));
  }
  world_.setStadiumStates(states);
}

void DemoWorld::chatter() {
  if (bots_.empty()) return;
  const int16_t bot = bots_[static_cast<size_t>(line_) % bots_.size()];
  world_.botSay(bot, LobbyWorld::LobbyRoom, J(Lines[static_cast<size_t>(line_) % std::size(Lines)]));
  ++line_;
  // Every twentieth line the operators have something to say.
  if (++announce_ % 20 == 0) world_.announce(J("【お知らせ】βテスト競技場では新しい試合形式を試験中です"));
}

void DemoWorld::toggleStadium() {
  for (Match& m : matches_) {
    if (m.id != ComingAndGoingStadiumId) continue;
    if (world_.hasStadium(m.id)) {
      world_.removeStadium(m.id);
    } else {
      m = Match{m.id, BeforeMatch, 0, 0, 0, 0, m.teamPair + 1};
      world_.putStadium(specOf(m, "河川敷グラウンド", 5105));
    }
  }
}
