#include "platform/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/TTimer.h"

namespace pvx::platform {
namespace {

class RealClock final : public IClock {
 public:
  RealClock() { started_.start(); }
  qint64 NowMs() const override { return started_.elapsed(); }
  void PumpMessages() override {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
  }
  void Wait(int ms) override {
    // bench-startup reads these lines to tell prescribed waits from the program's own time.
    static const bool trace = qEnvironmentVariableIsSet("OKA_PVX_TRACE_WAITS");
    if (!trace) return WaitFor(ms);
    const auto since = [] {
      return qint64(std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
    };
    const qint64 start = since();
    WaitFor(ms);
    std::fprintf(stderr, "pvx-wait %d %lld %lld\n", ms, start, since());
  }

 private:
  void WaitFor(int ms) {
    if (ms <= 0) {
      PumpMessages();
      return;
    }
    if (!QCoreApplication::instance()) {
      QThread::msleep(static_cast<unsigned long>(ms));
      return;
    }
    // A local loop keeps windows painting and buttons (Abort) working during the wait.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
  }

  QElapsedTimer started_;
};

RealClock& TheRealClock() {
  static RealClock clock;
  return clock;
}

IClock* gClock = nullptr;
TestClock* gTestClock = nullptr;

}  // namespace

IClock& Clock() { return gClock ? *gClock : TheRealClock(); }

void SetClock(IClock* clock) {
  gClock = clock;
  gTestClock = dynamic_cast<TestClock*>(clock);
}

TestClock::TestClock() = default;

TestClock::~TestClock() {
  // Timers outliving the clock fall back to real time; they must not point at us.
  for (auto& e : entries_) e.timer->ClockGone();
  if (gClock == this) SetClock(nullptr);
}

TestClock* TestClock::Current() { return gTestClock; }

void TestClock::PumpMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void TestClock::Advance(qint64 ms) {
  const qint64 target = now_ + std::max<qint64>(ms, 0);
  PumpMessages();
  for (;;) {
    auto next = std::min_element(entries_.begin(), entries_.end(),
                                 [](const Entry& a, const Entry& b) { return a.due < b.due; });
    if (next == entries_.end() || next->due > target) break;
    now_ = next->due;
    TTimer* timer = next->timer;
    // Re-arm before firing: the handler may disable or retune the timer.
    next->due = now_ + timer->Interval();
    timer->Fire();
    PumpMessages();
  }
  now_ = target;
}

void TestClock::Schedule(TTimer* timer, qint64 due) {
  Unschedule(timer);
  entries_.push_back({timer, due});
}

void TestClock::Unschedule(TTimer* timer) {
  std::erase_if(entries_, [timer](const Entry& e) { return e.timer == timer; });
}

}  // namespace pvx::platform
