// The device filters of both backends: the virtual card and real TV cards on a scripted driver
// (canned structures, the state a driver keeps, a record of the calls that change it, and calls
// that fail or a node that vanishes on request). First what every card does, run against both:
// routing, tuning, standards and the sizes that follow them, colour controls, TV sound, the
// wiring inside the card, capture formats and a card that vanishes while it runs. Then where
// real cards differ: discovery, the driver calls behind each request and the failure when the
// driver fails them, lock and PLL from the tuner's readings, the radio node, standards, controls
// and TV sound as the driver numbers them, busy and vanished devices, and a webcam's MJPEG.

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

#include "platform/devices/CardFilters.h"
#include "platform/devices/v4l2/V4L2CardProbe.h"
#include "platform/devices/v4l2/V4L2DeviceProvider.h"
#include "platform/devices/v4l2/V4L2Standards.h"
#include "platform/graph/GstPtr.h"
#include "platform/virtual/VirtualRig.h"

using namespace pvx;
using namespace pvx::platform::graph;
using namespace pvx::platform::devices::v4l2;
namespace dev = pvx::platform::devices;
using Cat = DeviceCategory;
using test::VideoType;

namespace {

struct TFakeNode {
  QString Path;
  v4l2_capability Cap{};
  std::vector<v4l2_input> Inputs;
  std::vector<v4l2_standard> Standards;
  std::vector<v4l2_tuner> Tuners;
  std::vector<v4l2_fmtdesc> Formats;
  std::map<quint32, std::vector<v4l2_frmsizeenum>> Sizes;
  std::map<quint32, v4l2_queryctrl> Controls;
  std::map<quint32, int> Values;
  int Input = 0;
  v4l2_std_id Std = V4L2_STD_NTSC_M;
  quint32 Frequency = 0;
  int OpenError = 0;                  // what Open answers (-EBUSY ...)
  std::map<unsigned long, int> Fail;  // request -> -errno
  bool Gone = false;                  // unplugged: ENODEV to calls, ENOENT to Open
};

// Entry `index` of an enumeration, else EINVAL.
template <typename T>
int Entry(const std::vector<T>& list, void* arg) {
  T& entry = *static_cast<T*>(arg);
  const quint32 index = entry.index;
  return index < list.size() ? entry = list[index], entry.index = index, 0 : -EINVAL;
}

class TFakeV4L2Io final : public IV4L2Io {
 public:
  int Open(const QString& path) override {
    for (size_t i = 0; i < Nodes.size(); ++i) {
      if (Nodes[i].Path != path || Nodes[i].Gone) continue;
      if (Nodes[i].OpenError) return Nodes[i].OpenError;
      handles_[next_] = i;
      ++OpenHandles;
      return next_++;
    }
    return -ENOENT;
  }
  void Close(int handle) override { OpenHandles -= int(handles_.erase(handle)); }
  int Ioctl(int handle, unsigned long request, void* arg) override;
  QStringList ListNodes() const override {
    QStringList out;
    for (const TFakeNode& n : Nodes) out << n.Path;
    return out;
  }

  std::vector<TFakeNode> Nodes;
  QStringList Calls;  // "video0 S_INPUT 2"
  int OpenHandles = 0;

 private:
  std::map<int, size_t> handles_;
  int next_ = 3;
};

int TFakeV4L2Io::Ioctl(int handle, unsigned long request, void* arg) {
  if (!handles_.count(handle)) return -EBADF;
  TFakeNode& n = Nodes[handles_[handle]];
  if (n.Gone || n.Fail.count(request)) return n.Gone ? -ENODEV : n.Fail[request];
  auto log = [&](const char* name, qint64 value) {
    Calls << QStringLiteral("%1 %2 %3").arg(QFileInfo(n.Path).fileName(), name).arg(value);
    return 0;
  };
  auto* control = static_cast<v4l2_control*>(arg);
  auto known = [&] { return n.Controls.count(control->id) > 0; };
  switch (request) {
    case VIDIOC_QUERYCAP: return *static_cast<v4l2_capability*>(arg) = n.Cap, 0;
    case VIDIOC_ENUMINPUT: return Entry(n.Inputs, arg);
    case VIDIOC_ENUMSTD: return Entry(n.Standards, arg);
    case VIDIOC_G_TUNER: return Entry(n.Tuners, arg);
    case VIDIOC_ENUM_FMT: return Entry(n.Formats, arg);
    case VIDIOC_ENUM_FRAMESIZES:
      return Entry(n.Sizes[static_cast<v4l2_frmsizeenum*>(arg)->pixel_format], arg);
    case VIDIOC_G_INPUT: return *static_cast<int*>(arg) = n.Input, 0;
    case VIDIOC_S_INPUT:
      if (quint32(*static_cast<int*>(arg)) >= n.Inputs.size()) return -EINVAL;
      return log("S_INPUT", n.Input = *static_cast<int*>(arg));
    case VIDIOC_G_STD: return *static_cast<v4l2_std_id*>(arg) = n.Std, 0;
    case VIDIOC_S_STD: return log("S_STD", qint64(n.Std = *static_cast<v4l2_std_id*>(arg)));
    case VIDIOC_G_FREQUENCY: return static_cast<v4l2_frequency*>(arg)->frequency = n.Frequency, 0;
    case VIDIOC_S_FREQUENCY:
      return log("S_FREQUENCY", n.Frequency = static_cast<v4l2_frequency*>(arg)->frequency);
    case VIDIOC_S_TUNER:
      return log("S_TUNER", n.Tuners.at(0).audmode = static_cast<v4l2_tuner*>(arg)->audmode);
    case VIDIOC_QUERYCTRL:
      return known() ? *static_cast<v4l2_queryctrl*>(arg) = n.Controls[control->id], 0 : -EINVAL;
    case VIDIOC_G_CTRL:
      if (!known()) return -EINVAL;
      control->value = n.Values.count(control->id) ? n.Values[control->id]
                                                    : n.Controls[control->id].default_value;
      return 0;
    case VIDIOC_S_CTRL: return known() ? log("S_CTRL", n.Values[control->id] = control->value) : -EINVAL;
    default: return -ENOTTY;
  }
}

// A TV card: tuner, composite and S-Video inputs, three standards, four colour controls.
TFakeNode BttvCard(const QString& path = "/dev/video0") {
  TFakeNode n{.Path = path, .Cap = {.driver = "bttv", .card = "BT878 video (Hauppauge (bt878))",
                                     .bus_info = "PCI:0000:05:00.0", .capabilities = V4L2_CAP_VIDEO_CAPTURE}};
  n.Inputs = {{.name = "Television", .type = V4L2_INPUT_TYPE_TUNER},
              {.name = "Composite1", .type = V4L2_INPUT_TYPE_CAMERA},
              {.name = "S-Video", .type = V4L2_INPUT_TYPE_CAMERA}};
  for (v4l2_std_id id : {V4L2_STD_NTSC_M, V4L2_STD_PAL_BG, V4L2_STD_PAL_I}) n.Standards.push_back({.id = id});
  // 44 to 958 MHz in 62.5 kHz units.
  n.Tuners = {{.type = V4L2_TUNER_ANALOG_TV, .rangelow = 44 * 16, .rangehigh = 958 * 16,
               .rxsubchans = V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO}};
  for (quint32 f : {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_UYVY, V4L2_PIX_FMT_BGR24})
    n.Formats.push_back({.pixelformat = f});
  for (quint32 id : {V4L2_CID_BRIGHTNESS, V4L2_CID_CONTRAST, V4L2_CID_HUE, V4L2_CID_SATURATION})
    n.Controls[id] = {.id = id, .minimum = 0, .maximum = 65535, .step = 256, .default_value = 32768};
  n.Controls[V4L2_CID_CONTRAST].default_value = 27648;
  return n;
}

// Its radio node: 87.5 to 108 MHz in 62.5 Hz units.
TFakeNode BttvRadio() {
  TFakeNode n = BttvCard("/dev/radio0");
  n.Cap.capabilities = V4L2_CAP_RADIO;
  n.Tuners = {{.type = V4L2_TUNER_RADIO, .capability = V4L2_TUNER_CAP_LOW, .rangelow = 1400000,
               .rangehigh = 1728000}};
  return n;
}

// A capture stick: composite and S-Video, YUYV at 720x576 only.
TFakeNode Em28xxCard() {
  TFakeNode n = BttvCard("/dev/video1");
  n.Cap = {.driver = "em28xx", .card = "Pinnacle Dazzle DVC 90", .bus_info = "usb-2",
           .capabilities = V4L2_CAP_VIDEO_CAPTURE};
  n.Inputs.erase(n.Inputs.begin());
  n.Tuners.clear();
  n.Formats.resize(1);
  n.Sizes[V4L2_PIX_FMT_YUYV] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {720, 576}}};
  return n;
}

struct Machine : test::TCardRig<Machine> {
  Machine() {
    TFakeNode meta = Em28xxCard();
    meta.Path = "/dev/video2";
    meta.Cap.capabilities = V4L2_CAP_META_CAPTURE;
    io.Nodes = {BttvCard(), BttvRadio(), Em28xxCard(), meta};
    provider.SourceOverride = "videotestsrc is-live=true";
  }
  TV4L2DeviceProvider& Provider() { return provider; }
  TFakeNode& Bttv() { return io.Nodes[0]; }
  TFakeV4L2Io io;
  TV4L2DeviceProvider provider{io};
  TFilterGraph graph{test::Components()};
};

const QString kBttv = "BT878 video (Hauppauge (bt878)) (Conexant 878)";
const QString kEm28xx = "Pinnacle Dazzle DVC 90 (Empia 2820)";

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
struct V4L2Rig : Machine {
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

// Nodes that are no capture card (metadata only, one that does not open) are left out; each
// node looked at is closed again.
TEST(V4L2Cards, DiscoveryListsEachCardInItsCategories) {
  Machine m;
  m.io.Nodes.push_back(BttvCard("/dev/video3"));
  m.io.Nodes.back().OpenError = -ENOENT;
  const std::pair<Cat, QStringList> rows[] = {
      {Cat::VideoInputDevice, {kBttv, kEm28xx}},
      {Cat::Crossbar, {kBttv + " Crossbar", kEm28xx + " Crossbar"}},
      {Cat::TVTuner, {kBttv + " TV Tuner"}},
      {Cat::TVAudio, {kBttv + " TV Audio"}},
      {Cat::AudioInputDevice, {}}};  // no sound pairing known
  for (const auto& [category, names] : rows) {
    QStringList found;
    for (const auto& moniker : m.provider.Devices(category)) found << moniker.FriendlyName;
    EXPECT_EQ(found, names);
  }
  EXPECT_EQ(m.io.OpenHandles, 0);
  // The chip is added to a card name that lacks its maker (as for the TV card above), only then.
  EXPECT_EQ(FriendlyCardName("Philips saa7134 card", "saa7134"), "Philips saa7134 card");
}

TEST(V4L2Cards, EachRequestMakesItsDriverCallAndFailsWhenTheDriverFailsIt) {
  using Call = std::function<bool(Machine&)>;
  const auto crossbar = [](Machine& m) { return m.Bind<ICrossbar>(Cat::Crossbar); };
  const auto tuner = [](Machine& m) { return m.Bind<ITunerPropertySet>(Cat::TVTuner); };
  const auto sound = [](Machine& m) { return m.Bind<ITVAudio>(Cat::TVAudio); };
  const auto decoder = [](Machine& m) { return m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice); };
  // The request a call makes (in 62.5 kHz units, V4L2 ids: PAL I, PAL B and B1; audmodes), and the
  // request that fails it.
  const std::tuple<const char*, unsigned long, Call> rows[] = {
      {"video0 S_INPUT 1", VIDIOC_S_INPUT, [&](Machine& m) { return crossbar(m)->Route(0, 1); }},
      {"", VIDIOC_G_INPUT, [&](Machine& m) { int i; return crossbar(m)->IsRoutedTo(0, i); }},
      {"video0 S_FREQUENCY 884", VIDIOC_S_FREQUENCY,
       [&](Machine& m) { return tuner(m)->SetFrequency(55250000, 1, 0); }},
      {"", VIDIOC_G_TUNER, [&](Machine& m) { TTunerStatus s; return tuner(m)->GetStatus(s); }},
      {"", VIDIOC_G_FREQUENCY, [&](Machine& m) { TTunerStatus s; return tuner(m)->GetStatus(s); }},
      {"video0 S_STD 16", VIDIOC_S_STD, [&](Machine& m) { return decoder(m)->put_TVFormat(0x100); }},
      {"video0 S_STD 3", VIDIOC_S_STD, [&](Machine& m) { return tuner(m)->SetStandard(0x10); }},
      {"video0 S_CTRL 1000", VIDIOC_S_CTRL, [](Machine& m) {
         return m.Bind<IVideoProcAmp>(Cat::VideoInputDevice)->Set(VideoProcAmp_Hue, 1000, 1); }},
      {"video0 S_TUNER 0", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x1); }},
      // Several bits: the language wins over stereo.
      {"video0 S_TUNER 3", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x2 | 0x10); }},
      {"video0 S_TUNER 2", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x20); }},
      {"video0 S_TUNER 4", VIDIOC_S_TUNER, [&](Machine& m) { return sound(m)->put_TVAudioMode(0x40); }},
  };
  for (const auto& [made, request, call] : rows) {
    SCOPED_TRACE(made);
    Machine m, failing;
    EXPECT_TRUE(call(m));
    EXPECT_EQ(m.io.Calls, *made ? QStringList{made} : QStringList{});
    failing.provider.Cards();  // found before its driver began to fail
    failing.Bttv().Fail[request] = -EINVAL;
    EXPECT_FALSE(call(failing));
  }
}

TEST(V4L2Cards, ACardWithoutTunerRoutesItsInputsByTheDriversIndex) {
  Machine m;
  auto* x = m.Bind<ICrossbar>(Cat::Crossbar, 1);
  // Connector types; each video input pairs with the line sound, the line with the first input.
  const std::pair<int, int> pins[] = {{PhysConn_Video_Composite, 2}, {PhysConn_Video_SVideo, 2},
                                      {PhysConn_Audio_Line, 0}};
  int outputs = 0, inputs = 0, related = 0, type = 0, routed = -1;
  ASSERT_TRUE(x && x->GetPinCounts(outputs, inputs) && inputs == 3) << inputs;
  for (int i = 0; i < inputs; ++i)
    EXPECT_TRUE(x->GetCrossbarPinInfo(true, i, related, type) && std::pair(type, related) == pins[i]) << i;
  EXPECT_TRUE(x->IsRoutedTo(1, routed) && routed == 2) << "the line sound";
  EXPECT_TRUE(x->Route(0, 1));
  EXPECT_EQ(m.io.Calls, QStringList{"video1 S_INPUT 1"});
  EXPECT_TRUE(x->IsRoutedTo(0, routed) && routed == 1) << routed;
}

TEST(V4L2Cards, LockAndPllOffsetComeFromSignalAndAfcAndFmFromTheRadioNode) {
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice);
  auto* tuner = m.Bind<ITVTuner>(Cat::TVTuner);
  auto* props = dynamic_cast<ITunerPropertySet*>(tuner);
  ASSERT_TRUE(decoder && props);
  // Signal and AFC read from the tuner; the PLL offset and the lock they give.
  const std::tuple<int, int, int, bool> rows[] = {{65535, 0, 0, true},  {40000, -2, -2, true},
                                                  {65535, 99, 24, true}, {65535, -99, -24, true},
                                                  {1, 0, 0, true},       {0, 0, 127, false}};
  for (const auto& [signal, afc, pll, lock] : rows) {
    m.Bttv().Tuners[0].signal = signal;
    m.Bttv().Tuners[0].afc = afc;
    TTunerStatus status;
    bool locked = !lock;
    ASSERT_TRUE(props->GetStatus(status) && decoder->get_HorizontalLocked(locked));
    EXPECT_EQ(std::pair(status.PLLOffset, status.SignalStrength), std::pair(pll, signal * 100 / 65535));
    EXPECT_EQ(locked, lock) << signal;
  }
  // The decoder's own lock, and the copy protection the input reports.
  m.Bttv().Tuners[0].signal = 65535;
  for (const quint32 status : {V4L2_IN_ST_NO_H_LOCK, V4L2_IN_ST_NO_SIGNAL, V4L2_IN_ST_MACROVISION}) {
    m.Bttv().Inputs[0].status = status;
    const bool macrovision = status == V4L2_IN_ST_MACROVISION;
    bool locked = !macrovision;
    qint32 copy = -1;
    EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && props->GetCopyProtection(copy));
    EXPECT_EQ(std::make_pair(locked, copy), std::make_pair(macrovision, qint32(macrovision))) << status;
  }
  // FM on the radio node on the same bus, in its 62.5 Hz units; closing it gives TV back.
  ASSERT_TRUE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO) && props->SetFrequency(98000000, kTuningExact, 0));
  EXPECT_EQ(m.io.Calls.back(), "radio0 S_FREQUENCY 1568000");
  EXPECT_EQ(m.io.OpenHandles, 2);
  EXPECT_TRUE(tuner->put_Mode(AMTUNER_MODE_TV));
  EXPECT_EQ(m.io.OpenHandles, 1) << "the card keeps video0 only";
  // No FM from a radio node whose tuner is no radio, or that does not open.
  for (const bool opens : {true, false}) {
    Machine tvOnly;
    tvOnly.io.Nodes[1].Tuners[0].type = opens ? V4L2_TUNER_ANALOG_TV : V4L2_TUNER_RADIO;
    tvOnly.io.Nodes[1].OpenError = opens ? 0 : -ENOENT;
    tuner = tvOnly.Bind<ITVTuner>(Cat::TVTuner);
    int modes = 0;
    EXPECT_TRUE(tuner->GetAvailableModes(modes) && modes == AMTUNER_MODE_TV) << opens;
    EXPECT_FALSE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO)) << opens;
  }
}

TEST(V4L2Cards, StandardsControlsAndTVSoundAsTheDriverNumbersThem) {
  for (int standard = 1; standard <= 0x100000; standard <<= 1)
    EXPECT_EQ(StandardOf(V4L2StdOf(standard)), V4L2StdOf(standard) ? standard : 0) << standard;
  EXPECT_EQ(StandardsOf(V4L2_STD_PAL_BG | V4L2_STD_NTSC_M), 0x1 | 0x10 | 0x40);
  EXPECT_TRUE(IsNtscLike(0x200) && !IsNtscLike(0x10));
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice);
  auto* amp = dynamic_cast<IVideoProcAmp*>(decoder);
  auto* sound = m.Bind<ITVAudio>(Cat::TVAudio);
  int formats = 0, value = 0, flags = 0, mode = 0;
  ASSERT_TRUE(decoder && amp && sound && decoder->get_AvailableTVFormats(formats));
  EXPECT_EQ(formats, 0x1 | 0x10 | 0x40 | 0x100) << "NTSC M, PAL B, PAL G, PAL I";
  EXPECT_TRUE(amp->Get(VideoProcAmp_Saturation, value, flags) && value == 32768) << "the driver's default";
  m.Bttv().Controls[V4L2_CID_HUE].flags = V4L2_CTRL_FLAG_DISABLED;
  EXPECT_FALSE(amp->Set(VideoProcAmp_Hue, 1000, kVideoProcAmpFlagsManual)) << "a disabled control";
  const std::pair<quint32, int> rows[] = {{V4L2_TUNER_SUB_MONO, 0x1},
                                          {V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO, 0x3},
                                          {V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2, 0x71}};
  for (const auto& [subchans, modes] : rows) {
    m.Bttv().Tuners[0].rxsubchans = subchans;
    EXPECT_TRUE(sound->GetAvailableTVAudioModes(mode) && mode == modes) << subchans;
  }
}

// A card busy when looked at is listed under its path and stays unbound though freed later; one
// busy only when bound does not bind either.
TEST(V4L2Cards, BusyAndVanishedDevicesAreListedButDoNotBind) {
  for (bool busyWhenLooking : {true, false}) {
    Machine m;
    m.io.Nodes[2].OpenError = busyWhenLooking ? -EBUSY : 0;
    const auto devices = m.provider.Devices(Cat::VideoInputDevice);
    m.io.Nodes[2].OpenError = busyWhenLooking ? 0 : -EBUSY;
    EXPECT_EQ(devices.at(1).FriendlyName, busyWhenLooking ? "/dev/video1" : kEm28xx);
    EXPECT_FALSE(devices.at(1).Bind()) << busyWhenLooking;
    EXPECT_TRUE(devices[0].Bind());
  }
  // Once gone, a card refuses what it would ask its driver, and asks nothing more.
  Machine m;
  auto capture = m.Add(Cat::VideoInputDevice);
  auto* x = m.Bind<ICrossbar>(Cat::Crossbar);
  m.Bttv().Gone = true;
  int input = 0;
  EXPECT_FALSE(x->IsRoutedTo(0, input) || x->Route(0, 1));
  EXPECT_FALSE(capture->As<IStreamConfig>()->SetFormat(test::VideoType("YUY2", 320, 240)));
  EXPECT_TRUE(m.io.Calls.isEmpty());
}

TEST(V4L2Cards, AWebcamsMjpegIsDecodedToTheFormatAsked) {
  Machine m;
  TFakeNode& cam = m.io.Nodes[2];
  cam.Cap = {.driver = "uvcvideo", .card = "Webcam C270", .capabilities = V4L2_CAP_VIDEO_CAPTURE};
  cam.Inputs = {{.name = "Camera 1", .type = V4L2_INPUT_TYPE_CAMERA}};
  cam.Standards.clear();
  cam.Controls.clear();
  cam.Formats = {{.pixelformat = V4L2_PIX_FMT_MJPEG}, {.pixelformat = V4L2_PIX_FMT_YUYV}};
  cam.Sizes[V4L2_PIX_FMT_MJPEG] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {320, 240}}};
  cam.Sizes[V4L2_PIX_FMT_YUYV] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {160, 120}}};
  m.provider.SourceOverride = "videotestsrc is-live=true ! jpegenc";
  auto capture = m.Add(Cat::VideoInputDevice, 1);
  EXPECT_EQ(capture->FriendlyName(), "Webcam C270") << "a name with no chip to add";
  EXPECT_EQ(m.Add(Cat::Crossbar, 1)->FindPin(PinDir::Input)->PhysicalType(), PhysConn_Video_AUX);
  EXPECT_FALSE(capture->As<IAnalogVideoDecoder>()) << "no standards";
  EXPECT_FALSE(capture->As<IVideoProcAmp>()) << "no controls";
  auto* config = capture->As<IStreamConfig>();
  TMediaType large, small;
  ASSERT_TRUE(config->GetStreamCaps(0, large) && config->GetStreamCaps(3, small));
  EXPECT_EQ(config->GetNumberOfCapabilities(), 6) << "the sizes listed, in three formats";
  EXPECT_EQ(small.Name() + " " + QString::number(small.AvgTimePerFrame), "YUY2 160x120 333667") << "no standard";
  EXPECT_EQ(m.Play(*capture, large)->Last().type.Name(), "YUY2 320x240") << "decoded, at the size asked";
  m.graph.Stop();
  ASSERT_TRUE(config->SetFormat(small));
  EXPECT_FALSE(ChildByName(capture->Element(), "jpegdec")) << "YUYV is read as it is at that size";
}

TEST(V4L2Cards, DeviceChoiceAndTheRealCallLayer) {
  int asked = 0;
  auto found = [&] { return ++asked > 0; };
  EXPECT_TRUE(UseRealCards("", found));
  EXPECT_FALSE(UseRealCards("virtual", found));
  EXPECT_EQ(asked, 1) << "the virtual choice looks for nothing";
  EXPECT_FALSE(UseRealCards("", [] { return false; }));
  QTemporaryDir dir;
  const QString ini = dir.filePath("Devices.ini");
  EXPECT_EQ(DeviceSetting("", ini), "") << "no file: the real cards when there are some";
  QFile file(ini);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Device=virtual\n") > 0);
  file.close();
  const std::pair<QString, QString> choices[] = {{"", "virtual"}, {"real", "real"}, {"virtual", "virtual"}};
  for (const auto& [environment, chosen] : choices)
    EXPECT_EQ(DeviceSetting(environment, ini), chosen) << environment.toStdString();
  EXPECT_EQ(LinuxV4L2Io().Open("/nonexistent/video99"), -ENOENT);
}
