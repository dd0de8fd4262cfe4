#include "platform/media/TimeShiftParts.h"

#include <gst/gst.h>

#include <QFile>
#include <QFileInfo>

#include "platform/components/ComponentSupport.h"
#include "platform/media/MediaInterfaces.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

TMediaType StreamType(const char* subtype) {
  TMediaType t;
  t.Major = MediaMajor::Stream;
  t.Subtype = subtype;
  return t;
}

}  // namespace

QString FormatOfPin(const TPin& pin) {
  for (const TMediaType& t : pin.MediaTypes) {
    if (t.Major == MediaMajor::Stream) return t.Subtype;
  }
  return QString();
}

TTimeShiftSplitter::TTimeShiftSplitter() : TFilter(kTimeShiftSplitterName) {
  AddPin("Input", PinDir::Input, PinCategory::None, MediaMajor::Stream);
  TPin& video = AddPin("Video", PinDir::Output, PinCategory::None, MediaMajor::Stream);
  video.MediaTypes = {StreamType("MPEG1Video")};
  auto bin = components::BuildBin("identity name=video silent=true", "timeshiftsplitter",
                                   {{"video", "sink", "Input"}, {"video", "src", "Video"}});
  SetElement(bin.get());
}

bool IsTimeShiftSplitter(const TFilter& filter) {
  return dynamic_cast<const TTimeShiftSplitter*>(&filter) != nullptr;
}

bool TTimeShiftSplitter::PrepareConnect(TPin& own, TPin& peer) {
  if (own.Dir() != PinDir::Input) return true;
  const QString format = FormatOfPin(peer);
  if (!format.isEmpty() && format != "MPEG1Video" && format != "MPEG2Video") return false;
  if (!format.isEmpty()) FindPin("Video")->MediaTypes = {StreamType(format.toLatin1().constData())};
  // The sound of a time-shift file lies beside it: the same name ending in "a".
  const auto* file = peer.Filter().As<IFileSourceFilter>();
  const QString path = file ? file->GetCurFile() : QString();
  if (!path.isEmpty()) {
    const QString sound = path.left(path.size() - 1) + "a";
    if (sound != path && QFileInfo(sound).isFile() && !AddCompanionSound(sound)) return false;
  }
  return true;
}

bool TTimeShiftSplitter::AddCompanionSound(const QString& path) {
  if (!sound_) {
    sound_ = MakeElement("filesrc", "sound");
    if (!sound_ || !Element()) return false;
    gst_bin_add(GST_BIN(Element()), sound_);
    if (!Ghost(Element(), "sound", "src", "Audio")) return false;
    TPin& audio = AddPin("Audio", PinDir::Output, PinCategory::None, MediaMajor::Stream);
    audio.MediaTypes = {StreamType("MPEGAudio")};
  }
  g_object_set(sound_, "location", QFile::encodeName(path).constData(), nullptr);
  return true;
}

TMpegAudioDecoder::TMpegAudioDecoder() : TFilter(kMpegAudioDecoderName) {
  AddPin("XForm In", PinDir::Input, PinCategory::None, MediaMajor::Stream);
  AddPin("XForm Out", PinDir::Output, PinCategory::None, MediaMajor::Audio);
  auto bin = components::BuildBin(
      "mpegaudioparse name=parse ! mpg123audiodec ! audioconvert ! audioresample name=out",
      "mpegaudiodecoder", {{"parse", "sink", "XForm In"}, {"out", "src", "XForm Out"}});
  SetElement(bin.get());
}

bool TMpegAudioDecoder::PrepareConnect(TPin& own, TPin& peer) {
  if (own.Dir() != PinDir::Input) return true;
  const QString format = FormatOfPin(peer);
  return format.isEmpty() || format == "MPEGAudio";
}

}  // namespace pvx::platform::media
