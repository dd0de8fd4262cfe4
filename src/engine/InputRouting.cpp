#include "engine/InputRouting.h"

#include "engine/CaptureDevices.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

void TInputRouting::Clear() {
  crossbar_.reset();
  routeNames_.clear();
  hasAuxInput_ = false;
}

void TInputRouting::FindRoutes() {
  Clear();
  TFilter* capture = devices_.VCapture();
  TPin* start = capture ? capture->FindPin(PinDir::Input, PinCategory::AnalogVideoIn) : nullptr;
  if (!start || !devices_.CrossbarFilter()) {
    inputKind_ = 0;
    return;
  }
  crossbar_ = std::make_unique<TCrossbar>(*start);
  for (int i = 0; i < crossbar_->GetInputCount(); ++i) {
    const QString name = crossbar_->GetInputName(i);
    if (name.isEmpty()) continue;
    routeNames_ << name;
    // The camera's route is named "Video AUX".
    if (name.contains("Aux", Qt::CaseInsensitive)) hasAuxInput_ = true;
  }
}

bool TInputRouting::SelectInput(int kind) {
  for (int i = 0; crossbar_ && i < crossbar_->GetInputCount(); ++i) {
    int type = 0;
    if (!crossbar_->GetInputType(i, type) || type != kind) continue;
    if (!crossbar_->SetInputIndex(i)) return false;
    inputKind_ = kind;
    TellEmpiaInput();
    return true;
  }
  report_.Error(1102);
  return false;
}

void TInputRouting::TellEmpiaInput() {
  if (!devices_.Chip().IsEmpia2800() || !devices_.Empia2800()) return;
  auto* vendor = devices_.Empia2800()->As<IEmpia2800>();
  if (!vendor) return;
  if (inputKind_ == 1) vendor->SetSource(0);
  if (inputKind_ == 2) vendor->SetSource(1);
  if (inputKind_ == 3) vendor->SetSource(2);
}

void TInputRouting::FixCrossbarAudio() {
  TFilter* filter = devices_.CrossbarFilter();
  auto* crossbar = filter ? filter->As<ICrossbar>() : nullptr;
  int outputs = 0, inputs = 0;
  if (!crossbar || !crossbar->GetPinCounts(outputs, inputs)) return;
  for (int output = 1; output < outputs; ++output) {
    int input = -1;
    if (!crossbar->IsRoutedTo(output, input) || input < 0) continue;
    // The sound output always takes the tuner's sound.
    crossbar->Route(output, output == 1 ? 3 : input);
  }
}

bool TInputRouting::SelectAudioInputLine(int line, settings::TCaptureSettings& stored) {
  TFilter* audio = devices_.ACapture();
  if (!audio) return false;
  auto* mixer = audio->As<IAudioInputMixer>();
  const auto inputs = audio->PinsOf(PinDir::Input);
  if (!mixer || line < 0 || line >= int(inputs.size()) || !mixer->put_Enable(line, true)) return false;
  stored.AudioInputIndex = line;
  return true;
}

}  // namespace pvx::engine
