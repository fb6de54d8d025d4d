// Frames a hostile server may send: lengths out of range, messages for rooms,
// stadiums and slots that do not exist, and texts full of markup, control
// bytes and invalid CP932.
#include <QTextLayout>

#include "formation/form_formation.h"
#include "formation/formation_image.h"
#include "hostile_fixture.h"
#include "main_window_parts.h"

namespace {

// Each case runs twice: with the recording platform's boxes, and with real
// message boxes whose nested loops go on reading while they are open.
class HostileContentTest : public HostileServerTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    HostileServerTest::SetUp();
    platform.realBoxes = GetParam();
  }
};

QByteArray RawFrame(uint16_t length, uint8_t type, const QByteArray& payload) {
  QByteArray f;
  f += static_cast<char>(length >> 8);
  f += static_cast<char>(length & 0xFF);
  f += static_cast<char>(type);
  f += payload;
  return f;
}

// A frame whose length field matches what follows.
QByteArray Framed(uint8_t type, const QByteArray& payload) {
  return RawFrame(static_cast<uint16_t>(3 + payload.size()), type, payload);
}

// The log line of Marker("after"): the sender's name comes from the member list.
const QString kMarkerLine = QStringLiteral("ストライカー > after");

QByteArray Marker(const char* text) {
  GmTalk::Info talk;
  talk.room = HostileServerTest::kLobby;
  talk.sender = 301;
  CopyText(talk.name, "marker");
  CopyText(talk.text, text);
  return FrameOf<GmTalk>(talk);
}

// The slots of a board as text, to compare boards by.
std::string SlotsOf(const TeamFormation& f) {
  std::string out = std::to_string(f.SlotCount()) + "/" + std::to_string(f.PlayersPerSide());
  for (int i = 0; i < f.SlotCount(); ++i) {
    const FormationSlot& s = f.Slot(i);
    out += " " + std::to_string(static_cast<int>(s.kind)) + ":" + std::to_string(s.posType) + ":" + s.name + "@" +
           std::to_string(s.x) + "," + std::to_string(s.y);
  }
  return out;
}

TEST_P(HostileContentTest, LengthsOutsideTheFrameRangeCloseTheConnectionQuietly) {
  for (uint16_t length : {0, 1, 2, 1025, 4096, 0xFFFF}) {
    ASSERT_TRUE(ConnectClient());
    ASSERT_TRUE(Deliver(LoginSession()));
    ASSERT_TRUE(Deliver(RawFrame(length, NetDef::GmTalk, QByteArray(8, 'x')) + Marker("after")));
    ASSERT_TRUE(WaitUntil([&] { return !form.session().isOpen(); })) << length;
    EXPECT_EQ(Child<QTabWidget>(form, "PageControl1")->count(), 0) << length;
    EXPECT_TRUE(platform.boxes.empty()) << length;
    EXPECT_TRUE(server.waitForDisconnect()) << length;
  }
  EXPECT_TRUE(UsableAfterwards());
}

TEST_P(HostileContentTest, OversizedAndMalformedFramesAreSkippedAndTheStreamGoesOn) {
  const QString golden = GoldenView();
  ASSERT_TRUE(ConnectClient());
  ASSERT_TRUE(Deliver(LoginSession()));
  QByteArray bad;
  bad += RawFrame(1014, NetDef::GmTalk, QByteArray(1011, '\x81'));  // beyond a packet: skipped whole
  bad += RawFrame(1024, NetDef::GmUserEnter, QByteArray(1021, '\xff'));
  bad += Framed(NetDef::GmTalk, {});                                  // no fields at all
  bad += Framed(NetDef::GmUserEnter, QByteArray("\x00\x00\x00", 3));  // list cut short
  bad += Framed(0, QByteArray(1, '\x01'));                            // unknown types
  bad += Framed(99, QByteArray(1, '\x01'));
  bad += Framed(255, QByteArray(1, '\x01'));
  bad += Framed(NetDef::GmReady, QByteArray(4, '\x01'));  // messages only servers receive
  bad += Framed(NetDef::GmPing, QByteArray(4, '\x01'));
  // Lists that claim more entries than a list can hold.
  bad += Framed(NetDef::GmUserEnter, QByteArray("\x00\x00\xff\xff", 4));
  bad += Framed(NetDef::GmStadiumAdd, QByteArray("\xff\x00\x00", 3));
  ASSERT_TRUE(Deliver(bad + Marker("after")));
  ASSERT_TRUE(WaitUntil([&] { return View().contains(kMarkerLine); }));
  EXPECT_TRUE(form.session().isOpen());
  QString view = View();
  view.remove(QLatin1Char('\n') + kMarkerLine);
  EXPECT_EQ(view, golden);
}

TEST_P(HostileContentTest, MessagesForRoomsStadiumsAndMembersThatDoNotExistChangeNothing) {
  const QString golden = GoldenView();
  ASSERT_TRUE(ConnectClient());
  ASSERT_TRUE(Deliver(LoginSession()));
  QByteArray s;
  for (int16_t room : {int16_t{555}, int16_t{-1}, int16_t{32767}, int16_t{-32768}, NetDef::PrivateTalkRoom}) {
    // (The private talk room's announcements go to the active tab by design.)
    if (room != NetDef::PrivateTalkRoom) {
      GmTalk::Info talk;
      talk.room = room;
      talk.kind = NetDef::TalkNormal;
      CopyText(talk.text, "nowhere");
      s += FrameOf<GmTalk>(talk);
    }
    GmUserEnter::Info members;
    members.room = room;
    members.count = 1;
    members.entries[0].clientId = 999;
    CopyText(members.entries[0].name, "ghost");
    s += FrameOf<GmUserEnter>(members);
    GmUserChange::Info change;
    change.room = room;
    change.clientId = 301;
    change.level = 1;
    s += FrameOf<GmUserChange>(change);
    GmFormationInfo::Info slots;
    slots.room = room;
    slots.flags = GmFormationInfo::HasPosition;
    slots.count = 1;
    slots.entries[0].index = 3;
    s += FrameOf<GmFormationInfo>(slots);
    GmFormationFile::Info file;
    file.action = GmFormationFile::ActionLoad;
    file.room = room;
    s += FrameOf<GmFormationFile>(file);
    GmFormationAOpen::Info open;
    open.room = room;
    open.result = 1;
    s += FrameOf<GmFormationAOpen>(open);
  }
  GmUserLeave::Info leave;
  leave.count = 3;
  leave.entries[0] = {555, 301};
  leave.entries[1] = {kLobby, 4444};
  leave.entries[2] = {kLobby, kClientId + 1};
  s += FrameOf<GmUserLeave>(leave);
  GmStadiumState::Info state;
  state.count = 1;
  state.entries[0] = {999, 9, 9, 9, 9, 9, 9, 2, 99};
  s += FrameOf<GmStadiumState>(state);
  GmStadiumTeams::Info teams;
  teams.count = 1;
  teams.entries[0].id = 999;
  CopyText(teams.entries[0].homeTeamName, "ghost");
  s += FrameOf<GmStadiumTeams>(teams);
  GmStadiumDelete::Info gone;
  gone.count = 2;
  gone.ids[0] = 999;
  gone.ids[1] = 0;
  s += FrameOf<GmStadiumDelete>(gone);
  GmRoomUsers::Info users;
  users.count = 1;
  users.entries[0] = {555, 7};
  s += FrameOf<GmRoomUsers>(users);
  ASSERT_TRUE(Deliver(s + Marker("after")));
  ASSERT_TRUE(WaitUntil([&] { return View().contains(kMarkerLine); }));
  QString view = View();
  view.remove(QLatin1Char('\n') + kMarkerLine);
  EXPECT_EQ(view, golden);
  EXPECT_FALSE(view.contains(QStringLiteral("ghost")));
  EXPECT_FALSE(view.contains(QStringLiteral("nowhere")));

  // The match-ready call for a stadium that is not listed never starts the game.
  GmWaiting::Info ready;
  ready.stadiumId = 999;
  ready.event = 2;
  ASSERT_TRUE(Deliver(FrameOf<GmWaiting>(ready)));
  EXPECT_TRUE(platform.starts.empty());
  EXPECT_TRUE(UsableAfterwards());
}

TEST_P(HostileContentTest, FormationSlotsOutsideTheBoardAreIgnored) {
  ASSERT_TRUE(ConnectClient());
  ASSERT_TRUE(Deliver(LoginSession()));
  TChatSheet* lobby = Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kLobby);
  ASSERT_NE(lobby, nullptr);
  lobby->Frame()->ButtonFormation()->click();
  TFormFormation* board = lobby->Frame()->FormationWindow();
  ASSERT_NE(board, nullptr);
  GmFormationAOpen::Info open;
  open.room = kLobby;
  QByteArray s = FrameOf<GmFormationAOpen>(open);
  const std::string before = SlotsOf(board->Board()->Formation());

  GmFormationInfo::Info slots;
  slots.room = kLobby;
  slots.flags = GmFormationInfo::HasPosition | GmFormationInfo::HasPosType | GmFormationInfo::HasName;
  for (int index : {23, 24, 100, 200, 255}) {
    auto& e = slots.entries[slots.count++];
    e.index = static_cast<uint8_t>(index);
    e.x = 32767;
    e.y = -32768;
    e.posType = 255;
    CopyText(e.name, "\x81\x81\x81\x81");
  }
  s += FrameOf<GmFormationInfo>(slots);
  // A list that claims 255 entries but carries one.
  s += Framed(NetDef::GmFormationInfo, QByteArray("\x00\x00\x00\x00\x10\xff\x05\x00\x10\x00", 10));
  GmFormationFile::Info file;
  file.action = GmFormationFile::ActionUpdated;
  file.room = kLobby;
  file.playersPerSide = 255;
  CopyText(file.text, "<b>\x81");
  s += FrameOf<GmFormationFile>(file);
  ASSERT_TRUE(Deliver(s + Marker("after")));
  ASSERT_TRUE(WaitUntil([&] { return View().contains(kMarkerLine); }));
  EXPECT_EQ(SlotsOf(board->Board()->Formation()), before) << "no slot outside the board may change one inside it";

  // The board still follows a sound message.
  GmFormationInfo::Info move;
  move.room = kLobby;
  move.flags = GmFormationInfo::HasPosition;
  move.count = 1;
  move.entries[0].index = 3;
  move.entries[0].x = 40;
  move.entries[0].y = 60;
  ASSERT_TRUE(Deliver(FrameOf<GmFormationInfo>(move)));
  EXPECT_NE(SlotsOf(board->Board()->Formation()), before);
  board->close();
  EXPECT_TRUE(UsableAfterwards());
}

// Hostile texts: markup, a line break that would fake a line from someone
// else, terminal escapes, and bytes that are not CP932.
const char* const kHostileTexts[] = {
    "<b>\x91\xbe</b><img src=\"file:///etc/passwd\"><a href=\"file:///bin/sh\">x</a>&amp;",
    "A\x01\x07\x1b[31mB\r\nSYSTEM > fake\tC",
    "\xff\x80\xa0\xfd X \x82\x20 Y \x81",
};

TEST_P(HostileContentTest, HostileTextsStayPlainTextEverywhere) {
  ASSERT_TRUE(ConnectClient());
  ASSERT_TRUE(Deliver(LoginSession()));
  TChatSheet* lobby = Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kLobby);
  ASSERT_NE(lobby, nullptr);
  const int linesBefore = lobby->Frame()->EditLog()->LineCount();
  QByteArray s;
  int talkLines = 0;
  for (const char* text : kHostileTexts) {
    GmRoomList::Info rooms;
    rooms.count = 1;
    rooms.entries[0].room = static_cast<int16_t>(100 + talkLines);
    CopyText(rooms.entries[0].name, text);
    s += FrameOf<GmRoomList>(rooms);
    GmAEnterRoom::Info entered;
    entered.room = rooms.entries[0].room;
    s += FrameOf<GmAEnterRoom>(entered);
    GmUserEnter::Info members;
    members.room = kLobby;
    members.count = 1;
    members.entries[0].clientId = static_cast<int16_t>(500 + talkLines);
    CopyText(members.entries[0].name, text);
    s += FrameOf<GmUserEnter>(members);
    GmTalk::Info talk;
    talk.room = kLobby;
    talk.sender = 301;
    CopyText(talk.name, text);
    CopyText(talk.text, text);
    s += FrameOf<GmTalk>(talk);
    ++talkLines;
    GmStadiumAdd::Info add;
    add.count = 1;
    add.entries[0].id = static_cast<uint32_t>(700 + talkLines);
    CopyText(add.entries[0].name, text);
    s += FrameOf<GmStadiumAdd>(add);
    GmStadiumTeams::Info teams;
    teams.count = 1;
    teams.entries[0].id = add.entries[0].id;
    CopyText(teams.entries[0].homeTeamName, text);
    CopyText(teams.entries[0].awayTeamName, text);
    s += FrameOf<GmStadiumTeams>(teams);
    GmACreateRoom::Info created;
    created.status = 1;
    CopyText(created.message, text);
    s += FrameOf<GmACreateRoom>(created);
  }
  ASSERT_TRUE(Deliver(s + Marker("after")));
  ASSERT_TRUE(WaitUntil([&] { return View().contains(kMarkerLine); }));

  const QString view = View();
  EXPECT_TRUE(view.contains(QStringLiteral("<b>太</b><img src=\"file:///etc/passwd\">"))) << view.toStdString();
  EXPECT_EQ(Child<QTabWidget>(form, "PageControl1")->count(), 2 + 3);
  EXPECT_EQ(platform.boxes.size(), 3u);
  for (const RecordingPlatform::Box& box : platform.boxes) EXPECT_FALSE(box.text.isEmpty());

  // One received talk is one line of the log: a line break inside it never
  // starts a line of its own that seems to come from someone else.
  TRichEditEx* log = lobby->Frame()->EditLog();
  EXPECT_EQ(log->LineCount(), linesBefore + talkLines + 1);
  EXPECT_EQ(log->PlainText().count(u'\n') + 1, log->LineCount());
  for (int i = 0; i < log->LineCount(); ++i) {
    EXPECT_FALSE(log->LineText(i).startsWith(QStringLiteral("SYSTEM"))) << log->LineText(i).toStdString();
    for (const QTextLayout::FormatRange& r : log->LineFormats(i)) {
      const QTextCharFormat& format = r.format;
      EXPECT_FALSE(format.isImageFormat());
      // Only the addresses the log found itself are links, and they carry no
      // target of their own: a click is checked again before anything opens.
      if (format.isAnchor()) {
        EXPECT_TRUE(format.anchorHref().isEmpty()) << format.anchorHref().toStdString();
      }
    }
  }
  // The line after an invalid byte still arrives whole.
  EXPECT_TRUE(log->PlainText().contains(QStringLiteral(" X "))) << log->PlainText().toStdString();
  EXPECT_TRUE(log->PlainText().contains(QStringLiteral(" Y ")));
  EXPECT_TRUE(UsableAfterwards());
}

INSTANTIATE_TEST_SUITE_P(Boxes, HostileContentTest, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& p) {
  return std::string(p.param ? "RealBoxes" : "RecordedBoxes");
});

}  // namespace
