#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "platform/TTimer.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using platform::TTimer;

// A zero interval and a timer destroyed while enabled never fire; time never goes back.
TEST(TestClock, TimersFireInTimeOrderAsTimeAdvances) {
  std::vector<std::pair<char, qint64>> fired;
  const auto record = [&](char name) {
    return [&fired, name](TTimer&) { fired.push_back({name, test::Clock().NowMs()}); };
  };
  TTimer a, b, zero;
  auto gone = std::make_unique<TTimer>();
  for (auto [timer, name, interval] :
       {std::tuple{&a, 'a', 300}, {&b, 'b', 200}, {&zero, 'z', 0}, {gone.get(), 'g', 10}}) {
    timer->OnTimer = record(name);
    timer->SetInterval(interval);
    timer->SetEnabled(true);
  }
  gone.reset();
  test::Clock().Advance(650);
  test::Clock().Advance(-5);
  ASSERT_EQ(fired.size(), 5u);
  std::sort(fired.begin() + 3, fired.end());  // equal due times: either order
  EXPECT_EQ(fired, (std::vector<std::pair<char, qint64>>{
                       {'b', 200}, {'a', 300}, {'b', 400}, {'a', 600}, {'b', 600}}));
  EXPECT_EQ(test::Clock().NowMs(), 650);
}

TEST(TestClock, HandlerMayDisableItsTimerAndANewIntervalRestartsIt) {
  int count = 0;
  TTimer timer;
  timer.SetInterval(100);
  timer.OnTimer = [&](TTimer& sender) {
    EXPECT_EQ(&sender, &timer);
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
  // Fire calls the handler at once; without a handler it does nothing.
  timer.Fire();
  EXPECT_EQ(count, 4);
  TTimer().Fire();
}

TEST(TestClock, WaitAdvancesVirtualTimeAndDeliversPostedEvents) {
  bool delivered = false;
  QTimer::singleShot(0, QCoreApplication::instance(), [&] { delivered = true; });
  platform::Wait(5000);
  EXPECT_TRUE(delivered);
  EXPECT_EQ(platform::Clock().NowMs(), 5000);
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
