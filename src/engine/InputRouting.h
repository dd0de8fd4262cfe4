#pragma once
// Choosing the card's input by connector type, the crossbar sound fix, and the audio line.

namespace pvx::engine {

class TCaptureInfo;

class TInputRouting {
 public:
  explicit TInputRouting(TCaptureInfo& engine) : e_(engine) {}

  // kind: 1 tuner, 2 composite, 3 S-Video, 9 AUX (camera).
  bool SelectInput(int kind);
  void FixCrossbarAudio();
  bool SelectAudioInputLine(int line);

  // The Empia 2800 source number of an input kind (tuner 0, composite 1, S-Video 2).
  void TellEmpiaInput(int kind);

 private:
  TCaptureInfo& e_;
};

}  // namespace pvx::engine
