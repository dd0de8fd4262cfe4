#include "engine/FMSeek.h"

#include "EngineFixture.h"
#include "support/TestEnvironment.h"

namespace {

using Result = engine::TFMSeek::TResult;

// Stations on the band's two edges only (76 and 108 MHz here), or none at all.
class FMSeek : public test::EngineFixture {
 protected:
  engine::TCaptureInfo& Radio(bool stations) {
    test::WriteFile(test::Home() + "stations.ini", stations ? "[fm1]\nfrequency=76000000\n[fm2]\nfrequency=108000000\n"
                                                            : "[tv1]\nfrequency=55250000\n");
    auto& e = Built({.StationsFile = test::Home() + "stations.ini"});
    e.SetRadioMode(true);
    return e;
  }
};

// Stations or none, from where, which way; what the seek says, where it ends and how many
// frequencies it tuned (the way back to the start included). Then an abort ends a seek after the
// tuning in progress, and none runs after an abort or in TV.
TEST_F(FMSeek, WrapsToTheBandEdgesGoesBackOnAnEmptyBandAndStopsWhenAborted) {
  const std::tuple<bool, quint32, bool, Result, quint32, int> rows[] = {
      {true, 90000000, true, Result::Found, 108000000, 180},
      {true, 90000000, false, Result::Found, 76000000, 140},
      {true, 108000000, true, Result::Found, 76000000, 1},   // wraps to the band's first point
      {true, 76000000, false, Result::Found, 108000000, 1},  // and to its last
      {true, 76050000, false, Result::Found, 108000000, 2},  // 76.0 is the station it started on
      {true, 107950000, true, Result::Found, 76000000, 2},
      {false, 90000000, true, Result::NothingFound, 90000000, 321},
      {false, 90050000, false, Result::NothingFound, 90050000, 322},
  };
  for (const auto& [stations, start, up, result, end, tunings] : rows) {
    SCOPED_TRACE(testing::Message() << start << (up ? " up" : " down"));
    auto& e = Radio(stations);
    ASSERT_TRUE(e.SetFMFrequency(start));
    engine::TFMSeek seek(e);
    EXPECT_EQ(seek.Run(up), result);
    EXPECT_EQ(e.Tuner().FMFrequency(), end);
    EXPECT_EQ(seek.Tunings(), tunings);
  }
  auto& e = Radio(false);
  ASSERT_TRUE(e.SetFMFrequency(90000000));
  engine::TFMSeek seek(e);
  e.OnFMTuned = [&](engine::TCaptureInfo&, quint32, bool) { seek.Abort(); };
  EXPECT_EQ(seek.Run(true), Result::Aborted);
  EXPECT_EQ(e.Tuner().FMFrequency(), 90100000u);
  EXPECT_EQ(seek.Tunings(), 1);
  EXPECT_EQ(seek.Run(true), Result::Refused);
  EXPECT_EQ(seek.Tunings(), 0);
  e.OnFMTuned = nullptr;
  e.SetRadioMode(false);
  EXPECT_EQ(engine::TFMSeek(e).Run(false), Result::Refused);
}

}  // namespace
