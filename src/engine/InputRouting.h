#pragma once
// The card's inputs: the routes through its crossbars found after each build, choosing an input
// by connector type, the crossbar sound fix, and the audio device's input line.

#include <QStringList>
#include <memory>

#include "engine/CrossBar.h"

namespace pvx::settings {
struct TCaptureSettings;
}

namespace pvx::engine {

class TCaptureDevices;
class TErrorReporter;

class TInputRouting {
 public:
  TInputRouting(const TCaptureDevices& devices, const TErrorReporter& report)
      : devices_(devices), report_(report) {}

  // Lists the routes to the capture device's analogue input; without one the input kind is 0.
  void FindRoutes();
  void Clear();

  // kind: 1 tuner, 2 composite, 3 S-Video, 9 AUX (camera).
  bool SelectInput(int kind);
  void FixCrossbarAudio();
  bool SelectAudioInputLine(int line, settings::TCaptureSettings& stored);
  // The Empia 2800 source of the current input (tuner 0, composite 1, S-Video 2).
  void TellEmpiaInput();

  int InputKind() const { return inputKind_; }
  int RouteCount() const { return crossbar_ ? crossbar_->GetInputCount() : 0; }
  const QStringList& RouteNames() const { return routeNames_; }
  // A route's name mentions AUX: the card has a camera input.
  bool HasAuxInput() const { return hasAuxInput_; }
  const TCrossbar* Crossbar() const { return crossbar_.get(); }

 private:
  const TCaptureDevices& devices_;
  const TErrorReporter& report_;
  std::unique_ptr<TCrossbar> crossbar_;
  QStringList routeNames_;
  bool hasAuxInput_ = false;
  int inputKind_ = 2;
};

}  // namespace pvx::engine
