#include "settings/ChannelInfo.h"

#include <QFileInfo>
#include <algorithm>

#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "settings/ChannelTuner.h"
#include "settings/ErrorMessages.h"
#include "settings/Globals.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"

namespace pvx::settings {
namespace {

constexpr int kCannotSetStandard = 2009;
constexpr int kAudioModeTries = 10;
constexpr int kAudioModeRetryMs = 200;
constexpr int kUnmuteDelayMs = 100;
constexpr int kMaxVerifyCount = 10;
constexpr qint64 kNtscSkipHz = 5000000;
constexpr qint64 kOtherSkipHz = 6000000;

// Index 0..9: NTSC-M, NTSC-J, PAL-B/G, PAL-D/K, PAL-I, PAL-M, PAL-N, SECAM-B/G, SECAM-D/K, SECAM-L.
constexpr int kDirectShowStandards[] = {0x1,   0x2,   0x10,   0x20,   0x100,
                                        0x200, 0x400, 0x1000, 0x2000, 0x40000};

// Mode names per mode 0..4: NTSC-M, NTSC-J, any other standard.
constexpr const char* kAudioModeNames[5][3] = {
    {"Mono", "Main", "Mono"}, {"Stereo", "Stereo", "Stereo"}, {"SAP", "SUB", "Dual-A"},
    {"SAP", "SUB", "Dual-B"}, {"SAP 2", "Both", "Dual-C"},
};

}  // namespace

TChannelInfo::TChannelInfo() { Reset(); }

void TChannelInfo::SetTuner(IChannelTuner* tuner) {
  tuner_ = tuner;
  if (tuner_) verifyCount_ = tuner_->SignalReadings();
}

TChannelRecord* TChannelInfo::ChannelRecord(bool cable, int n) {
  return n >= 1 && n <= kChannelCount ? &(cable ? cable_ : antenna_)[size_t(n - 1)] : nullptr;
}

const TChannelRecord* TChannelInfo::ChannelRecord(bool cable, int n) const {
  return const_cast<TChannelInfo*>(this)->ChannelRecord(cable, n);
}

TMemoryChannelRecord* TChannelInfo::MemoryRecord(int n) {
  return n >= 1 && n <= kMemoryCount ? &memories_[size_t(n - 1)] : nullptr;
}

TFMMemoryChannelRecord* TChannelInfo::FMRecord(int n) {
  return n >= 1 && n <= kMemoryCount ? &fmMemories_[size_t(n - 1)] : nullptr;
}

// --- selection -----------------------------------------------------------------------------

int TChannelInfo::TableSize() const {
  return currentTable_ == kMemory || currentTable_ == kFM ? kMemoryCount : kChannelCount;
}

qint32& TChannelInfo::CurrentRef() {
  return currentTable_ == kMemory ? curMemory_ : currentTable_ == kFM ? curFM_ : curChannel_;
}

qint32& TChannelInfo::PreviousRef() {
  return currentTable_ == kMemory ? prevMemory_ : currentTable_ == kFM ? prevFM_ : prevChannel_;
}

int TChannelInfo::CurrentChannel() const { return const_cast<TChannelInfo*>(this)->CurrentRef(); }

void TChannelInfo::SetTable(int t) {
  if (t < kAntenna || t > kFM || t == currentTable_) return;
  currentTable_ = quint8(t);
  if (OnTableChange) OnTableChange(*this, t);
  SelectChannel(CurrentChannel());
}

void TChannelInfo::ReselectTable(int t) {
  currentTable_ = kNoTable;
  SetTable(t);
}

void TChannelInfo::SetCountryPlan(int tableIndex, int standard) {
  tableIndex_ = quint8(tableIndex);
  standard_ = quint8(standard);
}

void TChannelInfo::SetSetupChoices(int cableType, int tableIndex, int tvSystemChoice) {
  cableTypeChoice_ = quint8(cableType);
  tableIndex_ = quint8(tableIndex);
  tvSystemChoice_ = quint8(tvSystemChoice);
}

void TChannelInfo::SetInputStandards(int composite, int svideo) {
  compositeStandard_ = quint8(composite);
  sVideoStandard_ = quint8(svideo);
}

void TChannelInfo::RestoreTables(const TChannelTable& antenna, const TChannelTable& cable) {
  antenna_ = antenna;
  cable_ = cable;
}

TChannelInfo::Entry TChannelInfo::EntryOf(int n) const {
  Entry entry;
  if (currentTable_ == kFM) {
    entry.frequency = fmMemories_[size_t(n - 1)].Frequency;
    entry.name = fmMemories_[size_t(n - 1)].Name;
    return entry;
  }
  const TChannelRecord* record = nullptr;
  if (currentTable_ == kMemory) {
    const TMemoryChannelRecord& memory = memories_[size_t(n - 1)];
    entry.name = memory.Name;
    // A memory entry that points nowhere tunes frequency 0 and keeps the standard and sound.
    if (memory.Source <= kCable) record = ChannelRecord(memory.Source == kCable, memory.Channel);
    entry.standard = standard_;
    entry.audioMode = audioMode_;
  } else {
    record = ChannelRecord(currentTable_ == kCable, n);
    entry.name = record->Name;
  }
  if (record) {
    entry.frequency = record->Frequency;
    entry.standard = record->Standard;
    entry.audioMode = record->AudioMode;
  }
  return entry;
}

void TChannelInfo::SelectChannel(int n) {
  if (currentTable_ > kFM || n < 1 || n > TableSize()) {
    if (OnChannelChange) OnChannelChange(*this, CurrentChannel(), QString());
    return;
  }
  qint32& current = CurrentRef();
  if (n != current) {
    PreviousRef() = current;
    current = n;
  }
  const Entry entry = EntryOf(n);
  QString text = entry.name;
  if (currentTable_ == kFM) {
    if (tuner_) tuner_->SetFMFrequency(entry.frequency);
  } else {
    QString modeName;
    TuneTV(entry, modeName);
    if (!modeName.isEmpty()) text = entry.name + QStringLiteral("- ") + modeName;
  }
  if (OnChannelChange) OnChannelChange(*this, n, text);
}

void TChannelInfo::TuneTV(const Entry& entry, QString& modeName) {
  if (tuner_) {
    ApplyStandard(entry.standard);
    tuner_->SetLineMute(true);
    tuner_->SetSignalReadings(std::clamp(verifyCount_, 1, kMaxVerifyCount));
    tuner_->SetTVFrequency(entry.frequency);
    if (entry.audioMode != audioMode_) {
      for (int i = 0; i < kAudioModeTries; ++i) {
        platform::Wait(kAudioModeRetryMs);
        SetAudioMode(entry.audioMode);
        if (audioMode_ == entry.audioMode || audioMode_ == kNoAudioMode) break;
      }
      if (audioMode_ == kNoAudioMode) SetAudioMode(0);
    }
  }
  modeName = AudioModeName(audioMode_, entry.standard);
  if (tuner_) {
    platform::Wait(kUnmuteDelayMs);
    tuner_->SetLineMute(false);
  }
}

int TChannelInfo::ChannelUp() {
  SelectChannel(NextValid(CurrentChannel()));
  return CurrentChannel();
}

int TChannelInfo::ChannelDown() {
  SelectChannel(PrevValid(CurrentChannel()));
  return CurrentChannel();
}

int TChannelInfo::Recall() {
  SelectChannel(PreviousRef());
  return CurrentChannel();
}

bool TChannelInfo::IsValid(int n) const {
  switch (currentTable_) {
    case kAntenna:
    case kCable: {
      const TChannelRecord* record = ChannelRecord(currentTable_ == kCable, n);
      return record && record->Valid;
    }
    case kMemory:
      return n >= 1 && n <= kMemoryCount && memories_[size_t(n - 1)].Valid;
    case kFM:
      return n >= 1 && n <= kMemoryCount && fmMemories_[size_t(n - 1)].Frequency != 0;
    default:
      return false;
  }
}

// Channel numbers may come from a file; the searches stay inside 1..size whatever c is.
int TChannelInfo::NextValid(int c) const {
  const qint64 size = TableSize();
  for (qint64 i = std::max<qint64>(qint64(c) + 1, 1); i <= size; ++i)
    if (IsValid(int(i))) return int(i);
  for (qint64 i = 1; i <= std::min<qint64>(qint64(c) - 1, size); ++i)
    if (IsValid(int(i))) return int(i);
  return c;
}

int TChannelInfo::PrevValid(int c) const {
  const qint64 size = TableSize();
  for (qint64 i = std::min<qint64>(qint64(c) - 1, size); i >= 1; --i)
    if (IsValid(int(i))) return int(i);
  for (qint64 i = size; i >= std::max<qint64>(qint64(c) + 1, 1); --i)
    if (IsValid(int(i))) return int(i);
  return c;
}

int TChannelInfo::ValidCount() const {
  if (currentTable_ > kFM) return 0;
  int count = 0;
  for (int n = 1; n <= TableSize(); ++n) count += IsValid(n) ? 1 : 0;
  return count;
}

// --- standard, country, source, audio ---------------------------------------------------------

int TChannelInfo::DirectShowStandard(int index) {
  return index >= 0 && index < int(std::size(kDirectShowStandards)) ? kDirectShowStandards[index]
                                                                    : 0;
}

QString TChannelInfo::AudioModeName(int mode, int standard) {
  if (mode < 0 || mode > 4) return {};
  const QString name = QString::fromLatin1(kAudioModeNames[mode][standard == 0 ? 0 : standard == 1 ? 1 : 2]);
  // Shown to a person only: in the language of the run ("SAP 2" has the key AudioSAP2).
  return LanguageText(("Audio" + QString(name).remove(' ')).toLatin1().constData(), name);
}

void TChannelInfo::SetStandard(int s) {
  standard_ = quint8(s);
  for (auto* table : {&antenna_, &cable_})
    for (TChannelRecord& record : *table) record.Standard = standard_;
  if (tuner_ && chipFamily_ == 3)
    tuner_->SetVendorStandard(s == 0 ? 1 : s == 1 ? 2 : 3);
}

bool TChannelInfo::ApplyStandard(int s) {
  const int value = DirectShowStandard(s);
  if (!tuner_ || value == 0 || !tuner_->SetVideoStandard(value)) return false;
  if (OnStandardChange) OnStandardChange(*this, tuner_->VideoStandard());
  return true;
}

bool TChannelInfo::ChangeStandard(int s) {
  bool ok = ApplyStandard(s);
  if (ok && chipFamily_ >= 2 && chipFamily_ <= 4) ok = tuner_->RestartPreview();
  if (!ok) ShowErrorCode(kCannotSetStandard);
  return ok;
}

bool TChannelInfo::SetCountryCode(int c) {
  countryCode_ = c;
  return tuner_ && tuner_->SetCountryCode(c);
}

bool TChannelInfo::SetVideoSource(int v) {
  if (v == videoSource_) return true;
  const bool routed = v >= kTuner && v <= kCamera && tuner_ && tuner_->SelectVideoSource(v);
  videoSource_ = quint8(v);
  if (routed && OnSourceChange) OnSourceChange(*this);
  return routed;
}

bool TChannelInfo::SetAudioMode(int m) {
  if (m < 0 || m >= kNoAudioMode || !tuner_ || !tuner_->SetTVAudioMode(m)) return false;
  audioMode_ = quint8(m);
  if (OnAudioModeChange) OnAudioModeChange(*this, m, AudioModeName(m, standard_));
  return true;
}

void TChannelInfo::SaveState() {
  savedChannel_ = CurrentChannel();
  savedTable_ = currentTable_;
  savedSource_ = videoSource_;
  stateSaved_ = true;
}

void TChannelInfo::RestoreState() {
  if (!stateSaved_) return;
  SetVideoSource(savedSource_);
  audioMode_ = kNoAudioMode;
  SetTable(savedTable_);
  SelectChannel(savedChannel_);
  stateSaved_ = false;
}

void TChannelInfo::WriteBackSavedState() {
  if (!stateSaved_) return;
  // CurFM stays as listened to.
  videoSource_ = savedSource_;
  currentTable_ = savedTable_;
  if (currentTable_ == kMemory)
    curMemory_ = savedChannel_;
  else if (currentTable_ < kMemory)
    curChannel_ = savedChannel_;
}

// --- editing -----------------------------------------------------------------------------------

bool TChannelInfo::InsertChannel(int n, bool cable) {
  const TChannelRecord* at = ChannelRecord(cable, n);
  if (!at) return false;
  const quint32 frequency = at->Frequency;
  TChannelTable& table = cable ? cable_ : antenna_;
  std::move_backward(table.begin() + (n - 1), table.end() - 1, table.end());
  table[size_t(n - 1)] = {true, false, standard_, 0, frequency, frequency, {}, {}};
  return true;
}

bool TChannelInfo::DeleteChannel(int n, bool cable) {
  if (!ChannelRecord(cable, n)) return false;
  TChannelTable& table = cable ? cable_ : antenna_;
  std::move(table.begin() + n, table.end(), table.begin() + (n - 1));
  table.back() = {false, false, standard_, 0, 0, 0, {}, {}};
  return true;
}

bool TChannelInfo::InsertMemory(int n) {
  if (!MemoryRecord(n)) return false;
  std::move_backward(memories_.begin() + (n - 1), memories_.end() - 1, memories_.end());
  memories_[size_t(n - 1)] = {true, kAntenna, n, MemoryName(n)};
  return true;
}

bool TChannelInfo::DeleteMemory(int n) {
  if (!MemoryRecord(n)) return false;
  std::move(memories_.begin() + n, memories_.end(), memories_.begin() + (n - 1));
  memories_.back() = {};
  return true;
}

void TChannelInfo::Reset() {
  tableIndex_ = 0;
  standard_ = 0;
  countryCode_ = 0;
  tvSystemChoice_ = kChoiceByCountry;
  cableTypeChoice_ = 2;
  abortScan_ = false;
  currentTable_ = kNoTable;
  videoSource_ = kNoSource;
  audioMode_ = kNoAudioMode;
  compositeStandard_ = sVideoStandard_ = 0;
  prevChannel_ = curChannel_ = curMemory_ = prevMemory_ = curFM_ = prevFM_ = 4;
  scanning_ = false;
  verifyOptionShown_ = QFileInfo::exists(platform::ProgramFolder() + kVerifyOptionFile);
  antenna_.fill({});
  cable_.fill({});
  for (int n = 1; n <= kMemoryCount; ++n) {
    memories_[size_t(n - 1)] = {true, kAntenna, n, MemoryName(n)};
    fmMemories_[size_t(n - 1)] = {kFMDefaultBase + quint32(n) * kFMDefaultStep, FMMemoryName(n)};
  }
}

void TChannelInfo::SpreadFMMemories(qint64 low, qint64 high) {
  const qint64 step = (high - low) / kMemoryCount;
  if (step < 1) return;
  for (int n = 1; n <= kMemoryCount; ++n)
    fmMemories_[size_t(n - 1)] = {quint32(std::min(low + n * step, high)), FMMemoryName(n)};
}

QString TChannelInfo::MemoryName(int n) { return LanguageText("MemoryName", "Memory %1").arg(n); }
QString TChannelInfo::FMMemoryName(int n) { return LanguageText("FMMemoryName", "FM Memory %1").arg(n); }

void TChannelInfo::KeepFMFrequency(quint32 hertz) {
  if (currentTable_ == kFM && hertz != 0) lastFMHeard_ = hertz;
}

// --- scans -------------------------------------------------------------------------------------

bool TChannelInfo::TuneAndRead(qint64 hertz, qint32& offset) {
  tuner_->SetSignalReadings(std::clamp(verifyCount_, 1, kMaxVerifyCount));
  tuner_->SetTVFrequency(quint32(hertz));
  offset = tuner_->PLLOffset();
  return tuner_->SignalLocked();
}

bool TChannelInfo::AutoScan(int kind, const TScanListener& listener) {
  // A scan started from within a running one (its message pumping) would clear the other's abort.
  if (scanning_) return false;
  abortScan_ = false;
  if (!tuner_) return false;
  ApplyStandard(standard_);
  scanning_ = true;
  bool aborted = false;
  if (kind != 1) aborted = AutoScanPass(false, 0, listener);
  if (!aborted && kind != 0) AutoScanPass(true, kind, listener);
  scanning_ = false;
  return true;
}

// One pass over a table; true when it was aborted.
bool TChannelInfo::AutoScanPass(bool cable, int kind, const TScanListener& listener) {
  int count = 0;
  int last = kChannelCount;
  for (int n = 1; n <= kChannelCount; ++n) {
    TChannelRecord& record = (cable ? cable_ : antenna_)[size_t(n - 1)];
    bool locked = false;
    qint32 offset = 0;
    // A channel without a frequency is no channel; the tune call would try 100 MHz instead.
    if (record.DefaultFrequency != 0) locked = TuneAndRead(record.DefaultFrequency, offset);
    record.Found = record.Valid = locked;
    if (locked) ++count;
    platform::PumpMessages();
    if (abortScan_) {
      last = n - 1;
      break;
    }
    if (listener.AutoProgress) listener.AutoProgress(*this, n, record.Valid, !cable);
    if (OnAutoScanProgress) OnAutoScanProgress(*this, n, record.Valid, !cable);
  }
  const bool aborted = abortScan_;
  if (listener.AutoDone) listener.AutoDone(*this, last, count, kind, aborted);
  if (OnAutoScanDone) OnAutoScanDone(*this, last, count, kind, aborted);
  return aborted;
}

bool TChannelInfo::FindCentre(qint64& f, qint32 d0, qint64 step) {
  const qint64 top = tuner_->TVMax();
  qint64 g = f;
  qint32 d = 0;
  if (d0 != 0) {
    for (;;) {
      g += step;
      if (g > top || !TuneAndRead(g, d)) return false;
      if (d == 0) break;
      // Offsets of opposite sign around the carrier: the station lies between.
      if ((qint64(d) + d0) / 2 == 0) {
        f = g;
        return true;
      }
    }
    f = g;
  }
  // Centred: follow the carrier while the offset stays 0.
  for (;;) {
    g += step;
    if (g > top || !TuneAndRead(g, d) || d != 0) return true;
    f = g;
  }
}

bool TChannelInfo::FreeScan(qint64 step, const TScanListener& listener) {
  if (scanning_ || !tuner_ || step < 1) return false;
  tuner_->SetCoarseTuning(true);
  antenna_.fill({});
  cable_.fill({});
  for (int n = 1; n <= kMemoryCount; ++n) memories_[size_t(n - 1)] = {true, kAntenna, n, MemoryName(n)};
  ApplyStandard(standard_);
  scanning_ = true;
  abortScan_ = false;

  // Frequency 0 would be tuned as 100 MHz; the sweep starts at 1 Hz at the lowest.
  qint64 f = std::max<qint64>(tuner_->TVMin(), 1);
  int slot = 1;
  int count = 0;
  while (f <= tuner_->TVMax() && slot <= kChannelCount && !abortScan_) {
    qint32 d0 = 0;
    const bool signal = TuneAndRead(f, d0);
    if (listener.FreeProgress) listener.FreeProgress(*this, slot, quint32(f), false);
    if (OnFreeScanProgress) OnFreeScanProgress(*this, slot, quint32(f), false);
    bool found = false;
    if (signal) {
      found = FindCentre(f, d0, step);
      if (found) {
        TChannelRecord& record = antenna_[size_t(slot - 1)];
        record.Frequency = record.DefaultFrequency = quint32(f);
        record.Valid = record.Found = true;
        record.AudioMode = 0;
      }
      if (listener.FreeProgress) listener.FreeProgress(*this, slot, quint32(f), found);
      if (OnFreeScanProgress) OnFreeScanProgress(*this, slot, quint32(f), found);
      if (found) {
        ++slot;
        ++count;
      }
    }
    if (found) f += standard_ <= 1 ? kNtscSkipHz : kOtherSkipHz;
    f += step;
    platform::PumpMessages();
  }

  cable_ = antenna_;
  if (listener.FreeDone) listener.FreeDone(*this, count, abortScan_);
  if (OnFreeScanDone) OnFreeScanDone(*this, count, abortScan_);
  scanning_ = false;
  tuner_->SetCoarseTuning(false);
  return true;
}

}  // namespace pvx::settings
