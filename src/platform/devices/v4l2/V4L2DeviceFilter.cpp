#include <linux/videodev2.h>

#include "platform/devices/v4l2/V4L2DeviceFilters.h"
#include "platform/devices/v4l2/V4L2Standards.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices::v4l2 {

using namespace pvx::platform::graph;

namespace {

constexpr int kNoCarrierOffset = 127;  // the offset read where nothing is received
constexpr int kMaxOffset = 24;         // the far edge of a carrier's lock window

TV4L2DeviceFilter* CardFilter(TFilterGraph& graph, const TV4L2Card& card, V4L2Part part) {
  for (const auto& f : graph.Filters()) {
    auto* device = dynamic_cast<TV4L2DeviceFilter*>(f.get());
    if (device && &device->Card() == &card && device->Part() == part) return device;
  }
  return nullptr;
}

MediaMajor MajorOf(int type) { return type >= 0x1000 ? MediaMajor::AnalogAudio : MediaMajor::AnalogVideo; }

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

}  // namespace

QString PartName(const TV4L2Card& card, V4L2Part part) {
  switch (part) {
    case V4L2Part::Crossbar: return card.Name() + " Crossbar";
    case V4L2Part::Tuner: return card.Name() + " TV Tuner";
    case V4L2Part::TVAudio: return card.Name() + " TV Audio";
    default: return card.Name();
  }
}

TV4L2DeviceFilter::TV4L2DeviceFilter(std::shared_ptr<TV4L2Card> card, V4L2Part part)
    : TFilter(PartName(*card, part)), card_(std::move(card)), part_(part) {
  subscription_ = card_->Subscribe([this] { CardGone(); });
}

TV4L2DeviceFilter::~TV4L2DeviceFilter() { card_->Unsubscribe(subscription_); }

bool TV4L2DeviceFilter::PrepareConnect(TPin& own, TPin& peer) {
  if (!own.IsDevicePin() || own.Dir() == PinDir::Output) return true;
  auto* from = dynamic_cast<const TV4L2DeviceFilter*>(&peer.Filter());
  if (!from || &from->Card() != &Card() || peer.PhysicalType() != own.PhysicalType()) return false;
  switch (own.PhysicalType()) {
    case PhysConn_Video_Tuner: return from->Part() == V4L2Part::Tuner;
    // Tuner sound reaches the crossbar through the TV audio decoder.
    case PhysConn_Audio_Tuner:
      return from->Part() == (part_ == V4L2Part::Crossbar ? V4L2Part::TVAudio : V4L2Part::Tuner);
    case PhysConn_Video_VideoDecoder: return from->Part() == V4L2Part::Crossbar;
    default: return false;  // an outside connector
  }
}

void TV4L2DeviceFilter::AddedToGraph() {
  TFilterGraph& graph = *Graph();
  TV4L2DeviceFilter* capture = CardFilter(graph, *card_, V4L2Part::Capture);
  TV4L2DeviceFilter* crossbar = CardFilter(graph, *card_, V4L2Part::Crossbar);
  if (!capture || !crossbar) return;
  TPin* out = crossbar->FindPin(PinDir::Output);
  TPin* in = capture->FindPin(PinDir::Input);
  if (out && in && !out->IsConnected() && !in->IsConnected()) graph.Connect(*out, *in);
}

TV4L2Crossbar::TV4L2Crossbar(std::shared_ptr<TV4L2Card> card)
    : TV4L2DeviceFilter(card, V4L2Part::Crossbar) {
  const int videos = VideoInputs();
  const int tunerSound = Card().HasTuner() ? videos : -1;
  const int lineSound = videos + (Card().HasTuner() ? 1 : 0);
  int firstOutside = -1;
  for (const TV4L2Input& in : Card().Inputs()) {
    const bool tuner = in.PhysicalType == PhysConn_Video_Tuner;
    if (!tuner && firstOutside < 0) firstOutside = int(types_.size());
    types_.push_back(in.PhysicalType);
    related_.push_back(tuner ? tunerSound : lineSound);
    AddPin(in.Name, PinDir::Input, PinCategory::None, MediaMajor::AnalogVideo, in.PhysicalType);
  }
  if (Card().HasTuner()) {
    int tunerVideo = -1;
    for (int i = 0; i < videos; ++i)
      if (types_[size_t(i)] == PhysConn_Video_Tuner) tunerVideo = i;
    types_.push_back(PhysConn_Audio_Tuner);
    related_.push_back(tunerVideo);
    AddPin("Audio Tuner In", PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio, PhysConn_Audio_Tuner);
  }
  types_.push_back(PhysConn_Audio_Line);
  related_.push_back(firstOutside);
  AddPin("Audio Line In", PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio, PhysConn_Audio_Line);
  AddPin("Video Decoder Out", PinDir::Output, PinCategory::None, MediaMajor::AnalogVideo, PhysConn_Video_VideoDecoder);
  AddPin("Audio Decoder Out", PinDir::Output, PinCategory::None, MediaMajor::AnalogAudio, PhysConn_Audio_AudioDecoder);
  Card().AudioRoute = Card().HasTuner() ? tunerSound : lineSound;
}

bool TV4L2Crossbar::GetPinCounts(int& outputs, int& inputs) const {
  outputs = 2;
  inputs = int(types_.size());
  return true;
}

bool TV4L2Crossbar::CanRoute(int output, int input) const {
  if (output < 0 || output > 1 || input < 0 || input >= int(types_.size())) return false;
  // Video inputs reach the video output, sound inputs the sound output.
  return (output == 1) == (types_[size_t(input)] >= 0x1000);
}

bool TV4L2Crossbar::Route(int output, int input) {
  if (!CanRoute(output, input)) return false;
  if (output == 0) return Card().SetInput(Card().Inputs()[size_t(input)].Index);
  // The card's sound follows its video input; the choice is only remembered.
  Card().AudioRoute = input;
  return true;
}

bool TV4L2Crossbar::IsRoutedTo(int output, int& input) const {
  if (output == 1) {
    input = Card().AudioRoute;
    return true;
  }
  quint32 index = 0;
  if (output != 0 || !Card().GetInput(index)) return false;
  input = -1;
  for (int i = 0; i < VideoInputs(); ++i)
    if (Card().Inputs()[size_t(i)].Index == index) input = i;
  return true;
}

bool TV4L2Crossbar::GetCrossbarPinInfo(bool isInput, int index, int& related, int& physicalType) const {
  if (!isInput) {
    if (index < 0 || index > 1) return false;
    related = 1 - index;
    physicalType = index == 0 ? PhysConn_Video_VideoDecoder : PhysConn_Audio_AudioDecoder;
    return true;
  }
  if (index < 0 || index >= int(types_.size())) return false;
  related = related_[size_t(index)];
  physicalType = types_[size_t(index)];
  return true;
}

TV4L2Tuner::TV4L2Tuner(std::shared_ptr<TV4L2Card> card) : TV4L2DeviceFilter(card, V4L2Part::Tuner) {
  AddPin("Analog Video", PinDir::Output, PinCategory::None, MajorOf(PhysConn_Video_Tuner), PhysConn_Video_Tuner);
  AddPin("Analog Audio", PinDir::Output, PinCategory::None, MajorOf(PhysConn_Audio_Tuner), PhysConn_Audio_Tuner);
}

bool TV4L2Tuner::GetAvailableModes(int& modes) const {
  modes = (Card().Band(false).Present ? AMTUNER_MODE_TV : 0) | (Card().Band(true).Present ? AMTUNER_MODE_FM_RADIO : 0);
  return true;
}

bool TV4L2Tuner::put_Mode(int mode) {
  int modes = 0;
  GetAvailableModes(modes);
  if (!(modes & mode) || (mode != AMTUNER_MODE_TV && mode != AMTUNER_MODE_FM_RADIO)) return false;
  if (!Card().SetRadio(mode == AMTUNER_MODE_FM_RADIO)) return false;
  Card().TunerMode = mode;
  return true;
}

bool TV4L2Tuner::get_Mode(int& mode) const {
  mode = Card().TunerMode;
  return true;
}

bool TV4L2Tuner::put_CountryCode(int) { return true; }  // the driver knows no countries

bool TV4L2Tuner::SetFrequency(quint32 hertz, int, int) {
  return Card().SetFrequency(Card().TunerMode == AMTUNER_MODE_FM_RADIO, hertz);
}

bool TV4L2Tuner::GetStatus(TTunerStatus& status) const {
  const bool fm = Card().TunerMode == AMTUNER_MODE_FM_RADIO;
  quint32 hertz = 0;
  TTunerReading reading;
  if (!Card().GetFrequency(fm, hertz) || !Card().ReadTuner(fm, reading)) return false;
  status.CurrentFrequency = qint32(hertz);
  status.SignalStrength = reading.Signal * 100 / 65535;
  // The AFC reading is the offset from the carrier; without a signal there is no carrier.
  status.PLLOffset = reading.Signal > 0 ? qBound(-kMaxOffset, reading.Afc, kMaxOffset) : kNoCarrierOffset;
  status.Busy = 0;
  return true;
}

bool TV4L2Tuner::GetModeCaps(int mode, quint32& minHertz, quint32& maxHertz) const {
  if (mode != AMTUNER_MODE_TV && mode != AMTUNER_MODE_FM_RADIO) return false;
  const TV4L2Band& band = Card().Band(mode == AMTUNER_MODE_FM_RADIO);
  if (!band.Present) return false;
  minHertz = band.MinHertz();
  maxHertz = band.MaxHertz();
  return true;
}

bool TV4L2Tuner::SetStandard(int standard) {
  const quint64 id = V4L2StdOf(standard) & Card().StdMask();
  return (standard & (standard - 1)) == 0 && id && Card().SetStd(id);
}

bool TV4L2Tuner::GetCopyProtection(qint32& flags) const {
  quint32 input = 0, status = 0;
  if (!Card().GetInput(input) || !Card().InputStatus(input, status)) return false;
  flags = (status & V4L2_IN_ST_MACROVISION) ? 1 : 0;
  return true;
}

TV4L2TVAudio::TV4L2TVAudio(std::shared_ptr<TV4L2Card> card) : TV4L2DeviceFilter(card, V4L2Part::TVAudio) {
  AddPin("TVAudio In", PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio, PhysConn_Audio_Tuner);
  AddPin("TVAudio Out", PinDir::Output, PinCategory::None, MediaMajor::AnalogAudio, PhysConn_Audio_Tuner);
}

bool TV4L2TVAudio::GetAvailableTVAudioModes(int& modes) const {
  TTunerReading reading;
  if (!Card().ReadTuner(false, reading)) return false;
  modes = AMTVAUDIO_MODE_MONO;  // every programme can be heard in mono
  for (const AudioRow& r : kAudio)
    if ((reading.RxSubchans & r.subchans) == r.subchans) modes |= r.mode;
  return true;
}

bool TV4L2TVAudio::put_TVAudioMode(int mode) {
  // Several bits: the language choice wins over stereo, as the decoder would play it.
  for (auto r = std::rbegin(kAudio); r != std::rend(kAudio); ++r)
    if (mode & r->mode) return Card().SetAudMode(r->audmode);
  return false;
}

bool TV4L2TVAudio::get_TVAudioMode(int& mode) const {
  TTunerReading reading;
  if (!Card().ReadTuner(false, reading)) return false;
  mode = AMTVAUDIO_MODE_MONO;
  for (const AudioRow& r : kAudio)
    if (r.audmode == reading.AudMode) mode = r.mode;
  return true;
}

}  // namespace pvx::platform::devices::v4l2
