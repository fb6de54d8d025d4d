// What a screen reader reads of the program, through the desktop's own
// accessibility service (AT-SPI on a session bus of this suite's own): the
// login dialog's fields by their names, each member's level and lamp as text,
// and every disc of the formation board as an object of its own.
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/frame_chat_room.h"
#include "formation/form_formation.h"
#include "formation/formation_image.h"
#include "main_window_parts.h"
#include "messages.h"
#include "x11_fixture.h"

namespace {

struct Node {
  int depth = 0;
  std::string role, name, description;
};

// The tree as the reader's side of the bus serves it, read by a separate
// process (the program must keep answering while it is read).
std::vector<Node> ParseTree(const QByteArray& text) {
  std::vector<Node> nodes;
  for (const QByteArray& line : text.split('\n')) {
    const QList<QByteArray> f = line.split('\t');
    if (f.size() == 4) nodes.push_back({f[0].toInt(), f[1].toStdString(), f[2].toStdString(), f[3].toStdString()});
  }
  return nodes;
}

// A program registers with the accessibility service when it starts, and the
// service itself starts on the first call: the reader asks again for a while.
// From the program's thread its loop runs while the reader reads; from another
// thread (the person at the keyboard, while a modal dialog's loop runs) the
// read simply blocks.
std::vector<Node> ReadTree(bool onProgramThread = true) {
  constexpr int kReads = 50;
  constexpr int kBetweenReadsMs = 100;
  for (int attempt = 0; attempt < kReads; ++attempt) {
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TURFWING_AT_SPI_TREE), QString::number(QCoreApplication::applicationPid())});
    if (onProgramThread) {
      WaitUntil([&] { return reader.state() == QProcess::NotRunning; }, 20000);
    } else {
      reader.waitForFinished(20000);
    }
    const QByteArray out = reader.readAllStandardOutput();
    if (!out.isEmpty()) return ParseTree(out);
    if (onProgramThread) {
      WaitUntil([] { return false; }, kBetweenReadsMs);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(kBetweenReadsMs));
    }
  }
  return {};
}

// The nodes below the first node of this role and name, in tree order.
std::vector<Node> Under(const std::vector<Node>& tree, const std::string& role, const std::string& name) {
  for (size_t i = 0; i < tree.size(); ++i) {
    if (tree[i].role != role || tree[i].name != name) continue;
    std::vector<Node> below;
    for (size_t j = i + 1; j < tree.size() && tree[j].depth > tree[i].depth; ++j) below.push_back(tree[j]);
    return below;
  }
  return {};
}

const Node* Find(const std::vector<Node>& nodes, const std::string& role, const std::string& name) {
  for (const Node& n : nodes) {
    if (n.role == role && n.name == name) return &n;
  }
  return nullptr;
}

class ScreenReaderTest : public X11ClientTest {
 protected:
  void SetUp() override {
    X11ClientTest::SetUp();
    if (IsSkipped()) return;
    if (system("/usr/bin/python3 -c 'import gi; gi.require_version(\"Atspi\", \"2.0\")' 2>/dev/null") != 0)
      GTEST_SKIP() << "no AT-SPI client: python3-gi and gir1.2-atspi-2.0 are missing (scripts/setup installs them)";
  }
};

TEST_F(ScreenReaderTest, TheLoginDialogsFieldsAreFoundByTheirNames) {
  ASSERT_TRUE(ShowForm());
  std::vector<Node> tree;
  EXPECT_TRUE(RunAsUser([&](User& u) {
    Control(u, 'o');
    if (!u.WaitFor("FormLogin")) return;
    tree = ReadTree(false);
    u.x.Press(kEscape);
  }));
  const std::vector<Node> dialog = Under(tree, "dialog", "接続");
  ASSERT_FALSE(dialog.empty()) << "the reader found no login dialog among " << tree.size() << " objects";
  EXPECT_NE(Find(dialog, "text", "ID"), nullptr);
  EXPECT_NE(Find(dialog, "password text", "パスワード"), nullptr);
}

TEST_F(ScreenReaderTest, MembersLevelsAndTheBoardsDiscsAreText) {
  ASSERT_TRUE(ShowForm());
  ASSERT_TRUE(LogIn());
  server.send<GmRoomList>(OneRoomList(3, "team", false));
  server.send<GmAEnterRoom>(Entered(3));
  server.send<GmUserEnter>(Enter(3, {{6, 200, "op", 3}, {7, 400, Sjis("花子").c_str(), 0}}));
  auto* tabs = Child<ChatTabs>(form, "ChatTabs");
  ASSERT_TRUE(WaitUntil([&] { return tabs->ChatTabOf(3) != nullptr && tabs->ChatTabOf(3)->Users().Count() == 2; }));
  TFrameChatRoom* frame = tabs->ChatTabOf(3)->Frame();
  frame->ButtonFormation()->click();
  ASSERT_NE(frame->FormationWindow(), nullptr);
  auto* board = frame->FormationWindow()->findChild<TFormationImage*>(QStringLiteral("FormationImage"));
  ASSERT_NE(board, nullptr);
  board->Formation().Slot(3).SetName(Sjis("ﾀﾛｳ"));
  board->RedrawSlot(3);
  QTest::qWait(100);

  std::vector<Node> tree = ReadTree();
  const std::vector<Node> members = Under(tree, "tree", "入室者一覧");
  ASSERT_FALSE(members.empty()) << "the reader found no member list among " << tree.size() << " objects";
  const Node* op = Find(members, "table cell", "op");
  const Node* hanako = Find(members, "table cell", "花子");
  ASSERT_NE(op, nullptr);
  ASSERT_NE(hanako, nullptr);
  EXPECT_EQ(op->description, "レベル 3、ランプ点灯");
  EXPECT_EQ(hanako->description, "レベル 0、ランプ消灯");

  // A level the server changes is read anew; so is the mark of a tab whose talk
  // the player has not seen.
  server.send<GmUserChange>(GmUserChange::Info{3, 7, 5});
  ASSERT_TRUE(WaitUntil([&] { return frame->UserRowImage(1) == TFrameChatRoom::ImageLit; }));
  server.send<GmRoomList>(RoomRows({{3, "team", 0, 0}, {4, "lobby", 0, 0}}));
  server.send<GmAEnterRoom>(Entered(4));
  ASSERT_TRUE(WaitUntil([&] { return tabs->ChatTabOf(4) != nullptr; }));
  tabs->PageControl1()->setCurrentWidget(tabs->ChatTabOf(4));
  server.send<GmTalk>(Talk(3, 6, "op", "hello", 0));
  ASSERT_TRUE(WaitUntil([&] { return tabs->ChatTabOf(3)->ImageIndex() == TChatSheet::ImageNewTalk; }));
  tree = ReadTree();
  EXPECT_NE(Find(tree, "page tab", "team（新しい発言あり）"), nullptr);
  EXPECT_NE(Find(tree, "page tab", "lobby"), nullptr);
  const std::vector<Node> changed = Under(tree, "tree", "入室者一覧");
  hanako = Find(changed, "table cell", "花子");
  ASSERT_NE(hanako, nullptr);
  EXPECT_EQ(hanako->description, "レベル 5、ランプ点灯");

  const std::vector<Node> discs = Under(tree, "canvas", "フォーメーション");
  ASSERT_EQ(static_cast<int>(discs.size()), board->Formation().SlotCount()) << "one object per disc";
  for (int i = 0; i < board->Formation().SlotCount(); ++i) {
    SCOPED_TRACE(i);
    const FormationSlot& slot = board->Formation().Slot(i);
    EXPECT_EQ(discs[static_cast<size_t>(i)].role, "image");
    EXPECT_NE(discs[static_cast<size_t>(i)].description.find("X " + std::to_string(slot.x / 10) + "、Y " +
                                                             std::to_string(slot.y / 10)),
              std::string::npos);
  }
  const Node& named = discs[3];
  EXPECT_EQ(named.name, std::to_string(board->Formation().Slot(3).number) + " ﾀﾛｳ");
}

}  // namespace
