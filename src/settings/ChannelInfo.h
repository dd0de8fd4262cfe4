#pragma once
// The channel tables: 160 antenna and 160 cable channels, 50 memory channels that point into
// them and 50 FM memories, with the current table, channel, video source, TV standard and audio
// mode. Selecting a channel is where a table entry becomes tuner operations; the auto scan and
// the free scan fill the tables. Every change is announced through the events.

#include <QString>
#include <array>
#include <functional>

namespace pvx::settings {

class IChannelTuner;

struct TChannelRecord {
  bool Valid = false;  // takes part in channel up/down, counting and the preview grid
  bool Found = false;  // the last auto scan found a signal here
  quint8 Standard = 0;
  quint8 AudioMode = 0;
  quint32 Frequency = 0;         // tuned, after fine tuning
  quint32 DefaultFrequency = 0;  // from the frequency table; the auto scan tunes this one
  QString Name;
  QString Name2;
  bool operator==(const TChannelRecord&) const = default;
};

struct TMemoryChannelRecord {
  bool Valid = false;
  quint8 Source = 0;  // 0 antenna table, 1 cable table
  qint32 Channel = 0;
  QString Name;
  bool operator==(const TMemoryChannelRecord&) const = default;
};

struct TFMMemoryChannelRecord {
  quint32 Frequency = 0;  // 0: empty
  QString Name;
  bool operator==(const TFMMemoryChannelRecord&) const = default;
};

class TChannelInfo {
 public:
  static constexpr int kChannelCount = 160;
  static constexpr int kMemoryCount = 50;
  enum : quint8 { kAntenna = 0, kCable = 1, kMemory = 2, kFM = 3, kNoTable = 4 };
  enum : quint8 { kTuner = 0, kComposite = 1, kSVideo = 2, kCamera = 3, kNoSource = 4 };
  static constexpr quint8 kNoAudioMode = 5;
  static constexpr quint8 kChoiceByCountry = 11;
  static constexpr quint32 kFMDefaultBase = 87500000;
  static constexpr quint32 kFMDefaultStep = 400000;
  static constexpr const char* kVerifyOptionFile = "MaxAutoScan.cfg";

  using TChannelTable = std::array<TChannelRecord, kChannelCount>;  // channel n at [n - 1]

  TChannelInfo();
  TChannelInfo(const TChannelInfo&) = delete;
  TChannelInfo& operator=(const TChannelInfo&) = delete;

  // The card to tune; nullptr when there is no capture engine (scans then fail). Takes the
  // tuner's lock readings (the chip family's count) as VerifyCount.
  void SetTuner(IChannelTuner* tuner);
  // The card's chip family: family 3 takes a vendor setting with each standard, and families
  // 2 to 4 need the preview restarted for a new standard.
  void SetChipFamily(int family) { chipFamily_ = family; }
  IChannelTuner* Tuner() const { return tuner_; }

  // --- tables --------------------------------------------------------------------------------
  // Record n (1..160) of the antenna or the cable table; nullptr outside 1..160.
  TChannelRecord* ChannelRecord(bool cable, int n);
  const TChannelRecord* ChannelRecord(bool cable, int n) const;
  const TChannelTable& Table(bool cable) const { return cable ? cable_ : antenna_; }
  TMemoryChannelRecord* MemoryRecord(int n);
  TFMMemoryChannelRecord* FMRecord(int n);

  // Selects table t (0..3) and its current channel; ignored for any other t and for the
  // table already current.
  void SetTable(int t);
  int CurrentChannel() const;
  // Out of range: tunes nothing and announces the current channel with an empty text.
  void SelectChannel(int n);
  // Select the next, previous or recall channel; the result is the channel now current.
  int ChannelUp();
  int ChannelDown();
  int Recall();
  // The next (previous) valid entry of the current table after c, wrapping; c when none.
  int NextValid(int c) const;
  int PrevValid(int c) const;
  bool IsValid(int n) const;
  int ValidCount() const;

  // --- standard, country, source, audio ----------------------------------------------------
  // The object's and every record's standard.
  void SetStandard(int s);
  // Sets index s on the tuner; announces the standard the tuner then reports.
  bool ApplyStandard(int s);
  // Apply, and restart the preview where the chip needs it; shows 2009 on failure.
  bool ChangeStandard(int s);
  bool SetCountryCode(int c);
  bool SetVideoSource(int v);
  bool SetAudioMode(int m);
  bool SetupNeeded() const { return countryCode_ <= 0 && tvSystemChoice_ == kChoiceByCountry; }

  // The TV state kept while FM runs. Restore tunes it again and forgets it; it does nothing
  // when nothing was saved.
  void SaveState();
  void RestoreState();
  bool HasSavedState() const { return stateSaved_; }
  void DropSavedState() { stateSaved_ = false; }
  // The saved state written back as it was, tuning nothing (the settings file keeps TV's
  // channel while the program ends in FM).
  void WriteBackSavedState();

  // --- editing -------------------------------------------------------------------------------
  bool InsertChannel(int n, bool cable);
  bool DeleteChannel(int n, bool cable);
  bool InsertMemory(int n);
  bool DeleteMemory(int n);
  // Everything back to the defaults except the tuner, VerifyCount and the events.
  void Reset();
  // FM memory n gets low + n x (high - low) / 50, never above high; a step below 1 Hz changes
  // nothing.
  void SpreadFMMemories(qint64 low, qint64 high);
  // FM radio tuned `hertz` (a memory, a step, the dial, a seek): while the FM table is current it
  // is the station last heard, where FM starts again in this run. The memories stay as the user
  // stored them.
  void KeepFMFrequency(quint32 hertz);
  quint32 LastFMHeard() const { return lastFMHeard_; }

  // --- scans ---------------------------------------------------------------------------------
  // What a scan reports to the one who started it.
  struct TScanListener {
    std::function<void(TChannelInfo&, int channel, bool valid, bool antenna)> AutoProgress;
    std::function<void(TChannelInfo&, int lastChannel, int found, int kind, bool aborted)> AutoDone;
    std::function<void(TChannelInfo&, int slot, quint32 frequency, bool found)> FreeProgress;
    std::function<void(TChannelInfo&, int found, bool aborted)> FreeDone;
  };
  // Kind 0 antenna, 1 cable, 2 both. False without a tuner or while a scan runs.
  bool AutoScan(int kind, const TScanListener& listener = {});
  // Sweeps the tuner's TV range in steps of `step` Hz. False without a tuner, while a scan runs
  // or for a step below 1 Hz.
  bool FreeScan(qint64 step, const TScanListener& listener = {});

  // --- names and values ----------------------------------------------------------------------
  // The analogue video standard an index 0..9 is set as; 0 for any other index.
  static int DirectShowStandard(int index);
  // "Mono", "Stereo", "SAP" ... as the standard index names them; empty for mode 5 and beyond.
  static QString AudioModeName(int mode, int standard);
  // Names given to new memories, in the language of the run (the user may rename them).
  static QString MemoryName(int n);
  static QString FMMemoryName(int n);

  // --- state ---------------------------------------------------------------------------------
  quint8 TableIndex() const { return tableIndex_; }  // record of TVTable.tbl
  quint8 Standard() const { return standard_; }
  qint32 CountryCode() const { return countryCode_; }
  quint8 TVSystemChoice() const { return tvSystemChoice_; }
  quint8 CableTypeChoice() const { return cableTypeChoice_; }  // 0 antenna, 1 cable, 2 both
  quint8 CurrentTable() const { return currentTable_; }
  quint8 VideoSource() const { return videoSource_; }
  quint8 AudioMode() const { return audioMode_; }
  quint8 CompositeStandard() const { return compositeStandard_; }
  quint8 SVideoStandard() const { return sVideoStandard_; }
  // The current and previous entry of each table.
  qint32 CurChannel() const { return curChannel_; }
  qint32 PrevChannel() const { return prevChannel_; }
  qint32 CurMemory() const { return curMemory_; }
  qint32 PrevMemory() const { return prevMemory_; }
  qint32 CurFM() const { return curFM_; }
  qint32 PrevFM() const { return prevFM_; }
  bool Scanning() const { return scanning_; }
  bool AbortRequested() const { return abortScan_; }
  // Lock readings per TV tuning; handed to the tuner before each tuning of this object.
  qint32 VerifyCount() const { return verifyCount_; }
  bool VerifyOptionShown() const { return verifyOptionShown_; }
  const TChannelTable& AntennaChannels() const { return antenna_; }
  const TChannelTable& CableChannels() const { return cable_; }
  const std::array<TMemoryChannelRecord, kMemoryCount>& MemoryChannels() const { return memories_; }
  const std::array<TFMMemoryChannelRecord, kMemoryCount>& FMChannels() const { return fmMemories_; }

  // The running scan stops at its next step.
  void RequestAbort() { abortScan_ = true; }
  // The country's frequency table and standard, without tuning anything.
  void SetCountryPlan(int tableIndex, int standard);
  // What the setup wizard chose: antenna/cable/both, the frequency table and the TV system
  // (kChoiceByCountry: the country decides).
  void SetSetupChoices(int cableType, int tableIndex, int tvSystemChoice);
  void SetVerifyCount(int count) { verifyCount_ = count; }
  // The standards the composite and S-Video inputs are switched to.
  void SetInputStandards(int composite, int svideo);
  // No input is selected: the next source choice routes again.
  void ForgetVideoSource() { videoSource_ = kNoSource; }
  // Selects table t and tunes its channel again even when t is current.
  void ReselectTable(int t);
  // Both channel tables at once, as a cancelled setup puts them back.
  void RestoreTables(const TChannelTable& antenna, const TChannelTable& cable);
  void ClearMemories() { memories_.fill({}); }

  // --- events (sender first) -----------------------------------------------------------------
  std::function<void(TChannelInfo&, int channel, const QString& text)> OnChannelChange;
  std::function<void(TChannelInfo&, int table)> OnTableChange;
  std::function<void(TChannelInfo&)> OnSourceChange;
  std::function<void(TChannelInfo&, int mode, const QString& name)> OnAudioModeChange;
  std::function<void(TChannelInfo&, int standard)> OnStandardChange;
  // Every scan's steps and end, whoever started it (observers; the starter's listener hears them too).
  std::function<void(TChannelInfo&, int channel, bool valid, bool antenna)> OnAutoScanProgress;
  std::function<void(TChannelInfo&, int lastChannel, int found, int kind, bool aborted)> OnAutoScanDone;
  std::function<void(TChannelInfo&, int slot, quint32 frequency, bool found)> OnFreeScanProgress;
  std::function<void(TChannelInfo&, int found, bool aborted)> OnFreeScanDone;

 private:
  friend struct TChannelFileAccess;  // QDVCR2.cfg reads and writes the stored state whole
  friend struct TChannelInfoPeer;    // the model's own unit tests set up exact states

  qint32 savedChannel_ = 0;
  quint8 savedTable_ = kNoTable;
  quint8 savedSource_ = kNoSource;
  bool stateSaved_ = false;

  struct Entry {
    quint32 frequency = 0;
    int standard = 0;
    int audioMode = kNoAudioMode;
    QString name;
  };
  Entry EntryOf(int n) const;
  void TuneTV(const Entry& entry, QString& modeName);
  int TableSize() const;
  qint32& CurrentRef();
  qint32& PreviousRef();
  bool AutoScanPass(bool cable, int kind, const TScanListener& listener);
  bool TuneAndRead(qint64 hertz, qint32& offset);
  // Steps up from f while the signal holds; true and f moved to the station's centre on a find.
  bool FindCentre(qint64& f, qint32 d0, qint64 step);

  IChannelTuner* tuner_ = nullptr;
  int chipFamily_ = 0;
  quint8 tableIndex_ = 0;
  quint8 standard_ = 0;
  qint32 countryCode_ = 0;
  quint8 tvSystemChoice_ = kChoiceByCountry;
  quint8 cableTypeChoice_ = 2;
  bool abortScan_ = false;
  quint8 currentTable_ = kNoTable;
  quint8 videoSource_ = kNoSource;
  quint8 audioMode_ = kNoAudioMode;
  quint8 compositeStandard_ = 0;
  quint8 sVideoStandard_ = 0;
  qint32 prevChannel_ = 4, curChannel_ = 4;
  qint32 curMemory_ = 4, prevMemory_ = 4;
  qint32 curFM_ = 4, prevFM_ = 4;
  quint32 lastFMHeard_ = 0;  // not stored: the memories are
  bool scanning_ = false;
  qint32 verifyCount_ = 1;
  bool verifyOptionShown_ = false;
  // QDVCR2.cfg could not be read at start-up: the save leaves it alone so no channel is lost.
  bool keepStoredFile_ = false;
  TChannelTable antenna_{};
  TChannelTable cable_{};
  std::array<TMemoryChannelRecord, kMemoryCount> memories_{};
  std::array<TFMMemoryChannelRecord, kMemoryCount> fmMemories_{};
};

}  // namespace pvx::settings
