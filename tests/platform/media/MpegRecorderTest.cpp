// The MPEG recorder through the graph facade: each program-stream kind and the disc standards
// record about three seconds from the virtual card, in the order of calls the recording graph
// makes, and the files are checked with ffprobe.

#include <QFile>

#include "MediaTestSupport.h"
#include "platform/media/MediaInterfaces.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::media;

namespace {

struct MpegCase {
  const char* name;
  // What the engine passes.
  formats::Container container;
  int streamType, bitRate, quality, width, height, sampleRate, frameRateCode;
  qint64 captureFrame;
  // What the file must hold.
  const char* videoCodec;
  double fps;
  const char* audioCodec;
  int audioRate;
  int packSize;  // 0: not checked
};

using C = formats::Container;
const MpegCase kCases[] = {
    {"Mpeg1", C::MpegSystem, 1, 1350000, 3, 320, 240, 44100, 5, test::kNtscFrame, "mpeg1video", 30, "mp2", 44100, 0},
    {"Mpeg2", C::MpegProgram, 2, 4000000, 0, 640, 240, 44100, 5, test::kNtscFrame, "mpeg2video", 30, "mp2", 44100, 0},
    // A plain MPEG-2 stream at a DVD's size and rates stays a plain stream: only the
    // container makes a disc.
    {"Mpeg2DvdSized", C::MpegProgram, 2, 3950000, 0, 720, 576, 48000, 3, test::kPalFrame, "mpeg2video", 25, "mp2", 48000, 0},
    {"VcdNtsc", C::Vcd, 1, 1150000, 3, 352, 240, 44100, 4, test::kNtscFrame, "mpeg1video", 29.97, "mp2", 44100, 2324},
    {"VcdPal", C::Vcd, 1, 1150000, 3, 352, 288, 44100, 3, test::kPalFrame, "mpeg1video", 25, "mp2", 44100, 2324},
    {"SvcdNtsc", C::Svcd, 2, 2300000, 3, 480, 480, 44100, 4, test::kNtscFrame, "mpeg2video", 29.97, "mp2", 44100, 2324},
    {"SvcdPal", C::Svcd, 2, 2300000, 3, 480, 576, 44100, 3, test::kPalFrame, "mpeg2video", 25, "mp2", 44100, 2324},
    {"DvdNtsc", C::Dvd, 2, 3950000, 0, 720, 480, 48000, 4, test::kNtscFrame, "mpeg2video", 29.97, "ac3", 48000, 2048},
    {"DvdPal", C::Dvd, 2, 3950000, 0, 720, 576, 48000, 3, test::kPalFrame, "mpeg2video", 25, "mp2", 48000, 2048},
};

// Builds the recorder branch as the recording graph does: settings in their order, the file
// name, then the capture pins rendered into it.
std::shared_ptr<TFilter> AddRecorder(test::TCaptureRig& rig, const MpegCase& c, const QString& path,
                                     bool timeShift) {
  auto recorder = rig.graph.AddComponent("OKA Mpeg1/2 Recorder Filter", "MPEG");
  if (!recorder) return nullptr;
  auto* settings = recorder->As<IMpegRecorderSettings>();
  EXPECT_TRUE(settings->SetStreamType(c.streamType));
  EXPECT_TRUE(settings->SetVideoBitRate(c.bitRate));
  EXPECT_TRUE(settings->SetQuality(c.quality));
  EXPECT_TRUE(settings->SetFrameSize(c.width, c.height));
  EXPECT_TRUE(settings->SetAudioSampleRate(c.sampleRate));
  EXPECT_TRUE(settings->SetFrameRateCode(c.frameRateCode));
  EXPECT_TRUE(settings->SetFlags(timeShift, !timeShift));
  EXPECT_TRUE(settings->SetContainer(c.container));
  EXPECT_TRUE(recorder->As<IFileSink>()->SetFileName(path));
  EXPECT_TRUE(rig.graph.Render(rig.VideoPin()));
  EXPECT_TRUE(rig.graph.Render(rig.AudioPin()));
  return recorder;
}

// Every pack of a disc image starts a sector: a pack start code at each multiple of its size.
int MisplacedPacks(const QString& path, int packSize) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = file.readAll();
  int bad = 0;
  for (qsizetype at = 0; at + 4 <= bytes.size(); at += packSize) {
    if (bytes.mid(at, 4) != QByteArray::fromHex("000001ba")) ++bad;
  }
  return bad + int(bytes.size() % packSize != 0);
}

class MpegRecorderKinds : public ::testing::TestWithParam<MpegCase> {};

TEST_P(MpegRecorderKinds, RecordsThreeSecondsThatProbeAsTheirStandard) {
  const MpegCase c = GetParam();
  const QString path = test::Home() + c.name + ".mpg";
  test::TCaptureRig rig(c.width, c.height, c.captureFrame);
  ASSERT_TRUE(AddRecorder(rig, c, path, false));
  ASSERT_TRUE(rig.Record(3000));

  const test::TProbe probe = test::Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_EQ(probe.format.value("format_name").toString(), "mpeg");
  EXPECT_EQ(probe.Picture(), test::PictureText(c.videoCodec, c.width, c.height, c.fps));
  EXPECT_EQ(probe.Sound(), test::SoundText(c.audioCodec, c.audioRate, 2));
  EXPECT_NEAR(probe.Duration(), 3.0, 0.5);
  if (c.packSize) {
    EXPECT_EQ(MisplacedPacks(path, c.packSize), 0);
  }
  const test::TDecode decode = test::DecodeAll(path);
  EXPECT_EQ(decode.exitCode, 0);
  EXPECT_TRUE(decode.errors.isEmpty()) << decode.errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Formats, MpegRecorderKinds, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A zone plate in motion is as hard as pictures get: the disc's multiplex rate still holds, or
// the stream's clock would run ahead of the file and seeks would land late.
TEST(MpegRecorder, AHardPictureKeepsADvdWithinItsMultiplexRate) {
  const MpegCase& c = kCases[8];  // DVD (PAL)
  const QString path = test::Home() + "hard.mpg";
  test::TCaptureRig rig(c.width, c.height, c.captureFrame);
  rig.tuner->As<ITunerPropertySet>()->SetFrequency(175250000, kTuningExact, 0);  // Seven Sports
  ASSERT_TRUE(AddRecorder(rig, c, path, false));
  ASSERT_TRUE(rig.Record(3000));
  const test::TProbe probe = test::Probe(path);
  ASSERT_TRUE(probe.ok) << probe.error.toStdString();
  EXPECT_LE(probe.format.value("bit_rate").toString().toLongLong(), 10080000);
  EXPECT_NEAR(probe.Duration(), 3.0, 0.5);
}

TEST(MpegRecorder, TimeShiftWritesAVideoAndAnAudioElementaryFile) {
  const MpegCase c{"TimeShift", C::MpegSystem, 1, 4000000, 3, 320, 240, 44100, 5, test::kPalFrame,
                   "mpeg1video", 30, "mp2", 44100, 0};
  const QString path = test::Home() + "ts0.mpv";
  // A PAL capture is 352x288; the recorder is given 320x240 and scales.
  test::TCaptureRig rig(352, 288, test::kPalFrame);
  ASSERT_TRUE(AddRecorder(rig, c, path, true));
  ASSERT_TRUE(rig.Record(3000));

  const test::TProbe video = test::Probe(path);
  ASSERT_TRUE(video.ok) << video.error.toStdString();
  EXPECT_EQ(video.format.value("format_name").toString(), "mpegvideo");
  EXPECT_EQ(video.Picture(), "mpeg1video 320x240@30.00");
  EXPECT_TRUE(video.audio.isEmpty());

  const test::TProbe audio = test::Probe(test::Home() + "ts0.mpa");
  ASSERT_TRUE(audio.ok) << audio.error.toStdString();
  EXPECT_TRUE(audio.video.isEmpty());
  EXPECT_EQ(audio.Sound(), "mp2 44100/2");
  EXPECT_NEAR(audio.Duration(), 3.0, 0.5);
  // Elementary video carries no times: its length is its frame count.
  EXPECT_NEAR(test::VideoPacketSpan(path), 3.0, 0.5);
}

TEST(MpegRecorder, RefusesSettingsItCannotRecordAndRunsWithoutAFileName) {
  test::TCaptureRig rig;
  auto recorder = rig.graph.AddComponent("OKA Mpeg1/2 Recorder Filter", "MPEG");
  ASSERT_TRUE(recorder);
  auto* settings = recorder->As<IMpegRecorderSettings>();
  EXPECT_FALSE(settings->SetStreamType(3));
  EXPECT_FALSE(settings->SetFrameSize(321, 240));
  EXPECT_FALSE(settings->SetAudioSampleRate(22050));
  EXPECT_FALSE(settings->SetQuality(7));
  EXPECT_FALSE(settings->SetContainer(formats::Container::Avi)) << "not an MPEG stream";
  EXPECT_FALSE(recorder->As<IFileSink>()->SetFileName(""));
  ASSERT_TRUE(rig.graph.Render(rig.VideoPin()));
  EXPECT_FALSE(rig.graph.Run()) << "no file to write";
  EXPECT_EQ(rig.graph.State(), GraphState::Stopped);
  // A folder that does not exist fails the run at once.
  recorder->As<IFileSink>()->SetFileName(test::Home() + "missing/folder/x.mpg");
  EXPECT_FALSE(rig.graph.Run());
}

}  // namespace
