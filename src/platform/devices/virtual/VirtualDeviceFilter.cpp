#include "platform/devices/virtual/VirtualDeviceFilters.h"

#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

namespace {

TVirtualDeviceFilter* CardFilter(TFilterGraph& graph, const TVirtualCard& card, CardPart part,
                                 int index = 0) {
  for (const auto& f : graph.Filters()) {
    auto* device = dynamic_cast<TVirtualDeviceFilter*>(f.get());
    if (device && &device->Card() == &card && device->Part() == part && device->Index() == index)
      return device;
  }
  return nullptr;
}

void ConnectIfFree(TFilterGraph& graph, TPin* out, TPin* in) {
  if (out && in && !out->IsConnected() && !in->IsConnected()) graph.Connect(*out, *in);
}

}  // namespace

TVirtualDeviceFilter::TVirtualDeviceFilter(std::shared_ptr<TVirtualCard> card, CardPart part,
                                           int index, const QString& friendlyName)
    : TFilter(friendlyName), card_(std::move(card)), part_(part), index_(index) {
  subscription_ = card_->Subscribe([this] { CardChanged(); });
}

TVirtualDeviceFilter::~TVirtualDeviceFilter() { card_->Unsubscribe(subscription_); }

bool TVirtualDeviceFilter::Accepts(const TPin& input, const TPin& peer) const {
  auto* from = dynamic_cast<const TVirtualDeviceFilter*>(&peer.Filter());
  if (!from || &from->Card() != &Card()) return false;
  switch (input.PhysicalType()) {
    case PhysConn_Video_Tuner:
      return peer.PhysicalType() == input.PhysicalType() && from->Part() == CardPart::Tuner;
    case PhysConn_Audio_Tuner:
      if (peer.PhysicalType() != input.PhysicalType()) return false;
      // Tuner sound reaches the crossbar through the TV audio decoder when the card has one.
      if (part_ == CardPart::Crossbar && Card().Config().HasTVAudio)
        return from->Part() == CardPart::TVAudio;
      return from->Part() == CardPart::Tuner;
    case PhysConn_Video_VideoDecoder:
    case PhysConn_Audio_AudioDecoder: {
      // The capture device takes crossbar 0; crossbar 0 takes crossbar 1 when cascaded.
      const int expected = part_ == CardPart::Capture ? 0 : index_ + 1;
      return from->Part() == CardPart::Crossbar && from->Index() == expected &&
             peer.PhysicalType() == input.PhysicalType();
    }
    default:
      return false;  // an outside connector: nothing in the graph plugs into it
  }
}

bool TVirtualDeviceFilter::PrepareConnect(TPin& own, TPin& peer) {
  if (!own.IsDevicePin() || own.Dir() == PinDir::Output) return true;
  return Accepts(own, peer);
}

void TVirtualDeviceFilter::AddedToGraph() {
  TFilterGraph* graph = Graph();
  if (part_ == CardPart::Crossbar && index_ == 0 && card_->CrossbarCount() > 1 &&
      !CardFilter(*graph, *card_, CardPart::Crossbar, 1)) {
    // The upper crossbar comes with the lower one, as the card's driver wires them.
    graph->AddFilter(std::make_shared<TVirtualCrossbar>(card_, 1), "Crossbar 2");
  }
  WireCard();
}

void TVirtualDeviceFilter::WireCard() {
  TFilterGraph& graph = *Graph();
  TVirtualDeviceFilter* capture = CardFilter(graph, *card_, CardPart::Capture);
  TVirtualDeviceFilter* lower = CardFilter(graph, *card_, CardPart::Crossbar, 0);
  TVirtualDeviceFilter* upper = CardFilter(graph, *card_, CardPart::Crossbar, 1);
  if (capture && lower)
    ConnectIfFree(graph, lower->FindPin(PinDir::Output), capture->FindPin(PinDir::Input));
  if (lower && upper) {
    for (int output = 0; output < 2; ++output) {
      TPin* out = upper->FindPin(PinDir::Output, PinCategory::None, output);
      for (TPin* in : lower->PinsOf(PinDir::Input)) {
        if (in->PhysicalType() == out->PhysicalType()) ConnectIfFree(graph, out, in);
      }
    }
  }
}

TVirtualCrossbar::TVirtualCrossbar(std::shared_ptr<TVirtualCard> card, int index)
    : TVirtualDeviceFilter(card, CardPart::Crossbar, index,
                           card->DeviceName(index == 0 ? "Crossbar" : "Crossbar 2")) {
  const TCrossbarModel& model = Card().Crossbar(index);
  auto major = [](int type) { return type >= 0x1000 ? MediaMajor::AnalogAudio : MediaMajor::AnalogVideo; };
  for (const auto& p : model.Inputs)
    AddPin(p.Name, PinDir::Input, PinCategory::None, major(p.PhysicalType), p.PhysicalType);
  for (const auto& p : model.Outputs)
    AddPin(p.Name, PinDir::Output, PinCategory::None, major(p.PhysicalType), p.PhysicalType);
}

bool TVirtualCrossbar::GetPinCounts(int& outputs, int& inputs) const {
  const TCrossbarModel& model = Card().Crossbar(Index());
  outputs = int(model.Outputs.size());
  inputs = int(model.Inputs.size());
  return true;
}

bool TVirtualCrossbar::CanRoute(int output, int input) const {
  return Card().CanRoute(Index(), output, input);
}

bool TVirtualCrossbar::Route(int output, int input) { return Card().Route(Index(), output, input); }

bool TVirtualCrossbar::IsRoutedTo(int output, int& input) const {
  const TCrossbarModel& model = Card().Crossbar(Index());
  if (output < 0 || output >= int(model.Outputs.size())) return false;
  input = model.Routes[size_t(output)];
  return true;
}

bool TVirtualCrossbar::GetCrossbarPinInfo(bool isInput, int index, int& related,
                                          int& physicalType) const {
  const TCrossbarModel& model = Card().Crossbar(Index());
  const auto& pins = isInput ? model.Inputs : model.Outputs;
  if (index < 0 || index >= int(pins.size())) return false;
  related = pins[size_t(index)].Related;
  physicalType = pins[size_t(index)].PhysicalType;
  return true;
}

TVirtualTuner::TVirtualTuner(std::shared_ptr<TVirtualCard> card)
    : TVirtualDeviceFilter(card, CardPart::Tuner, 0, card->DeviceName("TV Tuner")) {
  AddPin("Analog Video", PinDir::Output, PinCategory::None, MediaMajor::AnalogVideo,
         PhysConn_Video_Tuner);
  AddPin("Analog Audio", PinDir::Output, PinCategory::None, MediaMajor::AnalogAudio,
         PhysConn_Audio_Tuner);
}

bool TVirtualTuner::GetAvailableModes(int& modes) const {
  modes = Card().AvailableTunerModes();
  return true;
}

bool TVirtualTuner::put_Mode(int mode) { return Card().SetTunerMode(mode); }

bool TVirtualTuner::get_Mode(int& mode) const {
  mode = Card().TunerMode();
  return true;
}

bool TVirtualTuner::put_CountryCode(int code) {
  Card().SetCountryCode(code);
  return true;
}

bool TVirtualTuner::SetFrequency(quint32 hertz, int, int) { return Card().SetFrequency(hertz); }

bool TVirtualTuner::GetStatus(TTunerStatus& status) const {
  status.CurrentFrequency = qint32(Card().Frequency());
  status.PLLOffset = Card().PllOffset();
  status.SignalStrength = Card().Picture().Kind == SourceKind::Station ? 100 : 0;
  status.Busy = 0;
  return true;
}

bool TVirtualTuner::GetModeCaps(int mode, quint32& minHertz, quint32& maxHertz) const {
  if (!(Card().AvailableTunerModes() & mode)) return false;
  minHertz = Card().MinFrequency(mode);
  maxHertz = Card().MaxFrequency(mode);
  return true;
}

bool TVirtualTuner::SetStandard(int standard) { return Card().SetStandard(standard); }

bool TVirtualTuner::GetCopyProtection(qint32& flags) const {
  flags = Card().CopyProtected() ? 1 : 0;
  return true;
}

TVirtualTVAudio::TVirtualTVAudio(std::shared_ptr<TVirtualCard> card)
    : TVirtualDeviceFilter(card, CardPart::TVAudio, 0, card->DeviceName("TV Audio")) {
  AddPin("TVAudio In", PinDir::Input, PinCategory::None, MediaMajor::AnalogAudio,
         PhysConn_Audio_Tuner);
  AddPin("TVAudio Out", PinDir::Output, PinCategory::None, MediaMajor::AnalogAudio,
         PhysConn_Audio_Tuner);
}

bool TVirtualTVAudio::GetAvailableTVAudioModes(int& modes) const {
  modes = Card().AvailableTVAudioModes();
  return true;
}

bool TVirtualTVAudio::put_TVAudioMode(int mode) { return Card().SetTVAudioMode(mode); }

bool TVirtualTVAudio::get_TVAudioMode(int& mode) const {
  mode = Card().TVAudioMode();
  return true;
}

TVirtualEmpiaObject::TVirtualEmpiaObject(std::shared_ptr<TVirtualCard> card)
    : TFilter(kEmpia2800ClassId), card_(std::move(card)) {}

bool TVirtualEmpiaObject::SetSettingValue(int value) {
  if (value < 0 || value > 127) return false;
  card_->VendorSetting = value;
  return true;
}

bool TVirtualEmpiaObject::SetTVAudioMode(int mode) {
  card_->VendorAudioMode = mode;
  return card_->SetTVAudioMode(mode);
}

bool TVirtualEmpiaObject::SetSource(int source) {
  if (source < 0 || source > 2) return false;
  card_->VendorSource = source;
  return true;
}

}  // namespace pvx::platform::devices
