// The costs behind a live formation board: checking before a save, applying a
// full relayed change, and what one drag step repaints compared with the whole
// board.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "formation/formation_image.h"
#include "formation/formation_sync.h"

static void BM_FormationCheck(benchmark::State& state) {
  TeamFormation f;
  f.Init(9);
  int bad = -1;
  for (auto _ : state) benchmark::DoNotOptimize(f.Check(bad));
}
BENCHMARK(BM_FormationCheck);

static void BM_ApplyFullRelayedChange(benchmark::State& state) {
  TeamFormation f;
  f.Init(9);
  GmFormationInfo::Info info;
  info.flags = 9 | GmFormationInfo::HasPosition | GmFormationInfo::HasPosType | GmFormationInfo::HasName;
  info.count = NetDef::MaxFormationEntries;
  for (int i = 0; i < info.count; ++i) info.entries[i] = {static_cast<uint8_t>(i), 100, 200, 2, "abcd"};
  int redraws = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ApplyFormationInfo(f, info, [&](int) { ++redraws; }));
}
BENCHMARK(BM_ApplyFullRelayedChange);

// Painting the board into an image, either whole (what a careless drag would
// cost per step) or only the two areas of a moving disc (what a drag step costs).
static void BM_BoardPaint(benchmark::State& state) {
  TFormationImage board;
  board.resize(320, 443);
  QImage image(board.size(), QImage::Format_ARGB32_Premultiplied);
  QRegion region(board.rect());
  if (state.range(0) == 1) {
    const BoardTransform t = board.Transform();
    auto area = [&](int32_t x, int32_t y) {
      FormationSlot s;
      s.SetPosition(x, y);
      const FieldRect r = t.FieldToScreen(RedrawArea(s));
      return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
    };
    region = QRegion(area(0, 2900)) + QRegion(area(0, 3000));
  }
  for (auto _ : state) {
    board.render(&image, QPoint(), region);
    benchmark::ClobberMemory();
  }
  state.SetLabel(state.range(0) == 1 ? "two disc areas" : "whole board");
}
BENCHMARK(BM_BoardPaint)->Arg(0)->Arg(1);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
