// The channel tables driving the capture engine on the virtual card: scans, selection, and the
// engine's side of the channel tuner.

#include <QCoreApplication>

#include "EngineFixture.h"
#include "engine/ChannelTunerAdapter.h"
#include "platform/Clock.h"
#include "platform/TTimer.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/devices/virtual/VirtualStations.h"
#include "settings/ChannelInfo.h"
#include "tuning/FrequencyTable.h"

using settings::TChannelInfo;
using settings::TChannelRecord;

namespace {

constexpr qint64 kStep = 250000;

class ChannelScan : public test::EngineFixture {
 protected:
  // The engine with its preview graph built (not running); tuning pauses only when asked.
  void SetUpCard(bool tuningPause = false) {
    engine::TEngineConfig config;
    config.TuningPause = tuningPause;
    auto& e = Make({}, config);
    ASSERT_TRUE(e.OpenDevices() && e.BuildPreviewGraph());
    tuner_ = std::make_unique<engine::TChannelTunerAdapter>(e);
    channels.SetTuner(tuner_.get());
  }
  void LoadTable(int table) {
    ASSERT_TRUE(tuning::LoadFrequencyTable(table, antenna, cable));
    tuning::ApplyFrequencyBlock(antenna, [&](int n) -> TChannelRecord& { return *channels.ChannelRecord(false, n); });
    tuning::ApplyFrequencyBlock(cable, [&](int n) -> TChannelRecord& { return *channels.ChannelRecord(true, n); });
  }
  // An Abort click arrives as a queued event, delivered while the scan pumps messages.
  void AbortLater() {
    QMetaObject::invokeMethod(
        qApp, [this] { channels.RequestAbort(); }, Qt::QueuedConnection);
  }

  std::unique_ptr<engine::TChannelTunerAdapter> tuner_;
  TChannelInfo channels;
  tuning::TFrequencyBlock antenna{}, cable{};
};

}  // namespace

// The free scan tunes coarsely while it runs and stores each station it finds in both tables at its
// exact frequency, also one off the step grid.
TEST_F(ChannelScan, FreeScanTunesCoarselyAndFindsStationsAtTheirExactFrequenciesAlsoOffTheStepGrid) {
  SetUpCard();
  dev::TVirtualStations stations;
  stations.Add({.Name = "On the grid", .Frequency = 203250000});  // 45.25 MHz + k x 0.25 MHz
  stations.Add({.Name = "Between two steps", .Frequency = 300125000});
  card_->SetStations(stations);
  int done = -1;
  channels.OnFreeScanDone = [&](TChannelInfo&, int found, bool aborted) {
    EXPECT_FALSE(aborted);
    EXPECT_TRUE(engine_->Tuner().CoarseTuning());
    done = found;
  };
  ASSERT_TRUE(channels.FreeScan(kStep));
  EXPECT_EQ(done, 2);
  EXPECT_FALSE(engine_->Tuner().CoarseTuning());
  EXPECT_EQ(QList<qint32>({engine_->Tuner().TVMin(), engine_->Tuner().TVMax()}),
            QList<qint32>({45250000, 889250000}));
  EXPECT_EQ(channels.CableChannels(), channels.AntennaChannels());
  EXPECT_EQ(channels.AntennaChannels()[0].Frequency, 203250000u);
  // No step reads offset 0; the first reading is -22 at 298.75 MHz, and the find is the step
  // whose offset mirrors it (+22), still within the station's lock range.
  EXPECT_EQ(channels.AntennaChannels()[1].Frequency, 301500000u);
  EXPECT_FALSE(channels.AntennaChannels()[2].Valid);
}

// The scan stops at the channel after an Abort click, which arrives as a queued event while the
// scan pumps messages; selecting a channel it found then tunes the card and its sound.
TEST_F(ChannelScan, AbortDuringMessagePumpingStopsTheScanAndAFoundChannelTunesTheCardAndItsSound) {
  SetUpCard();
  LoadTable(0);
  QStringList done;
  channels.OnAutoScanProgress = [&](TChannelInfo&, int n, bool, bool) {
    if (n == 4) AbortLater();
  };
  channels.OnAutoScanDone = [&](TChannelInfo&, int last, int found, int kind, bool aborted) {
    done << QStringLiteral("%1 %2 %3 %4").arg(last).arg(found).arg(kind).arg(aborted);
  };
  ASSERT_TRUE(channels.AutoScan(2));
  EXPECT_EQ(done, QStringList({"4 2 0 1"})) << "channels 2 and 4 carry stations; 5 was the last tuned";
  EXPECT_EQ(engine_->Tuner().TVFrequency(), antenna[5]);
  EXPECT_FALSE(channels.Scanning());
  channels.ChannelRecord(false, 2)->Name = "OKA One";
  channels.ChannelRecord(false, 2)->AudioMode = 1;
  channels.SetVerifyCount(3);
  QString text;
  channels.OnChannelChange = [&](TChannelInfo&, int, const QString& t) { text = t; };
  channels.SetTable(TChannelInfo::kAntenna);
  channels.SelectChannel(160);
  EXPECT_EQ(channels.ChannelUp(), 2);
  EXPECT_EQ(std::tuple(card_->Frequency(), card_->TVAudioMode(), card_->Standard(), engine_->Tuner().SignalReadings(), text),
            std::tuple(55250000u, 0x2, 0x1, 3, QString("OKA One- Stereo")));
  EXPECT_EQ(channels.ChannelUp(), 4);
  EXPECT_EQ(card_->Frequency(), 67250000u);
  EXPECT_EQ(text, "- Mono") << "a table record asks for mono and has no name";
}

TEST_F(ChannelScan, TheAdapterPausesOnlyForARealFrequencyTunes100MHzForZeroAndMapsModesAndSources) {
  SetUpCard(true);
  const qint64 start = test::Clock().NowMs();
  ASSERT_TRUE(tuner_->SetTVFrequency(0));
  EXPECT_EQ(card_->Frequency(), 100000000u);
  EXPECT_EQ(test::Clock().NowMs() - start, 100) << "no pause for frequency 0";
  engine_->SetUnattended(true);
  ASSERT_TRUE(tuner_->SetTVFrequency(55250000));
  EXPECT_EQ(test::Clock().NowMs() - start, 200) << "no pause while unattended";
  engine_->SetUnattended(false);
  // The picture holds still while the tuner settles, and runs again after.
  platform::TTimer probe;
  platform::graph::GraphState during = platform::graph::GraphState::Running;
  probe.OnTimer = [&](platform::TTimer& t) { during = engine_->Preview().Graph()->State(), t.SetEnabled(false); };
  probe.SetInterval(250);
  probe.SetEnabled(true);
  ASSERT_TRUE(tuner_->SetTVFrequency(67250000));
  EXPECT_EQ(test::Clock().NowMs() - start, 700);
  EXPECT_EQ(during, platform::graph::GraphState::Paused);
  EXPECT_EQ(engine_->Preview().Graph()->State(), platform::graph::GraphState::Running);
  // Sources route the engine's input; mode and source numbers map to the engine's.
  EXPECT_TRUE(channels.SetVideoSource(TChannelInfo::kSVideo));
  EXPECT_EQ(engine_->Routing().InputKind(), 3);
  EXPECT_TRUE(channels.SetVideoSource(TChannelInfo::kCamera));
  EXPECT_EQ(card_->Picture().Kind, dev::SourceKind::Camera);
  EXPECT_TRUE(channels.SetVideoSource(TChannelInfo::kTuner));
  EXPECT_EQ(engine_->Routing().InputKind(), 1);
  using A = engine::TChannelTunerAdapter;
  QList<int> bits, conexant, kinds;
  for (int i = 0; i < 6; ++i) bits << A::TVAudioModeBits(i, 1);
  for (int i = 0; i < 3; ++i) conexant << A::TVAudioModeBits(i, 2);  // first language with mono and stereo
  for (int i = 0; i < 5; ++i) kinds << A::InputKindOf(i);
  EXPECT_EQ(bits, QList<int>({0x1, 0x2, 0x10, 0x20, 0x40, 0}));
  EXPECT_EQ(conexant, QList<int>({0x11, 0x12, 0x10}));
  EXPECT_EQ(kinds, QList<int>({1, 2, 3, 9, 0}));
}
