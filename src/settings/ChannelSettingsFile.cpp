#include "settings/ChannelSettingsFile.h"

#include <memory>

#include "settings/ChannelInfo.h"
#include "settings/ChannelTuner.h"
#include "settings/PreviewInfo.h"
#include "settings/StoredFile.h"
#include "util/RecordIO.h"

namespace pvx::settings {
namespace {

using namespace pvx::util;

constexpr int kCorrupted = 1104;

qint32 NotBelowZero(qint32 v) { return v < 0 ? 0 : v; }
// Byte-sized values are stored as integers and keep their low byte.
quint8 Byte(qint32 v) { return static_cast<quint8>(NotBelowZero(v)); }

// Everything the file holds, read in full before any of it is applied.
struct Stored {
  quint8 tableIndex, standard, tvSystemChoice, cableTypeChoice, currentTable;
  qint32 countryCode;
  quint8 compositeStandard, sVideoStandard;
  TChannelInfo::TChannelTable antenna, cable;
  std::array<TMemoryChannelRecord, TChannelInfo::kMemoryCount> memory;
  std::array<TFMMemoryChannelRecord, TChannelInfo::kMemoryCount> fm;
  qint32 curChannel, prevChannel, curMemory, prevMemory, curFM, prevFM;
  quint8 videoSource;
  bool customize;
  qint32 dimension, interval;
  TPreviewInfo::TGrid<TSourceMapCell> customGrid;
};

}  // namespace

// The channel model's stored state, which only this file reads and writes whole.
struct TChannelFileAccess {
  // The operations run once the tables they select from are in place, so loading tunes the
  // stored channel of the stored table.
  static void Apply(const Stored& s, TChannelInfo& c) {
    c.tableIndex_ = s.tableIndex;
    c.SetStandard(s.standard);
    c.SetCountryCode(s.countryCode);
    c.tvSystemChoice_ = s.tvSystemChoice;
    c.cableTypeChoice_ = s.cableTypeChoice;
    c.compositeStandard_ = s.compositeStandard;
    c.sVideoStandard_ = s.sVideoStandard;
    c.antenna_ = s.antenna;
    c.cable_ = s.cable;
    c.memories_ = s.memory;
    c.fmMemories_ = s.fm;
    c.curChannel_ = s.curChannel;
    c.prevChannel_ = s.prevChannel;
    c.curMemory_ = s.curMemory;
    c.prevMemory_ = s.prevMemory;
    c.curFM_ = s.curFM;
    c.prevFM_ = s.prevFM;
    c.SetTable(s.currentTable);
    c.SetVideoSource(s.videoSource);
  }
  static std::array<qint32, 6> Positions(const TChannelInfo& c) {
    return {c.curChannel_, c.prevChannel_, c.curMemory_, c.prevMemory_, c.curFM_, c.prevFM_};
  }
  static void KeepStoredFile(TChannelInfo& c, bool keep) { c.keepStoredFile_ = keep; }
  static bool KeepsStoredFile(const TChannelInfo& c) { return c.keepStoredFile_; }
};

namespace {

void ReadTable(QIODevice& in, TChannelInfo::TChannelTable& table) {
  for (TChannelRecord& r : table) {
    r.Valid = ReadBoolean(in);
    r.Found = ReadBoolean(in);
    r.Standard = Byte(ReadInteger(in));
    r.AudioMode = Byte(ReadInteger(in));
    r.Frequency = static_cast<quint32>(ReadInteger(in));
    r.DefaultFrequency = static_cast<quint32>(ReadInteger(in));
    r.Name = ReadString(in);
    r.Name2 = ReadString(in);
  }
}

void ReadBody(QIODevice& in, Stored& s) {
  s.tableIndex = Byte(ReadInteger(in));
  s.standard = Byte(ReadInteger(in));
  s.countryCode = NotBelowZero(ReadInteger(in));
  s.tvSystemChoice = Byte(ReadInteger(in));
  s.cableTypeChoice = Byte(ReadInteger(in));
  s.currentTable = Byte(ReadInteger(in));
  s.compositeStandard = Byte(ReadInteger(in));
  s.sVideoStandard = Byte(ReadInteger(in));
  ReadTable(in, s.antenna);
  ReadTable(in, s.cable);
  for (TMemoryChannelRecord& m : s.memory) {
    m.Valid = ReadBoolean(in);
    m.Source = Byte(ReadInteger(in));
    m.Channel = ReadInteger(in);
    m.Name = ReadString(in);
  }
  for (TFMMemoryChannelRecord& f : s.fm) {
    f.Frequency = static_cast<quint32>(ReadInteger(in));
    f.Name = ReadString(in);
  }
  for (qint32* v :
       {&s.curChannel, &s.prevChannel, &s.curMemory, &s.prevMemory, &s.curFM, &s.prevFM})
    *v = ReadInteger(in);
  s.videoSource = Byte(ReadInteger(in));
  s.customize = ReadBoolean(in);
  s.dimension = ReadInteger(in);
  s.interval = ReadInteger(in);
  for (auto& row : s.customGrid) {
    for (TSourceMapCell& cell : row) {
      cell.Kind = Byte(ReadInteger(in));
      cell.Channel = ReadInteger(in);
    }
  }
}

void Apply(const Stored& s, TChannelInfo& c, TPreviewInfo& p) {
  TChannelFileAccess::Apply(s, c);
  p.Customize = s.customize;
  if (s.dimension < 1)
    p.Dimension = TPreviewInfo::kDefaultDimension;
  else
    p.SetDimension(s.dimension);
  p.Interval = s.interval < 1 ? TPreviewInfo::kDefaultInterval : s.interval;
  p.CustomGrid = s.customGrid;
}

// Reads every value and checks both marks; nothing is applied here.
bool Parse(QIODevice& in, Stored& s) {
  if (ReadInteger(in) != TChannelSettingsFile::kMagic) return false;
  ReadBody(in, s);
  return ReadInteger(in) == TChannelSettingsFile::kTrailer;
}

const TStoredFileTexts& Texts() {
  static const TStoredFileTexts texts{kCorrupted, QStringLiteral("Cannot read channel config...."),
                                      QStringLiteral("Cannot write channel config....")};
  return texts;
}

bool WriteTable(QIODevice& out, const TChannelInfo::TChannelTable& table) {
  bool ok = true;
  for (const TChannelRecord& r : table)
    ok = ok && WriteBoolean(out, r.Valid) && WriteBoolean(out, r.Found) &&
         WriteInteger(out, r.Standard) && WriteInteger(out, r.AudioMode) &&
         WriteInteger(out, static_cast<qint32>(r.Frequency)) &&
         WriteInteger(out, static_cast<qint32>(r.DefaultFrequency)) &&
         WriteBoundedString(out, r.Name) && WriteBoundedString(out, r.Name2);
  return ok;
}

bool WriteBody(QIODevice& out, const TChannelInfo& c, const TPreviewInfo& p) {
  bool ok = WriteInteger(out, TChannelSettingsFile::kMagic) && WriteInteger(out, c.TableIndex()) &&
            WriteInteger(out, c.Standard()) && WriteInteger(out, c.CountryCode()) &&
            WriteInteger(out, c.TVSystemChoice()) && WriteInteger(out, c.CableTypeChoice()) &&
            WriteInteger(out, c.CurrentTable()) && WriteInteger(out, c.CompositeStandard()) &&
            WriteInteger(out, c.SVideoStandard()) && WriteTable(out, c.AntennaChannels()) &&
            WriteTable(out, c.CableChannels());
  for (const TMemoryChannelRecord& m : c.MemoryChannels())
    ok = ok && WriteBoolean(out, m.Valid) && WriteInteger(out, m.Source) &&
         WriteInteger(out, m.Channel) && WriteBoundedString(out, m.Name);
  for (const TFMMemoryChannelRecord& f : c.FMChannels())
    ok = ok && WriteInteger(out, static_cast<qint32>(f.Frequency)) &&
         WriteBoundedString(out, f.Name);
  for (qint32 v : TChannelFileAccess::Positions(c)) ok = ok && WriteInteger(out, v);
  ok = ok && WriteInteger(out, c.VideoSource()) && WriteBoolean(out, p.Customize) &&
       WriteInteger(out, p.Dimension) && WriteInteger(out, p.Interval);
  for (const auto& row : p.CustomGrid)
    for (const TSourceMapCell& cell : row)
      ok = ok && WriteInteger(out, cell.Kind) && WriteInteger(out, cell.Channel);
  return ok && WriteInteger(out, TChannelSettingsFile::kTrailer);
}

}  // namespace

bool TChannelSettingsFile::Load(const QString& path, TChannelInfo& channels,
                                TPreviewInfo& preview) {
  auto stored = std::make_unique<Stored>();
  const TStoredFileLoad result =
      LoadStoredFile(path, Texts(), [&](QIODevice& in) { return Parse(in, *stored); });
  if (result == TStoredFileLoad::Loaded) {
    TChannelFileAccess::KeepStoredFile(channels, false);
    Apply(*stored, channels, preview);
    return true;
  }
  channels.Reset();
  TChannelFileAccess::KeepStoredFile(channels, result == TStoredFileLoad::Unreadable);
  if (IChannelTuner* tuner = channels.Tuner())
    channels.SpreadFMMemories(tuner->FMMin(), tuner->FMMax());
  preview.Reset();
  return false;
}

bool TChannelSettingsFile::Save(const QString& path, const TChannelInfo& channels,
                                const TPreviewInfo& preview) {
  if (TChannelFileAccess::KeepsStoredFile(channels)) return false;
  return SaveStoredFile(path, Texts(),
                        [&](QIODevice& out) { return WriteBody(out, channels, preview); });
}

}  // namespace pvx::settings
