// The virtual card's broadcast and its state: stations read from their file, the PLL offset
// around a carrier, and what the card receives as it is tuned and routed. Then its pictures in a
// running graph: motion on calm and busy stations, noise that grows off the carrier, stations
// that broadcast a media file, and interlaced ones. Its device filters (shared with real cards,
// see v4l2/) are checked on it through the capture engine (engine_tests): routing, tuning,
// colour, standards, sizes, configured cards and their names.

#include "platform/devices/virtual/TVirtualCard.h"

#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <cstdlib>

#include "platform/virtual/VirtualRig.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::devices;
using namespace pvx::platform::graph;

namespace {

constexpr quint32 kOne = 55250000;      // "OKA One", NTSC M, mono + stereo
constexpr quint32 kSports = 175250000;  // "Seven Sports", four audio modes
constexpr quint32 kMovies = 193250000;  // copy protected

constexpr quint32 kCalm = 55250000, kHeavy = 175250000, kGreen = 211250000, kFilm = 471250000,
                  kGone = 623250000, kBad = 48250000;
constexpr int kWidth = 320, kHeight = 240;

// The card on a broadcast of its own, captured as 320x240 YUY2 (luma on the even bytes).
struct LiveCapture : test::TVirtualRig {
  LiveCapture() {
    test::WriteFile(test::Home() + "stations.ini",
                    "[tv7]\nname=Combed\nfrequency=585250000\npattern=colors\npan=8\ninterlaced=true\n"
                    "[tv8]\nname=Whole\nfrequency=91250000\npattern=colors\npan=8\n"
                    "[tv1]\nname=Calm\nfrequency=55250000\npattern=smpte\nticker=Calm news\n"
                    "[tv2]\nname=Heavy\nfrequency=175250000\npattern=zone-plate\nmotion=heavy\n"
                    "[tv3]\nname=Green\nfrequency=211250000\npattern=green\n"
                    "[tv4]\nname=Film\nfrequency=471250000\npattern=black\nfile=clip.avi\n"
                    "[tv5]\nname=Gone\nfrequency=623250000\npattern=blue\nfile=missing.avi\n"
                    "[tv6]\nname=Bad\nfrequency=48250000\npattern=blue\nfile=bad.avi\n");
    card = InstallVirtualCard({.StationsFile = test::Home() + "stations.ini"});
    capture = Add(DeviceCategory::VideoInputDevice);
    tuner = Bind<ITunerPropertySet>(DeviceCategory::TVTuner);
  }
  void Run() { sink = Play(*capture, test::VideoType("YUY2", kWidth, kHeight)); }
  bool Tune(quint32 hertz) { return tuner->SetFrequency(hertz, kTuningExact, 0); }
  // The frame `frames` frames after the newest one.
  QByteArray Later(int frames) { return TCardRig::Later(*sink, frames); }
  std::shared_ptr<TVirtualCard> card;
  std::shared_ptr<TFilter> capture;
  ITunerPropertySet* tuner = nullptr;
  std::shared_ptr<test::TTestSink> sink;
};

// Share of luma samples in the top `rows` that differ by more than 12 levels.
double ChangedShare(const QByteArray& a, const QByteArray& b, int rows = kHeight) {
  const int end = kWidth * rows * 2;
  if (a.size() != b.size() || a.size() < end) return -1;
  int changed = 0;
  for (int i = 0; i < end; i += 2) changed += std::abs(uchar(a[i]) - uchar(b[i])) > 12;
  return 2.0 * changed / end;
}

// Mean luma, and mean luma difference, over the lower left of the picture: clear of the box,
// the caption, the title and the clock.
double Region(const QByteArray& a, const QByteArray& b = {}) {
  if (a.size() != kWidth * kHeight * 2) return -1;
  const int top = kHeight * 6 / 10, rows = kHeight / 5, columns = kWidth / 5;
  double sum = 0;
  for (int n = 0; n < rows * columns; ++n) {
    const int i = ((top + n / columns) * kWidth + n % columns) * 2;
    sum += b.isEmpty() ? uchar(a[i]) : std::abs(uchar(a[i]) - uchar(b[i]));
  }
  return sum / (rows * columns);
}

}  // namespace

// The shipped broadcast, and the PLL offset around one of its carriers.
TEST(VirtualStations, TheShippedBroadcastWithItsCarriersAndAFilesKeysAndBadRows) {
  const TVirtualStations stations = TVirtualStations::LoadDefault();
  const auto one = stations.Receive(kOne, false);
  ASSERT_TRUE(one && !stations.Receive(kOne, true));  // not on the FM band
  EXPECT_EQ(std::pair(one->Name, one->Standard), std::pair(QString("OKA One"), 0x1));
  const std::pair<qint64, int> rows[] = {
      {0, 0},        {62499, 0},   {-62499, 0},   {62500, 1},    {-62500, -1},
      {250000, 4},   {-250000, -4}, {1500000, 24}, {-1500000, -24},
      {1500001, kNoCarrierOffset}, {-1500001, kNoCarrierOffset}};
  for (const auto& [detune, offset] : rows)
    EXPECT_EQ(stations.PllOffset(quint32(kOne + detune), false), offset) << detune;
  // A stations file of the user's: its keys, and its bad rows left out.
  EXPECT_TRUE(TVirtualStations::Load(test::Home() + "none.ini").All().empty());
  test::WriteFile(test::Home() + "st/s.ini",
                  "[tv1]\nname=A\nfrequency=1\nticker=Sunny spells, 18 C\npan=2\n"
                  "motion=heavy\nfile=clips/a.mkv\n"
                  "[tv2]\nname=B\nfrequency=2\nfile=/abs/b.avi\n"
                  "[tv3]\nname=No frequency\n[tv4]\nname=Bad\nfrequency=abc\n"
                  "[other]\nfrequency=1\n[fm1]\nname=Ok\nfrequency=99000000\nstandard=XYZ\n");
  const auto all = TVirtualStations::Load(test::Home() + "st/s.ini").All();
  ASSERT_EQ(all.size(), 3u) << "the bad rows left out";
  EXPECT_TRUE(all[0].Name == "Ok" && all[0].IsFM) << "in the order of the sections' names";
  // A relative file lies beside the stations file; the ticker is the name when none is given.
  const auto& [a, b] = std::pair(all[1], all[2]);
  EXPECT_EQ(std::tuple(a.Ticker, a.Pan, a.HeavyMotion, a.FileName, a.FilePath),
            std::tuple(QString("Sunny spells, 18 C"), 2, true, QString("clips/a.mkv"),
                       test::Home() + "st/clips/a.mkv"));
  EXPECT_EQ(std::tuple(b.Ticker, b.HeavyMotion, b.FilePath),
            std::tuple(QString("B"), false, QString("/abs/b.avi")));
}

// What the card receives where it is tuned: a station's picture or snow (and with it the lock,
// the signal and the sound), the PLL offset, the TV sound modes and the copy protection. Each
// change is told to the listeners until they leave.
TEST(VirtualCard, ReceptionFollowsTheTunerItsModeAndTheRoutesAndListenersHearEachChange) {
  constexpr int kMono = AMTVAUDIO_MODE_MONO, kStereo = kMono | AMTVAUDIO_MODE_STEREO;
  constexpr int kFour = kStereo | AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B;
  // Hertz (0: nothing tuned yet), the station ("": snow), PLL offset, sound modes, copy protection.
  const std::tuple<quint32, QString, int, int, int> rows[] = {
      {0, "", kNoCarrierOffset, kMono, 0},           {kOne + 1000000, "OKA One", 16, kStereo, 0},
      {kOne + 2000000, "", kNoCarrierOffset, kMono, 0}, {kSports, "Seven Sports", 0, kFour, 0},
      {kMovies, "Ten Movies", 0, kStereo, 1},           {300000000, "", kNoCarrierOffset, kMono, 0}};
  TVirtualCard card;
  int heard = 0;
  const int token = card.Subscribe([&] { ++heard; });
  for (const auto& [hertz, station, pll, modes, copy] : rows) {
    SCOPED_TRACE(hertz);
    ASSERT_TRUE(!hertz || card.SetFrequency(hertz));
    const bool tuned = !station.isEmpty();
    TTunerStatus status;
    int carried = 0;
    qint32 flags = -1;
    bool locked = !tuned;
    ASSERT_TRUE(card.ReadTunerStatus(status) && card.ReadTVAudioModes(carried));
    ASSERT_TRUE(card.ReadCopyProtection(flags) && card.ReadHorizontalLock(locked));
    // The station's picture and sound, or snow and hiss.
    const SourceKind kind = tuned ? SourceKind::Station : SourceKind::Snow;
    EXPECT_EQ(std::pair(card.Picture().Kind, card.Sound().Kind), std::pair(kind, kind));
    EXPECT_EQ(tuned ? card.Picture().Station->Name : "", station);
    EXPECT_EQ(std::tuple(status.SignalStrength, status.PLLOffset, carried, flags, locked),
              std::tuple(tuned ? 100 : 0, pll, modes, copy, tuned));
  }
  card.Route(0, 0, 1);
  // The sizes offered follow the standard; PAL G, which the card lacks, two at once and none
  // are refused.
  ASSERT_TRUE(card.SetStandard(0x10));
  const TMediaType pal = card.CaptureTypes().front();
  EXPECT_EQ(pal.Name() + " " + QString::number(pal.AvgTimePerFrame), "YUY2 640x576 400000");
  EXPECT_FALSE(card.SetStandard(0x40) || card.SetStandard(0x1 | 0x10) || card.SetStandard(0));
  EXPECT_TRUE(card.SetStandard(0x200) && card.IsNtscLike()) << "PAL M has NTSC's 525 lines";
  EXPECT_EQ(heard, 8) << "five tunings, a route and two standards";
  card.Unsubscribe(token);
  ASSERT_TRUE(card.SetFrequency(kSports) && card.Route(0, 0, 0));
  EXPECT_EQ(heard, 8);
  // FM mode hears FM stations and shows no picture; back on TV the TV frequency is where it was.
  EXPECT_FALSE(card.SetTunerMode(TVirtualCard::kModeTV | TVirtualCard::kModeFM) || card.SetTunerMode(4));
  ASSERT_TRUE(card.SetTunerMode(TVirtualCard::kModeFM) && card.SetFrequency(100000000));
  ASSERT_EQ(std::pair(card.Sound().Kind, card.Picture().Kind),
            std::pair(SourceKind::Station, SourceKind::Snow));
  EXPECT_EQ(std::pair(card.Sound().Station->Name, card.PllOffset()), std::pair(QString("Classic 100"), 0));
  EXPECT_TRUE(card.SetFrequency(100100000) && card.PllOffset() == 1) << card.PllOffset();
  EXPECT_TRUE(card.SetTunerMode(TVirtualCard::kModeTV) && card.Frequency() == kSports);
  // The crossbar's routes select the input; through its audio capture device, the card records
  // one of its lines.
  const std::pair<int, SourceKind> inputs[] = {
      {1, SourceKind::Composite}, {2, SourceKind::SVideo}, {5, SourceKind::Camera}};
  for (const auto& [input, kind] : inputs) {
    bool locked = false;
    ASSERT_TRUE(card.Route(0, 0, input) && card.ReadHorizontalLock(locked));
    EXPECT_TRUE(card.Picture().Kind == kind && locked) << input;
  }
  EXPECT_FALSE(card.Route(1, 0, 1)) << "there is no crossbar 1";
  EXPECT_EQ(card.PartName(CardPart::Crossbar, 1), "OKA Virtual Philips 7134 Crossbar 2");
  EXPECT_TRUE(card.Route(0, 1, 4) && card.Sound().Kind == SourceKind::Line);
  test::TVirtualRig rig;
  auto* mixer = rig.Bind<IAudioInputMixer>(DeviceCategory::AudioInputDevice);
  auto* config = dynamic_cast<IStreamConfig*>(mixer);
  bool on = false;
  ASSERT_TRUE(config && config->GetNumberOfCapabilities() == 3 && mixer->get_Enable(0, on) && on);
  EXPECT_FALSE(config->SetFormat(test::VideoType("YUY2", 320, 240)));
  EXPECT_FALSE(mixer->put_Enable(2, true) || mixer->put_Enable(2, false) || mixer->get_Enable(2, on));
  EXPECT_FALSE(mixer->put_Enable(-1, false) || mixer->get_Enable(-1, on));
  EXPECT_TRUE(mixer->put_Enable(1, true) && mixer->put_Enable(1, false) && mixer->get_Enable(1, on) && on);
  EXPECT_TRUE(mixer->get_Enable(0, on) && !on) << "lines are exclusive";
  // The line output carries the card's sound whatever line is recorded.
  const auto defaultCard = DefaultVirtualCard();
  EXPECT_EQ(std::pair(defaultCard->Sound().Kind, defaultCard->LineOut().Kind),
            std::pair(SourceKind::Silence, SourceKind::Snow));
}

// A station that broadcasts a file loops it at the size asked, with its sound; stations move;
// a missing or bad file shows the station's pattern with a caption.
TEST(LivePicture, AFileStationLoopsStationsMoveNoiseGrowsOffTheCarrierAndAMissingFileShowsThePattern) {
  const QStringList clip{"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=176x144:rate=25", "-f",
                         "lavfi", "-i", "sine=frequency=300", "-t", "2", "-c:v", "mpeg4", "-c:a", "mp2"};
  ASSERT_EQ(QProcess::execute("ffmpeg", clip + QStringList{test::Home() + "clip.avi"}), 0);
  LiveCapture live;
  auto sound = live.Add(DeviceCategory::AudioInputDevice);
  auto heard = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  live.graph.AddFilter(heard, "AudioSink");
  ASSERT_TRUE(live.graph.Connect(*sound->FindPin("Capture"), *heard->FindPin("Input")) && live.Tune(kFilm));
  live.Run();
  // The file's bright picture replaces the black pattern once it is decoded.
  ASSERT_TRUE(test::WaitUntil([&] { return Region(live.Later(1)) > 60; }));
  EXPECT_EQ(live.card->Caption(), "") << "footage plays without a caption";
  // The file's 300 Hz, not the station's 440 Hz tone: 6 rising zero crossings in 20 ms of the
  // left channel, against 8 or 9.
  const auto crossings = [&] {
    const QByteArray pcm = heard->Last().bytes;
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    int n = 0;
    for (qsizetype i = 2; i + 1 < pcm.size() / 2; i += 2) n += samples[i - 2] < 0 && samples[i] >= 0;
    return n;
  };
  EXPECT_TRUE(test::WaitUntil([&] { return crossings() == 6; })) << crossings();
  // Well past the file's two seconds it still plays, and still moves.
  const QByteArray late = live.Later(100);
  EXPECT_GT(Region(late), 60);
  EXPECT_GT(ChangedShare(late, live.Later(10), kHeight * 8 / 10), 0.05) << "frozen: no loop";
  // Calm and busy stations move within a second; noise grows as the tuning drifts off the carrier.
  for (const auto& [hertz, least] : {std::pair{kCalm, 0.05}, {kHeavy, 0.5}}) {
    ASSERT_TRUE(live.Tune(hertz));
    const QByteArray first = live.Later(3);
    EXPECT_GT(ChangedShare(first, live.Later(30)), least) << hertz;
  }
  std::vector<double> noise;
  for (const quint32 offset : {0, 500000, 1200000}) {
    ASSERT_TRUE(live.Tune(kGreen + offset));
    const QByteArray a = live.Later(3);
    noise.push_back(Region(a, live.Later(1)));
  }
  EXPECT_LT(noise[0], 0.5) << "clean on the carrier";
  EXPECT_TRUE(noise[1] > noise[0] + 3 && noise[2] > noise[1] + 3) << noise[1] << " then " << noise[2];

  test::WriteFile(test::Home() + "bad.avi", QByteArray(5000, 'x'));
  for (const auto& [hertz, caption] :
       {std::pair{kGone, "Cannot play missing.avi"}, {kBad, "Cannot play bad.avi"}}) {
    ASSERT_TRUE(live.Tune(hertz));
    ASSERT_TRUE(test::WaitUntil([&] { return live.card->Caption() == caption; })) << caption;
    EXPECT_LT(Region(live.Later(3)), 60) << "the station's own pattern";
  }
  live.graph.Stop();
}

// Interlaced frames leave the capture pin marked so and comb where the picture moves.
TEST(LivePicture, AnInterlacedStationsFramesAreMarkedSoAndComb) {
  std::atomic<int> frames[2] = {};  // by whether marked interlaced, top field first
  LiveCapture live;
  gst_pad_add_probe(
      live.capture->FindPin("Capture")->Pad(), GST_PAD_PROBE_TYPE_BUFFER,
      [](GstPad*, GstPadProbeInfo* info, gpointer counts) {
        const int fields = GST_VIDEO_BUFFER_FLAG_INTERLACED | GST_VIDEO_BUFFER_FLAG_TFF;
        const int flags = GST_BUFFER_FLAGS(GST_PAD_PROBE_INFO_BUFFER(info));
        ++static_cast<std::atomic<int>*>(counts)[(flags & fields) == fields];
        return GST_PAD_PROBE_OK;
      },
      frames, nullptr);
  live.Run();
  for (const auto& [hertz, interlaced] : {std::pair{585250000u, true}, {91250000u, false}}) {
    ASSERT_TRUE(live.Tune(hertz) && !live.Later(3).isEmpty());
    frames[0] = frames[1] = 0;
    // Luma differences of neighbouring rows (opposite fields) against rows of one field.
    const QByteArray f = live.Later(5);
    const double comb = (Region(f, f.mid(kWidth * 2)) + 1) / (Region(f, f.mid(kWidth * 4)) + 1);
    EXPECT_TRUE(frames[interlaced] > 0 && frames[!interlaced] == 0 && (comb > 5) == interlaced) << comb;
  }
}
