// Real cards on scripted drivers: discovery, routing, tuning, standards, controls, TV sound,
// failing calls, busy and vanishing devices, and a webcam's MJPEG.

#include <gtest/gtest.h>

#include <linux/videodev2.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <map>
#include <tuple>

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
using Cat = DeviceCategory;

namespace {

// A scripted driver: canned structures, the state a driver keeps, a record of the calls that
// change it, and calls that fail or a node that vanishes on request.
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

class TFakeV4L2Io final : public IV4L2Io {
 public:
  int Open(const QString& path) override;
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

// Entry `index` of an enumeration, else EINVAL.
template <typename T>
int Entry(const std::vector<T>& list, void* arg) {
  T& entry = *static_cast<T*>(arg);
  const quint32 index = entry.index;
  return index < list.size() ? entry = list[index], entry.index = index, 0 : -EINVAL;
}

TFakeNode BttvCard(const QString& path = "/dev/video0") {
  TFakeNode n{.Path = path, .Cap = {.driver = "bttv", .card = "BT878 video (Hauppauge (bt878))",
                                     .bus_info = "PCI:0000:05:00.0", .capabilities = V4L2_CAP_VIDEO_CAPTURE}};
  n.Inputs = {{.name = "Television", .type = V4L2_INPUT_TYPE_TUNER}, {.name = "Composite1", .type = V4L2_INPUT_TYPE_CAMERA},
              {.name = "S-Video", .type = V4L2_INPUT_TYPE_CAMERA}};
  for (v4l2_std_id id : {V4L2_STD_NTSC_M, V4L2_STD_PAL_BG, V4L2_STD_PAL_I}) n.Standards.push_back({.id = id});
  // 44 to 958 MHz in 62.5 kHz units.
  n.Tuners = {{.type = V4L2_TUNER_ANALOG_TV, .rangelow = 44 * 16, .rangehigh = 958 * 16,
               .rxsubchans = V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO}};
  for (quint32 f : {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_UYVY, V4L2_PIX_FMT_BGR24}) n.Formats.push_back({.pixelformat = f});
  for (quint32 id : {V4L2_CID_BRIGHTNESS, V4L2_CID_CONTRAST, V4L2_CID_HUE, V4L2_CID_SATURATION})
    n.Controls[id] = {.id = id, .minimum = 0, .maximum = 65535, .step = 256, .default_value = 32768};
  n.Controls[V4L2_CID_CONTRAST].default_value = 27648;
  return n;
}

TFakeNode BttvRadio() {
  TFakeNode n = BttvCard("/dev/radio0");
  n.Cap.capabilities = V4L2_CAP_RADIO;
  // 87.5 to 108 MHz in 62.5 Hz units.
  n.Tuners = {{.type = V4L2_TUNER_RADIO, .capability = V4L2_TUNER_CAP_LOW, .rangelow = 1400000, .rangehigh = 1728000}};
  return n;
}

TFakeNode Em28xxCard() {
  TFakeNode n = BttvCard("/dev/video1");
  n.Cap = {.driver = "em28xx", .card = "Pinnacle Dazzle DVC 90", .bus_info = "usb-2", .capabilities = V4L2_CAP_VIDEO_CAPTURE};
  n.Inputs.erase(n.Inputs.begin());
  n.Tuners.clear();
  n.Formats.resize(1);
  n.Sizes[V4L2_PIX_FMT_YUYV] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {720, 576}}};
  return n;
}

int TFakeV4L2Io::Open(const QString& path) {
  for (size_t i = 0; i < Nodes.size(); ++i) {
    if (Nodes[i].Path != path || Nodes[i].Gone) continue;
    if (Nodes[i].OpenError) return Nodes[i].OpenError;
    handles_[next_] = i;
    ++OpenHandles;
    return next_++;
  }
  return -ENOENT;
}

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
    case VIDIOC_ENUM_FRAMESIZES: return Entry(n.Sizes[static_cast<v4l2_frmsizeenum*>(arg)->pixel_format], arg);
    case VIDIOC_G_INPUT: return *static_cast<int*>(arg) = n.Input, 0;
    case VIDIOC_S_INPUT:
      if (quint32(*static_cast<int*>(arg)) >= n.Inputs.size()) return -EINVAL;
      return log("S_INPUT", n.Input = *static_cast<int*>(arg));
    case VIDIOC_G_STD: return *static_cast<v4l2_std_id*>(arg) = n.Std, 0;
    case VIDIOC_S_STD: return log("S_STD", qint64(n.Std = *static_cast<v4l2_std_id*>(arg)));
    case VIDIOC_G_FREQUENCY: return static_cast<v4l2_frequency*>(arg)->frequency = n.Frequency, 0;
    case VIDIOC_S_FREQUENCY: return log("S_FREQUENCY", n.Frequency = static_cast<v4l2_frequency*>(arg)->frequency);
    case VIDIOC_S_TUNER: return log("S_TUNER", n.Tuners.at(0).audmode = static_cast<v4l2_tuner*>(arg)->audmode);
    case VIDIOC_QUERYCTRL: return known() ? *static_cast<v4l2_queryctrl*>(arg) = n.Controls[control->id], 0 : -EINVAL;
    case VIDIOC_G_CTRL:
      if (!known()) return -EINVAL;
      return control->value = n.Values.count(control->id) ? n.Values[control->id] : n.Controls[control->id].default_value, 0;
    case VIDIOC_S_CTRL: return known() ? log("S_CTRL", n.Values[control->id] = control->value) : -EINVAL;
    default: return -ENOTTY;
  }
}

const QString kBttv = "BT878 video (Hauppauge (bt878)) (Conexant 878)";
const QString kEm28xx = "Pinnacle Dazzle DVC 90 (Empia 2820)";

// A machine with both cards (and a node that is no capture device), bound into one graph.
struct Machine {
  Machine() {
    TFakeNode meta = Em28xxCard();
    meta.Path = "/dev/video2";
    meta.Cap.capabilities = V4L2_CAP_META_CAPTURE;
    io.Nodes = {BttvCard(), BttvRadio(), Em28xxCard(), meta};
    provider.SourceOverride = "videotestsrc is-live=true";
  }
  QStringList Names(Cat c) {
    QStringList out;
    for (const auto& m : provider.Devices(c)) out << m.FriendlyName;
    return out;
  }
  std::shared_ptr<TFilter> Add(Cat c, int index = 0) {
    auto filter = provider.Devices(c).at(size_t(index)).Bind();
    if (filter) graph.AddFilter(filter, filter->FriendlyName());
    return filter;
  }
  template <typename I>
  I* Bind(Cat c, int index = 0) {
    auto filter = Add(c, index);
    return filter ? filter->template As<I>() : nullptr;
  }
  // Captures `type` into a test sink until frames come.
  std::shared_ptr<test::TTestSink> Play(TFilter& capture, const TMediaType& type) {
    auto sink = std::make_shared<test::TTestSink>();
    graph.AddFilter(sink, "Sink");
    EXPECT_TRUE(capture.As<IStreamConfig>()->SetFormat(type) && graph.Connect(*capture.FindPin("Capture"), *sink->FindPin("Input")) &&
                graph.Run() && test::WaitUntil([&] { return sink->Frames() > 1; }));
    return sink;
  }
  TFakeNode& Bttv() { return io.Nodes[0]; }
  TFakeV4L2Io io;
  TV4L2DeviceProvider provider{io};
  TFilterGraph graph{test::Components()};
};

}  // namespace

TEST(V4L2Cards, DiscoveryListsEachCardInItsCategories) {
  Machine m;
  EXPECT_EQ(m.Names(Cat::VideoInputDevice), QStringList({kBttv, kEm28xx}));
  EXPECT_EQ(m.Names(Cat::Crossbar), QStringList({kBttv + " Crossbar", kEm28xx + " Crossbar"}));
  EXPECT_EQ(m.Names(Cat::TVTuner), QStringList({kBttv + " TV Tuner"}));
  EXPECT_EQ(m.Names(Cat::TVAudio), QStringList({kBttv + " TV Audio"}));
  EXPECT_TRUE(m.Names(Cat::AudioInputDevice).isEmpty()) << "no sound pairing known";
  EXPECT_EQ(m.io.OpenHandles, 0) << "looking closes every node again";
}

TEST(V4L2Cards, CrossbarRoutesAreTheDriversInputs) {
  // Card, connector types (video inputs, then tuner and line sound), a route and its call.
  const std::tuple<int, std::vector<int>, int, const char*> rows[] = {
      {0, {PhysConn_Video_Tuner, PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Audio_Tuner, PhysConn_Audio_Line}, 2, "video0 S_INPUT 2"},
      {1, {PhysConn_Video_Composite, PhysConn_Video_SVideo, PhysConn_Audio_Line}, 1, "video1 S_INPUT 1"},
  };
  for (const auto& [card, types, route, call] : rows) {
    Machine m;
    auto capture = m.Add(Cat::VideoInputDevice, card);
    auto* x = m.Bind<ICrossbar>(Cat::Crossbar, card);
    ASSERT_TRUE(x);
    EXPECT_TRUE(capture->FindPin(PinDir::Input)->IsConnected()) << "wired inside the card";
    int outputs = 0, inputs = 0, related = 0, type = 0, routed = -1;
    ASSERT_TRUE(x->GetPinCounts(outputs, inputs));
    ASSERT_EQ(inputs, int(types.size()));
    for (int i = 0; i < inputs; ++i) {
      ASSERT_TRUE(x->GetCrossbarPinInfo(true, i, related, type));
      EXPECT_EQ(type, types[size_t(i)]) << i;
      EXPECT_EQ(x->CanRoute(0, i), type < 0x1000) << i;
    }
    EXPECT_TRUE(x->Route(0, route));
    EXPECT_EQ(m.io.Calls.back(), call);
    EXPECT_TRUE(x->IsRoutedTo(0, routed) && routed == route) << routed;
  }
}

TEST(V4L2Cards, TuningReadsLockAndPllOffsetFromSignalAndAfc) {
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice);
  auto* tuner = m.Bind<ITVTuner>(Cat::TVTuner);
  auto* props = dynamic_cast<ITunerPropertySet*>(tuner);
  quint32 low = 0, high = 0;
  ASSERT_TRUE(decoder && props && props->GetModeCaps(AMTUNER_MODE_TV, low, high));
  EXPECT_EQ(std::make_pair(low, high), std::make_pair(44000000u, 958000000u));
  EXPECT_TRUE(props->SetFrequency(55250000, kTuningExact, 0));
  EXPECT_FALSE(props->SetFrequency(43000000, kTuningExact, 0));
  EXPECT_EQ(m.io.Calls, QStringList{"video0 S_FREQUENCY 884"}) << "62.5 kHz units; nothing asked off the band";
  // Signal and AFC read from the tuner; the PLL offset and the lock they give.
  const std::tuple<int, int, int, bool> rows[] = {{65535, 0, 0, true}, {40000, -2, -2, true}, {65535, 99, 24, true}, {0, 0, 127, false}};
  for (const auto& [signal, afc, pll, lock] : rows) {
    m.Bttv().Tuners[0].signal = signal;
    m.Bttv().Tuners[0].afc = afc;
    TTunerStatus status;
    bool locked = !lock;
    ASSERT_TRUE(props->GetStatus(status) && decoder->get_HorizontalLocked(locked));
    EXPECT_EQ(status.CurrentFrequency, 55250000);
    EXPECT_EQ(status.PLLOffset, pll) << afc;
    EXPECT_EQ(locked, lock) << signal;
  }
  m.Bttv().Inputs[0].status = V4L2_IN_ST_NO_H_LOCK;
  bool locked = true;
  EXPECT_TRUE(decoder->get_HorizontalLocked(locked) && !locked) << "the decoder's own lock";

  // FM on the radio node on the same bus, in its 62.5 Hz units; closing it gives TV back.
  ASSERT_TRUE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO) && props->GetModeCaps(AMTUNER_MODE_FM_RADIO, low, high));
  EXPECT_EQ(std::make_pair(low, high), std::make_pair(87500000u, 108000000u));
  EXPECT_TRUE(props->SetFrequency(98000000, kTuningExact, 0));
  EXPECT_EQ(m.io.Calls.back(), "radio0 S_FREQUENCY 1568000");
  EXPECT_TRUE(tuner->put_Mode(AMTUNER_MODE_TV));
  EXPECT_EQ(m.io.OpenHandles, 1) << "the card keeps video0 only";
  Machine tvOnly;
  tvOnly.io.Nodes.erase(tvOnly.io.Nodes.begin() + 1);
  tuner = tvOnly.Bind<ITVTuner>(Cat::TVTuner);
  EXPECT_FALSE(tuner->put_Mode(AMTUNER_MODE_FM_RADIO));
  EXPECT_TRUE(tuner->put_Mode(AMTUNER_MODE_TV));
}

TEST(V4L2Cards, StandardsMapBothWays) {
  for (int standard = 1; standard <= 0x100000; standard <<= 1)
    EXPECT_EQ(StandardOf(V4L2StdOf(standard)), V4L2StdOf(standard) ? standard : 0) << standard;
  Machine m;
  auto* decoder = m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice);
  auto* props = m.Bind<ITunerPropertySet>(Cat::TVTuner);
  int formats = 0, format = 0;
  ASSERT_TRUE(decoder && props && decoder->get_AvailableTVFormats(formats));
  EXPECT_EQ(formats, 0x1 | 0x10 | 0x40 | 0x100) << "NTSC M, PAL B, PAL G, PAL I";
  EXPECT_TRUE(decoder->put_TVFormat(0x100));
  EXPECT_EQ(m.Bttv().Std, V4L2_STD_PAL_I);
  EXPECT_TRUE(decoder->get_TVFormat(format) && format == 0x100) << format;
  TMediaType type;
  EXPECT_TRUE(dynamic_cast<IStreamConfig*>(decoder)->GetStreamCaps(0, type));
  EXPECT_EQ(type.Name(), "YUY2 640x576");
  EXPECT_EQ(type.AvgTimePerFrame, 400000);
  EXPECT_TRUE(props->SetStandard(0x10));
  EXPECT_EQ(m.Bttv().Std, V4L2_STD_PAL_B | V4L2_STD_PAL_B1);
  EXPECT_FALSE(decoder->put_TVFormat(0x80000)) << "SECAM L' is not on this card";
  EXPECT_FALSE(decoder->put_TVFormat(0x1 | 0x10));
}

TEST(V4L2Cards, ProcAmpAndTVSoundFollowTheDriver) {
  Machine m;
  auto* amp = m.Bind<IVideoProcAmp>(Cat::VideoInputDevice);
  auto* sound = m.Bind<ITVAudio>(Cat::TVAudio);
  int min, max, step, def, flags, value, mode;
  ASSERT_TRUE(amp && sound && amp->GetRange(VideoProcAmp_Contrast, min, max, step, def, flags));
  EXPECT_EQ((std::vector<int>{min, max, step, def}), (std::vector<int>{0, 65535, 256, 27648}));
  EXPECT_FALSE(amp->GetRange(VideoProcAmp_Sharpness, min, max, step, def, flags)) << "no such control";
  EXPECT_TRUE(amp->Set(VideoProcAmp_Brightness, 1000, kVideoProcAmpFlagsManual));
  EXPECT_TRUE(amp->Get(VideoProcAmp_Brightness, value, flags) && value == 1000) << value;
  EXPECT_FALSE(amp->Set(VideoProcAmp_Brightness, 70000, kVideoProcAmpFlagsManual));
  const std::pair<quint32, int> rows[] = {{V4L2_TUNER_SUB_MONO, 0x1},
                                          {V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO, 0x3},
                                          {V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2, 0x71}};
  for (const auto& [subchans, modes] : rows) {
    m.Bttv().Tuners[0].rxsubchans = subchans;
    EXPECT_TRUE(sound->GetAvailableTVAudioModes(mode));
    EXPECT_EQ(mode, modes) << subchans;
  }
  EXPECT_TRUE(sound->put_TVAudioMode(AMTVAUDIO_MODE_LANG_B));
  EXPECT_EQ(m.io.Calls.back(), "video0 S_TUNER 2");
  EXPECT_TRUE(sound->get_TVAudioMode(mode) && mode == AMTVAUDIO_MODE_LANG_B) << mode;
}

TEST(V4L2Cards, FailingCallsFailTheirRequests) {
  const std::pair<unsigned long, std::function<bool(Machine&)>> rows[] = {
      {VIDIOC_S_INPUT, [](Machine& m) { return m.Bind<ICrossbar>(Cat::Crossbar)->Route(0, 1); }},
      {VIDIOC_G_INPUT, [](Machine& m) { int i; return m.Bind<ICrossbar>(Cat::Crossbar)->IsRoutedTo(0, i); }},
      {VIDIOC_S_FREQUENCY, [](Machine& m) { return m.Bind<ITunerPropertySet>(Cat::TVTuner)->SetFrequency(55250000, 1, 0); }},
      {VIDIOC_G_TUNER, [](Machine& m) { TTunerStatus s; return m.Bind<ITunerPropertySet>(Cat::TVTuner)->GetStatus(s); }},
      {VIDIOC_S_STD, [](Machine& m) { return m.Bind<IAnalogVideoDecoder>(Cat::VideoInputDevice)->put_TVFormat(0x1); }},
      {VIDIOC_S_CTRL, [](Machine& m) { return m.Bind<IVideoProcAmp>(Cat::VideoInputDevice)->Set(0, 5, 1); }},
      {VIDIOC_S_TUNER, [](Machine& m) { return m.Bind<ITVAudio>(Cat::TVAudio)->put_TVAudioMode(0x2); }},
  };
  for (const auto& [request, call] : rows) {
    Machine m, failing;
    EXPECT_TRUE(call(m)) << request;
    failing.provider.Cards();  // found before its driver began to fail
    failing.Bttv().Fail[request] = -EINVAL;
    EXPECT_FALSE(call(failing)) << request;
  }
}

TEST(V4L2Cards, ABusyDeviceIsListedButDoesNotBind) {
  for (bool busyWhenLooking : {true, false}) {
    Machine m;
    m.io.Nodes[2].OpenError = busyWhenLooking ? -EBUSY : 0;
    const auto devices = m.provider.Devices(Cat::VideoInputDevice);
    m.io.Nodes[2].OpenError = -EBUSY;
    EXPECT_FALSE(devices.at(1).Bind()) << busyWhenLooking;
    EXPECT_TRUE(devices[0].Bind());
  }
}

TEST(V4L2Cards, AVanishingDeviceStopsWithAnErrorAndLaterCallsFail) {
  Machine m;
  auto capture = m.Add(Cat::VideoInputDevice);
  auto* x = m.Bind<ICrossbar>(Cat::Crossbar);
  auto* props = m.Bind<ITunerPropertySet>(Cat::TVTuner);
  QStringList errors;
  m.graph.OnEvent = [&](const TGraphEvent& e) { if (e.kind == TGraphEvent::Error) errors << e.Message; };
  TMediaType type;
  ASSERT_TRUE(capture->As<IStreamConfig>()->GetStreamCaps(3, type));
  EXPECT_EQ(m.Play(*capture, type)->Last().type.Name(), "YUY2 320x240");
  m.Bttv().Gone = true;
  TTunerStatus status;
  EXPECT_FALSE(props->GetStatus(status));
  ASSERT_TRUE(test::WaitUntil([&] { return !errors.isEmpty(); }));
  EXPECT_TRUE(errors.front().contains("/dev/video0")) << errors.front().toStdString();
  m.graph.Stop();
  EXPECT_FALSE(x->Route(0, 1));
  EXPECT_FALSE(capture->As<IStreamConfig>()->SetFormat(type));
  EXPECT_FALSE(m.graph.Run()) << "the capture device is not there to run";
  EXPECT_TRUE(m.io.Calls.isEmpty());
}

TEST(V4L2Cards, AWebcamsMjpegIsDecodedToTheFormatAsked) {
  Machine m;
  TFakeNode& cam = m.io.Nodes[2];
  cam.Cap = {.driver = "uvcvideo", .card = "Webcam C270", .capabilities = V4L2_CAP_VIDEO_CAPTURE};
  cam.Inputs = {{.name = "Camera 1", .type = V4L2_INPUT_TYPE_CAMERA}};
  cam.Standards.clear();
  cam.Formats = {{.pixelformat = V4L2_PIX_FMT_MJPEG}, {.pixelformat = V4L2_PIX_FMT_YUYV}};
  cam.Sizes[V4L2_PIX_FMT_MJPEG] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {320, 240}}};
  cam.Sizes[V4L2_PIX_FMT_YUYV] = {{.type = V4L2_FRMSIZE_TYPE_DISCRETE, .discrete = {160, 120}}};
  m.provider.SourceOverride = "videotestsrc is-live=true ! jpegenc";
  auto capture = m.Add(Cat::VideoInputDevice, 1);
  EXPECT_EQ(m.Add(Cat::Crossbar, 1)->FindPin(PinDir::Input)->PhysicalType(), PhysConn_Video_AUX) << "the camera route";
  EXPECT_FALSE(capture->As<IAnalogVideoDecoder>()) << "no TV standards";
  auto* config = capture->As<IStreamConfig>();
  TMediaType large, small;
  ASSERT_TRUE(config->GetStreamCaps(0, large) && config->GetStreamCaps(3, small));
  EXPECT_EQ(small.Name(), "YUY2 160x120");
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
  for (const auto& [environment, chosen] : choices) EXPECT_EQ(DeviceSetting(environment, ini), chosen) << environment.toStdString();
  EXPECT_EQ(LinuxV4L2Io().Open("/nonexistent/video99"), -ENOENT);
}
