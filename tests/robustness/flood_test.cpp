// A burst of talk much larger than one read: the window takes it in pieces, its
// event loop running between them (painting, input), and loses no line.
#include <QTimer>
#include <set>

#include "hostile_fixture.h"
#include "main_window_parts.h"

namespace {

class FloodTest : public HostileServerTest {};

TEST_F(FloodTest, ABurstOfTalkIsReadInPiecesAndEveryLineArrivesInOrder) {
  ASSERT_TRUE(ConnectClient());
  ASSERT_TRUE(Deliver(LoginSession()));
  TChatSheet* lobby = Child<ChatTabs>(form, "ChatTabs")->ChatTabOf(kLobby);
  ASSERT_NE(lobby, nullptr);
  TRichEditEx* log = lobby->Frame()->EditLog();
  const int before = log->LineCount();

  constexpr int Lines = 6000;  // about 400 KB, several times what one read takes
  QByteArray burst;
  for (int i = 0; i < Lines; ++i) {
    GmTalk::Info talk;
    talk.room = kLobby;
    talk.sender = 999;  // not a member: the line is the text alone
    CopyText(talk.text, ("flood " + std::to_string(i) + " see http://example.com/x/" + std::to_string(i) +
                         " and some more text to make it long")
                            .c_str());
    burst += FrameOf<GmTalk>(talk);
  }
  ASSERT_GT(burst.size(), 300 * 1024);
  // Room in the system's buffers for the whole burst, so that it is all there to
  // be read at once: the window itself must choose to take it in pieces.
  Child<QTcpSocket>(form, "Socket1")->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 << 20);
  server.clientSocket()->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4 << 20);
  // What the loop sees between passes: the number of lines taken in so far.
  std::set<int> seen;
  QTimer probe;
  probe.setInterval(0);
  QObject::connect(&probe, &QTimer::timeout, [&] { seen.insert(log->LineCount() - before); });
  probe.start();
  server.sendRaw(burst);
  ASSERT_TRUE(WaitUntil([&] { return log->LineCount() >= before + Lines; }, 30000));
  probe.stop();

  EXPECT_EQ(log->LineCount(), before + Lines);
  const auto partial = std::count_if(seen.begin(), seen.end(), [](int n) { return n > 0 && n < Lines; });
  EXPECT_GE(partial, 3) << "the loop ran only " << partial << " times while the burst came in";
  for (int i : {0, 1, 2999, Lines - 1}) {
    EXPECT_TRUE(log->LineText(before + i).startsWith(QStringLiteral("flood %1 see").arg(i)))
        << log->LineText(before + i).toStdString();
  }
}

}  // namespace
