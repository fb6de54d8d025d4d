#pragma once
// Waiting in tests without sleeping for a fixed time: the event loop runs until
// the condition holds or the limit passes.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

template <class Pred>
bool WaitUntil(Pred pred, int timeoutMs = 5000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!pred()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!pred()) QThread::msleep(1);
  }
  return true;
}
