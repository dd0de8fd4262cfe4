#include "platform/devices/CardFilters.h"

#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::devices {

using namespace pvx::platform::graph;

namespace {

TCardFilter* CardFilter(TFilterGraph& graph, const ICaptureCard& card, CardPart part, int index = 0) {
  for (const auto& f : graph.Filters()) {
    auto* device = dynamic_cast<TCardFilter*>(f.get());
    if (device && &device->Card() == &card && device->Part() == part && device->Index() == index)
      return device;
  }
  return nullptr;
}

void ConnectIfFree(TFilterGraph& graph, TPin* out, TPin* in) {
  if (out && in && !out->IsConnected() && !in->IsConnected()) graph.Connect(*out, *in);
}

MediaMajor MajorOf(int physicalType) {
  return physicalType >= 0x1000 ? MediaMajor::AnalogAudio : MediaMajor::AnalogVideo;
}

}  // namespace

TCardFilter::TCardFilter(std::shared_ptr<ICaptureCard> card, CardPart part, int index)
    : TFilter(card->PartName(part, index)), card_(std::move(card)), part_(part), index_(index) {
  subscription_ = card_->Subscribe([this] { CardChanged(); });
}

TCardFilter::~TCardFilter() { card_->Unsubscribe(subscription_); }

bool TCardFilter::Accepts(const TPin& input, const TPin& peer) const {
  auto* from = dynamic_cast<const TCardFilter*>(&peer.Filter());
  if (!from || &from->Card() != &Card() || peer.PhysicalType() != input.PhysicalType()) return false;
  switch (input.PhysicalType()) {
    case PhysConn_Video_Tuner:
      return from->Part() == CardPart::Tuner;
    case PhysConn_Audio_Tuner:
      // Tuner sound reaches the crossbar through the TV audio decoder when the card has one.
      if (part_ == CardPart::Crossbar && Card().HasTVAudio()) return from->Part() == CardPart::TVAudio;
      return from->Part() == CardPart::Tuner;
    case PhysConn_Video_VideoDecoder:
    case PhysConn_Audio_AudioDecoder:
      // The capture device takes crossbar 0; crossbar 0 takes crossbar 1 when cascaded.
      return from->Part() == CardPart::Crossbar &&
             from->Index() == (part_ == CardPart::Capture ? 0 : index_ + 1);
    default:
      return false;  // an outside connector: nothing in the graph plugs into it
  }
}

bool TCardFilter::PrepareConnect(TPin& own, TPin& peer) {
  if (!own.IsDevicePin() || own.Dir() == PinDir::Output) return true;
  return Accepts(own, peer);
}

void TCardFilter::AddedToGraph() {
  TFilterGraph* graph = Graph();
  if (part_ == CardPart::Crossbar && index_ == 0 && card_->CrossbarCount() > 1 &&
      !CardFilter(*graph, *card_, CardPart::Crossbar, 1)) {
    // The upper crossbar comes with the lower one, as the card's driver wires them.
    graph->AddFilter(std::make_shared<TCardCrossbar>(card_, 1), "Crossbar 2");
  }
  WireCard();
}

void TCardFilter::WireCard() {
  TFilterGraph& graph = *Graph();
  TCardFilter* capture = CardFilter(graph, *card_, CardPart::Capture);
  TCardFilter* lower = CardFilter(graph, *card_, CardPart::Crossbar, 0);
  TCardFilter* upper = CardFilter(graph, *card_, CardPart::Crossbar, 1);
  if (capture && lower)
    ConnectIfFree(graph, lower->FindPin(PinDir::Output), capture->FindPin(PinDir::Input));
  if (!lower || !upper) return;
  for (TPin* out : upper->PinsOf(PinDir::Output)) {
    for (TPin* in : lower->PinsOf(PinDir::Input))
      if (in->PhysicalType() == out->PhysicalType()) ConnectIfFree(graph, out, in);
  }
}

TCardCrossbar::TCardCrossbar(std::shared_ptr<ICaptureCard> card, int index)
    : TCardFilter(std::move(card), CardPart::Crossbar, index) {
  const TCrossbarPins& pins = Card().CrossbarPins(index);
  for (const auto& p : pins.Inputs)
    AddPin(p.Name, PinDir::Input, PinCategory::None, MajorOf(p.PhysicalType), p.PhysicalType);
  for (const auto& p : pins.Outputs)
    AddPin(p.Name, PinDir::Output, PinCategory::None, MajorOf(p.PhysicalType), p.PhysicalType);
}

bool TCardCrossbar::GetPinCounts(int& outputs, int& inputs) const {
  const TCrossbarPins& pins = Card().CrossbarPins(Index());
  outputs = int(pins.Outputs.size());
  inputs = int(pins.Inputs.size());
  return true;
}

bool TCardCrossbar::CanRoute(int output, int input) const {
  return devices::CanRoute(Card().CrossbarPins(Index()), output, input);
}

bool TCardCrossbar::Route(int output, int input) {
  return CanRoute(output, input) && Card().Route(Index(), output, input);
}

bool TCardCrossbar::IsRoutedTo(int output, int& input) const {
  return Card().RoutedTo(Index(), output, input);
}

bool TCardCrossbar::GetCrossbarPinInfo(bool isInput, int index, int& related, int& physicalType) const {
  const TCrossbarPins& pins = Card().CrossbarPins(Index());
  const auto& side = isInput ? pins.Inputs : pins.Outputs;
  if (index < 0 || index >= int(side.size())) return false;
  related = side[size_t(index)].Related;
  physicalType = side[size_t(index)].PhysicalType;
  return true;
}

}  // namespace pvx::platform::devices
