// GmStadiumState messages applied to a shown list of 20 stadiums, each message
// decoded, rendered and painted before the next (run with QT_QPA_PLATFORM=offscreen;
// it is set when unset).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

#include "lobby/game_list_panel.h"
#include "platform/cp932.h"
#include "session_double.h"

namespace {

// Counts the list's paints, to show that every message was painted.
class PaintCounter final : public QObject {
 public:
  long paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

constexpr int kRows = 20;
constexpr int kMessages = 1000;

void BM_StadiumStateWithRepaint(benchmark::State& state) {
  SessionDouble session;
  TGameListPanel panel(session, [] { return GameSetup{}; });
  panel.resize(631, 560);
  panel.LeaveWaitingState();

  auto add = std::make_unique<GmStadiumAdd::Info>();
  for (int i = 0; i < kRows; ++i) {
    auto& e = add->entries[add->count++];
    e.id = static_cast<uint32_t>(i + 1);
    CopyText(e.name, cp932::FromUtf8("競技場" + std::to_string(100 + i)).c_str());
    e.playable = 1;
  }
  session.deliver<GmStadiumAdd>(*add);
  panel.show();
  QCoreApplication::processEvents();

  std::vector<NetPacket> messages(kMessages);
  for (int m = 0; m < kMessages; ++m) {
    GmStadiumState::Info info;
    info.count = 1;
    auto& e = info.entries[0];
    e.id = static_cast<uint32_t>(m % kRows + 1);
    e.count1 = static_cast<uint8_t>(m % 11);
    e.homeScore = static_cast<uint8_t>(m / 97);
    e.state = static_cast<uint8_t>(1 + (m / 300) * 2);
    e.clock = static_cast<int16_t>(m);
    GmStadiumState::encode(messages[static_cast<size_t>(m)], info);
  }

  PaintCounter counter;
  panel.GameList2()->viewport()->installEventFilter(&counter);
  size_t next = 0;
  for (auto _ : state) {
    session.deliverFrame(messages[next]);
    next = (next + 1) % messages.size();
    QCoreApplication::processEvents();
  }
  state.counters["paints"] = static_cast<double>(counter.paints);
  QTreeView* list = panel.GameList2();
  int visible = 0;
  for (int r = 0; r < list->model()->rowCount(); ++r) {
    if (list->viewport()->rect().contains(list->visualRect(list->model()->index(r, 0)))) ++visible;
  }
  state.counters["visible_rows"] = visible;
}
BENCHMARK(BM_StadiumStateWithRepaint)->Iterations(kMessages)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
