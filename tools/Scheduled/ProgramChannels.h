#pragma once
// The program's own channel lists, read from its channel settings file, as the scheduler offers
// them: every usable antenna, cable, memory and FM channel with its number and name.

#include <QList>
#include <QString>
#include <optional>

namespace pvx::scheduled {

struct TProgramChannel {
  qint32 Source = 0;  // a relay source kind
  qint32 Channel = 0;
  QString Name;       // may be empty
  QString Label() const;  // "12 Seven Sports", or "12"
};

// The channels of one source kind, in list order; the inputs have none.
QList<TProgramChannel> ProgramChannels(qint32 source);
// Every named channel of every list; memory channels first, as the user chose those.
QList<TProgramChannel> NamedProgramChannels();
// The channel whose name matches (ignoring case and surrounding blanks).
std::optional<TProgramChannel> FindProgramChannel(const QList<TProgramChannel>& channels,
                                                  const QString& name);

}  // namespace pvx::scheduled
