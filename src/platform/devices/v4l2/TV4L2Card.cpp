#include "platform/devices/v4l2/TV4L2Card.h"

#include <linux/videodev2.h>

#include <cerrno>
#include <cmath>

namespace pvx::platform::devices::v4l2 {

TV4L2Card::~TV4L2Card() {
  io_.Close(radioHandle_);
  io_.Close(handle_);
}

bool TV4L2Card::Open() {
  if (gone_) return false;
  if (handle_ >= 0) return true;
  const int handle = info_.Busy ? -EBUSY : io_.Open(path_);
  if (handle < 0) {
    lastError_ = handle;
    return false;
  }
  handle_ = handle;
  return true;
}

int TV4L2Card::Call(unsigned long request, void* arg, bool radio) {
  const int handle = radio ? radioHandle_ : handle_;
  int r = gone_ ? -ENODEV : handle < 0 ? -EBADF : io_.Ioctl(handle, request, arg);
  lastError_ = r;
  if ((r == -ENODEV || r == -EIO) && !gone_) {
    gone_ = true;
    const auto listeners = listeners_;  // a listener may unsubscribe
    for (const auto& [token, listener] : listeners) listener();
  }
  return r;
}

bool TV4L2Card::SetInput(quint32 index) {
  int i = int(index);
  return Call(VIDIOC_S_INPUT, &i) == 0;
}

bool TV4L2Card::GetInput(quint32& index) {
  int i = 0;
  if (Call(VIDIOC_G_INPUT, &i) != 0) return false;
  index = quint32(i);
  return true;
}

bool TV4L2Card::InputStatus(quint32 index, quint32& status) {
  v4l2_input in{};
  in.index = index;
  if (Call(VIDIOC_ENUMINPUT, &in) != 0) return false;
  status = in.status;
  return true;
}

bool TV4L2Card::SetStd(quint64 id) {
  v4l2_std_id std = id;
  return Call(VIDIOC_S_STD, &std) == 0;
}

bool TV4L2Card::GetStd(quint64& id) {
  v4l2_std_id std = 0;
  if (Call(VIDIOC_G_STD, &std) != 0) return false;
  id = std;
  return true;
}

bool TV4L2Card::SetFrequency(bool fm, quint32 hertz) {
  const TV4L2Band& band = Band(fm);
  if (!band.Present || hertz < band.MinHertz() || hertz > band.MaxHertz()) return false;
  v4l2_frequency f{};
  f.tuner = band.Tuner;
  f.type = band.Type;
  f.frequency = quint32(std::llround(hertz / band.UnitHertz));
  return Call(VIDIOC_S_FREQUENCY, &f, band.OnRadioNode) == 0;
}

bool TV4L2Card::GetFrequency(bool fm, quint32& hertz) {
  const TV4L2Band& band = Band(fm);
  v4l2_frequency f{};
  f.tuner = band.Tuner;
  if (!band.Present || Call(VIDIOC_G_FREQUENCY, &f, band.OnRadioNode) != 0) return false;
  hertz = quint32(std::llround(f.frequency * band.UnitHertz));
  return true;
}

bool TV4L2Card::ReadTuner(bool fm, TTunerReading& reading) {
  const TV4L2Band& band = Band(fm);
  v4l2_tuner t{};
  t.index = band.Tuner;
  if (!band.Present || Call(VIDIOC_G_TUNER, &t, band.OnRadioNode) != 0) return false;
  reading = {int(t.signal), int(t.afc), t.rxsubchans, t.audmode};
  return true;
}

bool TV4L2Card::SetAudMode(quint32 audmode) {
  v4l2_tuner t{};
  t.index = info_.Tv.Tuner;
  if (!info_.Tv.Present || Call(VIDIOC_G_TUNER, &t) != 0) return false;
  t.audmode = audmode;
  return Call(VIDIOC_S_TUNER, &t) == 0;
}

bool TV4L2Card::SetRadio(bool on) {
  if (gone_) return false;
  if (!on) {
    // Closing the radio node gives the tuner back to TV.
    io_.Close(radioHandle_);
    radioHandle_ = -1;
    return true;
  }
  // An FM band on the video node needs nothing opened.
  if (radioPath_.isEmpty() || radioHandle_ >= 0) return info_.Fm.Present;
  const int handle = io_.Open(radioPath_);
  lastError_ = handle < 0 ? handle : 0;
  if (handle < 0) return false;
  radioHandle_ = handle;
  return true;
}

std::optional<TV4L2ControlRange> TV4L2Card::Control(quint32 id) {
  v4l2_queryctrl q{};
  q.id = id;
  if (Call(VIDIOC_QUERYCTRL, &q) != 0 || (q.flags & V4L2_CTRL_FLAG_DISABLED)) return std::nullopt;
  return TV4L2ControlRange{q.minimum, q.maximum, qMax(1, q.step), q.default_value};
}

bool TV4L2Card::GetControl(quint32 id, int& value) {
  v4l2_control c{};
  c.id = id;
  if (Call(VIDIOC_G_CTRL, &c) != 0) return false;
  value = c.value;
  return true;
}

bool TV4L2Card::SetControl(quint32 id, int value) {
  v4l2_control c{};
  c.id = id;
  c.value = value;
  return Call(VIDIOC_S_CTRL, &c) == 0;
}

void TV4L2Card::AttachRadio(const QString& path, const TV4L2Band& band) {
  radioPath_ = path;
  info_.Fm = band;
}

int TV4L2Card::Subscribe(std::function<void()> onGone) {
  const int token = nextToken_++;
  listeners_[token] = std::move(onGone);
  return token;
}

}  // namespace pvx::platform::devices::v4l2
