#include "platform/media/TCompressors.h"

#include <algorithm>

#include "platform/components/ComponentSupport.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

constexpr qint64 kMpeg4BitRate = 2000000;
// Rates each encoder accepts (MPEG-1 layer II and III; 0 keeps the captured rate).
constexpr int kMpegRates[] = {0, 32000, 44100, 48000};

GstPtr<GstElement> PassThrough(const char* name) {
  return components::BuildBin("identity name=pass silent=true", name,
                              {{"pass", "sink", "XForm In"}, {"pass", "src", "XForm Out"}});
}

bool Stopped(const TFilter& f) { return !f.Graph() || f.Graph()->State() == GraphState::Stopped; }

}  // namespace

TVideoCompressor::TVideoCompressor(QString friendlyName, VideoCodec codec, QByteArray tag)
    : TFilter(std::move(friendlyName)) {
  AddPin("XForm In", PinDir::Input, PinCategory::None, MediaMajor::Video);
  AddPin("XForm Out", PinDir::Output, PinCategory::None, MediaMajor::Video);
  choice_.codec = codec;
  choice_.tag = std::move(tag);
  choice_.bitRate = kMpeg4BitRate;
  SetElement(PassThrough("videocompressor").get());
}

TAudioCompressor::TAudioCompressor(QString friendlyName, TAudioCodecChoice defaults)
    : TFilter(std::move(friendlyName)), choice_(defaults) {
  AddPin("XForm In", PinDir::Input, PinCategory::None, MediaMajor::Audio);
  AddPin("XForm Out", PinDir::Output, PinCategory::None, MediaMajor::Audio);
  SetElement(PassThrough("audiocompressor").get());
}

bool TAudioCompressor::put_BitRate(int bitsPerSecond) {
  if (bitsPerSecond < 32000 || bitsPerSecond > 384000 || !Stopped(*this)) return false;
  choice_.bitRate = bitsPerSecond;
  return true;
}

bool TAudioCompressor::put_SampleRate(int hertz) {
  if (std::find(std::begin(kMpegRates), std::end(kMpegRates), hertz) == std::end(kMpegRates) ||
      !Stopped(*this))
    return false;
  choice_.sampleRate = hertz;
  return true;
}

bool TAudioCompressor::put_Channels(int channels) {
  if (channels < 1 || channels > 2 || !Stopped(*this)) return false;
  choice_.channels = channels;
  return true;
}

}  // namespace pvx::platform::media
