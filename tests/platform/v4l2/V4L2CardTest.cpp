// Real-card support proven on scripted cards: discovery, routing, tuning, standards, controls,
// TV sound, failing calls, busy and vanishing devices.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "FakeV4L2Cards.h"
#include "platform/components/TestFilters.h"
#include "platform/devices/v4l2/V4L2DeviceFilters.h"
#include "platform/devices/v4l2/V4L2DeviceProvider.h"
#include "platform/devices/v4l2/V4L2Standards.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/TFilterGraph.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::devices::v4l2;

namespace {

constexpr const char* kBttv = "BT878 video (Hauppauge (bt878)) (Conexant 878)";
constexpr const char* kEm28xx = "Pinnacle Dazzle DVC 90 (Empia 2820)";

// The two cards of one machine, bound into one graph as the engine binds them.
struct Machine {
  Machine() {
    io.Nodes = {test::BttvCard(), test::BttvRadio(), test::Em28xxCard()};
    io.Nodes.back().Cap.capabilities = V4L2_CAP_VIDEO_CAPTURE;
    test::TFakeNode meta = test::Em28xxCard("/dev/video2");
    meta.Cap.capabilities = V4L2_CAP_META_CAPTURE;  // not a picture: not listed
    io.Nodes.push_back(meta);
    provider.SourceOverride = "videotestsrc is-live=true";
  }
  std::vector<QString> Names(DeviceCategory c) {
    std::vector<QString> out;
    for (const auto& m : provider.Devices(c)) out.push_back(m.FriendlyName);
    return out;
  }
  template <typename I>
  I* Bind(DeviceCategory c, int index, const QString& as) {
    auto filter = provider.Devices(c).at(size_t(index)).Bind();
    if (!filter || !graph.AddFilter(filter, as)) return nullptr;
    return filter->template As<I>();
  }
  test::TFakeV4L2Io io;
  TV4L2DeviceProvider provider{io};
  TFilterGraph graph{test::Components()};
};

}  // namespace

TEST(V4L2Cards, DiscoveryListsEachCardInItsCategories) {
  Machine m;
  using V = std::vector<QString>;
  EXPECT_EQ(m.Names(DeviceCategory::VideoInputDevice), (V{kBttv, kEm28xx}));
  EXPECT_EQ(m.Names(DeviceCategory::Crossbar), (V{QString(kBttv) + " Crossbar", QString(kEm28xx) + " Crossbar"}));
  EXPECT_EQ(m.Names(DeviceCategory::TVTuner), (V{QString(kBttv) + " TV Tuner"}));
  EXPECT_EQ(m.Names(DeviceCategory::TVAudio), (V{QString(kBttv) + " TV Audio"}));
  EXPECT_TRUE(m.Names(DeviceCategory::AudioInputDevice).empty()) << "no sound pairing known";
  EXPECT_EQ(m.io.OpenHandles, 0) << "looking closes every node again";
  EXPECT_EQ(FriendlyCardName("Philips SAA7134 reference", "saa7134"), "Philips SAA7134 reference");
  auto* tuner = m.Bind<ITVTuner>(DeviceCategory::TVTuner, 0, "TVTuner");
  int modes = 0;
  ASSERT_TRUE(tuner && tuner->GetAvailableModes(modes));
  EXPECT_EQ(modes, AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO) << "the radio node on the same bus";
}

TEST(V4L2Cards, CrossbarRoutesAreTheDriversInputs) {
  struct Row {
    int card;
    std::vector<int> types;  // video inputs, then tuner and line sound
    int route;
    const char* call;
  };
  const Row rows[] = {
      {0, {PhysConn_Video_Tuner, PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Audio_Tuner, PhysConn_Audio_Line}, 2, "video0 S_INPUT 2"},
      {1, {PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Audio_Line}, 1, "video1 S_INPUT 1"},
  };
  for (const Row& r : rows) {
    Machine m;
    auto capture = m.provider.Devices(DeviceCategory::VideoInputDevice)[size_t(r.card)].Bind();
    m.graph.AddFilter(capture, "VCapture");
    auto* x = m.Bind<ICrossbar>(DeviceCategory::Crossbar, r.card, "Crossbar");
    ASSERT_TRUE(x);
    EXPECT_TRUE(capture->FindPin(PinDir::Input)->IsConnected()) << "wired inside the card";
    int outputs = 0, inputs = 0, related = 0, type = 0;
    ASSERT_TRUE(x->GetPinCounts(outputs, inputs));
    EXPECT_EQ(outputs, 2);
    ASSERT_EQ(inputs, int(r.types.size()));
    for (int i = 0; i < inputs; ++i) {
      ASSERT_TRUE(x->GetCrossbarPinInfo(true, i, related, type));
      EXPECT_EQ(type, r.types[size_t(i)]) << i;
      EXPECT_EQ(x->CanRoute(0, i), type < 0x1000) << i;
    }
    EXPECT_TRUE(x->Route(0, r.route));
    EXPECT_TRUE(m.io.Calls.contains(r.call)) << m.io.Calls.join(", ").toStdString();
    int routed = -1;
    EXPECT_TRUE(x->IsRoutedTo(0, routed));
    EXPECT_EQ(routed, r.route);
    EXPECT_FALSE(x->Route(0, inputs - 1)) << "sound to the picture";
    EXPECT_FALSE(x->Route(0, inputs));
  }
}

TEST(V4L2Cards, TuningReadsLockAndPllOffsetFromSignalAndAfc) {
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(DeviceCategory::VideoInputDevice, 0, "VCapture");
  auto* props = m.Bind<ITunerPropertySet>(DeviceCategory::TVTuner, 0, "TVTuner");
  ASSERT_TRUE(decoder && props);
  quint32 low = 0, high = 0;
  EXPECT_TRUE(props->GetModeCaps(AMTUNER_MODE_TV, low, high));
  EXPECT_EQ(low, 44000000u);
  EXPECT_EQ(high, 958000000u);
  EXPECT_TRUE(props->SetFrequency(55250000, kTuningExact, 0));
  EXPECT_EQ(m.io.Calls.back(), "video0 S_FREQUENCY 884") << "62.5 kHz units";
  EXPECT_FALSE(props->SetFrequency(43000000, kTuningExact, 0));
  EXPECT_EQ(m.io.Calls.size(), 1) << "out of the band: the driver is not asked";
  const struct {
    int signal, afc, pll;
    bool locked;
  } rows[] = {{65535, 0, 0, true}, {65535, 3, 3, true}, {40000, -2, -2, true}, {65535, 99, 24, true}, {0, 0, 127, false}};
  for (const auto& r : rows) {
    m.io.Node("/dev/video0").Tuners[0].signal = r.signal;
    m.io.Node("/dev/video0").Tuners[0].afc = r.afc;
    TTunerStatus status;
    bool locked = !r.locked;
    ASSERT_TRUE(props->GetStatus(status) && decoder->get_HorizontalLocked(locked));
    EXPECT_EQ(status.CurrentFrequency, 55250000);
    EXPECT_EQ(status.PLLOffset, r.pll) << r.afc;
    EXPECT_EQ(locked, r.locked) << r.signal;
  }
  m.io.Node("/dev/video0").Inputs[0].status = V4L2_IN_ST_NO_H_LOCK;
  bool locked = true;
  EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && !locked) << "the decoder's own lock";
}

TEST(V4L2Cards, FmTunesOnTheRadioNodeInItsUnits) {
  Machine m;
  auto* tuner = m.Bind<ITVTuner>(DeviceCategory::TVTuner, 0, "TVTuner");
  auto* props = dynamic_cast<ITunerPropertySet*>(tuner);
  ASSERT_TRUE(tuner && props);
  ASSERT_TRUE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO));
  quint32 low = 0, high = 0;
  EXPECT_TRUE(props->GetModeCaps(AMTUNER_MODE_FM_RADIO, low, high));
  EXPECT_EQ(low, 87500000u);
  EXPECT_EQ(high, 108000000u);
  EXPECT_TRUE(props->SetFrequency(98000000, kTuningExact, 0));
  EXPECT_EQ(m.io.Calls.back(), "radio0 S_FREQUENCY 1568000") << "62.5 Hz units";
  EXPECT_TRUE(tuner->put_Mode(AMTUNER_MODE_TV));
  EXPECT_EQ(m.io.OpenHandles, 1) << "the radio node is closed again; the card keeps video0";

  Machine tvOnly;
  tvOnly.io.Nodes.erase(tvOnly.io.Nodes.begin() + 1);
  tuner = tvOnly.Bind<ITVTuner>(DeviceCategory::TVTuner, 0, "TVTuner");
  ASSERT_TRUE(tuner);
  EXPECT_FALSE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO));
  EXPECT_TRUE(tuner->put_Mode(AMTUNER_MODE_TV));
}

TEST(V4L2Cards, StandardsMapBothWays) {
  for (int bit = 0; bit <= 20; ++bit) {
    const int standard = 1 << bit;
    if (V4L2StdOf(standard)) {
      EXPECT_EQ(StandardOf(V4L2StdOf(standard)), standard) << standard;
    }
  }
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(DeviceCategory::VideoInputDevice, 0, "VCapture");
  auto* props = m.Bind<ITunerPropertySet>(DeviceCategory::TVTuner, 0, "TVTuner");
  int formats = 0, format = 0;
  ASSERT_TRUE(decoder && props && decoder->get_AvailableTVFormats(formats));
  EXPECT_EQ(formats, 0x1 | 0x10 | 0x40 | 0x100) << "NTSC M, PAL B, PAL G, PAL I";
  EXPECT_TRUE(decoder->put_TVFormat(0x100));
  EXPECT_EQ(m.io.Node("/dev/video0").Std, V4L2_STD_PAL_I);
  EXPECT_TRUE(decoder->get_TVFormat(format));
  EXPECT_EQ(format, 0x100);
  TMediaType type;
  EXPECT_TRUE(dynamic_cast<IStreamConfig*>(decoder)->GetStreamCaps(0, type));
  EXPECT_EQ(QSize(type.Width, type.Height), QSize(640, 576));
  EXPECT_EQ(type.AvgTimePerFrame, 400000);
  EXPECT_TRUE(props->SetStandard(0x10));
  EXPECT_EQ(m.io.Node("/dev/video0").Std, V4L2_STD_PAL_B | V4L2_STD_PAL_B1);
  EXPECT_FALSE(decoder->put_TVFormat(0x80000)) << "SECAM L' is not on this card";
  EXPECT_FALSE(decoder->put_TVFormat(0x1 | 0x10));
}

TEST(V4L2Cards, ProcAmpAndTVSoundFollowTheDriver) {
  Machine m;
  auto* amp = m.Bind<IVideoProcAmp>(DeviceCategory::VideoInputDevice, 0, "VCapture");
  auto* sound = m.Bind<ITVAudio>(DeviceCategory::TVAudio, 0, "TVAudio");
  ASSERT_TRUE(amp && sound);
  int min, max, step, def, flags, value;
  ASSERT_TRUE(amp->GetRange(VideoProcAmp_Contrast, min, max, step, def, flags));
  EXPECT_EQ((std::vector<int>{min, max, step, def}), (std::vector<int>{0, 65535, 256, 27648}));
  EXPECT_FALSE(amp->GetRange(VideoProcAmp_Sharpness, min, max, step, def, flags)) << "no such control";
  EXPECT_TRUE(amp->Set(VideoProcAmp_Brightness, 1000, kVideoProcAmpFlagsManual));
  EXPECT_TRUE(amp->Get(VideoProcAmp_Brightness, value, flags));
  EXPECT_EQ(value, 1000);
  EXPECT_FALSE(amp->Set(VideoProcAmp_Brightness, 70000, kVideoProcAmpFlagsManual));
  const struct {
    quint32 subchans;
    int modes;
  } rows[] = {{V4L2_TUNER_SUB_MONO, 0x1},
              {V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO, 0x3},
              {V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2, 0x71}};
  for (const auto& r : rows) {
    m.io.Node("/dev/video0").Tuners[0].rxsubchans = r.subchans;
    int modes = 0;
    EXPECT_TRUE(sound->GetAvailableTVAudioModes(modes));
    EXPECT_EQ(modes, r.modes) << r.subchans;
  }
  int mode = 0;
  EXPECT_TRUE(sound->put_TVAudioMode(AMTVAUDIO_MODE_LANG_B));
  EXPECT_EQ(m.io.Calls.back(), "video0 S_TUNER 2");
  EXPECT_TRUE(sound->get_TVAudioMode(mode));
  EXPECT_EQ(mode, AMTVAUDIO_MODE_LANG_B);
}

TEST(V4L2Cards, FailingCallsFailTheirRequests) {
  const struct {
    unsigned long request;
    std::function<bool(Machine&)> call;
  } rows[] = {
      {VIDIOC_S_INPUT, [](Machine& m) { return m.Bind<ICrossbar>(DeviceCategory::Crossbar, 0, "X")->Route(0, 1); }},
      {VIDIOC_G_INPUT, [](Machine& m) { int i; return m.Bind<ICrossbar>(DeviceCategory::Crossbar, 0, "X")->IsRoutedTo(0, i); }},
      {VIDIOC_S_FREQUENCY, [](Machine& m) { return m.Bind<ITunerPropertySet>(DeviceCategory::TVTuner, 0, "T")->SetFrequency(55250000, 1, 0); }},
      {VIDIOC_G_TUNER, [](Machine& m) { TTunerStatus s; return m.Bind<ITunerPropertySet>(DeviceCategory::TVTuner, 0, "T")->GetStatus(s); }},
      {VIDIOC_S_STD, [](Machine& m) { return m.Bind<IAnalogVideoDecoder>(DeviceCategory::VideoInputDevice, 0, "V")->put_TVFormat(0x1); }},
      {VIDIOC_S_CTRL, [](Machine& m) { return m.Bind<IVideoProcAmp>(DeviceCategory::VideoInputDevice, 0, "V")->Set(0, 5, 1); }},
      {VIDIOC_S_TUNER, [](Machine& m) { return m.Bind<ITVAudio>(DeviceCategory::TVAudio, 0, "A")->put_TVAudioMode(0x2); }},
  };
  for (const auto& r : rows) {
    Machine m;
    EXPECT_TRUE(r.call(m)) << r.request;
    Machine failing;
    failing.provider.Cards();  // the card was found before its driver began to fail
    failing.io.Node("/dev/video0").Fail[r.request] = -EINVAL;
    EXPECT_FALSE(r.call(failing)) << r.request;
  }
}

TEST(V4L2Cards, ABusyDeviceIsListedButDoesNotBind) {
  for (bool busyWhenLooking : {true, false}) {
    Machine m;
    if (busyWhenLooking) m.io.Node("/dev/video1").OpenError = -EBUSY;
    const auto devices = m.provider.Devices(DeviceCategory::VideoInputDevice);
    ASSERT_EQ(devices.size(), 2u);
    m.io.Node("/dev/video1").OpenError = -EBUSY;
    EXPECT_FALSE(devices[1].Bind()) << busyWhenLooking;
    EXPECT_TRUE(devices[0].Bind());
  }
}

TEST(V4L2Cards, AVanishingDeviceStopsWithAnErrorAndLaterCallsFail) {
  Machine m;
  auto capture = m.provider.Devices(DeviceCategory::VideoInputDevice)[0].Bind();
  auto sink = std::make_shared<test::TTestSink>();
  m.graph.AddFilter(capture, "VCapture");
  m.graph.AddFilter(sink, "Sink");
  auto* x = m.Bind<ICrossbar>(DeviceCategory::Crossbar, 0, "Crossbar");
  auto* props = m.Bind<ITunerPropertySet>(DeviceCategory::TVTuner, 0, "TVTuner");
  QStringList errors;
  m.graph.OnEvent = [&](const TGraphEvent& e) { if (e.kind == TGraphEvent::Error) errors << e.Message; };
  TMediaType type;
  capture->As<IStreamConfig>()->GetStreamCaps(3, type);
  ASSERT_TRUE(capture->As<IStreamConfig>()->SetFormat(type));
  ASSERT_TRUE(m.graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
  ASSERT_TRUE(m.graph.Run());
  ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() > 2; }));
  EXPECT_EQ(sink->Last().type.Width, 320);
  m.io.Node("/dev/video0").Gone = true;
  TTunerStatus status;
  EXPECT_FALSE(props->GetStatus(status));
  ASSERT_TRUE(test::WaitUntil([&] { return !errors.isEmpty(); }));
  EXPECT_TRUE(errors.front().contains("/dev/video0")) << errors.front().toStdString();
  m.graph.Stop();
  const int calls = m.io.Calls.size();
  EXPECT_FALSE(x->Route(0, 1));
  EXPECT_FALSE(capture->As<IStreamConfig>()->SetFormat(type));
  EXPECT_FALSE(m.graph.Run()) << "the capture device is not there to run";
  EXPECT_EQ(m.io.Calls.size(), calls);
}

TEST(V4L2Cards, AWebcamsMjpegIsDecodedToTheFormatAsked) {
  Machine m;
  test::TFakeNode& cam = m.io.Nodes[2];
  std::strcpy(reinterpret_cast<char*>(cam.Cap.driver), "uvcvideo");
  cam.Inputs.resize(1);
  std::strcpy(reinterpret_cast<char*>(cam.Inputs[0].name), "Camera 1");
  cam.Standards.clear();
  cam.Formats.resize(2);
  cam.Formats[0].pixelformat = V4L2_PIX_FMT_MJPEG;
  cam.Formats[1].pixelformat = V4L2_PIX_FMT_YUYV;
  cam.Sizes[V4L2_PIX_FMT_MJPEG] = cam.Sizes[V4L2_PIX_FMT_YUYV];
  cam.Sizes[V4L2_PIX_FMT_MJPEG][0].discrete = {320, 240};
  cam.Sizes[V4L2_PIX_FMT_YUYV][0].discrete = {160, 120};
  m.provider.SourceOverride = "videotestsrc is-live=true ! jpegenc";
  auto capture = m.provider.Devices(DeviceCategory::VideoInputDevice)[1].Bind();
  auto* x = m.Bind<ICrossbar>(DeviceCategory::Crossbar, 1, "Crossbar");
  int related = 0, type = 0;
  ASSERT_TRUE(capture && x && x->GetCrossbarPinInfo(true, 0, related, type));
  EXPECT_EQ(type, PhysConn_Video_AUX) << "the camera route";
  EXPECT_FALSE(capture->As<IAnalogVideoDecoder>()) << "no TV standards";
  auto* config = capture->As<IStreamConfig>();
  TMediaType small, large;
  ASSERT_TRUE(config->GetStreamCaps(0, large) && config->GetStreamCaps(3, small));
  EXPECT_EQ(QSize(large.Width, large.Height), QSize(320, 240));
  EXPECT_EQ(QSize(small.Width, small.Height), QSize(160, 120));
  auto sink = std::make_shared<test::TTestSink>();
  m.graph.AddFilter(capture, "VCapture");
  m.graph.AddFilter(sink, "Sink");
  ASSERT_TRUE(config->SetFormat(large));
  ASSERT_TRUE(m.graph.Connect(*capture->FindPin("Capture"), *sink->FindPin("Input")));
  ASSERT_TRUE(m.graph.Run());
  ASSERT_TRUE(test::WaitUntil([&] { return sink->Frames() > 1; }));
  EXPECT_EQ(sink->Last().type.Name(), large.Name()) << "decoded, at the size asked";
  m.graph.Stop();
  ASSERT_TRUE(config->SetFormat(small));
  EXPECT_FALSE(ChildByName(capture->Element(), "jpegdec")) << "YUYV is read as it is at that size";
}

TEST(V4L2Cards, DeviceChoiceAndTheRealCallLayer) {
  int asked = 0;
  auto found = [&] { ++asked; return true; };
  EXPECT_TRUE(UseRealCards("", found));
  EXPECT_FALSE(UseRealCards("virtual", found));
  EXPECT_EQ(asked, 1) << "the virtual choice looks for nothing";
  EXPECT_FALSE(UseRealCards("", [] { return false; }));
  EXPECT_EQ(LinuxV4L2Io().Open("/nonexistent/video99"), -ENOENT);
}
