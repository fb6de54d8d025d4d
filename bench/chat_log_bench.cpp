// The chat log under a long evening of talk: 100,000 coloured lines, each with a
// web address, appended to a visible log in groups of 100 per pass of the event
// loop (a read event delivering a burst of talk), the view following the end.
//
// Reported per run:
//   first_ms_per_1000 / last_ms_per_1000: time per 1,000 lines over the first and
//     the last tenth of the lines (painting and scrolling included);
//   last_over_first: their ratio (flat is 1.0);
//   bytes_per_line: growth of the resident set divided by the lines;
//   copied_lines, link_clicks: selection and copy across every line, and a click
//     on the link of the last line, checked after the fill.
// BM_ChatLogMillion (below) moves, finds and selects in a log of 1,000,000 lines.
// BM_ChatLogWrite (below) writes 200,000 lines of the flood's kind to the chat
// log on disk, flushed every 100 lines as the tabs flush after a read: ns_per_line
// is what logging adds to each line shown.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "chat/chat_log_file.h"
#include "chat/frame_chat_room.h"
#include "chat/rich_edit_ex.h"
#include "platform/cp932.h"
#include "platform/platform.h"

namespace {

constexpr int Lines = 100000;
constexpr int Group = 100;

// Counts the addresses a link click hands to the desktop instead of opening them.
class CountingPlatform final : public Platform {
 public:
  int opened = 0;
  void errorBox(QWidget*, const QString&) override {}
  void informationBox(QWidget*, const QString&, const QString&) override {}
  bool yesNoQuestion(QWidget*, const QString&, const QString&) override { return false; }
  void openUrl(const QString&) override { ++opened; }
  bool startProgram(const QString&, const QString&, const QString&, const QString&) override { return false; }
  void playSound(const QString&) override {}
  uint32_t tick() override { return 0; }
  QString openFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
  void alert(QWidget*) override {}
  void notify(QWidget*, const QString&, const QString&) override {}
};

// CPU time of this thread, which the other processes on a shared machine disturb
// less than the wall clock.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long ResidentBytes() {
  long pages = 0;
  long resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

const QColor Colours[] = {QColor(0, 0, 0), QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 255)};

void BM_ChatLogAppend(benchmark::State& state) {
  const std::string name = cp932::FromUtf8("太郎");
  const std::string text = cp932::FromUtf8(" > 今日の試合はこちら http://example.test/match/");
  for (auto _ : state) {
    auto frame = std::make_unique<TFrameChatRoom>();
    frame->resize(800, 600);
    frame->show();
    QApplication::processEvents();
    TRichEditEx* log = frame->EditLog();
    malloc_trim(0);
    const long before = ResidentBytes();

    QElapsedTimer clock;
    double firstMs = 0;
    double lastMs = 0;
    double firstCpu = 0;
    double lastCpu = 0;
    const double cpuStart = ThreadCpuMs();
    clock.start();
    for (int line = 0; line < Lines; line += Group) {
      for (int k = line; k < line + Group; ++k) {
        // A unique address per line, as real talk has.
        frame->AddLog("12:34:56 ", name, text + std::to_string(k) + "?p=" + std::to_string(k * 7), Colours[k % 4]);
      }
      QApplication::processEvents();
      const int done = line + Group;
      if (done == Lines / 10) {
        firstMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        firstCpu = ThreadCpuMs() - cpuStart;
      }
      if (done == Lines - Lines / 10) {
        lastMs = -static_cast<double>(clock.nsecsElapsed()) / 1e6;
        lastCpu = -ThreadCpuMs();
      }
    }
    lastMs += static_cast<double>(clock.nsecsElapsed()) / 1e6;
    lastCpu += ThreadCpuMs();
    QApplication::processEvents();
    malloc_trim(0);
    const long after = ResidentBytes();

    // The filled log still selects, copies and reports link clicks.
    log->SelectAll();
    log->Copy();
    const int copied = static_cast<int>(QApplication::clipboard()->text().count(u'\n')) + 1;
    log->ClearSelection();
    log->ScrollToEnd();
    CountingPlatform platform;
    Platform::install(&platform);
    const int last = log->LineCount() - 1;
    const QRect r = log->CharRect(last, static_cast<int>(log->LineText(last).indexOf(QStringLiteral("http"))) + 3);
    QTest::mouseClick(log->viewport(), Qt::LeftButton, {}, r.center());

    state.counters["first_ms_per_1000"] = firstMs / (Lines / 10 / 1000.0);
    state.counters["last_ms_per_1000"] = lastMs / (Lines / 10 / 1000.0);
    state.counters["last_over_first"] = lastMs / firstMs;
    state.counters["first_cpu_ms_per_1000"] = firstCpu / (Lines / 10 / 1000.0);
    state.counters["last_cpu_ms_per_1000"] = lastCpu / (Lines / 10 / 1000.0);
    state.counters["cpu_last_over_first"] = lastCpu / firstCpu;
    state.counters["bytes_per_line"] = static_cast<double>(after - before) / Lines;
    state.counters["copied_lines"] = copied;
    state.counters["link_clicks"] = platform.opened;
    Platform::install(nullptr);
    state.counters["at_end"] = log->verticalScrollBar()->value() == log->verticalScrollBar()->maximum() ? 1 : 0;
  }
}
BENCHMARK(BM_ChatLogAppend)->Iterations(1)->Unit(benchmark::kSecond);

double WallMs(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

// A log of 1,000,000 lines still moves, selects and finds at once. Reported, in
// wall-clock ms, each step painted (repaint) before the clock stops:
//   top_ms / end_ms: Ctrl+Home, then Ctrl+End (the jump from top to end);
//   resize_ms: the window made narrower (every line wraps anew);
//   middle_ms: the scroll bar dragged to the middle;
//   page_up_ms: one PageUp (the mean of 50);
//   find_absent_ms: a find through every line for a text that is not there;
//   find_wrap_ms: from the end, a find whose only match is on the first line;
//   select_all_copy_ms: select all and copy (75 MB of text to the clipboard);
//   drag_select_ms: a mouse drag over the visible lines, painted.
void BM_ChatLogMillion(benchmark::State& state) {
  constexpr int Million = 1000000;
  const std::string name = cp932::FromUtf8("taro");
  for (auto _ : state) {
    auto frame = std::make_unique<TFrameChatRoom>();
    frame->resize(800, 600);
    frame->show();
    QApplication::processEvents();
    TRichEditEx* log = frame->EditLog();
    malloc_trim(0);
    const long before = ResidentBytes();
    QElapsedTimer fill;
    fill.start();
    for (int k = 0; k < Million; ++k) {
      frame->AddLog(
          "12:34:56 ", name,
          " > line " + std::to_string(k) + " see https://example.com/x/" + std::to_string(k) + " and more text",
          Colours[k % 4]);
      if (k % 1000 == 999) QApplication::processEvents();
    }
    QApplication::processEvents();
    const double fillMs = WallMs(fill);
    malloc_trim(0);
    const long after = ResidentBytes();
    log->setFocus();

    auto timed = [&](auto&& step) {
      QElapsedTimer t;
      t.start();
      step();
      log->viewport()->repaint();
      return WallMs(t);
    };
    const double topMs = timed([&] { QTest::keyClick(log, Qt::Key_Home, Qt::ControlModifier); });
    const double endMs = timed([&] { QTest::keyClick(log, Qt::Key_End, Qt::ControlModifier); });
    // A narrower window wraps every line anew: only the lines on screen are laid out.
    const double resizeMs = timed([&] {
      frame->resize(600, 600);
      QApplication::processEvents();
    });
    frame->resize(800, 600);
    QApplication::processEvents();
    const double middleMs = timed([&] { log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum() / 2); });
    double pageMs = 0;
    for (int i = 0; i < 50; ++i) pageMs += timed([&] { QTest::keyClick(log, Qt::Key_PageUp); });
    bool absentFound = true;
    const double absentMs = timed([&] { absentFound = log->Find(QStringLiteral("no such text")); });
    log->ScrollToEnd();
    bool wrapFound = false;
    const double wrapMs = timed([&] { wrapFound = log->Find(QStringLiteral("/x/0 and")); });
    const double copyMs = timed([&] {
      log->SelectAll();
      log->Copy();
    });
    const int copied = static_cast<int>(QApplication::clipboard()->text().count(u'\n')) + 1;
    log->ScrollToEnd();
    const double dragMs = timed([&] {
      QTest::mousePress(log->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
      QTest::mouseMove(log->viewport(), QPoint(300, 300));
      QTest::mouseMove(log->viewport(), QPoint(600, 590));
      QTest::mouseRelease(log->viewport(), Qt::LeftButton, {}, QPoint(600, 590));
    });

    state.counters["fill_s"] = fillMs / 1e3;
    state.counters["bytes_per_line"] = static_cast<double>(after - before) / Million;
    state.counters["top_ms"] = topMs;
    state.counters["end_ms"] = endMs;
    state.counters["middle_ms"] = middleMs;
    state.counters["resize_ms"] = resizeMs;
    state.counters["page_up_ms"] = pageMs / 50;
    state.counters["find_absent_ms"] = absentMs;
    state.counters["find_wrap_ms"] = wrapMs;
    state.counters["found"] = (!absentFound && wrapFound && log->CurrentMatch().line == 0) ? 1 : 0;
    state.counters["select_all_copy_ms"] = copyMs;
    state.counters["copied_lines"] = copied;
    state.counters["drag_select_ms"] = dragMs;
    state.counters["selected"] = log->HasSelection() ? 1 : 0;
  }
}
BENCHMARK(BM_ChatLogMillion)->Iterations(1)->Unit(benchmark::kSecond);

void BM_ChatLogWrite(benchmark::State& state) {
  constexpr int WriteLines = 200000;
  std::vector<std::string> texts;
  texts.reserve(1000);
  for (int i = 0; i < 1000; ++i) {
    char text[160];
    std::snprintf(text, sizeof text, "12:34:56 hanako > line %06d see https://example.com/x/%06d and more text", i, i);
    texts.emplace_back(text);
  }
  for (auto _ : state) {
    QTemporaryDir dir;
    ChatLogWriter writer(dir.filePath(QStringLiteral("logs")).toStdString());
    const std::string room = "lobby";
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < WriteLines; ++i) {
      writer.Write(room, texts[static_cast<size_t>(i % 1000)]);
      if (i % 100 == 99) writer.Flush();
    }
    writer.CloseAll();
    state.counters["ns_per_line"] = static_cast<double>(clock.nsecsElapsed()) / WriteLines;
    state.counters["failed"] = writer.Failed() ? 1 : 0;
  }
}
BENCHMARK(BM_ChatLogWrite)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
