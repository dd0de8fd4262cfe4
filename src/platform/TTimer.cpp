#include "platform/TTimer.h"

#include <QTimer>

#include "platform/Clock.h"

namespace pvx::platform {

TTimer::TTimer() = default;

TTimer::~TTimer() { Stop(); }

void TTimer::SetInterval(int ms) {
  interval_ = ms;
  if (enabled_) Restart();
}

void TTimer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on)
    Restart();
  else
    Stop();
}

void TTimer::Fire() {
  if (OnTimer) OnTimer(*this);
}

void TTimer::Restart() {
  Stop();
  if (interval_ <= 0) return;
  if (TestClock* clock = TestClock::Current()) {
    clock_ = clock;
    clock->Schedule(this, clock->NowMs() + interval_);
    return;
  }
  if (!qtimer_) {
    qtimer_ = std::make_unique<QTimer>();
    QObject::connect(qtimer_.get(), &QTimer::timeout, qtimer_.get(), [this] { Fire(); });
  }
  qtimer_->start(interval_);
}

void TTimer::Stop() {
  if (clock_) {
    clock_->Unschedule(this);
    clock_ = nullptr;
  }
  if (qtimer_) qtimer_->stop();
}

void TTimer::ClockGone() { clock_ = nullptr; }

}  // namespace pvx::platform
