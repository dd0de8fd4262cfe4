#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "SettingsTestSupport.h"
#include "platform/Clock.h"
#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"

using namespace pvx;
using namespace pvx::settings;
using test::Channels;
using test::FakeTuner;

// --- scans on a simulated band
// ---------------------------------------------------------------

namespace {

constexpr qint64 kCapture = 1500000;

// Carriers that lock within 1.5 MHz; the offset grows one per 62.5 kHz of
// detuning, limited to
// +-limit as many tuners report it.
std::function<FakeTuner::Reading(quint32)> Band(std::vector<qint64> carriers, int limit = 1000) {
  return [carriers, limit](quint32 hertz) {
    for (qint64 c : carriers) {
      const qint64 detune = qint64(hertz) - c;
      if (std::llabs(detune) <= kCapture)
        return FakeTuner::Reading{true, qint32(std::clamp<qint64>(detune / 62500, -limit, limit))};
    }
    return FakeTuner::Reading{};
  };
}

}  // namespace

TEST(ChannelScan, AutoScanOfBothTablesMarksWhatLocks) {
  Channels ch;
  ch.info.Standard = 2;
  for (bool cable : {false, true})
    for (int n = 1; n <= 160; ++n)
      ch.info.ChannelRecord(cable, n)->DefaultFrequency =
          n <= 100 ? 40000000 + quint32(n) * 8000000 : 0;
  ch.info.ChannelRecord(false, 11)->Valid = true;  // stale
  ch.tuner.Receive = Band({64000000, 120000000 + 1000000});
  int progress = 0;
  ch.info.OnAutoScanProgress = [&](TChannelInfo &c, int n, bool valid, bool antenna) {
    EXPECT_TRUE(c.Scanning);
    EXPECT_EQ(QList<int>({n, antenna, valid}),
              QList<int>({progress % 160 + 1, progress < 160, n == 3 || n == 10}));
    ++progress;
  };
  ASSERT_TRUE(ch.info.AutoScan(2));
  EXPECT_EQ(progress, 320);
  EXPECT_EQ(ch.done, QStringList({"160 2 0 0", "160 2 2 0"}));
  EXPECT_EQ(ch.tuner.Log.first(), "standard 0x10");
  EXPECT_EQ(ch.tuner.Tuned.size(), 200u) << "channels without a frequency are not tuned";
  EXPECT_TRUE(ch.info.ChannelRecord(false, 3)->Found && ch.info.ChannelRecord(true, 10)->Valid);
  EXPECT_FALSE(ch.info.ChannelRecord(false, 11)->Valid || ch.info.Scanning);
  ch.done.clear();
  ASSERT_TRUE(ch.info.AutoScan(1));
  EXPECT_EQ(ch.done, QStringList({"160 2 1 0"})) << "the cable kind scans the cable table only";
}

TEST(ChannelScan, AbortStopsAtTheNextChannelAndANestedScanIsRefused) {
  Channels ch;
  for (int n = 1; n <= 160; ++n) ch.info.ChannelRecord(false, n)->DefaultFrequency = 50000000;
  ch.tuner.Receive = Band({50000000});
  bool nested = true;
  ch.info.OnAutoScanProgress = [&](TChannelInfo &c, int n, bool, bool) {
    if (n == 1) nested = c.AutoScan(0) || c.FreeScan(250000);
    if (n == 10) c.AbortScan = true;  // as an Abort button would, during the message pumping
  };
  ASSERT_TRUE(ch.info.AutoScan(2));
  EXPECT_FALSE(nested);
  EXPECT_EQ(ch.done, QStringList({"10 11 0 1"})) << "the cable pass is skipped";
  EXPECT_EQ(ch.tuner.Tuned.size(), 11u);
  EXPECT_FALSE(ch.info.ChannelRecord(false, 12)->Valid);
}

TEST(ChannelScan, FreeScanStoresCentredCarriersAndSkipsAChannelWidthAfterEach) {
  Channels ch;
  ch.info.AntennaChannels[150].Name = "old";
  ch.info.MemoryChannels[3] = {false, 1, 9, "mine"};
  // 60.25 lies within 5 MHz of 56.25 and is passed over after the find below
  // it.
  ch.tuner.Receive = Band({48250000, 56250000, 60250000, 83250000});
  QStringList found;
  bool coarseDuring = false;
  ch.info.OnFreeScanProgress = [&](TChannelInfo &, int slot, quint32 f, bool hit) {
    coarseDuring = ch.tuner.Coarse;
    if (hit) found << QStringLiteral("%1=%2").arg(slot).arg(f);
  };
  ASSERT_TRUE(ch.info.FreeScan(250000));
  EXPECT_EQ(found, QStringList({"1=48250000", "2=56250000", "3=83250000"}));
  EXPECT_EQ(ch.done, QStringList({"free 3 0"}));
  EXPECT_TRUE(coarseDuring && !ch.tuner.Coarse);
  EXPECT_EQ(*ch.info.ChannelRecord(false, 2),
            (TChannelRecord{true, true, 0, 0, 56250000, 56250000, "", ""}));
  EXPECT_EQ(ch.info.AntennaChannels[150], TChannelRecord{});
  EXPECT_EQ(ch.info.CableChannels, ch.info.AntennaChannels);
  EXPECT_EQ(ch.info.MemoryChannels[3], (TMemoryChannelRecord{true, 0, 4, "Memory 4"}));
  EXPECT_EQ(ch.tuner.Tuned.front(), 45000000u);
  EXPECT_LE(ch.tuner.Tuned.back(), 100000000u);
}

TEST(ChannelScan, FreeScanCentresOnTheOffsetsAndStopsAfter160Stations) {
  // A carrier between two steps, on a tuner reporting at most +-2 (-2 then +2);
  // and a wide centre of zero offsets, followed to its last step.
  const std::function<FakeTuner::Reading(quint32)> bands[] = {
      Band({50125000}, 2), [](quint32 hertz) {
        const qint64 d = qint64(hertz) - 50000000;
        if (std::llabs(d) > kCapture) return FakeTuner::Reading{};
        return FakeTuner::Reading{true, std::llabs(d) <= 300000 ? 0 : qint32(d / 100000)};
      }};
  for (const auto &band : bands) {
    Channels ch;
    ch.tuner.Receive = band;
    ASSERT_TRUE(ch.info.FreeScan(250000));
    EXPECT_EQ(ch.info.AntennaChannels[0].Frequency, 50250000u);
    EXPECT_FALSE(ch.info.AntennaChannels[1].Valid);
  }
  Channels ch;  // it stops after 160 stations
  std::vector<qint64> carriers;
  for (int i = 0; i < 170; ++i) carriers.push_back(50000000 + qint64(i) * 7000000);
  ch.tuner.Max = 50000000 + 171 * 7000000;
  ch.tuner.Receive = Band(carriers);
  ASSERT_TRUE(ch.info.FreeScan(250000));
  EXPECT_EQ(ch.done, QStringList({"free 160 0"}));
  EXPECT_EQ(ch.info.AntennaChannels[159].Frequency, quint32(carriers[159]));
  EXPECT_LT(ch.tuner.Tuned.back(), quint32(carriers[161]));
}

TEST(ChannelScan, FreeScanAbortStopsAtTheNextChannelAndAZeroStepOrNoTunerIsRefused) {
  Channels ch;
  ch.tuner.Receive = Band({48250000, 56250000, 83250000});
  ch.info.OnFreeScanProgress = [&](TChannelInfo &c, int, quint32, bool hit) { c.AbortScan = hit; };
  ASSERT_TRUE(ch.info.FreeScan(250000));
  EXPECT_EQ(ch.done, QStringList({"free 1 1"}));
  EXPECT_TRUE(ch.info.AntennaChannels[0].Valid && !ch.info.AntennaChannels[1].Valid);
  EXPECT_EQ(ch.tuner.Tuned.back(), 48500000u) << "the step after the find ends the search";
  ch.Clear();
  EXPECT_FALSE(ch.info.FreeScan(0) || ch.info.FreeScan(-250000));
  EXPECT_TRUE(ch.tuner.Tuned.empty());
  TChannelInfo bare;  // without a tuner both scans fail
  bare.AbortScan = true;
  EXPECT_FALSE(bare.AutoScan(2) || bare.AbortScan || bare.FreeScan(250000) || bare.Scanning);
}
