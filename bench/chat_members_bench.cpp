// A room of 900 members arriving as 23 GmUserEnter messages of up to 40 members,
// each delivered by the session to the chat tabs and into the member list of a shown
// tab, then painted once. One iteration is one whole room (run with
// QT_QPA_PLATFORM=offscreen; it is set when unset).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "chat/chat_host.h"
#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/frame_chat_room.h"
#include "chat/room_list_model.h"
#include "platform/cp932.h"
#include "session_double.h"

namespace {

class BenchHost final : public ChatHost {
 public:
  QWidget window;
  bool ChatTime() const override { return true; }
  bool SaveChatLog() const override { return false; }
  std::string LogsFolder() const override { return {}; }
  std::string UserInfoAddress() const override { return {}; }
  std::optional<bool> RememberRoom(const std::string&, const std::string&, int32_t) override { return true; }
  void SetChatInput(const std::string&) override {}
  void FocusChatInput() override {}
  bool PasswordExecute(std::string&) override { return false; }
  QString DataFolder() const override { return {}; }
  QWidget* MainWindow() const override { return const_cast<QWidget*>(&window); }
  void ShowRoomList() override {}
};

constexpr int kMembers = 900;
constexpr int16_t kRoom = 7;

std::vector<NetPacket> RoomOfMembers() {
  std::vector<NetPacket> frames;
  for (int first = 0; first < kMembers; first += NetDef::MaxList16) {
    GmUserEnter::Info info;
    info.room = kRoom;
    for (int i = first; i < kMembers && i < first + NetDef::MaxList16; ++i) {
      GmUserEnter::Entry& e = info.entries[info.count++];
      e.clientId = static_cast<int16_t>(100 + i);
      e.userNumber = static_cast<uint32_t>(50000 + i);
      CopyText(e.name, cp932::FromUtf8("選手" + std::to_string(i)).c_str());
      e.level = static_cast<uint8_t>(i % 17 == 0 ? 1 : 0);
    }
    frames.emplace_back();
    GmUserEnter::encode(frames.back(), info);
  }
  return frames;
}

// The chat tabs in a shown main window of the design size, on a session double.
struct ShownTabs {
  BenchHost host;
  SessionDouble session;
  RoomListModel rooms;
  QTabWidget* pages = new QTabWidget(&host.window);
  ChatTabs tabs{host, session, rooms, pages};
  ShownTabs() {
    host.window.resize(631, 398);
    pages->resize(631, 398);
    host.window.show();
  }
};

void BM_RoomOf900Members(benchmark::State& state) {
  ShownTabs shown;
  SessionDouble& session = shown.session;
  ChatTabs& tabs = shown.tabs;
  const std::vector<NetPacket> messages = RoomOfMembers();
  GmUserLeave::Info leave;
  leave.count = 1;
  leave.entries[0] = {kRoom, session.clientId()};
  GmAEnterRoom::Info entered;
  entered.room = kRoom;
  int listed = 0;

  for (auto _ : state) {
    state.PauseTiming();
    session.deliver<GmAEnterRoom>(entered);
    QCoreApplication::processEvents();
    state.ResumeTiming();

    for (const NetPacket& m : messages) session.deliverFrame(m);
    QCoreApplication::processEvents();  // the list is painted

    state.PauseTiming();
    listed = tabs.ChatTabOf(kRoom)->Frame()->UserRowCount();
    session.deliver<GmUserLeave>(leave);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["listed"] = listed;
  state.counters["messages"] = static_cast<double>(messages.size());
}
BENCHMARK(BM_RoomOf900Members)->Unit(benchmark::kMillisecond)->Iterations(30);

// Talk in a full room, each line from another member in turn (Arg 900: the
// order of the latest speakers changes at every line, its dearest case) or from
// one member (Arg 1): the cost per line of logging a talk, the line composed,
// the speaker remembered for name completion and the line stored.
void BM_TalkInAFullRoom(benchmark::State& state) {
  ShownTabs shown;
  SessionDouble& session = shown.session;
  GmAEnterRoom::Info entered;
  entered.room = kRoom;
  session.deliver<GmAEnterRoom>(entered);
  for (const NetPacket& m : RoomOfMembers()) session.deliverFrame(m);
  QCoreApplication::processEvents();
  const int speakers = static_cast<int>(state.range(0));
  constexpr int kLines = 20000;
  GmTalk::Info talk;
  talk.room = kRoom;
  CopyText(talk.text, "a line of talk of about the usual length, with nothing special in it");
  for (auto _ : state) {
    for (int i = 0; i < kLines; ++i) {
      talk.sender = static_cast<int16_t>(100 + (i * 7) % speakers);  // never the same order twice running
      session.deliver<GmTalk>(talk);
    }
    QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_TalkInAFullRoom)->Arg(900)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
