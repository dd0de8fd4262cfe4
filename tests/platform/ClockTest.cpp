#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <vector>

#include "platform/TTimer.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using platform::TTimer;

TEST(TestClock, TimersFireInTimeOrderAsTimeAdvances) {
  std::vector<std::pair<char, qint64>> fired;
  TTimer a, b;
  a.SetInterval(300);
  b.SetInterval(200);
  a.OnTimer = [&](TTimer&) { fired.push_back({'a', test::Clock().NowMs()}); };
  b.OnTimer = [&](TTimer&) { fired.push_back({'b', test::Clock().NowMs()}); };
  a.SetEnabled(true);
  b.SetEnabled(true);
  test::Clock().Advance(650);
  const std::vector<std::pair<char, qint64>> expected{
      {'b', 200}, {'a', 300}, {'b', 400}, {'b', 600}, {'a', 600}};
  // Equal due times: either order is fine, so compare as sets at 600.
  ASSERT_EQ(fired.size(), expected.size());
  EXPECT_EQ(std::vector(fired.begin(), fired.begin() + 3),
            std::vector(expected.begin(), expected.begin() + 3));
  EXPECT_EQ(test::Clock().NowMs(), 650);
}

TEST(TestClock, HandlerMayDisableItsTimerAndANewIntervalRestartsIt) {
  int count = 0;
  TTimer timer;
  timer.SetInterval(100);
  timer.OnTimer = [&](TTimer& sender) {
    if (++count == 2) sender.SetEnabled(false);
  };
  timer.SetEnabled(true);
  test::Clock().Advance(1000);
  EXPECT_EQ(count, 2);
  EXPECT_FALSE(timer.Enabled());

  // Changing the interval restarts the period.
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  test::Clock().Advance(900);
  timer.SetInterval(1000);  // restart: next tick 1000 ms from now
  test::Clock().Advance(900);
  EXPECT_EQ(count, 2);
  test::Clock().Advance(100);
  EXPECT_EQ(count, 3);
}


TEST(TestClock, WaitAdvancesVirtualTimeAndDeliversPostedEvents) {
  bool delivered = false;
  QTimer::singleShot(0, QCoreApplication::instance(), [&] { delivered = true; });
  platform::Wait(5000);
  EXPECT_TRUE(delivered);
  EXPECT_EQ(platform::Clock().NowMs(), 5000);
}

TEST(TestClock, ZeroIntervalOrDestroyedTimersNeverFire) {
  int count = 0;
  TTimer zero;
  zero.OnTimer = [&](TTimer&) { ++count; };
  zero.SetInterval(0);
  zero.SetEnabled(true);
  {
    TTimer gone;
    gone.OnTimer = [&](TTimer&) { ++count; };
    gone.SetInterval(10);
    gone.SetEnabled(true);
  }
  test::Clock().Advance(10000);
  EXPECT_EQ(count, 0);
}

TEST(TTimer, FireCallsTheHandlerWithItself) {
  TTimer timer;
  TTimer* sender = nullptr;
  timer.OnTimer = [&](TTimer& s) { sender = &s; };
  timer.Fire();
  EXPECT_EQ(sender, &timer);
  TTimer silent;
  silent.Fire();  // no handler: nothing happens
}

TEST(RealClock, TimerRunsOnTheEventLoop) {
  platform::SetClock(nullptr);  // real time for this one test
  int count = 0;
  TTimer timer;
  timer.SetInterval(5);
  timer.OnTimer = [&](TTimer& sender) {
    ++count;
    sender.SetEnabled(false);
  };
  timer.SetEnabled(true);
  EXPECT_TRUE(test::WaitUntil([&] { return count == 1; }));
}
