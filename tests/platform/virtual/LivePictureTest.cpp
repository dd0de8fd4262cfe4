// The virtual card's pictures in a running graph: motion on calm and busy stations, noise that
// grows off the carrier, and stations that broadcast a media file.

#include <gtest/gtest.h>

#include <QProcess>
#include <cstdlib>

#include "platform/virtual/VirtualRig.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;

namespace {

constexpr quint32 kCalm = 55250000, kHeavy = 175250000, kGreen = 211250000, kFilm = 471250000,
                  kGone = 623250000, kBad = 48250000;
constexpr int kWidth = 320, kHeight = 240;

// The card on a broadcast of its own, captured as 320x240 YUY2 (luma on the even bytes).
struct LiveCapture : test::TVirtualRig {
  LiveCapture() {
    test::WriteFile(test::Home() + "stations.ini",
                    "[tv1]\nname=Calm\nfrequency=55250000\npattern=smpte\nticker=Calm news\n"
                    "[tv2]\nname=Heavy\nfrequency=175250000\npattern=zone-plate\nmotion=heavy\n"
                    "[tv3]\nname=Green\nfrequency=211250000\npattern=green\n"
                    "[tv4]\nname=Film\nfrequency=471250000\npattern=black\nfile=clip.avi\n"
                    "[tv5]\nname=Gone\nfrequency=623250000\npattern=blue\nfile=missing.avi\n"
                    "[tv6]\nname=Bad\nfrequency=48250000\npattern=blue\nfile=bad.avi\n");
    dev::TVirtualCardConfig config;
    config.StationsFile = test::Home() + "stations.ini";
    card = dev::InstallVirtualCard(config);
    capture = Add(DeviceCategory::VideoInputDevice);
    tuner = Bind<ITunerPropertySet>(DeviceCategory::TVTuner);
  }
  void Run() { sink = Play(*capture, test::VideoType("YUY2", kWidth, kHeight)); }
  bool Tune(quint32 hertz) { return tuner->SetFrequency(hertz, kTuningExact, 0); }
  // The frame `frames` frames after the newest one.
  QByteArray Later(int frames) { return TCardRig::Later(*sink, frames); }
  std::shared_ptr<dev::TVirtualCard> card;
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
  double sum = 0;
  int n = 0;
  for (int y = kHeight * 6 / 10; y < kHeight * 8 / 10; ++y) {
    for (int x = 0; x < kWidth / 5; ++x, ++n) {
      const int i = (y * kWidth + x) * 2;
      sum += b.isEmpty() ? uchar(a[i]) : std::abs(uchar(a[i]) - uchar(b[i]));
    }
  }
  return a.size() == kWidth * kHeight * 2 ? sum / n : -1;
}

}  // namespace

TEST(LivePicture, CalmAndHeavyStationsMoveWithinASecond) {
  LiveCapture live;
  live.Run();
  for (const auto& [hertz, least] : {std::pair{kCalm, 0.05}, {kHeavy, 0.5}}) {
    ASSERT_TRUE(live.Tune(hertz));
    const QByteArray first = live.Later(3);
    EXPECT_GT(ChangedShare(first, live.Later(30)), least) << hertz;
  }
  live.graph.Stop();
}

TEST(LivePicture, NoiseGrowsAsTheTuningDriftsOffTheCarrier) {
  LiveCapture live;
  live.Run();
  std::vector<double> noise;
  for (const quint32 offset : {0, 500000, 1200000}) {
    ASSERT_TRUE(live.Tune(kGreen + offset));
    const QByteArray a = live.Later(3);
    noise.push_back(Region(a, live.Later(1)));
  }
  live.graph.Stop();
  EXPECT_LT(noise[0], 0.5) << "clean on the carrier";
  EXPECT_GT(noise[1], noise[0] + 3);
  EXPECT_GT(noise[2], noise[1] + 3);
}

TEST(LivePicture, FileStationLoopsAtTheAskedSizeAndAMissingFileShowsThePattern) {
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=176x144:rate=25",
                          "-f", "lavfi", "-i", "sine=frequency=300", "-t", "2", "-c:v", "mpeg4",
                          "-c:a", "mp2", test::Home() + "clip.avi"});
  ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
  LiveCapture live;
  auto sound = live.Add(DeviceCategory::AudioInputDevice);
  auto heard = std::make_shared<test::TTestSink>(MediaMajor::Audio);
  live.graph.AddFilter(heard, "AudioSink");
  ASSERT_TRUE(live.graph.Connect(*sound->FindPin("Capture"), *heard->FindPin("Input")));
  ASSERT_TRUE(live.Tune(kFilm));
  live.Run();
  // The file's bright picture replaces the black pattern once it is decoded.
  ASSERT_TRUE(test::WaitUntil([&] { return Region(live.Later(1)) > 60; }));
  EXPECT_EQ(live.sink->Last().type.Width, kWidth);
  EXPECT_EQ(live.sink->Last().type.Height, kHeight);
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

  test::WriteFile(test::Home() + "bad.avi", QByteArray(5000, 'x'));
  for (const auto& [hertz, caption] :
       {std::pair{kGone, "Cannot play missing.avi"}, {kBad, "Cannot play bad.avi"}}) {
    ASSERT_TRUE(live.Tune(hertz));
    ASSERT_TRUE(test::WaitUntil([&] { return live.card->Caption() == caption; })) << caption;
    EXPECT_LT(Region(live.Later(3)), 60) << "the station's own pattern";
  }
  live.graph.Stop();
}
