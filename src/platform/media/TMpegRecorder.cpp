#include "platform/media/TMpegRecorder.h"

#include "platform/graph/FaultPlan.h"
#include "platform/graph/TFilterGraph.h"

namespace pvx::platform::media {

using namespace graph;

namespace {

bool Stopped(const TFilter& f) { return !f.Graph() || f.Graph()->State() == GraphState::Stopped; }

}  // namespace

TMpegRecorder::TMpegRecorder() : TRecordingFilter(kMpegRecorderName) {
  AddInput("Video", MediaMajor::Video);
  AddInput("Audio", MediaMajor::Audio);
}

bool TMpegRecorder::SetStreamType(int type) {
  if ((type != 1 && type != 2) || !Stopped(*this)) return false;
  settings_.streamType = type;
  return true;
}

bool TMpegRecorder::SetVideoBitRate(int bitsPerSecond) {
  // 0 leaves a constant-quality format without a cap.
  const bool noCap = bitsPerSecond == 0;
  if ((!noCap && (bitsPerSecond < 100000 || bitsPerSecond > 20000000)) || !Stopped(*this)) return false;
  settings_.bitRateCap = bitsPerSecond;
  if (!noCap) settings_.bitRate = bitsPerSecond;
  return true;
}

bool TMpegRecorder::SetQuality(int quality) {
  if (quality < 0 || quality > 6 || !Stopped(*this)) return false;
  settings_.quality = quality;
  return true;
}

bool TMpegRecorder::SetFrameSize(int width, int height) {
  // MPEG pictures are made of 16x16 blocks; sizes need only be even.
  if (width < 16 || height < 16 || width > 1920 || height > 1152 || width % 2 || height % 2 ||
      !Stopped(*this))
    return false;
  settings_.width = width;
  settings_.height = height;
  return true;
}

bool TMpegRecorder::SetAudioSampleRate(int hertz) {
  if ((hertz != 32000 && hertz != 44100 && hertz != 48000) || !Stopped(*this)) return false;
  settings_.sampleRate = hertz;
  return true;
}

bool TMpegRecorder::SetFrameRateCode(int code) {
  if (!Stopped(*this)) return false;
  settings_.frameRateCode = code;
  return true;
}

bool TMpegRecorder::SetFlags(bool timeShift, bool programStream) {
  if (!Stopped(*this)) return false;
  settings_.timeShift = timeShift;
  settings_.programStream = programStream;
  return true;
}

bool TMpegRecorder::SetContainer(formats::Container container) {
  using C = formats::Container;
  const bool mpeg = container == C::MpegSystem || container == C::MpegProgram || container == C::Vcd ||
                    container == C::Svcd || container == C::Dvd;
  if (!mpeg || !Stopped(*this)) return false;
  settings_.container = container;
  return true;
}

bool TMpegRecorder::SetRecordFormat(formats::RecordFormat format) {
  const formats::TRecordFormatDef* def = formats::FindRecordFormat(int(format));
  if (!def || def->Container == formats::Container::Avi || !Stopped(*this)) return false;
  settings_.format = format;
  settings_.container = def->Container;
  settings_.streamType = def->Video == formats::VideoCodec::Mpeg1 ? 1 : 2;
  return true;
}

bool TMpegRecorder::SetEncoding(bool softwareOnly, const TRecordTags& tags) {
  if (!Stopped(*this)) return false;
  settings_.softwareOnly = softwareOnly;
  settings_.tags = tags;
  return true;
}

bool TMpegRecorder::SetFileName(const QString& path) {
  if (path.isEmpty() || !Stopped(*this) || graph::Refused("SetFileName")) return false;
  path_ = path;
  return true;
}

QString TMpegRecorder::GetCurFile() const { return path_; }

bool TMpegRecorder::MakeProfile(TRecordProfile& profile, QString& error) {
  if (path_.isEmpty()) {
    error = QStringLiteral("no file name");
    return false;
  }
  profile = MpegProfileOf(settings_, path_);
  return true;
}

}  // namespace pvx::platform::media
