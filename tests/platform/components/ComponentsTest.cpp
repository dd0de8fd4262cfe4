// The preview components through the registry and in running graphs: tees, the overlay mixer,
// the deinterlacer, the decoders, and the sample grabber with its conversion to bitmaps.

#include <gtest/gtest.h>

#include <algorithm>

#include "TestFilters.h"
#include "platform/components/Registration.h"
#include "platform/components/SampleConversion.h"
#include "platform/components/TInfinitePinTee.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/components/TSmartTee.h"
#include "platform/components/TVideoDecoder.h"
#include "platform/graph/TComponentRegistry.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

// The friendly name of what the registry made, which each class gives itself, with a
// decoder's kind; "" when it made nothing.
std::string Made(const std::shared_ptr<TFilter>& f) {
  const auto* decoder = dynamic_cast<const TVideoDecoder*>(f.get());
  const char* kind = !decoder ? "" : decoder->Kind() == VideoDecoderKind::Mpeg12 ? " MPEG-1/2" : " MPEG-4";
  return f ? f->FriendlyName().toStdString() + kind : "";
}

// Every entry is a bin with a pad per pin, in this order. A part of the name, any case, finds
// the first entry containing it; once an entry is unregistered its name finds the next one, or
// nothing.
TEST(PreviewComponents, RegisteredInOrderAndFoundByPartOfTheName) {
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  QStringList names;
  for (const TMoniker& m : registry.Enumerate(DeviceCategory::LegacyFilter)) {
    names << m.FriendlyName;
    auto filter = m.Bind();
    ASSERT_TRUE(filter && filter->Element()) << m.FriendlyName.toStdString();
    for (const auto& pin : filter->Pins())
      EXPECT_NE(pin->Pad(), nullptr) << m.FriendlyName.toStdString() << " " << pin->Name().toStdString();
  }
  EXPECT_EQ(names.join(", "), "Smart Tee, Infinite Pin Tee Filter, Overlay Mixer, OKA Deinterlacer, Sample Grabber, "
                              "OKA MPEG Video Decoder, MPEG Video Decoder, WMVideo Decoder DMO, "
                              "DivX Decoder Filter, okaMPEG2VideoDecoder");
  EXPECT_EQ(registry.Create(DeviceCategory::VideoCompressor, "smart tee"), nullptr);
  // clang-format off
  const std::tuple<const char*, const char*, const char*> rows[] = {
      {"SMART tee", "Smart Tee", nullptr}, {"infinite pin", "Infinite Pin Tee Filter", nullptr},
      {"overlay", "Overlay Mixer", nullptr}, {"deinterlacer", "OKA Deinterlacer", nullptr},
      {"sample grab", "Sample Grabber", nullptr}, {"mpeg video decoder", "OKA MPEG Video Decoder MPEG-1/2", nullptr},
      {"wmvideo", "WMVideo Decoder DMO MPEG-4", nullptr}, {"divx", "DivX Decoder Filter MPEG-4", nullptr},
      {"OKAMPEG2", "okaMPEG2VideoDecoder MPEG-1/2", nullptr},
      {"MPEG Video Decoder", "MPEG Video Decoder MPEG-1/2", "OKA MPEG Video Decoder"},
      {"smart tee", "", "Smart Tee"}, {"divx", "", "DivX Decoder Filter"}};
  // clang-format on
  for (const auto& [part, made, unregisterFirst] : rows) {
    ASSERT_TRUE(!unregisterFirst || registry.Unregister(unregisterFirst)) << part;
    EXPECT_EQ(Made(registry.Create(DeviceCategory::LegacyFilter, part)), made) << part;
  }
}

// Source -> component -> sink: frames flow and arrive in the expected form.
TEST(PreviewComponents, StreamsPassThroughInTheirForm) {
  const char* interlaced = ",interlace-mode=interleaved";
  const QString progressive = "interlace-mode=(string)progressive", fps = "framerate=(fraction)30/1";
  // The format is raw, or the encoder of an encoded source; the caps are parts of those reaching the sink.
  // clang-format off
  const std::tuple<const char*, const char*, const char*, const char*, int, const char*, const char*, QStringList> rows[] = {
      {"overlay", "Overlay Mixer", "UYVY", "", 320, "Input", "Output", {"format=(string)UYVY", "width=(int)320"}},
      {"deinterlacer YUY2", "OKA Deinterlacer", "YUY2", "", 320, "Input", "Output", {"format=(string)YUY2,"}},
      {"deinterlacer BGR", "OKA Deinterlacer", "BGR", "", 320, "Input", "Output", {"format=(string)BGR,"}},
      {"RGB16 it cannot deinterlace", "OKA Deinterlacer", "RGB16", "", 320, "Input", "Output", {}},
      {"interlaced YUY2", "OKA Deinterlacer", "YUY2", interlaced, 320, "Input", "Output", {progressive, fps, "format=(string)YUY2,"}},
      {"interlaced UYVY", "OKA Deinterlacer", "UYVY", interlaced, 320, "Input", "Output", {progressive, fps, "format=(string)UYVY,"}},
      {"interlaced BGR", "OKA Deinterlacer", "BGR", interlaced, 320, "Input", "Output", {progressive, "format=(string)BGR,"}},
      {"MPEG-4 decoder", "DivX Decoder Filter", "avenc_mpeg4", "", 320, "XForm In", "XForm Out", {"video/x-raw", "width=(int)320"}},
      {"MPEG-2 decoder", "OKA MPEG Video Decoder", "mpeg2enc", "", 352, "XForm In", "XForm Out", {"video/x-raw", "width=(int)352"}},
      {"video through the infinite tee", "Infinite Pin Tee Filter", "UYVY", "", 320, "Input", "Output2", {"UYVY"}}};
  // clang-format on
  for (const auto& [what, component, format, extraCaps, width, in, out, caps] : rows) {
    SCOPED_TRACE(what);
    TFilterGraph graph{Components()};
    auto source = QByteArray(format).contains("enc") ? EncodedSource(format, width, width == 352 ? 288 : 240)
                                                     : VideoSource(format, *extraCaps ? "ball" : "smpte", width, 240, extraCaps);
    auto filter = Components().Create(DeviceCategory::LegacyFilter, component);
    auto sink = std::make_shared<TTestSink>();
    ASSERT_TRUE(filter && graph.AddFilter(source, "Source") && graph.AddFilter(filter, "Filter") &&
                graph.AddFilter(sink, "Sink") && graph.Connect(*source->FindPin("Capture"), *filter->FindPin(in)) &&
                graph.Connect(*filter->FindPin(out), *sink->FindPin("Input")));
    ASSERT_TRUE(graph.Run() && WaitUntil([&] { return sink->Frames() >= 5; }));
    for (const QString& part : caps) EXPECT_TRUE(sink->Last().caps.contains(part)) << part.toStdString();
  }
}

TEST(SmartTee, CaptureKeepsFlowingWhilePreviewIsStuckOrUnconnected) {
  TFilterGraph graph{Components()};
  auto source = VideoSource("YUY2");
  auto tee = std::make_shared<TSmartTee>();
  auto capture = std::make_shared<TTestSink>(), preview = std::make_shared<TTestSink>();
  EXPECT_EQ(tee->FindPin(PinDir::Output, PinCategory::Capture)->Name(), "Capture");
  EXPECT_EQ(tee->FindPin(PinDir::Output, PinCategory::Preview)->Name(), "Preview");
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "SmartTee") &&
              graph.AddFilter(capture, "Capture") && graph.AddFilter(preview, "Preview") &&
              graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")) &&
              graph.Connect(*tee->FindPin("Capture"), *capture->FindPin("Input")));
  ASSERT_TRUE(graph.Run() && WaitUntil([&] { return capture->Frames() >= 5; }));
  EXPECT_EQ(preview->Frames(), 0);
  ASSERT_TRUE(graph.Connect(*tee->FindPin("Preview"), *preview->FindPin("Input")));
  preview->Block();
  ASSERT_TRUE(graph.Run() && WaitUntil([&] { return preview->Frames() >= 1; }));
  const int stuckAt = preview->Frames(), captureBefore = capture->Frames();
  // Three seconds of frames pass the capture branch while the window takes none; a preview
  // branch that queued instead of dropping would fill within a second and stall the tee.
  EXPECT_TRUE(WaitUntil([&] { return capture->Frames() >= captureBefore + 90; }));
  EXPECT_EQ(preview->Frames(), stuckAt);
  EXPECT_TRUE(preview->Last().caps.contains("YUY2"));
  preview->Release();
  EXPECT_TRUE(WaitUntil([&] { return preview->Frames() > stuckAt + 5; }));
}

TEST(InfinitePinTee, AddsAnOutputWhenTheLastFreeOneIsConnected) {
  TFilterGraph graph{Components()};
  auto tee = std::make_shared<TInfinitePinTee>();
  auto source = AudioSource();
  std::vector<std::shared_ptr<TTestSink>> sinks;
  ASSERT_TRUE(graph.AddFilter(source, "Source") && graph.AddFilter(tee, "Tee") &&
              graph.Connect(*source->FindPin("Capture"), *tee->FindPin("Input")));
  for (int n = 0; n <= 3; ++n) {
    if (n > 0) sinks.push_back(std::make_shared<TTestSink>(MediaMajor::Audio));
    ASSERT_TRUE(n == 0 || (graph.AddFilter(sinks.back(), "Sink") &&
                           graph.Connect(*tee->FindPin(QString("Output%1").arg(n)), *sinks.back()->FindPin("Input"))));
    // Two to start with; Output1 leaves Output2 free; each later one was the last free output.
    QStringList outputs;
    for (TPin* pin : tee->PinsOf(PinDir::Output)) outputs << pin->Name();
    EXPECT_EQ(outputs.join(" "), QStringList({"Output1", "Output2", "Output3", "Output4"}).mid(0, std::max(2, n + 1)).join(" "));
  }
  EXPECT_FALSE(tee->FindPin("Output4")->IsConnected());
  EXPECT_NE(tee->FindPin("Output4")->Pad(), nullptr);
  // Every connected output gets the input; the free one does not hold them up.
  ASSERT_TRUE(graph.Run());
  EXPECT_TRUE(WaitUntil([&] {
    return std::all_of(sinks.begin(), sinks.end(), [](const auto& s) { return s->Frames() >= 5; });
  }));
  EXPECT_TRUE(sinks.back()->Last().caps.contains("S16LE"));
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
  const int pairs[4][4] = {{235, 128, 16, 128}, {100, 60, 180, 200}, {50, 200, 120, 90}, {235, 128, 16, 240}};
  QByteArray frame;
  for (const auto& p : pairs) frame += uyvy ? Bytes({p[1], p[0], p[3], p[2]}) : Bytes({p[0], p[1], p[2], p[3]});
  return frame;
}

// Blue, green, red; the bottom row (source row 1) first.
const QByteArray kExpectedBottomUp = Bytes({
    185, 42,  0,   255, 124, 60,  255, 164, 255, 0,  0,   179,  // source row 1
    255, 255, 255, 0,   0,   0,   0,   66,  213, 54, 159, 255,  // source row 0
});

// One YUY2 pair of two equal pixels, and the two BGR pixels it should give.
QByteArray Pair(int y, int u, int v) { return Bytes({y, u, y, v}); }
QByteArray Bgr2(int b, int g, int r) { return Bytes({b, g, r, b, g, r}); }

TEST(SampleConversion, GoldenBytesBottomRowFirstRoundedClampedOrRefused) {
  const QByteArray topDown = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  const TMediaType pair = Video("YUY2", 2, 1);
  // clang-format off
  const std::tuple<const char*, TMediaType, QByteArray, QByteArray> rows[] = {
      {"YUY2", Video("YUY2", 4, 2), Frame(), kExpectedBottomUp},
      {"UYVY", Video("UYVY", 4, 2), Frame(true), kExpectedBottomUp},
      {"a longer frame gives its first rows", Video("YUY2", 4, 2), Frame() + QByteArray(16, 0), kExpectedBottomUp},
      {"white: 254.916 rounds up", pair, Pair(235, 128, 128), Bgr2(255, 255, 255)}, {"black", pair, Pair(16, 128, 128), Bgr2(0, 0, 0)},
      {"grey: 128.04", pair, Pair(126, 128, 128), Bgr2(128, 128, 128)}, {"red 433.668 clamps", pair, Pair(235, 128, 240), Bgr2(255, 164, 255)},
      {"blue -225.904 clamps", pair, Pair(16, 16, 128), Bgr2(0, 44, 0)}, {"studio red: G -0.5, B -0.986", pair, Pair(81, 90, 240), Bgr2(0, 0, 254)},
      {"studio green: G 255.586", pair, Pair(145, 54, 34), Bgr2(1, 255, 0)},
      {"odd width", Video("YUY2", 3, 1), Bytes({235, 128, 16, 128, 16, 128, 235, 128}), Bytes({255, 255, 255, 0, 0, 0, 0, 0, 0})},
      {"RGB24 rows are flipped", Video("RGB24", 2, 2), topDown, topDown.mid(6) + topDown.left(6)},
      {"short YUY2 frame", Video("YUY2", 4, 2), Frame().left(15), {}}, {"short RGB24 frame", Video("RGB24", 4, 2), QByteArray(23, 0), {}},
      {"unknown subtype", Video("RGB32", 4, 2), QByteArray(32, 0), {}}, {"planar subtype", Video("I420", 4, 2), QByteArray(12, 0), {}},
      {"zero width", Video("YUY2", 0, 2), Frame(), {}}, {"negative height", Video("YUY2", 4, -2), Frame(), {}},
      {"huge size", Video("RGB24", 100000, 100000), QByteArray(64, 0), {}}, {"not video", Video("YUY2", 4, 2, MediaMajor::Audio), Frame(), {}}};
  // clang-format on
  for (const auto& [what, type, frame, expected] : rows) {
    EXPECT_EQ(ToBottomUpBGR24(type, frame), expected) << what;
    EXPECT_EQ(ToBitmap24(type, frame).isNull(), expected.isEmpty()) << what;
  }
}

struct TFakeGrabber final : ISampleGrabber {
  TFakeGrabber(bool hasType, MediaMajor major, QByteArray frame)
      : hasType(hasType), type(Video("YUY2", 4, 2, major)), frame(std::move(frame)) {}
  bool hasType;
  TMediaType type;
  QByteArray frame;
  bool SetMediaType(const TMediaType&) override { return true; }
  bool GetConnectedMediaType(TMediaType& out) const override { out = type; return hasType; }
  bool GetCurrentBuffer(QByteArray& out) const override { out = frame; return !frame.isEmpty(); }
};

TEST(GrabBitmap, ConvertsTheCurrentVideoFrameOnlyIntoAnUprightBitmap) {
  // clang-format off
  const std::tuple<const char*, bool, MediaMajor, QByteArray, bool> rows[] = {
      {"a frame", true, MediaMajor::Video, Frame(), true},      {"no frame", true, MediaMajor::Video, {}, false},
      {"no type", false, MediaMajor::Video, Frame(), false},    {"sound", true, MediaMajor::Audio, Frame(), false},
      {"short frame", true, MediaMajor::Video, Frame().left(8), false}};
  // clang-format on
  for (const auto& [what, hasType, major, frame, grabbed] : rows) {
    QImage image;
    EXPECT_EQ(GrabBitmap(TFakeGrabber(hasType, major, frame), image), grabbed) << what;
    EXPECT_EQ(image.isNull(), !grabbed) << what;
  }
  // The bitmap is upright RGB, red first in memory as the format says.
  QImage image;
  ASSERT_TRUE(GrabBitmap(TFakeGrabber(true, MediaMajor::Video, Frame()), image));
  ASSERT_EQ(image.format(), QImage::Format_RGB888);
  ASSERT_EQ(image.size(), QSize(4, 2));
  for (int i = 0; i < 8; ++i) {
    const char* bgr = kExpectedBottomUp.constData() + ((1 - i / 4) * 4 + i % 4) * 3;
    EXPECT_EQ(image.pixel(i % 4, i / 4), qRgb(uchar(bgr[2]), uchar(bgr[1]), uchar(bgr[0]))) << i;
  }
  EXPECT_EQ(image.constScanLine(0)[6], 213);
  const QImage rgb = ToBitmap24(Video("RGB24", 1, 2), Bytes({255, 0, 0, 0, 0, 255}));
  EXPECT_EQ(rgb.pixel(0, 0), qRgb(0, 0, 255));  // blue above red, as stored
  EXPECT_EQ(rgb.pixel(0, 1), qRgb(255, 0, 0));
}

struct GrabberGraph {
  TFilterGraph graph{test::Components()};
  std::shared_ptr<TTestSource> source;
  std::shared_ptr<TSampleGrabberEx> grabber = std::make_shared<TSampleGrabberEx>();
  std::shared_ptr<TTestSink> sink = std::make_shared<TTestSink>();

  bool Connect() {
    return graph.AddFilter(source, "Source") && graph.AddFilter(grabber, "Grabber") && graph.AddFilter(sink, "Sink") &&
           graph.Connect(*source->FindPin("Capture"), *grabber->FindPin("Input")) &&
           graph.Connect(*grabber->FindPin("Output"), *sink->FindPin("Input"));
  }
  bool RunUntilFrames() { return graph.Run() && WaitUntil([&] { return sink->Frames() >= 3; }); }
};

// The connected type, the last frame and a bitmap of the source's colour, which studio-range
// YUV changes a little by rounding. 322 pixels of BGR make 966-byte rows, which GStreamer pads.
TEST(SampleGrabber, ReportsTheConnectedTypeTheLastFrameAndItsColour) {
  // clang-format off
  const std::tuple<const char*, const char*, const char*, int, QRgb> rows[] = {
      {"YUY2", "red", "YUY2", 320, qRgb(255, 0, 0)}, {"UYVY", "red", "UYVY", 320, qRgb(255, 0, 0)},
      {"BGR", "red", "RGB24", 322, qRgb(255, 0, 0)}, {"YUY2", "green", "YUY2", 320, qRgb(0, 255, 0)},
      {"UYVY", "blue", "UYVY", 320, qRgb(0, 0, 255)}, {"BGR", "blue", "RGB24", 320, qRgb(0, 0, 255)}};
  // clang-format on
  for (const auto& [format, pattern, subtype, width, colour] : rows) {
    SCOPED_TRACE(std::string(format) + " " + pattern);
    GrabberGraph g{.source = VideoSource(format, pattern, width, 240)};
    ASSERT_TRUE(g.Connect() && g.RunUntilFrames());
    TMediaType type;
    ASSERT_TRUE(g.grabber->GetConnectedMediaType(type));
    EXPECT_EQ(type, (TMediaType{MediaMajor::Video, subtype, width, 240, 333333})) << type.Name().toStdString();
    QByteArray frame;
    ASSERT_TRUE(g.grabber->GetCurrentBuffer(frame));
    EXPECT_EQ(frame.size(), width * (subtype[0] == 'R' ? 3 : 2) * 240);
    QImage image;
    ASSERT_TRUE(GrabBitmap(*g.grabber, image));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    EXPECT_EQ(image.size(), QSize(width, 240));
    for (QPoint at : {QPoint(0, 0), QPoint(160, 120), QPoint(319, 239)}) {
      const QRgb got = image.pixel(at);
      EXPECT_LE(std::max({std::abs(qRed(got) - qRed(colour)), std::abs(qGreen(got) - qGreen(colour)),
                          std::abs(qBlue(got) - qBlue(colour))}), 3) << at.x() << "," << at.y();
    }
  }
}

// A grabber set to a type takes only that, and has a frame from Run until it is disconnected.
TEST(SampleGrabber, AcceptsOnlyTheTypeItIsSetToAndHasAFrameFromRunUntilDisconnect) {
  for (const auto& [type, accepted] : {std::pair{Video("RGB32", 0, 0), false}, {Video("I420", 0, 0), false},
                                       {Video("PCM", 0, 0, MediaMajor::Audio), false}, {Video("RGB24", 0, 0), true}})
    EXPECT_EQ(TSampleGrabberEx().SetMediaType(type), accepted) << type.Subtype.toStdString();
  GrabberGraph refused{.source = VideoSource("YUY2")};
  EXPECT_FALSE(refused.grabber->SetMediaType(Video("UYVY", 0, 0)) && refused.Connect());
  GrabberGraph g{.source = VideoSource("UYVY")};
  ASSERT_TRUE(g.grabber->SetMediaType(Video("UYVY", 0, 0)));
  ASSERT_TRUE(g.Connect());
  TMediaType type;
  QByteArray frame;
  QImage image;
  EXPECT_FALSE(g.grabber->GetConnectedMediaType(type) || g.grabber->GetCurrentBuffer(frame) ||
               GrabBitmap(*g.grabber, image));
  ASSERT_TRUE(g.RunUntilFrames() && g.graph.Stop());
  ASSERT_TRUE(g.grabber->GetConnectedMediaType(type));
  EXPECT_EQ(type.Subtype, "UYVY");
  EXPECT_TRUE(g.grabber->GetCurrentBuffer(frame));  // the last one stays after Stop
  ASSERT_TRUE(g.graph.Disconnect(*g.grabber->FindPin("Input")));
  EXPECT_FALSE(g.grabber->GetCurrentBuffer(frame) || g.grabber->GetConnectedMediaType(type));
}

}  // namespace
}  // namespace pvx::test
