#include "engine/CrossBar.h"

#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {

struct TypeName {
  int type;
  const char* name;
};

constexpr TypeName kTypeNames[] = {
    {1, "Video Tuner"},        {2, "Video Composite"},       {3, "Video SVideo"},
    {4, "Video RGB"},          {5, "Video YRYBY"},           {6, "Video SerialDigital"},
    {7, "Video ParallelDigital"}, {8, "Video SCSI"},         {9, "Video AUX"},
    {10, "Video 1394"},        {11, "Video USB"},            {12, "Video Decoder"},
    {13, "Video Encoder"},     {14, "Video Scart"},          {0x1000, "Audio Tuner"},
    {0x1001, "Audio Line"},    {0x1002, "Audio Mic"},        {0x1003, "Audio AESDigital"},
    {0x1004, "Audio SPDIFDigital"}, {0x1005, "Audio SCSI"},  {0x1006, "Audio AUX"},
    {0x1007, "Audio 1394"},    {0x1008, "Audio USB"},        {0x1009, "Audio Decoder"},
};

}  // namespace

QString TCrossbar::StringFromPinType(int physicalType) {
  for (const TypeName& t : kTypeNames) {
    if (t.type == physicalType) return QString::fromLatin1(t.name);
  }
  return QStringLiteral("Unknown");
}

TCrossbar::TCrossbar(TPin& startPin) { Build(startPin, 0, {}); }

void TCrossbar::Build(TPin& pin, int depth, TRouteArray links) {
  TPin* upstream = pin.ConnectedTo();
  ICrossbar* crossbar = upstream ? upstream->Filter().As<ICrossbar>() : nullptr;
  if (!crossbar) {
    if (!links.empty()) routes_.push_back(links);
    return;
  }
  int outputs = 0, inputs = 0;
  if (!crossbar->GetPinCounts(outputs, inputs)) return;
  const int output = upstream->Filter().PinIndex(*upstream);
  int outputRelated = -1, outputType = 0;
  crossbar->GetCrossbarPinInfo(false, output, outputRelated, outputType);
  for (int input = 0; input < inputs; ++input) {
    if (!crossbar->CanRoute(output, input)) continue;
    int inputRelated = -1, inputType = 0;
    if (!crossbar->GetCrossbarPinInfo(true, input, inputRelated, inputType)) continue;
    if (inputType >= 0x1000) continue;  // audio inputs follow their video
    TCrRouting link;
    link.VideoInputIndex = input;
    link.VideoOutputIndex = output;
    link.AudioInputIndex = inputRelated;
    link.AudioOutputIndex = outputRelated;
    link.Crossbar = crossbar;
    link.InputPhysicalType = inputType;
    link.OutputPhysicalType = outputType;
    link.Depth = depth;
    TRouteArray next{link};  // connector first: this link goes in front
    next.insert(next.end(), links.begin(), links.end());
    TPin* inputPin = upstream->Filter().FindPin(PinDir::Input, PinCategory::None, input);
    if (inputPin) Build(*inputPin, depth + 1, next);
  }
}

bool TCrossbar::GetInputType(int index, int& physicalType) const {
  if (index < 0 || index >= GetInputCount()) return false;
  physicalType = routes_[size_t(index)].front().InputPhysicalType;
  return true;
}

QString TCrossbar::GetInputName(int index) const {
  int type = 0;
  return GetInputType(index, type) ? StringFromPinType(type) : QString();
}

bool TCrossbar::SetInputIndex(int index) {
  if (index < 0 || index >= GetInputCount()) return false;
  for (const TCrRouting& link : routes_[size_t(index)]) {
    if (!link.Crossbar->Route(link.VideoOutputIndex, link.VideoInputIndex)) return false;
    if (link.AudioInputIndex != -1 && link.AudioOutputIndex != -1 &&
        !link.Crossbar->Route(link.AudioOutputIndex, link.AudioInputIndex))
      return false;
  }
  current_ = index;
  return true;
}

}  // namespace pvx::engine
