// Long runs: many sessions one after another, and a stream of mixed messages
// through the shown window. Leaks show under LeakSanitizer (the asan preset)
// and as resident memory growth here.
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <random>
#include <set>
#include <vector>

#include "hostile_fixture.h"
#include "main_window_parts.h"

namespace {

using SoakTest = HostileServerTest;

// Resident memory of this process in KiB; -1 where /proc is not there.
long ResidentKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

bool UnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#endif
#endif
  return false;
}

TEST_F(SoakTest, ThousandSessionsDoNotGrowResidentMemory) {
  const auto cycle = [&](int i) {
    ASSERT_TRUE(ConnectClient()) << "cycle " << i;
    ASSERT_TRUE(Deliver(LoginSession())) << "cycle " << i;
    ASSERT_EQ(Child<QTabWidget>(form, "PageControl1")->count(), 2) << "cycle " << i;
    server.dropClient();
    ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); })) << "cycle " << i;
    // Closed tabs go with deferred deletes; let them run as the idle loop would.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  };
  // Warm up: fonts, icons, caches and the allocator's pools fill on the first sessions.
  for (int i = 0; i < 50; ++i) ASSERT_NO_FATAL_FAILURE(cycle(i));
  const long before = ResidentKiB();
  for (int i = 0; i < 1000; ++i) ASSERT_NO_FATAL_FAILURE(cycle(i));
  const long after = ResidentKiB();
  std::printf("[ resident ] before %ld KiB, after 1000 sessions %ld KiB (%+ld KiB)\n", before, after, after - before);
  RecordProperty("resident_before_kib", static_cast<int>(before));
  RecordProperty("resident_after_kib", static_cast<int>(after));
  EXPECT_TRUE(platform.boxes.empty());
  if (before < 0 || UnderSanitizer()) return;  // the sanitizer's quarantine holds freed memory on purpose
  // A leak of a few KiB per session would show as megabytes here.
  EXPECT_LT(after - before, 4 * 1024);
}

TEST_F(SoakTest, TwoHundredThousandMixedMessagesThroughTheShownWindow) {
  form.resize(800, 600);
  form.show();
  ASSERT_TRUE(ConnectClient());
  ASSERT_TRUE(Deliver(LoginSession()));
  TChatSheet* lobby = Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kLobby);
  TChatSheet* second = Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kSecondRoom);
  ASSERT_NE(lobby, nullptr);
  ASSERT_NE(second, nullptr);
  const int lobbyLines = lobby->Frame()->EditLog()->LineCount();
  const int lobbyMembers = lobby->Frame()->UserRowCount();

  std::mt19937 random(20261208);
  constexpr int kTotal = 200000;
  constexpr int kBatch = 2000;
  int talkToLobby = 0;
  int entered = 0;
  int left = 0;
  uint8_t lastHomeScore = 0;
  std::vector<int16_t> guests;
  std::set<int16_t> present;
  int16_t nextGuest = 1000;
  QElapsedTimer timer;
  timer.start();
  for (int sent = 0; sent < kTotal;) {
    QByteArray batch;
    for (int i = 0; i < kBatch - 1; ++i, ++sent) {
      const int kind = static_cast<int>(random() % 10);
      if (kind < 4) {
        GmTalk::Info talk;
        talk.room = (kind == 0) ? kSecondRoom : kLobby;
        talk.sender = 301;
        CopyText(talk.name, Sjis("ストライカー").c_str());
        CopyText(
            talk.text,
            Sjis(("速報 " + std::to_string(sent) + " http://example.com/" + std::to_string(sent)).c_str()).c_str());
        if (talk.room == kLobby) ++talkToLobby;
        batch += FrameOf<GmTalk>(talk);
      } else if (kind < 7) {
        GmStadiumState::Info state;
        state.count = 2;
        lastHomeScore = static_cast<uint8_t>(sent % 10);
        state.entries[0] = {10, 3, 4, 1, 2, lastHomeScore, 1, 2, static_cast<int16_t>(sent % 5400)};
        state.entries[1] = {11, 1, 0, 0, 1, 0, 0, 1, 0};
        batch += FrameOf<GmStadiumState>(state);
      } else if (kind < 9 && guests.size() < 500) {
        GmUserEnter::Info member;
        member.room = kLobby;
        member.count = 1;
        do nextGuest = static_cast<int16_t>(nextGuest >= 30000 ? 1000 : nextGuest + 1);
        while (present.contains(nextGuest));
        member.entries[0].clientId = nextGuest;
        CopyText(member.entries[0].name, Sjis(("客" + std::to_string(nextGuest)).c_str()).c_str());
        guests.push_back(nextGuest);
        present.insert(nextGuest);
        ++entered;
        batch += FrameOf<GmUserEnter>(member);
      } else if (!guests.empty() && (kind < 9 || sent % 2 == 0)) {
        // Someone from the middle of the list leaves.
        const size_t at = random() % guests.size();
        GmUserLeave::Info leave;
        leave.count = 1;
        leave.entries[0] = {kLobby, guests[at]};
        present.erase(guests[at]);
        guests[at] = guests.back();
        guests.pop_back();
        ++left;
        batch += FrameOf<GmUserLeave>(leave);
      } else {
        GmUserChange::Info change;
        change.room = kLobby;
        change.clientId = 303;
        change.level = static_cast<uint8_t>(sent % 2);
        batch += FrameOf<GmUserChange>(change);
      }
    }
    // The batch's last frame is a mark the test can see arrive.
    const int16_t mark = static_cast<int16_t>(1 + (sent / kBatch) % 30000);
    batch += FrameOf<GmUserCount>({mark});
    ++sent;
    server.sendRaw(batch);
    const QString title = QStringLiteral(" - %1人").arg(mark);
    ASSERT_TRUE(WaitUntil([&] { return form.windowTitle().endsWith(title); }, 60000)) << "at " << sent;
    ASSERT_TRUE(form.session().isOpen());
  }
  const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
  std::printf("[ messages ] %d in %.1f s (%.0f/s) through the shown window\n", kTotal, seconds, kTotal / seconds);

  EXPECT_EQ(lobby->Frame()->EditLog()->LineCount(), lobbyLines + talkToLobby);
  EXPECT_EQ(lobby->Frame()->UserRowCount(), lobbyMembers + entered - left);
  const StadiumRow* row = Child<TGameListPanel>(form, "PanelGameList")->FindStadiumRow(10);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->state.homeScore, lastHomeScore);
  EXPECT_TRUE(platform.boxes.empty());
  form.hide();
  EXPECT_TRUE(UsableAfterwards());
}

}  // namespace
