// The preview components through the registry and in running graphs: tees, the overlay mixer,
// the deinterlacer, the decoders, and the sample grabber with its conversion to bitmaps.

#include <gtest/gtest.h>

#include <algorithm>

#include "TestFilters.h"
#include "platform/components/Registration.h"
#include "platform/components/SampleConversion.h"
#include "platform/components/TInfinitePinTee.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/components/TVideoDecoder.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

// Source -> filter -> sink in a graph of this test's registry.
struct Chain {
  std::shared_ptr<TTestSource> source;
  std::shared_ptr<TFilter> filter;
  TFilterGraph graph{Components()};
  std::shared_ptr<TTestSink> sink = std::make_shared<TTestSink>();

  bool Connect() {
    return filter && graph.AddFilter(source, "Source") && graph.AddFilter(filter, "Filter") &&
           graph.AddFilter(sink, "Sink") &&
           graph.Connect(*source->FindPin("Capture"), *filter->FindPin(PinDir::Input)) &&
           graph.Connect(*filter->FindPin(PinDir::Output), *sink->FindPin("Input"));
  }
  bool RunUntil(int frames) { return graph.Run() && WaitUntil([&] { return sink->Frames() >= frames; }); }
};

// The friendly name of what the registry made, which each class gives itself, with a
// decoder's kind; "" when it made nothing.
std::string Made(const std::shared_ptr<TFilter>& f) {
  const auto* decoder = dynamic_cast<const TVideoDecoder*>(f.get());
  const char* kind = !decoder ? "" : decoder->Kind() == VideoDecoderKind::Mpeg12 ? " MPEG-1/2" : " MPEG-4";
  return f ? f->FriendlyName().toStdString() + kind : "";
}

// A part of the name, any case, finds the first entry containing it (in the order registered);
// once an entry is unregistered its name finds the next one, or nothing. Each decoder is of its
// kind. (The engine's tests make the other components by their full names.) Then each in a
// running graph.
TEST(PreviewComponents, FoundByPartOfTheNameStreamsPassThroughAndTheInfinitePinTeeGrows) {
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  EXPECT_EQ(registry.Create(DeviceCategory::VideoCompressor, "smart tee"), nullptr);
  const std::tuple<const char*, const char*, const char*> names[] = {
      {"SMART tee", "Smart Tee", nullptr}, {"sample grab", "Sample Grabber", nullptr},
      {"mpeg video decoder", "OKA MPEG Video Decoder MPEG-1/2", nullptr},
      {"wmvideo", "WMVideo Decoder DMO MPEG-4", nullptr}, {"divx", "DivX Decoder Filter MPEG-4", nullptr},
      {"OKAMPEG2", "okaMPEG2VideoDecoder MPEG-1/2", nullptr},
      {"MPEG Video Decoder", "MPEG Video Decoder MPEG-1/2", "OKA MPEG Video Decoder"},
      {"smart tee", "", "Smart Tee"}, {"divx", "", "DivX Decoder Filter"}};
  for (const auto& [part, made, unregisterFirst] : names) {
    ASSERT_TRUE(!unregisterFirst || registry.Unregister(unregisterFirst)) << part;
    EXPECT_EQ(Made(registry.Create(DeviceCategory::LegacyFilter, part)), made) << part;
  }
  // Source (352x288, raw or encoded) -> component -> sink: frames flow, in the expected form.
  const QString progressive = "interlace-mode=(string)progressive";
  // The component, the source's format (raw, or the encoder of an encoded stream), whether it is
  // interlaced, and parts of the caps reaching the sink. The deinterlacer keeps each format it
  // takes (RGB16 it converts) and the frame rate, one field per frame.
  const std::tuple<const char*, const char*, bool, QStringList> rows[] = {
      {"Overlay Mixer", "UYVY", false, {"format=(string)UYVY", "width=(int)352"}},
      {"OKA Deinterlacer", "YUY2", false, {"format=(string)YUY2,"}}, {"OKA Deinterlacer", "RGB16", false, {}},
      {"OKA Deinterlacer", "UYVY", true, {progressive, "framerate=(fraction)30/1", "format=(string)UYVY,"}},
      {"OKA Deinterlacer", "BGR", true, {progressive, "format=(string)BGR,"}},
      {"DivX Decoder Filter", "avenc_mpeg4", false, {"video/x-raw", "width=(int)352"}},
      {"OKA MPEG Video Decoder", "mpeg2enc", false, {"video/x-raw", "width=(int)352"}}};
  for (const auto& [component, format, interlaced, caps] : rows) {
    SCOPED_TRACE(std::string(component) + " " + format);
    const char* extraCaps = interlaced ? ",interlace-mode=interleaved" : "";
    Chain c{.source = QByteArray(format).contains("enc") ? EncodedSource(format, 352, 288)
                                                         : VideoSource(format, "ball", 352, 288, extraCaps),
            .filter = Components().Create(DeviceCategory::LegacyFilter, component)};
    ASSERT_TRUE(c.Connect() && c.RunUntil(5));
    for (const QString& part : caps) EXPECT_TRUE(c.sink->Last().caps.contains(part)) << part.toStdString();
  }
  // The Infinite Pin Tee adds an output when the last free one is connected.
  TFilterGraph graph{Components()};
  auto tee = std::make_shared<TInfinitePinTee>();
  auto source = AudioSource();
  std::vector<std::shared_ptr<TTestSink>> sinks;
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "Tee") &&
              graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")));
  // Two outputs to start with; Output1 leaves Output2 free; each later one was the last free one.
  EXPECT_EQ(tee->PinsOf(PinDir::Output).size(), 2u);
  for (int n = 1; n <= 3; ++n) {
    sinks.push_back(std::make_shared<TTestSink>(MediaMajor::Audio));
    ASSERT_TRUE(graph.AddFilter(sinks.back(), "Sink"));
    ASSERT_TRUE(graph.Connect(*tee->FindPin(QString("Output%1").arg(n)), *sinks.back()->FindPin("Input")));
    EXPECT_EQ(tee->PinsOf(PinDir::Output).size(), size_t(std::max(2, n + 1))) << n;
  }
  EXPECT_TRUE(!tee->FindPin("Output4")->IsConnected() && tee->FindPin("Output4")->Pad());
  // Every connected output gets the input; the free one does not hold them up.
  const auto fed = [&] { return std::ranges::all_of(sinks, [](const auto& s) { return s->Frames() >= 5; }); };
  EXPECT_TRUE(graph.Run() && WaitUntil(fed) && sinks.back()->Last().caps.contains("S16LE"));
}

TMediaType Video(const char* subtype, int width, int height, MediaMajor major = MediaMajor::Video) {
  return {major, subtype, width, height};
}

QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(char(v));
  return out;
}

// A 4x2 frame of four 4:2:2 pairs, each pair (Y0, U, Y1, V):
//   row 0: (235,128, 16,128) white, black   (100, 60,180,200)
//   row 1: ( 50,200,120, 90)                (235,128, 16,240) needs clamping
QByteArray Frame(bool uyvy = false) {
  QByteArray frame = Bytes({235, 128, 16, 128, 100, 60, 180, 200, 50, 200, 120, 90, 235, 128, 16, 240});
  for (int i = 0; uyvy && i < frame.size(); i += 2) std::swap(frame[i], frame[i + 1]);  // U Y0 V Y1
  return frame;
}

// Blue, green, red; the bottom row (source row 1) first.
const QByteArray kExpectedBottomUp = Bytes({
    185, 42,  0,   255, 124, 60,  255, 164, 255, 0,  0,   179,  // source row 1
    255, 255, 255, 0,   0,   0,   0,   66,  213, 54, 159, 255,  // source row 0
});

TEST(SampleConversion, GoldenBytesBottomRowFirstRoundedClampedOrRefused) {
  const QByteArray topDown = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const std::tuple<const char*, TMediaType, QByteArray, QByteArray> rows[] = {
      {"YUY2", Video("YUY2", 4, 2), Frame(), kExpectedBottomUp},
      {"UYVY", Video("UYVY", 4, 2), Frame(true), kExpectedBottomUp},
      {"a longer frame: its first rows", Video("YUY2", 4, 2), Frame() + QByteArray(16, 0), kExpectedBottomUp},
      {"odd width", Video("YUY2", 3, 1), Bytes({235, 128, 16, 128, 16, 128, 235, 128}),
       Bytes({255, 255, 255, 0, 0, 0, 0, 0, 0})},
      {"RGB24 rows are flipped", Video("RGB24", 2, 2), topDown, topDown.mid(6) + topDown.left(6)}};
  for (const auto& [what, type, frame, expected] : rows) {
    EXPECT_EQ(ToBottomUpBGR24(type, frame), expected) << what;
    EXPECT_FALSE(ToBitmap24(type, frame).isNull()) << what;
  }
  // A YUY2 pair of two equal pixels (Y, U, V) and the blue, green and red it gives: white's
  // 254.916 rounds up, black, grey's 128.04, red's 433.668 and blue's -225.904 clamp, studio
  // red's G -0.5 and B -0.986, studio green's G 255.586.
  const std::pair<std::array<int, 3>, std::array<int, 3>> pixels[] = {
      {{235, 128, 128}, {255, 255, 255}}, {{16, 128, 128}, {0, 0, 0}}, {{126, 128, 128}, {128, 128, 128}},
      {{235, 128, 240}, {255, 164, 255}}, {{16, 16, 128}, {0, 44, 0}}, {{81, 90, 240}, {0, 0, 254}},
      {{145, 54, 34}, {1, 255, 0}}};
  for (const auto& [yuv, bgr] : pixels) {
    const QByteArray pair = Bytes({yuv[0], yuv[1], yuv[0], yuv[2]});
    const QByteArray two = Bytes({bgr[0], bgr[1], bgr[2], bgr[0], bgr[1], bgr[2]});
    EXPECT_EQ(ToBottomUpBGR24(Video("YUY2", 2, 1), pair), two) << yuv[0] << " " << yuv[1] << " " << yuv[2];
  }
  // Refused, with the frame's length: YUY2 and RGB24 frames one byte short, an unknown and a
  // planar subtype, a zero width, a negative height, a huge size, and sound.
  const std::pair<TMediaType, int> refused[] = {
      {Video("YUY2", 4, 2), 15}, {Video("RGB24", 4, 2), 23}, {Video("RGB32", 4, 2), 32},
      {Video("I420", 4, 2), 12}, {Video("YUY2", 0, 2), 16},  {Video("YUY2", 4, -2), 16},
      {Video("RGB24", 100000, 100000), 64}, {Video("YUY2", 4, 2, MediaMajor::Audio), 16}};
  for (const auto& [type, bytes] : refused) {
    const QByteArray frame = Frame().leftJustified(bytes, '\0', true);
    EXPECT_TRUE(ToBottomUpBGR24(type, frame).isEmpty() && ToBitmap24(type, frame).isNull())
        << type.Name().toStdString() << " " << bytes;
  }
  // The bitmap is upright RGB, red first in memory as the format says.
  const auto* bottomUp = reinterpret_cast<const uchar*>(kExpectedBottomUp.constData());
  const QImage upright = QImage(bottomUp, 4, 2, 12, QImage::Format_BGR888).mirrored();
  const QImage image = ToBitmap24(Video("YUY2", 4, 2), Frame());
  EXPECT_EQ(image, upright.convertToFormat(QImage::Format_RGB888));  // compares the format too
  EXPECT_EQ(image.constScanLine(0)[6], 213);
}

// A grabber takes only the type it is set to. From Run until it is disconnected it reports the
// connected type and the last frame, of which a bitmap shows the source's colour (studio-range
// YUV changes it a little by rounding). 322 pixels of BGR make 966-byte rows, which GStreamer
// pads; the frame comes without the padding. (YUY2 is grabbed by the engine's snapshot tests.)
TEST(SampleGrabber, TakesTheTypeItIsSetToAndHasTheLastFrameFromRunUntilDisconnect) {
  const std::pair<TMediaType, bool> types[] = {
      {Video("RGB32", 0, 0), false}, {Video("I420", 0, 0), false}, {Video("", 0, 0), true},
      {Video("PCM", 0, 0, MediaMajor::Audio), false}, {Video("RGB24", 0, 0), true}};
  for (const auto& [type, accepted] : types)
    EXPECT_EQ(TSampleGrabberEx().SetMediaType(type), accepted) << type.Subtype.toStdString();
  auto grabber = std::make_shared<TSampleGrabberEx>();
  Chain refused{.source = VideoSource("YUY2"), .filter = grabber};
  EXPECT_FALSE(grabber->SetMediaType(Video("UYVY", 0, 0)) && refused.Connect());
  const std::tuple<const char*, const char*, int, QRgb> rows[] = {
      {"UYVY", "UYVY", 320, qRgb(0, 0, 255)}, {"BGR", "RGB24", 322, qRgb(255, 0, 0)}};
  for (const auto& [format, subtype, width, colour] : rows) {
    SCOPED_TRACE(format);
    grabber = std::make_shared<TSampleGrabberEx>();
    Chain g{.source = VideoSource(format, qBlue(colour) ? "blue" : "red", width, 240), .filter = grabber};
    ASSERT_TRUE(grabber->SetMediaType(Video(subtype, 0, 0)) && g.Connect());
    TMediaType type;
    QByteArray frame;
    QImage image;
    EXPECT_FALSE(grabber->GetConnectedMediaType(type) || grabber->GetCurrentBuffer(frame) ||
                 GrabBitmap(*grabber, image));
    ASSERT_TRUE(g.RunUntil(3) && g.graph.Stop());
    // The last frame stays after Stop.
    ASSERT_TRUE(grabber->GetConnectedMediaType(type) && grabber->GetCurrentBuffer(frame));
    EXPECT_EQ(type, (TMediaType{MediaMajor::Video, subtype, width, 240, 333333}))
        << type.Name().toStdString();
    EXPECT_EQ(frame.size(), width * (subtype[0] == 'R' ? 3 : 2) * 240);
    ASSERT_TRUE(GrabBitmap(*grabber, image));
    EXPECT_EQ(std::pair(image.format(), image.size()), std::pair(QImage::Format_RGB888, QSize(width, 240)));
    for (QPoint at : {QPoint(0, 0), QPoint(160, 120), QPoint(319, 239)}) {
      const QRgb got = image.pixel(at);
      EXPECT_LE(std::max({std::abs(qRed(got) - qRed(colour)), std::abs(qGreen(got) - qGreen(colour)),
                          std::abs(qBlue(got) - qBlue(colour))}), 3) << at.x() << "," << at.y();
    }
    ASSERT_TRUE(g.graph.Disconnect(*grabber->FindPin("Input")));
    EXPECT_FALSE(grabber->GetCurrentBuffer(frame) || grabber->GetConnectedMediaType(type) ||
                 GrabBitmap(*grabber, image));
  }
}

}  // namespace
}  // namespace pvx::test
