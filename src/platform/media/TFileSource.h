#pragma once
// The file sources of the players, each with one output "Output" carrying the file's bytes:
// - Stored: any finished file (the graph builder's AddSourceFilter);
// - SingleFile: a stored time-shift ".mpv" file; in a graph with the time-shift splitter it
//   feeds only the splitter, which adds the ".mpa" companion's sound;
// - Growing: a time-shift file still being written (IGrowingFileSource).
// Load finds out what the file holds; the output pin's media types say so (the first a Stream
// type naming the format, then the video and audio streams inside), for the decoders to choose.

#include "platform/graph/TFilter.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::media {

enum class FileSourceKind { Stored, SingleFile, Growing };

class TFileSource final : public graph::TFilter,
                          public IFileSourceFilter,
                          public IGrowingFileSource {
 public:
  explicit TFileSource(FileSourceKind kind);

  bool Load(const QString& path, const graph::TMediaType* type = nullptr) override;
  QString GetCurFile() const override { return path_; }

  void WriterStopped() override;
  bool IsFollowing() const override;

 protected:
  bool Answers(const std::type_info& interfaceType) const override;
  bool PrepareConnect(graph::TPin& own, graph::TPin& peer) override;

 private:
  FileSourceKind kind_;
  QString path_;
  GstElement* reader_ = nullptr;  // owned by the bin
};

// What a file holds, from its first bytes and, for finished files, libavformat's look at its
// streams: a Stream type naming the format ("MPEG1Video", "MPEG2Video", "MPEGAudio",
// "MPEG1System", "MPEG2Program", "AVI", "WAVE", or "File"), then one type per stream.
std::vector<graph::TMediaType> FileMediaTypes(const QString& path, bool finished);

}  // namespace pvx::platform::media
