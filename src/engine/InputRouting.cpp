#include "engine/InputRouting.h"

#include "engine/CaptureInfo.h"
#include "platform/graph/Interfaces.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

bool TInputRouting::SelectInput(int kind) {
  if (e_.Recording) return false;
  if (!e_.Crossbar) {
    e_.ReportError(1102);
    return false;
  }
  for (int i = 0; i < e_.Crossbar->GetInputCount(); ++i) {
    int type = 0;
    if (!e_.Crossbar->GetInputType(i, type) || type != kind) continue;
    if (!e_.Crossbar->SetInputIndex(i)) return false;
    e_.InputKind = kind;
    TellEmpiaInput(kind);
    return true;
  }
  e_.ReportError(1102);
  return false;
}

void TInputRouting::TellEmpiaInput(int kind) {
  if (!settings::MainInfo || settings::MainInfo->ChipFamily != 3 || !e_.Empia2800) return;
  auto* vendor = e_.Empia2800->As<IEmpia2800>();
  if (!vendor) return;
  if (kind == 1) vendor->SetSource(0);
  if (kind == 2) vendor->SetSource(1);
  if (kind == 3) vendor->SetSource(2);
}

void TInputRouting::FixCrossbarAudio() {
  auto* crossbar = e_.CrossbarFilter ? e_.CrossbarFilter->As<ICrossbar>() : nullptr;
  if (!crossbar) return;
  int outputs = 0, inputs = 0;
  if (!crossbar->GetPinCounts(outputs, inputs)) return;
  for (int output = 1; output < outputs; ++output) {
    int input = -1;
    if (!crossbar->IsRoutedTo(output, input) || input < 0) continue;
    // The sound output always takes the tuner's sound.
    crossbar->Route(output, output == 1 ? 3 : input);
  }
}

bool TInputRouting::SelectAudioInputLine(int line) {
  if (!e_.ACapture) return false;
  auto* mixer = e_.ACapture->As<IAudioInputMixer>();
  const auto inputs = e_.ACapture->PinsOf(PinDir::Input);
  if (!mixer || line < 0 || line >= int(inputs.size())) return false;
  if (!mixer->put_Enable(line, true)) return false;
  e_.AudioInputIndex = line;
  return true;
}

}  // namespace pvx::engine
