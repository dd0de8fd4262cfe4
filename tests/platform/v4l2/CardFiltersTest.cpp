// The shared device filters, run against both backends: the virtual card and a real TV card on a
// scripted driver. Routing, tuning, standards and the sizes that follow them, colour controls,
// TV sound, the wiring inside the card, capture formats and a card that vanishes while it runs.

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "platform/devices/CardFilters.h"
#include "platform/v4l2/FakeV4L2Io.h"

using namespace pvx;
using namespace pvx::platform::graph;
namespace dev = pvx::platform::devices;
using Cat = DeviceCategory;
using test::VideoType;

namespace {

struct VirtualRig : test::TVirtualRig {
  void Unplug() { dev::DefaultVirtualCard()->Unplug(); }
  static constexpr int kInputs = 6;  // the five of every card, then a camera input
  static constexpr quint32 kTv[] = {45250000, 889250000}, kFm[] = {76000000, 108000000};
  static constexpr int kContrast[] = {0, 127, 1, 64};
  static constexpr bool kSharpness = true;
  static constexpr int kForeignStandard = 0x40;  // PAL G
  static constexpr qint64 kFrameTime = 333667;   // the standard's, drawn
  static constexpr const char* kLocation = "OKA Virtual Philips 7134 Video Capture";
};

// The scripted machine's TV card, reading a test source instead of its node.
struct V4L2Rig : test::TV4L2Machine {
  void Unplug() { Bttv().Gone = true; }
  static constexpr int kInputs = 5;
  static constexpr quint32 kTv[] = {44000000, 958000000}, kFm[] = {87500000, 108000000};
  static constexpr int kContrast[] = {0, 65535, 256, 27648};
  static constexpr bool kSharpness = false;
  static constexpr int kForeignStandard = 0x80000;  // SECAM L'
  static constexpr qint64 kFrameTime = 0;            // the test source's own
  static constexpr const char* kLocation = "/dev/video0";
};

template <typename Rig>
struct CardFilters : ::testing::Test {
  Rig rig;
};
using Rigs = ::testing::Types<VirtualRig, V4L2Rig>;
TYPED_TEST_SUITE(CardFilters, Rigs);

}  // namespace

TYPED_TEST(CardFilters, CrossbarListsTheInputsAndRoutesVideoAndSoundApart) {
  auto capture = this->rig.Add(Cat::VideoInputDevice);
  auto* x = this->rig.template Bind<ICrossbar>(Cat::Crossbar);
  int outputs = 0, inputs = 0, related = 0, type = 0, routed = -1;
  ASSERT_TRUE(x && x->GetPinCounts(outputs, inputs));
  EXPECT_EQ(std::make_pair(outputs, inputs), std::make_pair(2, TypeParam::kInputs));
  EXPECT_TRUE(capture->FindPin(PinDir::Input)->IsConnected()) << "wired inside the card";
  // Side, index, connector type and paired pin; a type of 0: no such pin.
  const std::tuple<bool, int, int, int> pins[] = {
      {true, 0, PhysConn_Video_Tuner, 3},        {true, 1, PhysConn_Video_Composite, 4},
      {true, 2, PhysConn_Video_SVideo, 4},       {true, 3, PhysConn_Audio_Tuner, 0},
      {true, 4, PhysConn_Audio_Line, 1},         {false, 0, PhysConn_Video_VideoDecoder, 1},
      {false, 1, PhysConn_Audio_AudioDecoder, 0}, {false, 2, 0, 0}, {true, -1, 0, 0}, {true, inputs, 0, 0}};
  for (const auto& [isInput, index, pinType, pair] : pins) {
    type = related = 0;
    EXPECT_EQ(x->GetCrossbarPinInfo(isInput, index, related, type), pinType != 0) << isInput << index;
    EXPECT_EQ(std::make_pair(type, related), std::make_pair(pinType, pair)) << isInput << index;
  }
  // 2: to the video output only; 1: to the sound output only.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(x->CanRoute(0, i) * 2 + x->CanRoute(1, i), i < 3 ? 2 : 1) << i;
  EXPECT_TRUE(x->IsRoutedTo(0, routed) && routed == 0) << "the tuner first";
  EXPECT_TRUE(x->IsRoutedTo(1, routed) && routed == 3) << "with its sound";
  // Output, input and whether it routes: video to video and sound to sound, on pins that exist.
  const std::tuple<int, int, bool> routes[] = {{0, 2, true},  {1, 4, true},   {0, 3, false},
                                               {1, 0, false}, {2, 0, false},  {-1, 0, false},
                                               {0, -1, false}, {0, inputs, false}};
  for (const auto& [output, input, ok] : routes) EXPECT_EQ(x->Route(output, input), ok) << output << input;
  EXPECT_TRUE(x->IsRoutedTo(0, routed) && routed == 2) << routed;
  EXPECT_TRUE(x->IsRoutedTo(1, routed) && routed == 4) << routed;
  EXPECT_FALSE(x->IsRoutedTo(2, routed) || x->IsRoutedTo(-1, routed));
}

TYPED_TEST(CardFilters, TunerTunesWithinTheBandOfEachMode) {
  auto* tuner = this->rig.template Bind<ITVTuner>(Cat::TVTuner);
  auto* props = dynamic_cast<ITunerPropertySet*>(tuner);
  int modes = 0, mode = 0;
  ASSERT_TRUE(props && tuner->GetAvailableModes(modes) && modes == (AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO));
  for (const int band : {AMTUNER_MODE_FM_RADIO, AMTUNER_MODE_TV}) {
    SCOPED_TRACE(band);
    const quint32* limits = band == AMTUNER_MODE_TV ? TypeParam::kTv : TypeParam::kFm;
    quint32 low = 0, high = 0;
    ASSERT_TRUE(tuner->put_Mode(band) && tuner->get_Mode(mode) && mode == band);
    ASSERT_TRUE(props->GetModeCaps(band, low, high));
    EXPECT_EQ(std::make_pair(low, high), std::make_pair(limits[0], limits[1]));
    EXPECT_TRUE(props->SetFrequency(high, kTuningExact, 0) && props->SetFrequency(low, kTuningExact, 0));
    EXPECT_FALSE(props->SetFrequency(high + 1, kTuningExact, 0));
    EXPECT_FALSE(props->SetFrequency(low - 1, kTuningExact, 0));
    TTunerStatus status;
    const quint32 tuned = band == AMTUNER_MODE_TV ? 55250000 : 98000000;
    ASSERT_TRUE(props->SetFrequency(tuned, kTuningExact, 0) && props->GetStatus(status));
    EXPECT_EQ(status.CurrentFrequency, qint32(tuned));
  }
  EXPECT_FALSE(tuner->put_Mode(AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO) || tuner->put_Mode(4));
  EXPECT_TRUE(tuner->get_Mode(mode) && mode == AMTUNER_MODE_TV) << "refused modes change nothing";
  qint32 copy = -1;
  EXPECT_TRUE(tuner->put_CountryCode(49) && props->GetCopyProtection(copy) && copy == 0);
}

TYPED_TEST(CardFilters, StandardsChangeTheSizesOfferedAndRefuseWhatTheCardLacks) {
  auto capture = this->rig.Add(Cat::VideoInputDevice);
  auto* props = this->rig.template Bind<ITunerPropertySet>(Cat::TVTuner);
  auto* decoder = capture->template As<IAnalogVideoDecoder>();
  auto* config = capture->template As<IStreamConfig>();
  int formats = 0, format = 0;
  ASSERT_TRUE(decoder && config && props && decoder->get_AvailableTVFormats(formats));
  EXPECT_EQ(formats & (0x1 | 0x10 | TypeParam::kForeignStandard), 0x1 | 0x10);
  TMediaType type;
  ASSERT_TRUE(config->GetStreamCaps(0, type));
  EXPECT_EQ(type.Name() + " " + QString::number(type.AvgTimePerFrame), "YUY2 640x480 333667");
  ASSERT_TRUE(decoder->put_TVFormat(0x10) && decoder->get_TVFormat(format) && format == 0x10) << format;
  ASSERT_TRUE(config->GetStreamCaps(0, type));
  EXPECT_EQ(type.Name() + " " + QString::number(type.AvgTimePerFrame), "YUY2 640x576 400000");
  EXPECT_EQ(capture->FindPin("Capture")->MediaTypes.front(), type);
  EXPECT_FALSE(config->GetStreamCaps(config->GetNumberOfCapabilities(), type));
  EXPECT_FALSE(config->GetStreamCaps(-1, type));
  for (const int refused : {TypeParam::kForeignStandard, 0x1 | 0x10, 0})
    EXPECT_FALSE(decoder->put_TVFormat(refused) || props->SetStandard(refused)) << refused;
  EXPECT_TRUE(props->SetStandard(0x1) && decoder->get_TVFormat(format) && format == 0x1) << format;
  // The decoder locks onto a composite source; nothing is tuned on the tuner input.
  bool locked = true;
  EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && !locked);
  ASSERT_TRUE(this->rig.template Bind<ICrossbar>(Cat::Crossbar)->Route(0, 1));
  EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && locked);
}

TYPED_TEST(CardFilters, ColourControlsKeepToTheirRangesAndTVSoundToItsModes) {
  auto* amp = this->rig.template Bind<IVideoProcAmp>(Cat::VideoInputDevice);
  auto* sound = this->rig.template Bind<ITVAudio>(Cat::TVAudio);
  int min, max, step, def, flags = 0, value = -1, mode = 0;
  ASSERT_TRUE(amp && sound && amp->GetRange(VideoProcAmp_Contrast, min, max, step, def, flags));
  EXPECT_EQ((std::array{min, max, step, def, flags}),
            (std::array{TypeParam::kContrast[0], TypeParam::kContrast[1], TypeParam::kContrast[2],
                        TypeParam::kContrast[3], kVideoProcAmpFlagsManual}));
  EXPECT_EQ(amp->GetRange(VideoProcAmp_Sharpness, min, max, step, def, flags), TypeParam::kSharpness);
  ASSERT_TRUE(amp->GetRange(VideoProcAmp_Brightness, min, max, step, def, flags));
  EXPECT_TRUE(amp->Set(VideoProcAmp_Brightness, max, kVideoProcAmpFlagsManual));
  EXPECT_FALSE(amp->Set(VideoProcAmp_Brightness, max + 1, 1));
  EXPECT_FALSE(amp->Set(VideoProcAmp_Brightness, min - 1, 1));
  EXPECT_TRUE(amp->Get(VideoProcAmp_Brightness, value, flags) && value == max) << value;
  for (const int property : {-1, 5}) {
    EXPECT_FALSE(amp->GetRange(property, min, max, step, def, flags) || amp->Get(property, value, flags) ||
                 amp->Set(property, 0, kVideoProcAmpFlagsManual)) << property;
  }
  EXPECT_TRUE(sound->GetAvailableTVAudioModes(mode) && (mode & AMTVAUDIO_MODE_MONO)) << mode;
  EXPECT_TRUE(sound->put_TVAudioMode(AMTVAUDIO_MODE_LANG_B) && !sound->put_TVAudioMode(0));
  EXPECT_TRUE(sound->get_TVAudioMode(mode) && mode == AMTVAUDIO_MODE_LANG_B) << mode;
}

TYPED_TEST(CardFilters, PartsConnectOnlyAsTheCardIsWired) {
  auto& graph = this->rig.graph;
  auto capture = this->rig.Add(Cat::VideoInputDevice);
  auto tuner = this->rig.Add(Cat::TVTuner);
  auto tvAudio = this->rig.Add(Cat::TVAudio);
  TPin& video = *tuner->FindPin("Analog Video");
  TPin& audio = *tuner->FindPin("Analog Audio");
  EXPECT_FALSE(graph.Connect(video, *capture->FindPin("Analog Video In"))) << "only through the crossbar";
  auto crossbar = this->rig.Add(Cat::Crossbar);
  EXPECT_TRUE(capture->FindPin("Analog Video In")->IsConnected());
  const auto in = [&](int i) -> TPin& { return *crossbar->FindPin(PinDir::Input, PinCategory::None, i); };
  auto other = std::make_shared<dev::TCardTuner>(std::make_shared<dev::TVirtualCard>());
  graph.AddFilter(other, "Another card's tuner");
  EXPECT_FALSE(graph.Connect(*other->FindPin("Analog Video"), in(0)));
  EXPECT_FALSE(graph.Connect(video, in(1))) << "a composite input";
  EXPECT_FALSE(graph.Connect(audio, in(3))) << "tuner sound goes through the TV audio decoder";
  EXPECT_FALSE(graph.Connect(*capture->FindPin("Capture"), in(2))) << "a media pin";
  EXPECT_TRUE(graph.Connect(video, in(0)));
  EXPECT_TRUE(graph.Connect(audio, *tvAudio->FindPin("TVAudio In")));
  EXPECT_TRUE(graph.Connect(*tvAudio->FindPin("TVAudio Out"), in(3)));
}

TYPED_TEST(CardFilters, CaptureDeliversTheFormatAskedAndRefusesOthers) {
  auto capture = this->rig.Add(Cat::VideoInputDevice);
  auto* config = capture->template As<IStreamConfig>();
  TMediaType audio = VideoType("YUY2", 320, 240);
  audio.Major = MediaMajor::Audio;
  for (const TMediaType& refused : {VideoType("XYZ", 320, 240), VideoType("YUY2", 15, 240), audio,
                                    VideoType("YUY2", 320, 15), VideoType("YUY2", 1921, 240),
                                    VideoType("YUY2", 320, 1089)})
    EXPECT_FALSE(config->SetFormat(refused)) << refused.Name().toStdString();
  EXPECT_TRUE(config->SetFormat(VideoType("YUY2", 16, 16)));
  EXPECT_TRUE(config->SetFormat(VideoType("YUY2", 1920, 1088)));
  auto sink = this->rig.Play(*capture, VideoType("RGB24", 64, 48));
  for (const auto& [subtype, width, height, bytesPerPixel] :
       {std::tuple{"YUY2", 320, 240, 2}, {"UYVY", 352, 288, 2}, {"RGB24", 640, 480, 3}}) {
    SCOPED_TRACE(subtype);
    this->rig.graph.Stop();
    TMediaType asked;
    ASSERT_TRUE(config->SetFormat(VideoType(subtype, width, height)) && config->GetFormat(asked));
    EXPECT_EQ(asked.Subtype, subtype);
    ASSERT_TRUE(this->rig.graph.Run());
    EXPECT_EQ(this->rig.Later(*sink, 3).size(), width * height * bytesPerPixel);
    const TMediaType got = sink->Last().type;
    EXPECT_EQ(got.Name(), VideoType(subtype, width, height).Name());
    EXPECT_EQ(TypeParam::kFrameTime ? got.AvgTimePerFrame : 0, TypeParam::kFrameTime);
    EXPECT_FALSE(config->SetFormat(VideoType("YUY2", 320, 240))) << "format changes need a stop";
  }
  this->rig.graph.Stop();
}

TYPED_TEST(CardFilters, AVanishingCardStopsTheRunWithAnErrorAndNoLongerBinds) {
  auto capture = this->rig.Add(Cat::VideoInputDevice);
  auto* props = this->rig.template Bind<ITunerPropertySet>(Cat::TVTuner);
  QStringList errors;
  this->rig.graph.OnEvent = [&](const TGraphEvent& e) {
    if (e.kind == TGraphEvent::Error) errors << e.Message;
  };
  this->rig.Play(*capture, VideoType("YUY2", 320, 240));
  this->rig.Unplug();
  TTunerStatus status;
  props->GetStatus(status);  // a real card learns it at its next call
  ASSERT_TRUE(test::WaitUntil([&] { return !errors.isEmpty(); }));
  EXPECT_TRUE(errors.front().contains(TypeParam::kLocation)) << errors.front().toStdString();
  this->rig.graph.Stop();
  EXPECT_FALSE(this->rig.graph.Run()) << "the capture device is not there to run";
  EXPECT_FALSE(this->rig.Add(Cat::VideoInputDevice));
}
