#include "engine/TunerControl.h"

#include "engine/CaptureInfo.h"
#include "engine/InputRouting.h"
#include "platform/Clock.h"
#include "platform/graph/Interfaces.h"
#include "settings/CountryInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

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

int ChipFamily() { return settings::MainInfo ? settings::MainInfo->ChipFamily : 0; }

ITunerPropertySet* Properties(TCaptureInfo& e) {
  return e.TVTuner ? e.TVTuner->As<ITunerPropertySet>() : nullptr;
}

}  // namespace

QString TTunerControl::StandardName(int standard) {
  for (const auto& s : kStandards)
    if (s.value == standard) return QString::fromLatin1(s.name);
  return {};
}

bool TTunerControl::SetTVFrequency(quint32 hertz, bool pauseGraph) {
  TFilterGraph& graph = *e_.Graph;
  if (pauseGraph) graph.Pause();
  e_.SignalLocked = false;
  if (e_.Recording) return false;
  if (qint64(hertz) < e_.TVMin || qint64(hertz) > e_.TVMax) {
    e_.PLLOffset = kOutOfRangeOffset;
    return false;
  }
  ITunerPropertySet* props = Properties(e_);
  if (!props) return false;
  if (!props->SetFrequency(hertz, e_.CoarseTuning ? kTuningCoarse : kTuningExact, 0)) return false;
  if (pauseGraph) {
    platform::Wait(500);
    graph.Run();
  } else {
    platform::Wait(100);
  }
  TTunerStatus status;
  if (props->GetStatus(status)) e_.PLLOffset = status.PLLOffset;

  const int readings = qMax(1, e_.SignalReadings);
  auto* decoder = e_.VCapture ? e_.VCapture->As<IAnalogVideoDecoder>() : nullptr;
  int locked = 0;
  for (int i = 0; i < readings; ++i) {
    bool lock = true;  // without a decoder to ask, the signal counts as there
    if (decoder) decoder->get_HorizontalLocked(lock);
    if (lock) {
      ++locked;
      if (ChipFamily() != 2) break;
    }
    if (i + 1 < readings) platform::Wait(50);
  }
  e_.SignalLocked = ChipFamily() == 2 ? locked == readings : locked > 0;
  e_.TVFrequency = hertz;
  return true;
}

bool TTunerControl::SetFMFrequency(quint32 hertz) {
  if (e_.Recording) return false;
  if (qint64(hertz) < e_.FMMin || qint64(hertz) > e_.FMMax) {
    e_.SignalLocked = false;
    return false;
  }
  ITunerPropertySet* props = Properties(e_);
  if (!props) return false;
  if (!props->SetFrequency(hertz, kTuningExact, 0)) return false;
  platform::Wait(100);
  TTunerStatus status;
  props->GetStatus(status);
  const qint32 first = status.PLLOffset;
  platform::Wait(100);
  if (!props->SetFrequency(hertz, kTuningExact, 1)) return false;
  platform::Wait(100);
  props->GetStatus(status);
  e_.SignalLocked = quint32(first) < 3 && status.PLLOffset == 0;
  e_.FMFrequency = hertz;
  if (e_.OnFMTuned) e_.OnFMTuned(e_, hertz, e_.SignalLocked);
  return true;
}

bool TTunerControl::FMUp() {
  return e_.RadioMode && SetFMFrequency(quint32(qint64(e_.FMFrequency) + e_.FMStep));
}

bool TTunerControl::FMDown() {
  return e_.RadioMode && SetFMFrequency(quint32(qint64(e_.FMFrequency) - e_.FMStep));
}

void TTunerControl::SetRadioMode(bool fm) {
  if (fm == e_.RadioMode) return;
  auto* tuner = e_.HasTuner && e_.TVTuner ? e_.TVTuner->As<ITVTuner>() : nullptr;
  if (!tuner) {
    e_.RadioMode = false;
    return;
  }
  if (fm) {
    int modes = 0;
    if (!tuner->GetAvailableModes(modes) || !(modes & AMTUNER_MODE_FM_RADIO)) {
      e_.ReportError(1014);
      return;
    }
    if (!tuner->put_Mode(AMTUNER_MODE_FM_RADIO)) {
      e_.ReportError(1015);
      return;
    }
    ReadFMBand();
  } else if (!tuner->put_Mode(AMTUNER_MODE_TV)) {
    e_.ReportText("Cannot set to TV mode");
    return;
  }
  if (!e_.Graph->Stop()) return;
  e_.RadioMode = fm;
  e_.ResumeAfterModeChange();
}

bool TTunerControl::SetVideoStandard(int standard) {
  if (standard == e_.VideoStandard) return true;
  const QString name = StandardName(standard);
  if (name.isEmpty()) return false;
  TFilterGraph& graph = *e_.Graph;
  graph.Stop();
  bool ok = false;
  auto* decoder = e_.VCapture ? e_.VCapture->As<IAnalogVideoDecoder>() : nullptr;
  if (decoder) {
    int formats = 0;
    ok = decoder->get_AvailableTVFormats(formats) && (formats & standard) && decoder->put_TVFormat(standard);
  } else if (ITunerPropertySet* props = Properties(e_)) {
    ok = props->SetStandard(standard);
  }
  graph.Run();
  if (!ok) return false;
  const bool wasNtsc = IsNtscLike(e_.VideoStandard);
  e_.VideoStandard = standard;
  e_.VideoStandardName = name;
  if (settings::MainInfo && !settings::MainInfo->IsStandardTuner() && wasNtsc != IsNtscLike(standard))
    e_.SetDeinterlace(e_.Deinterlace);
  if (ChipFamily() == 3) TInputRouting(e_).TellEmpiaInput(e_.InputKind);
  return true;
}

bool TTunerControl::SetCountryCode(int code) {
  auto* tuner = e_.TVTuner ? e_.TVTuner->As<ITVTuner>() : nullptr;
  e_.Graph->Stop();
  const bool ok = tuner && tuner->put_CountryCode(code);
  e_.Graph->Run();
  return ok;
}

bool TTunerControl::SetTVAudioMode(int mode) {
  if (ChipFamily() == 3) {
    auto* vendor = e_.Empia2800 ? e_.Empia2800->As<IEmpia2800>() : nullptr;
    return vendor && vendor->SetTVAudioMode(mode);
  }
  auto* audio = e_.TVAudio ? e_.TVAudio->As<ITVAudio>() : nullptr;
  if (!audio) return false;
  int modes = 0;
  if (!audio->GetAvailableTVAudioModes(modes)) modes = 0;
  e_.TVAudioModes = modes;
  if (!(modes & mode)) return false;
  return audio->put_TVAudioMode(mode);
}

void TTunerControl::ReadTVBand() {
  quint32 min = 0, max = 0;
  if (ITunerPropertySet* props = Properties(e_); props && props->GetModeCaps(AMTUNER_MODE_TV, min, max)) {
    e_.TVMin = qint32(min);
    e_.TVMax = qint32(max);
  }
}

void TTunerControl::ReadFMBand() {
  quint32 min = 0, max = 0;
  if (ITunerPropertySet* props = Properties(e_); props && props->GetModeCaps(AMTUNER_MODE_FM_RADIO, min, max)) {
    e_.FMMin = qint32(min);
    e_.FMMax = qint32(max);
  }
  const int country = settings::CountryInfo ? settings::CountryInfo->CountryCode : 1;
  if (country == 7) e_.FMMin = 65000000;
  if (country == 81) {
    e_.FMMin = 76000000;
    e_.FMMax = 90000000;
  }
}

}  // namespace pvx::engine
