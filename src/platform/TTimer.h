#pragma once
// A repeating timer with the Interval / Enabled / OnTimer shape the models are written against.
// Runs on Qt's event loop, or on the TestClock when one is installed.

#include <functional>
#include <memory>

class QTimer;

namespace pvx::platform {

class TestClock;

class TTimer {
 public:
  TTimer();
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  // Sender first, like every model callback.
  std::function<void(TTimer& sender)> OnTimer;

  int Interval() const { return interval_; }
  // Restarts the period when enabled. An interval of 0 or less never fires.
  void SetInterval(int ms);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);

  // Runs OnTimer now; tests use it to step a model without waiting.
  void Fire();

 private:
  friend class TestClock;
  void Restart();
  void Stop();
  void ClockGone();

  int interval_ = 1000;
  bool enabled_ = false;
  TestClock* clock_ = nullptr;
  std::unique_ptr<QTimer> qtimer_;
};

}  // namespace pvx::platform
