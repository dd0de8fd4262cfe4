#include "engine/TunerControl.h"

#include "engine/CaptureDevices.h"
#include "engine/PreviewPipeline.h"
#include "platform/Clock.h"
#include "platform/graph/Interfaces.h"
#include "platform/graph/TFilter.h"

namespace pvx::engine {

using namespace pvx::platform::graph;

namespace {

constexpr int kOutOfRangeOffset = -10;

struct StandardName_ {
  int value;
  const char* name;
};
constexpr StandardName_ kStandards[] = {
    {0x1, "NTSC M"},      {0x2, "NTSC M (Japan)"}, {0x4, "NTSC 433"},  {0x10, "PAL B"},
    {0x20, "PAL D"},      {0x80, "PAL H"},          {0x100, "PAL I"},   {0x200, "PAL M"},
    {0x400, "PAL N"},     {0x800, "PAL 60"},        {0x1000, "SECAM B"}, {0x2000, "SECAM D"},
    {0x4000, "SECAM G"},  {0x8000, "SECAM H"},      {0x10000, "SECAM K"}, {0x20000, "SECAM K1"},
    {0x40000, "SECAM L"}, {0x80000, "SECAM L1"},
};

template <typename I>
I* Ask(TFilter* filter) {
  return filter ? filter->As<I>() : nullptr;
}

}  // namespace

QString TTunerControl::StandardName(int standard) {
  for (const auto& s : kStandards)
    if (s.value == standard) return QString::fromLatin1(s.name);
  return {};
}

bool TTunerControl::SetTVFrequency(quint32 hertz, bool pauseGraph) {
  if (pauseGraph) preview_.Pause();
  signalLocked_ = false;
  if (qint64(hertz) < tvMin_ || qint64(hertz) > tvMax_) {
    pllOffset_ = kOutOfRangeOffset;
    return false;
  }
  auto* props = Ask<ITunerPropertySet>(devices_.TVTuner());
  if (!props || !props->SetFrequency(hertz, coarseTuning_ ? kTuningCoarse : kTuningExact, 0)) return false;
  if (pauseGraph) {
    platform::Wait(500);
    preview_.Run();
  } else {
    platform::Wait(100);
  }
  TTunerStatus status;
  if (props->GetStatus(status)) pllOffset_ = status.PLLOffset;

  // Conexant cards must lock on every reading; the others on any one.
  const bool everyReading = devices_.Chip().Family == 2;
  const int readings = qMax(1, signalReadings_);
  auto* decoder = Ask<IAnalogVideoDecoder>(devices_.VCapture());
  int locked = 0;
  for (int i = 0; i < readings; ++i) {
    bool lock = true;  // without a decoder to ask, the signal counts as there
    if (decoder) decoder->get_HorizontalLocked(lock);
    if (lock) {
      ++locked;
      if (!everyReading) break;
    }
    if (i + 1 < readings) platform::Wait(50);
  }
  signalLocked_ = everyReading ? locked == readings : locked > 0;
  tvFrequency_ = hertz;
  return true;
}

bool TTunerControl::SetFMFrequency(quint32 hertz) {
  if (qint64(hertz) < fmMin_ || qint64(hertz) > fmMax_) {
    signalLocked_ = false;
    return false;
  }
  auto* props = Ask<ITunerPropertySet>(devices_.TVTuner());
  if (!props || !props->SetFrequency(hertz, kTuningExact, 0)) return false;
  platform::Wait(100);
  TTunerStatus status;
  props->GetStatus(status);
  const qint32 first = status.PLLOffset;
  platform::Wait(100);
  if (!props->SetFrequency(hertz, kTuningExact, 1)) return false;
  platform::Wait(100);
  props->GetStatus(status);
  signalLocked_ = quint32(first) < 3 && status.PLLOffset == 0;
  fmFrequency_ = hertz;
  if (OnFMTuned) OnFMTuned(hertz, signalLocked_);
  return true;
}

bool TTunerControl::FMUp() { return radioMode_ && SetFMFrequency(quint32(qint64(fmFrequency_) + fmStep_)); }

bool TTunerControl::FMDown() { return radioMode_ && SetFMFrequency(quint32(qint64(fmFrequency_) - fmStep_)); }

bool TTunerControl::SwitchMode(bool fm) {
  if (fm == radioMode_) return false;
  auto* tuner = devices_.HasTuner() ? Ask<ITVTuner>(devices_.TVTuner()) : nullptr;
  if (!tuner) {
    radioMode_ = false;
    return false;
  }
  if (fm) {
    int modes = 0;
    if (!tuner->GetAvailableModes(modes) || !(modes & AMTUNER_MODE_FM_RADIO)) {
      report_.Error(1014);
      return false;
    }
    if (!tuner->put_Mode(AMTUNER_MODE_FM_RADIO)) {
      report_.Error(1015);
      return false;
    }
    ReadFMBand();
  } else if (!tuner->put_Mode(AMTUNER_MODE_TV)) {
    report_.Text("Cannot set to TV mode");
    return false;
  }
  if (!preview_.Stop()) return false;
  radioMode_ = fm;
  return true;
}

bool TTunerControl::SetVideoStandard(int standard) {
  if (standard == videoStandard_) return true;
  const QString name = StandardName(standard);
  if (name.isEmpty()) return false;
  preview_.Stop();
  bool ok = false;
  if (auto* decoder = Ask<IAnalogVideoDecoder>(devices_.VCapture())) {
    int formats = 0;
    ok = decoder->get_AvailableTVFormats(formats) && (formats & standard) && decoder->put_TVFormat(standard);
  } else if (auto* props = Ask<ITunerPropertySet>(devices_.TVTuner())) {
    ok = props->SetStandard(standard);
  }
  preview_.Run();
  if (!ok) return false;
  videoStandard_ = standard;
  videoStandardName_ = name;
  return true;
}

bool TTunerControl::SetCountryCode(int code) {
  auto* tuner = Ask<ITVTuner>(devices_.TVTuner());
  preview_.Stop();
  const bool ok = tuner && tuner->put_CountryCode(code);
  preview_.Run();
  return ok;
}

bool TTunerControl::SetTVAudioMode(int mode) {
  if (devices_.Chip().IsEmpia2800()) {
    auto* vendor = Ask<IEmpia2800>(devices_.Empia2800());
    return vendor && vendor->SetTVAudioMode(mode);
  }
  auto* audio = Ask<ITVAudio>(devices_.TVAudio());
  if (!audio) return false;
  int modes = 0;
  if (!audio->GetAvailableTVAudioModes(modes)) modes = 0;
  tvAudioModes_ = modes;
  return (modes & mode) && audio->put_TVAudioMode(mode);
}

void TTunerControl::SetTVBand(qint32 min, qint32 max) {
  tvMin_ = min;
  tvMax_ = max;
}

void TTunerControl::ReadTVBand() {
  quint32 min = 0, max = 0;
  if (auto* props = Ask<ITunerPropertySet>(devices_.TVTuner()); props && props->GetModeCaps(AMTUNER_MODE_TV, min, max))
    SetTVBand(qint32(min), qint32(max));
}

void TTunerControl::ReadFMBand() {
  quint32 min = 0, max = 0;
  auto* props = Ask<ITunerPropertySet>(devices_.TVTuner());
  if (props && props->GetModeCaps(AMTUNER_MODE_FM_RADIO, min, max)) {
    fmMin_ = qint32(min);
    fmMax_ = qint32(max);
  }
  const int country = CountryCode ? CountryCode() : 1;
  if (country == 7) fmMin_ = 65000000;
  if (country == 81) {
    fmMin_ = 76000000;
    fmMax_ = 90000000;
  }
}

}  // namespace pvx::engine
