#pragma once
// "OKA Media Splitter", the decoder the graph's Render puts after a file source: any file the
// sources recognise (program streams, AVI, WAV, MP3, MPEG elementary streams, other containers
// libavformat reads) on "Input", its picture as raw video on "Video" and its sound as raw audio
// on "Audio". The outputs are made when the source connects, for the streams its media types list.

#include "platform/graph/TFilter.h"

namespace pvx::platform::media {

class TMediaSplitter final : public graph::TFilter {
 public:
  TMediaSplitter();
  ~TMediaSplitter() override;

 protected:
  bool PrepareConnect(graph::TPin& own, graph::TPin& peer) override;

 private:
  static void OnPadAdded(GstElement* decoder, GstPad* pad, void* self);
  bool AddOutput(const char* pin, const char* description, const char* first, const char* last);
  GstElement* decoder_ = nullptr;  // owned by the bin
  unsigned long padAdded_ = 0;
};

}  // namespace pvx::platform::media
