#include "platform/devices/v4l2/TV4L2Card.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "platform/devices/v4l2/V4L2Standards.h"
#include "platform/devices/v4l2/V4L2VideoSource.h"

namespace pvx::platform::devices::v4l2 {

using namespace pvx::platform::graph;

namespace {

constexpr int kNoCarrierOffset = 127;  // the offset read where nothing is received
constexpr int kMaxOffset = 24;         // the far edge of a carrier's lock window

// The TV sound modes and the tuner's audmode values, one to one.
struct AudioRow {
  int mode;
  quint32 audmode;
  quint32 subchans;
};
constexpr AudioRow kAudio[] = {
    {AMTVAUDIO_MODE_MONO, V4L2_TUNER_MODE_MONO, V4L2_TUNER_SUB_MONO},
    {AMTVAUDIO_MODE_STEREO, V4L2_TUNER_MODE_STEREO, V4L2_TUNER_SUB_STEREO},
    {AMTVAUDIO_MODE_LANG_A, V4L2_TUNER_MODE_LANG1, V4L2_TUNER_SUB_LANG1},
    {AMTVAUDIO_MODE_LANG_B, V4L2_TUNER_MODE_LANG2, V4L2_TUNER_SUB_LANG2},
    {AMTVAUDIO_MODE_LANG_C, V4L2_TUNER_MODE_LANG1_LANG2, V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2},
};

// The colour controls, by VideoProcAmp property.
constexpr quint32 kControls[] = {V4L2_CID_BRIGHTNESS, V4L2_CID_CONTRAST, V4L2_CID_HUE,
                                 V4L2_CID_SATURATION, V4L2_CID_SHARPNESS};

}  // namespace

TV4L2Card::TV4L2Card(IV4L2Io& io, QString path, TV4L2CardInfo info)
    : io_(io), path_(std::move(path)), info_(std::move(info)) {
  const int videos = int(Inputs().size());
  const int tunerSound = HasTuner() ? videos : -1;
  const int lineSound = videos + (HasTuner() ? 1 : 0);
  int firstOutside = -1, tunerVideo = -1;
  for (int i = 0; i < videos; ++i) {
    const TV4L2Input& in = Inputs()[size_t(i)];
    const bool tuner = in.PhysicalType == PhysConn_Video_Tuner;
    if (tuner) tunerVideo = i;
    if (!tuner && firstOutside < 0) firstOutside = i;
    crossbar_.Inputs.push_back({in.Name, in.PhysicalType, tuner ? tunerSound : lineSound});
  }
  if (HasTuner()) crossbar_.Inputs.push_back({"Audio Tuner In", PhysConn_Audio_Tuner, tunerVideo});
  crossbar_.Inputs.push_back({"Audio Line In", PhysConn_Audio_Line, firstOutside});
  crossbar_.Outputs = {{"Video Decoder Out", PhysConn_Video_VideoDecoder, 1},
                       {"Audio Decoder Out", PhysConn_Audio_AudioDecoder, 0}};
  audioRoute_ = HasTuner() ? tunerSound : lineSound;
}

TV4L2Card::~TV4L2Card() {
  io_.Close(radioHandle_);
  io_.Close(handle_);
}

bool TV4L2Card::Open() {
  if (gone_) return false;
  if (handle_ >= 0) return true;
  const int handle = info_.Busy ? -EBUSY : io_.Open(path_);
  if (handle < 0) {
    lastError_ = handle;
    return false;
  }
  handle_ = handle;
  return true;
}

int TV4L2Card::Call(unsigned long request, void* arg, bool radio) {
  const int handle = radio ? radioHandle_ : handle_;
  int r = gone_ ? -ENODEV : handle < 0 ? -EBADF : io_.Ioctl(handle, request, arg);
  lastError_ = r;
  if ((r == -ENODEV || r == -EIO) && !gone_) {
    gone_ = true;
    const auto listeners = listeners_;  // a listener may unsubscribe
    for (const auto& [token, listener] : listeners) listener();
  }
  return r;
}

QString TV4L2Card::PartName(CardPart part, int) const {
  switch (part) {
    case CardPart::Crossbar: return Name() + " Crossbar";
    case CardPart::Tuner: return Name() + " TV Tuner";
    case CardPart::TVAudio: return Name() + " TV Audio";
    default: return Name();
  }
}

bool TV4L2Card::CheckPresent() {
  // A node unplugged while stopped is found before the pipeline tries to read it.
  quint32 input = 0;
  return !gone_ && (Inputs().empty() || GetInput(input));
}

bool TV4L2Card::Route(int crossbar, int output, int input) {
  if (crossbar != 0 || !CanRoute(crossbar_, output, input)) return false;
  if (output == 0) return SetInput(Inputs()[size_t(input)].Index);
  // The card's sound follows its video input; the choice is only remembered.
  audioRoute_ = input;
  return true;
}

bool TV4L2Card::RoutedTo(int crossbar, int output, int& input) {
  if (crossbar == 0 && output == 1) {
    input = audioRoute_;
    return true;
  }
  quint32 index = 0;
  if (crossbar != 0 || output != 0 || !GetInput(index)) return false;
  input = -1;
  for (size_t i = 0; i < Inputs().size(); ++i)
    if (Inputs()[i].Index == index) input = int(i);
  return true;
}

int TV4L2Card::AvailableTunerModes() const {
  return (info_.Tv.Present ? AMTUNER_MODE_TV : 0) | (info_.Fm.Present ? AMTUNER_MODE_FM_RADIO : 0);
}

bool TV4L2Card::SetTunerMode(int mode) {
  if (!(AvailableTunerModes() & mode) || (mode != AMTUNER_MODE_TV && mode != AMTUNER_MODE_FM_RADIO))
    return false;
  if (!SetRadio(mode == AMTUNER_MODE_FM_RADIO)) return false;
  tunerMode_ = mode;
  return true;
}

bool TV4L2Card::SetFrequency(quint32 hertz) {
  return SetBandFrequency(tunerMode_ == AMTUNER_MODE_FM_RADIO, hertz);
}

bool TV4L2Card::ReadTunerStatus(TTunerStatus& status) {
  const bool fm = tunerMode_ == AMTUNER_MODE_FM_RADIO;
  quint32 hertz = 0;
  TTunerReading reading;
  if (!GetFrequency(fm, hertz) || !ReadTuner(fm, reading)) return false;
  status.CurrentFrequency = qint32(hertz);
  status.SignalStrength = reading.Signal * 100 / 65535;
  status.PLLOffset = reading.Signal > 0 ? qBound(-kMaxOffset, reading.Afc, kMaxOffset) : kNoCarrierOffset;
  status.Busy = 0;
  return true;
}

bool TV4L2Card::TunerRange(int mode, quint32& minHertz, quint32& maxHertz) const {
  if (mode != AMTUNER_MODE_TV && mode != AMTUNER_MODE_FM_RADIO) return false;
  const TV4L2Band& band = Band(mode == AMTUNER_MODE_FM_RADIO);
  if (!band.Present) return false;
  minHertz = band.MinHertz();
  maxHertz = band.MaxHertz();
  return true;
}

bool TV4L2Card::ReadCopyProtection(qint32& flags) {
  quint32 input = 0, status = 0;
  if (!GetInput(input) || !InputStatus(input, status)) return false;
  flags = (status & V4L2_IN_ST_MACROVISION) ? 1 : 0;
  return true;
}

bool TV4L2Card::ReadTVAudioModes(int& modes) {
  TTunerReading reading;
  if (!ReadTuner(false, reading)) return false;
  modes = AMTVAUDIO_MODE_MONO;  // every programme can be heard in mono
  for (const AudioRow& r : kAudio)
    if ((reading.RxSubchans & r.subchans) == r.subchans) modes |= r.mode;
  return true;
}

bool TV4L2Card::SetTVAudioMode(int mode) {
  // Several bits: the language choice wins over stereo, as the decoder would play it.
  for (auto r = std::rbegin(kAudio); r != std::rend(kAudio); ++r)
    if (mode & r->mode) return SetAudMode(r->audmode);
  return false;
}

bool TV4L2Card::ReadTVAudioMode(int& mode) {
  TTunerReading reading;
  if (!ReadTuner(false, reading)) return false;
  mode = AMTVAUDIO_MODE_MONO;
  for (const AudioRow& r : kAudio)
    if (r.audmode == reading.AudMode) mode = r.mode;
  return true;
}

int TV4L2Card::AvailableStandards() const { return StandardsOf(StdMask()); }

bool TV4L2Card::SetStandard(int standard) {
  const quint64 id = V4L2StdOf(standard) & StdMask();
  if ((standard & (standard - 1)) || !id || !SetStd(id)) return false;
  standard_ = standard;
  return true;
}

bool TV4L2Card::ReadStandard(int& standard) {
  quint64 id = 0;
  if (!GetStd(id)) return false;
  standard = StandardOf(id);
  return true;
}

bool TV4L2Card::ReadHorizontalLock(bool& locked) {
  quint32 input = 0, status = 0;
  if (!GetInput(input) || !InputStatus(input, status)) return false;
  locked = !(status & (V4L2_IN_ST_NO_H_LOCK | V4L2_IN_ST_NO_SIGNAL));
  // On the tuner the tuner's own signal reading counts as well.
  const bool tuner = std::any_of(Inputs().begin(), Inputs().end(), [&](const TV4L2Input& in) {
    return in.Index == input && in.PhysicalType == PhysConn_Video_Tuner;
  });
  TTunerReading reading;
  if (locked && tuner && ReadTuner(false, reading)) locked = reading.Signal > 0;
  return true;
}

bool TV4L2Card::HasProcAmp() {
  for (int property = 0; property <= VideoProcAmp_Sharpness; ++property)
    if (Control(property)) return true;
  return false;
}

bool TV4L2Card::ReadProcAmpRange(int property, TProcAmpRange& range) {
  const auto control = Control(property);
  if (control) range = *control;
  return control.has_value();
}

bool TV4L2Card::ReadProcAmp(int property, int& value) {
  if (property < 0 || property > VideoProcAmp_Sharpness) return false;
  v4l2_control c{};
  c.id = kControls[property];
  if (Call(VIDIOC_G_CTRL, &c) != 0) return false;
  value = c.value;
  return true;
}

bool TV4L2Card::SetProcAmp(int property, int value) {
  if (property < 0 || property > VideoProcAmp_Sharpness) return false;
  v4l2_control c{};
  c.id = kControls[property];
  c.value = value;
  return Call(VIDIOC_S_CTRL, &c) == 0;
}

std::vector<TMediaType> TV4L2Card::CaptureTypes() const {
  if (Formats().empty()) return {};
  const bool ntsc = !standard_ || IsNtscLike(standard_);
  std::vector<QSize> sizes;
  for (const TV4L2Format& f : Formats())
    for (const QSize& s : f.Sizes)
      if (std::find(sizes.begin(), sizes.end(), s) == sizes.end()) sizes.push_back(s);
  // A decoder that scales: the sizes the engine captures at.
  if (sizes.empty() && ntsc) sizes = {{640, 480}, {320, 240}};
  if (sizes.empty() && !ntsc) sizes = {{640, 576}, {720, 576}, {352, 288}, {640, 480}};
  return RawVideoTypes(sizes, ntsc);
}

bool TV4L2Card::CanCapture(const TMediaType&) const { return !gone_ && !Formats().empty(); }

std::unique_ptr<ICardSource> TV4L2Card::MakeVideoSource() {
  quint64 std = 0;
  if (StdMask() && GetStd(std)) standard_ = StandardOf(std);
  const QString source =
      SourceDescription.isEmpty() ? QStringLiteral("v4l2src device=\"%1\"").arg(path_) : SourceDescription;
  return std::make_unique<TV4L2VideoSource>(source, Formats());
}

bool TV4L2Card::SetInput(quint32 index) {
  int i = int(index);
  return Call(VIDIOC_S_INPUT, &i) == 0;
}

bool TV4L2Card::GetInput(quint32& index) {
  int i = 0;
  if (Call(VIDIOC_G_INPUT, &i) != 0) return false;
  index = quint32(i);
  return true;
}

bool TV4L2Card::InputStatus(quint32 index, quint32& status) {
  v4l2_input in{};
  in.index = index;
  if (Call(VIDIOC_ENUMINPUT, &in) != 0) return false;
  status = in.status;
  return true;
}

bool TV4L2Card::SetStd(quint64 id) {
  v4l2_std_id std = id;
  return Call(VIDIOC_S_STD, &std) == 0;
}

bool TV4L2Card::GetStd(quint64& id) {
  v4l2_std_id std = 0;
  if (Call(VIDIOC_G_STD, &std) != 0) return false;
  id = std;
  return true;
}

bool TV4L2Card::SetBandFrequency(bool fm, quint32 hertz) {
  const TV4L2Band& band = Band(fm);
  if (!band.Present || hertz < band.MinHertz() || hertz > band.MaxHertz()) return false;
  v4l2_frequency f{};
  f.tuner = band.Tuner;
  f.type = band.Type;
  f.frequency = quint32(std::llround(hertz / band.UnitHertz));
  return Call(VIDIOC_S_FREQUENCY, &f, band.OnRadioNode) == 0;
}

bool TV4L2Card::GetFrequency(bool fm, quint32& hertz) {
  const TV4L2Band& band = Band(fm);
  v4l2_frequency f{};
  f.tuner = band.Tuner;
  if (!band.Present || Call(VIDIOC_G_FREQUENCY, &f, band.OnRadioNode) != 0) return false;
  hertz = quint32(std::llround(f.frequency * band.UnitHertz));
  return true;
}

bool TV4L2Card::ReadTuner(bool fm, TTunerReading& reading) {
  const TV4L2Band& band = Band(fm);
  v4l2_tuner t{};
  t.index = band.Tuner;
  if (!band.Present || Call(VIDIOC_G_TUNER, &t, band.OnRadioNode) != 0) return false;
  reading = {int(t.signal), int(t.afc), t.rxsubchans, t.audmode};
  return true;
}

bool TV4L2Card::SetAudMode(quint32 audmode) {
  v4l2_tuner t{};
  t.index = info_.Tv.Tuner;
  if (!info_.Tv.Present || Call(VIDIOC_G_TUNER, &t) != 0) return false;
  t.audmode = audmode;
  return Call(VIDIOC_S_TUNER, &t) == 0;
}

bool TV4L2Card::SetRadio(bool on) {
  if (gone_) return false;
  if (!on) {
    // Closing the radio node gives the tuner back to TV.
    io_.Close(radioHandle_);
    radioHandle_ = -1;
    return true;
  }
  // An FM band on the video node needs nothing opened.
  if (radioPath_.isEmpty() || radioHandle_ >= 0) return info_.Fm.Present;
  const int handle = io_.Open(radioPath_);
  lastError_ = handle < 0 ? handle : 0;
  if (handle < 0) return false;
  radioHandle_ = handle;
  return true;
}

std::optional<TProcAmpRange> TV4L2Card::Control(int property) {
  if (property < 0 || property > VideoProcAmp_Sharpness) return std::nullopt;
  v4l2_queryctrl q{};
  q.id = kControls[property];
  if (Call(VIDIOC_QUERYCTRL, &q) != 0 || (q.flags & V4L2_CTRL_FLAG_DISABLED)) return std::nullopt;
  return TProcAmpRange{q.minimum, q.maximum, qMax(1, q.step), q.default_value};
}

void TV4L2Card::AttachRadio(const QString& path, const TV4L2Band& band) {
  radioPath_ = path;
  info_.Fm = band;
}

int TV4L2Card::Subscribe(std::function<void()> onGone) {
  const int token = nextToken_++;
  listeners_[token] = std::move(onGone);
  return token;
}

}  // namespace pvx::platform::devices::v4l2
