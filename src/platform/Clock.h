#pragma once
// Time and event pumping for long operations (scans, tuning waits) that must keep the UI alive.
// Production code uses the real clock; tests install a TestClock so waits are instant and
// timers fire in a known order.

#include <QtGlobal>
#include <vector>

namespace pvx::platform {

class TTimer;

class IClock {
 public:
  virtual ~IClock() = default;
  // Milliseconds on a monotonic scale; only differences mean anything.
  virtual qint64 NowMs() const = 0;
  // Processes pending events once and returns.
  virtual void PumpMessages() = 0;
  // Waits ms milliseconds while processing events.
  virtual void Wait(int ms) = 0;
};

IClock& Clock();
// Installs a clock; nullptr restores the real one. The caller keeps ownership.
void SetClock(IClock* clock);

inline void PumpMessages() { Clock().PumpMessages(); }
inline void Wait(int ms) { Clock().Wait(ms); }

// Virtual time. Enabled TTimers are driven by Advance instead of Qt's timers, and posted
// events are still delivered, so code under test runs as it would, only without real waiting.
class TestClock final : public IClock {
 public:
  TestClock();
  ~TestClock() override;
  TestClock(const TestClock&) = delete;
  TestClock& operator=(const TestClock&) = delete;

  qint64 NowMs() const override { return now_; }
  void PumpMessages() override;
  void Wait(int ms) override { Advance(ms); }

  // Moves time forward, firing every timer that falls due on the way, in time order.
  void Advance(qint64 ms);

  // The test clock currently installed, or nullptr.
  static TestClock* Current();

 private:
  friend class TTimer;
  struct Entry {
    TTimer* timer;
    qint64 due;
  };
  void Schedule(TTimer* timer, qint64 due);
  void Unschedule(TTimer* timer);

  qint64 now_ = 0;
  std::vector<Entry> entries_;
};

}  // namespace pvx::platform
