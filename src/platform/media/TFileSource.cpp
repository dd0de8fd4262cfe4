#include "platform/media/TFileSource.h"

#include <gst/gst.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "platform/graph/FaultPlan.h"
#include "platform/graph/GstPtr.h"
#include "platform/graph/MediaCaps.h"
#include "platform/graph/TFilterGraph.h"
#include "platform/media/FfmpegSupport.h"
#include "platform/media/GrowingFileSrc.h"
#include "platform/media/TimeShiftParts.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

constexpr qint64 kSniffBytes = 16 * 1024;

QString FormatOf(const QByteArray& head, const QString& path) {
  const auto at = [&](int i) { return i < head.size() ? uchar(head[i]) : 0; };
  if (head.startsWith(QByteArray::fromHex("000001ba")))
    return (at(4) & 0xC0) == 0x40 ? "MPEG2Program" : "MPEG1System";
  if (head.startsWith(QByteArray::fromHex("000001b3")))
    return head.contains(QByteArray::fromHex("000001b5")) ? "MPEG2Video" : "MPEG1Video";
  if (head.startsWith("RIFF") && head.mid(8, 4) == "AVI ") return "AVI";
  if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE") return "WAVE";
  if (head.startsWith("ID3") || (at(0) == 0xFF && (at(1) & 0xE0) == 0xE0)) return "MPEGAudio";
  // A time-shift file just created holds nothing yet: its name tells.
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (head.isEmpty() && suffix == "mpv") return "MPEG1Video";
  if (head.isEmpty() && suffix == "mpa") return "MPEGAudio";
  return "File";
}

// The streams libavformat finds in a finished file.
void AddStreams(const QString& path, std::vector<TMediaType>& types) {
  AVFormatContext* context = nullptr;
  const QByteArray name = QFile::encodeName(path);
  if (avformat_open_input(&context, name.constData(), nullptr, nullptr) < 0) return;
  if (avformat_find_stream_info(context, nullptr) >= 0) {
    for (unsigned i = 0; i < context->nb_streams; ++i) {
      const AVCodecParameters* p = context->streams[i]->codecpar;
      TMediaType t;
      t.Subtype = QString::fromLatin1(avcodec_get_name(p->codec_id));
      if (p->codec_type == AVMEDIA_TYPE_VIDEO) {
        t.Major = MediaMajor::Video;
        t.Width = p->width;
        t.Height = p->height;
        const AVRational r = context->streams[i]->avg_frame_rate;
        if (r.num > 0 && r.den > 0) t.AvgTimePerFrame = FrameDurationOf(r.num, r.den);
      } else if (p->codec_type == AVMEDIA_TYPE_AUDIO) {
        t.Major = MediaMajor::Audio;
        t.SampleRate = p->sample_rate;
        t.Channels = p->ch_layout.nb_channels;
      } else {
        continue;
      }
      types.push_back(t);
    }
  }
  avformat_close_input(&context);
}

}  // namespace

std::vector<TMediaType> FileMediaTypes(const QString& path, bool finished) {
  QFile file(path);
  QByteArray head;
  if (file.open(QIODevice::ReadOnly)) head = file.read(kSniffBytes);
  TMediaType format;
  format.Major = MediaMajor::Stream;
  format.Subtype = FormatOf(head, path);
  std::vector<TMediaType> types{format};
  if (format.Subtype == "MPEG1Video" || format.Subtype == "MPEG2Video") {
    TMediaType video;
    video.Major = MediaMajor::Video;
    video.Subtype = format.Subtype == "MPEG1Video" ? "mpeg1video" : "mpeg2video";
    types.push_back(video);
  } else if (format.Subtype == "MPEGAudio" && !finished) {
    TMediaType audio;
    audio.Major = MediaMajor::Audio;
    audio.Subtype = "mp2";
    types.push_back(audio);
  } else if (finished) {
    AddStreams(path, types);
  }
  return types;
}

TFileSource::TFileSource(FileSourceKind kind)
    : TFilter(kind == FileSourceKind::Stored       ? kStoredFileSourceName
              : kind == FileSourceKind::SingleFile ? kSingleFileSourceName
                                                   : kGrowingFileSourceName),
      kind_(kind) {
  AddPin("Output", PinDir::Output, PinCategory::None, MediaMajor::Stream);
  if (!EnsureGstreamer()) return;
  reader_ = kind == FileSourceKind::Growing ? MakeGrowingFileSrc("reader")
                                            : MakeElement("filesrc", "reader");
  if (!reader_) return;
  GstElement* bin = gst_bin_new(nullptr);
  gst_bin_add(GST_BIN(bin), reader_);
  SetElement(bin);
  Ghost(bin, "reader", "src", "Output");
}

bool TFileSource::Load(const QString& path, const TMediaType* type) {
  if (!reader_ || (Graph() && Graph()->State() != GraphState::Stopped)) return false;
  if (graph::Refused("Load") || !QFileInfo(path).isFile()) return false;
  const bool growing = kind_ == FileSourceKind::Growing;
  std::vector<TMediaType> types = FileMediaTypes(path, !growing);
  if (type) types.insert(types.begin(), *type);
  if (!growing && types.size() < 2) return false;  // nothing we can play
  path_ = path;
  FindPin("Output")->MediaTypes = std::move(types);
  if (growing) {
    SetGrowingFileLocation(reader_, path, true);
  } else {
    g_object_set(reader_, "location", QFile::encodeName(path).constData(), nullptr);
  }
  return true;
}

void TFileSource::WriterStopped() {
  if (kind_ == FileSourceKind::Growing) NotifyWriterStopped(reader_);
}

bool TFileSource::IsFollowing() const {
  return kind_ == FileSourceKind::Growing && IsFollowingWriter(reader_);
}

bool TFileSource::Answers(const std::type_info& interfaceType) const {
  return interfaceType != typeid(IGrowingFileSource) || kind_ == FileSourceKind::Growing;
}

bool TFileSource::PrepareConnect(TPin& own, TPin& peer) {
  if (path_.isEmpty()) return false;
  // A stored time-shift file goes through the splitter when the graph has one, so that the
  // splitter can add its sound.
  if (kind_ != FileSourceKind::SingleFile || !Graph()) return true;
  const bool hasSplitter = std::any_of(Graph()->Filters().begin(), Graph()->Filters().end(),
                                       [](const auto& f) { return IsTimeShiftSplitter(*f); });
  return !hasSplitter || IsTimeShiftSplitter(peer.Filter());
}

}  // namespace pvx::platform::media
