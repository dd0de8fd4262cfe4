#pragma once
// The real clock, counting the time spent in the program's prescribed waits (every platform
// Wait), so a benchmark can tell them from the program's own time by measuring both.

#include <QElapsedTimer>

#include "platform/Clock.h"

namespace pvx::bench {

class TCountingClock final : public platform::IClock {
 public:
  // Installs itself in place of the current clock until destroyed.
  TCountingClock() : real_(platform::Clock()) { platform::SetClock(this); }
  ~TCountingClock() override { platform::SetClock(nullptr); }
  TCountingClock(const TCountingClock&) = delete;
  TCountingClock& operator=(const TCountingClock&) = delete;

  qint64 NowMs() const override { return real_.NowMs(); }
  void PumpMessages() override { real_.PumpMessages(); }
  void Wait(int ms) override {
    QElapsedTimer t;
    t.start();
    real_.Wait(ms);
    waitedNs += t.nsecsElapsed();
    ++waits;
  }
  double WaitedMs() const { return waitedNs / 1e6; }

  qint64 waitedNs = 0;
  int waits = 0;

 private:
  platform::IClock& real_;
};

}  // namespace pvx::bench
