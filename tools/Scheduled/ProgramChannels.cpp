#include "ProgramChannels.h"

#include <QFileInfo>

#include "handoff/RelayRecord.h"
#include "platform/ProgramFolder.h"
#include "settings/ChannelInfo.h"
#include "settings/ChannelSettingsFile.h"
#include "settings/PreviewInfo.h"

namespace pvx::scheduled {

namespace {

// A fresh read each time: the program rewrites the file whenever it closes.
void LoadChannels(settings::TChannelInfo& channels) {
  settings::TPreviewInfo preview(channels);
  const QString path = platform::ProgramFolder() + settings::TChannelSettingsFile::kFileName;
  if (QFileInfo(path).isFile()) settings::TChannelSettingsFile::Load(path, channels, preview);
}

}  // namespace

QString TProgramChannel::Label() const {
  return Name.isEmpty() ? QString::number(Channel) : QStringLiteral("%1 %2").arg(Channel).arg(Name);
}

QList<TProgramChannel> ProgramChannels(qint32 source) {
  settings::TChannelInfo channels;
  LoadChannels(channels);
  QList<TProgramChannel> list;
  switch (source) {
    case handoff::rsAntenna:
    case handoff::rsCable:
      for (int n = 1; n <= settings::TChannelInfo::kChannelCount; ++n) {
        const auto* r = channels.ChannelRecord(source == handoff::rsCable, n);
        if (r && r->Valid) list.append({source, n, r->Name});
      }
      break;
    case handoff::rsMemory:
      for (int n = 1; n <= settings::TChannelInfo::kMemoryCount; ++n) {
        const auto* r = channels.MemoryRecord(n);
        if (r && r->Valid) list.append({source, n, r->Name});
      }
      break;
    case handoff::rsFM:
      for (int n = 1; n <= settings::TChannelInfo::kMemoryCount; ++n) {
        const auto* r = channels.FMRecord(n);
        if (r && r->Frequency != 0)
          list.append({source, n, r->Name.isEmpty() ? QStringLiteral("%1 MHz").arg(r->Frequency / 1e6, 0, 'f', 2) : r->Name});
      }
      break;
    default: break;
  }
  return list;
}

QList<TProgramChannel> NamedProgramChannels() {
  QList<TProgramChannel> named;
  for (qint32 source : {handoff::rsMemory, handoff::rsAntenna, handoff::rsCable, handoff::rsFM})
    for (const TProgramChannel& c : ProgramChannels(source))
      if (!c.Name.trimmed().isEmpty()) named.append(c);
  return named;
}

std::optional<TProgramChannel> FindProgramChannel(const QList<TProgramChannel>& channels,
                                                  const QString& name) {
  const QString wanted = name.trimmed();
  for (const TProgramChannel& c : channels)
    if (c.Name.trimmed().compare(wanted, Qt::CaseInsensitive) == 0) return c;
  return std::nullopt;
}

}  // namespace pvx::scheduled
