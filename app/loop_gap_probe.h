#pragma once
// Reports each pass of the event loop that kept the loop from running for 8 ms
// or more ("loop gap N ms cpu M ms", M being the part the client itself
// worked): what a user feels as a stall while the lobby floods (--trace).

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdio>

class LoopGapProbe final : public QObject {
  Q_OBJECT
 public:
  // Reports to out from the next pass of the loop on.
  explicit LoopGapProbe(std::FILE* out, QObject* parent = nullptr);

 private:
  void Tick();

  std::FILE* out_;
  QElapsedTimer clock_;
  QTimer tick_;
  qint64 lastTickUs_ = 0;
  qint64 lastCpuUs_ = 0;
};
