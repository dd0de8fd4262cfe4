#include "platform/devices/virtual/TVirtualCard.h"

#include "platform/devices/virtual/VirtualPicture.h"
#include "platform/devices/virtual/VirtualSound.h"
#include "platform/devices/virtual/VirtualVideoSource.h"

namespace pvx::platform::devices {
namespace {

using namespace pvx::platform::graph;

// Every standard of the decoder's table except PAL G and PAL N combination.
constexpr int kStandards = 0x1 | 0x2 | 0x4 | 0x10 | 0x20 | 0x80 | 0x100 | 0x200 | 0x400 | 0x800 |
                           0x1000 | 0x2000 | 0x4000 | 0x8000 | 0x10000 | 0x20000 | 0x40000 |
                           0x80000;
constexpr int kNtscLike = 0x1 | 0x2 | 0x4 | 0x200 | 0x800;

constexpr quint32 kTVMin = 45250000;
constexpr quint32 kTVMax = 889250000;
constexpr quint32 kFMMin = 76000000;
constexpr quint32 kFMMax = 108000000;

constexpr TProcAmpRange kProcAmp[5] = {
    {0, 255, 1, 128},   // brightness
    {0, 127, 1, 64},    // contrast
    {-128, 127, 1, 0},  // hue
    {0, 127, 1, 64},    // saturation
    {0, 15, 1, 8},      // sharpness
};

TCrossbarPin Pin(const char* name, int type, int related) { return {name, type, related}; }

}  // namespace

TVirtualCard::TVirtualCard(TVirtualCardConfig config) : config_(std::move(config)) {
  stations_ = config_.StationsFile.isEmpty() ? TVirtualStations::LoadDefault()
                                             : TVirtualStations::Load(config_.StationsFile);
  for (int p = 0; p < 5; ++p) procAmp_[size_t(p)] = kProcAmp[p].Default;

  TCrossbarModel lower;
  if (config_.Crossbars >= 2) {
    lower.Inputs = {Pin("Video Decoder In", PhysConn_Video_VideoDecoder, 3),
                    Pin("Video SVideo In", PhysConn_Video_SVideo, 4),
                    Pin("Video AUX In", PhysConn_Video_AUX, 4),
                    Pin("Audio Decoder In", PhysConn_Audio_AudioDecoder, 0),
                    Pin("Audio Line In", PhysConn_Audio_Line, 1)};
    if (!config_.HasCamera) lower.Inputs[2] = Pin("Video Composite In", PhysConn_Video_Composite, 4);
    TCrossbarModel upper;
    upper.Inputs = {Pin("Video Tuner In", PhysConn_Video_Tuner, 2),
                    Pin("Video Composite In", PhysConn_Video_Composite, 3),
                    Pin("Audio Tuner In", PhysConn_Audio_Tuner, 0),
                    Pin("Audio Line In", PhysConn_Audio_Line, 1)};
    upper.Outputs = {Pin("Video Decoder Out", PhysConn_Video_VideoDecoder, 1),
                     Pin("Audio Decoder Out", PhysConn_Audio_AudioDecoder, 0)};
    upper.Routes = {0, 2};
    lower.Outputs = upper.Outputs;
    lower.Routes = {0, 3};
    crossbars_ = {lower, upper};
  } else {
    lower.Inputs = {Pin("Video Tuner In", PhysConn_Video_Tuner, 3),
                    Pin("Video Composite In", PhysConn_Video_Composite, 4),
                    Pin("Video SVideo In", PhysConn_Video_SVideo, 4),
                    Pin("Audio Tuner In", PhysConn_Audio_Tuner, 0),
                    Pin("Audio Line In", PhysConn_Audio_Line, 1)};
    if (config_.HasCamera) lower.Inputs.push_back(Pin("Video AUX In", PhysConn_Video_AUX, 4));
    lower.Outputs = {Pin("Video Decoder Out", PhysConn_Video_VideoDecoder, 1),
                     Pin("Audio Decoder Out", PhysConn_Audio_AudioDecoder, 0)};
    lower.Routes = {0, 3};
    crossbars_ = {lower};
  }
  if (!config_.HasTuner) config_.HasFM = false;
}

void TVirtualCard::SetStations(TVirtualStations stations) {
  stations_ = std::move(stations);
  Changed();
}

QString TVirtualCard::DeviceName(const QString& part) const {
  QStringList words;
  for (const QString& w : {config_.Prefix, config_.Maker, config_.Model, part})
    if (!w.isEmpty()) words << w;
  return words.join(' ');
}

QString TVirtualCard::PartName(CardPart part, int index) const {
  switch (part) {
    case CardPart::Crossbar: return DeviceName(index == 0 ? "Crossbar" : "Crossbar 2");
    case CardPart::Tuner: return DeviceName("TV Tuner");
    case CardPart::TVAudio: return DeviceName("TV Audio");
    case CardPart::AudioCapture: return DeviceName("Audio Capture");
    default: return DeviceName("Video Capture");
  }
}

bool TVirtualCard::Route(int index, int output, int input) {
  if (index < 0 || index >= CrossbarCount() || !CanRoute(Crossbar(index), output, input)) return false;
  crossbars_[size_t(index)].Routes[size_t(output)] = input;
  Changed();
  return true;
}

bool TVirtualCard::RoutedTo(int index, int output, int& input) {
  if (index < 0 || index >= CrossbarCount()) return false;
  const TCrossbarModel& model = Crossbar(index);
  if (output < 0 || output >= int(model.Outputs.size())) return false;
  input = model.Routes[size_t(output)];
  return true;
}

int TVirtualCard::AvailableTunerModes() const {
  if (!config_.HasTuner) return 0;
  return kModeTV | (config_.HasFM ? kModeFM : 0);
}

bool TVirtualCard::SetTunerMode(int mode) {
  if (!(AvailableTunerModes() & mode) || (mode != kModeTV && mode != kModeFM)) return false;
  tunerMode_ = mode;
  Changed();
  return true;
}

quint32 TVirtualCard::MinFrequency(int mode) const { return mode == kModeFM ? kFMMin : kTVMin; }
quint32 TVirtualCard::MaxFrequency(int mode) const { return mode == kModeFM ? kFMMax : kTVMax; }

bool TVirtualCard::TunerRange(int mode, quint32& minHertz, quint32& maxHertz) const {
  if (!(AvailableTunerModes() & mode)) return false;
  minHertz = MinFrequency(mode);
  maxHertz = MaxFrequency(mode);
  return true;
}

bool TVirtualCard::SetFrequency(quint32 hertz) {
  if (!config_.HasTuner) return false;
  if (hertz < MinFrequency(tunerMode_) || hertz > MaxFrequency(tunerMode_)) return false;
  (tunerMode_ == kModeFM ? fmFrequency_ : tvFrequency_) = hertz;
  Changed();
  return true;
}

int TVirtualCard::PllOffset() const {
  return stations_.PllOffset(Frequency(), tunerMode_ == kModeFM);
}

bool TVirtualCard::ReadTunerStatus(TTunerStatus& status) {
  status.CurrentFrequency = qint32(Frequency());
  status.PLLOffset = PllOffset();
  status.SignalStrength = Picture().Kind == SourceKind::Station ? 100 : 0;
  status.Busy = 0;
  return true;
}

bool TVirtualCard::ReadCopyProtection(qint32& flags) {
  const TReception r = Tuned();
  flags = r.Station && r.Station->CopyProtected ? 1 : 0;
  return true;
}

bool TVirtualCard::ReadStandard(int& standard) {
  standard = standard_;
  return true;
}

int TVirtualCard::AvailableStandards() const { return kStandards; }

bool TVirtualCard::SetStandard(int standard) {
  if (!(standard & kStandards) || (standard & (standard - 1))) return false;
  standard_ = standard;
  Changed();
  return true;
}

bool TVirtualCard::IsNtscLike() const { return (standard_ & kNtscLike) != 0; }

bool TVirtualCard::ReadHorizontalLock(bool& locked) {
  locked = LockOverride ? LockOverride() : Picture().Kind != SourceKind::Snow;
  return true;
}

bool TVirtualCard::ReadTVAudioModes(int& modes) {
  const TReception r = Tuned();
  modes = r.Station && !r.Station->IsFM ? r.Station->AudioModes : AMTVAUDIO_MODE_MONO;
  return true;
}

bool TVirtualCard::ReadTVAudioMode(int& mode) {
  mode = tvAudioMode_;
  return true;
}

bool TVirtualCard::SetTVAudioMode(int mode) {
  if (!(mode & (AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A |
                AMTVAUDIO_MODE_LANG_B | AMTVAUDIO_MODE_LANG_C)))
    return false;
  tvAudioMode_ = mode;
  Changed();
  return true;
}

TProcAmpRange TVirtualCard::ProcAmpRange(int property) {
  return kProcAmp[qBound(0, property, 4)];
}

bool TVirtualCard::ReadProcAmpRange(int property, TProcAmpRange& range) {
  if (property < 0 || property >= 5) return false;
  range = kProcAmp[property];
  return true;
}

int TVirtualCard::ProcAmp(int property) const {
  return property >= 0 && property < 5 ? procAmp_[size_t(property)] : 0;
}

bool TVirtualCard::ReadProcAmp(int property, int& value) {
  if (property < 0 || property >= 5) return false;
  value = procAmp_[size_t(property)];
  return true;
}

bool TVirtualCard::SetProcAmp(int property, int value) {
  if (property < 0 || property >= 5) return false;
  const TProcAmpRange r = kProcAmp[property];
  if (value < r.Min || value > r.Max) return false;
  procAmp_[size_t(property)] = value;
  Changed();
  return true;
}

std::vector<TMediaType> TVirtualCard::CaptureTypes() const {
  return RawVideoTypes({QSize(640, IsNtscLike() ? 480 : 576)}, IsNtscLike());
}

bool TVirtualCard::CanCapture(const TMediaType& type) const {
  return !config_.RefusedSizes.contains(QSize(type.Width, type.Height));
}

std::unique_ptr<ICardSource> TVirtualCard::MakeVideoSource() {
  auto source = std::make_unique<TVirtualVideoSource>(*this);
  picture_ = source->Animator();
  return source;
}

QByteArray TVirtualCard::Caption() const {
  const auto animator = picture_.lock();
  return animator ? animator->Caption() : QByteArray();
}

std::unique_ptr<ICardSource> TVirtualCard::MakeAudioSource() {
  return std::make_unique<TVirtualAudioSource>(*this);
}

QStringList TVirtualCard::AudioInputNames() const {
  const QStringList all{"Line In", "Microphone"};
  return all.mid(0, qBound(1, config_.AudioInputs, 2));
}

bool TVirtualCard::EnableAudioInput(int line) {
  if (line < 0 || line >= AudioInputNames().size()) return false;
  audioInput_ = line;
  Changed();
  return true;
}

int TVirtualCard::ConnectorOf(int index, int output) const {
  const TCrossbarModel& x = crossbars_[size_t(index)];
  const int input = x.Routes[size_t(output)];
  if (input < 0) return 0;
  const int type = x.Inputs[size_t(input)].PhysicalType;
  const bool fromUpper = type == PhysConn_Video_VideoDecoder || type == PhysConn_Audio_AudioDecoder;
  if (fromUpper && index + 1 < CrossbarCount()) return ConnectorOf(index + 1, output);
  return type;
}

SourceKind TVirtualCard::ConnectorKind(int type) const {
  switch (type) {
    case PhysConn_Video_Composite: return SourceKind::Composite;
    case PhysConn_Video_SVideo: return SourceKind::SVideo;
    case PhysConn_Video_AUX: return SourceKind::Camera;
    case PhysConn_Audio_Line: return SourceKind::Line;
    default: return SourceKind::Snow;
  }
}

TReception TVirtualCard::Tuned() const {
  TReception r;
  if (!config_.HasTuner) return r;
  r.Station = stations_.Receive(Frequency(), tunerMode_ == kModeFM);
  if (r.Station) r.Kind = SourceKind::Station;
  return r;
}

TReception TVirtualCard::Picture() const {
  const int type = ConnectorOf(0, 0);
  if (type == PhysConn_Video_Tuner) {
    TReception r = Tuned();
    // An FM carrier has no picture.
    if (r.Station && r.Station->IsFM) return {};
    return r;
  }
  return {ConnectorKind(type), std::nullopt};
}

TReception TVirtualCard::Sound() const {
  if (audioInput_ != 0) return {SourceKind::Silence, std::nullopt};
  return LineOut();
}

TReception TVirtualCard::LineOut() const {
  const int type = ConnectorOf(0, 1);
  if (type == PhysConn_Audio_Tuner) return Tuned();
  if (type == PhysConn_Audio_Line) return {SourceKind::Line, std::nullopt};
  return {SourceKind::Silence, std::nullopt};
}

int TVirtualCard::Subscribe(std::function<void()> listener) {
  const int token = nextToken_++;
  listeners_[token] = std::move(listener);
  return token;
}

void TVirtualCard::Unsubscribe(int token) { listeners_.erase(token); }

void TVirtualCard::Unplug() {
  unplugged_ = true;
  Changed();
}

void TVirtualCard::Changed() {
  const auto listeners = listeners_;  // a listener may unsubscribe
  for (const auto& [token, listener] : listeners) listener();
}

}  // namespace pvx::platform::devices
