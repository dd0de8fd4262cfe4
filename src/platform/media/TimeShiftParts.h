#pragma once
// The time-shift player's own parts:
// - "OKA MPEG TimeShift", the splitter: the ".mpv" video stream from "Input" out on "Video", and
//   the sound of the file's ".mpa" companion, when there is one, on "Audio";
// - "OKA MPEG Audio Decoder": an MPEG audio stream on "XForm In", raw audio on "XForm Out".
// (The video decoder is the preview's "OKA MPEG Video Decoder".)

#include "platform/graph/TFilter.h"

namespace pvx::platform::media {

class TTimeShiftSplitter final : public graph::TFilter {
 public:
  TTimeShiftSplitter();

 protected:
  bool PrepareConnect(graph::TPin& own, graph::TPin& peer) override;

 private:
  bool AddCompanionSound(const QString& path);
  GstElement* sound_ = nullptr;  // owned by the bin
};

bool IsTimeShiftSplitter(const graph::TFilter& filter);

class TMpegAudioDecoder final : public graph::TFilter {
 public:
  TMpegAudioDecoder();

 protected:
  bool PrepareConnect(graph::TPin& own, graph::TPin& peer) override;
};

// The first type of a pin naming its format ("MPEG1Video" ...); empty when it names none.
QString FormatOfPin(const graph::TPin& pin);

}  // namespace pvx::platform::media
