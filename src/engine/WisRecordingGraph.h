#pragma once
// The recording graph of a card with its own encoder (the Wis chips): the card delivers the
// compressed picture, which goes with the sound through a multiplexer into the file writer.

#include "engine/EngineConfig.h"
#include "engine/RecordingBranch.h"
#include "settings/CaptureSettings.h"

namespace pvx::engine {

class TCaptureDevices;
class TPreviewPipeline;

class TWisRecordingGraph {
 public:
  TWisRecordingGraph(TRecordingBranch& branch, TCaptureDevices& devices, TPreviewPipeline& preview,
                     const settings::TCaptureSettings& stored, const TErrorReporter& report)
      : branch_(branch), devices_(devices), preview_(preview), stored_(stored), report_(report) {}

  bool Build(const TRecordRequest& request);
  // Takes the branch out of the graph and forgets its multiplexer and encoder.
  void TearDown();

 private:
  platform::graph::TFilterGraph& Graph() const;
  // "AVI Mux" for MPEG-4, else "OKA MPEG Multiplexer", as "MPEGMux".
  bool AddMultiplexer(int kind);
  bool AddMPEGAudioEncoder();
  // The card's encoded format of the stream kind at the stored size.
  void SelectFormat(int kind, int mpeg4Codec);
  bool BuildBranch(const TRecordRequest& r, int kind);
  bool AddWriter(const TRecordRequest& r, int kind);

  TRecordingBranch& branch_;
  TCaptureDevices& devices_;
  TPreviewPipeline& preview_;
  const settings::TCaptureSettings& stored_;
  const TErrorReporter& report_;
  TRecordingBranch::FilterPtr mux_, audioEncoder_;
};

}  // namespace pvx::engine
