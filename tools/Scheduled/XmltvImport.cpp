#include "XmltvImport.h"

#include <QHash>
#include <QRegularExpression>
#include <QTimeZone>
#include <QXmlStreamReader>
#include <algorithm>

namespace pvx::scheduled {

QDateTime XmltvTime(const QString& text) {
  static const QRegularExpression form(
      QStringLiteral("^\\s*(\\d{8})(\\d{2})?(\\d{2})?(\\d{2})?\\s*(?:([+-])(\\d{2}):?(\\d{2})|Z|UTC|GMT)?\\s*$"));
  const auto m = form.match(text);
  if (!m.hasMatch()) return {};
  const QDate date = QDate::fromString(m.captured(1), "yyyyMMdd");
  const QTime time(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
  int offset = 0;
  if (!m.captured(5).isEmpty())
    offset = (m.captured(5) == "-" ? -1 : 1) * (m.captured(6).toInt() * 3600 + m.captured(7).toInt() * 60);
  const QDateTime t(date, time, QTimeZone(offset));
  return t.isValid() ? t.toLocalTime() : QDateTime();
}

namespace {

// The stop of each programme in `withoutStop` (indexes into `programmes`) is the earliest start
// on its channel later than its own; programmes starting together all take the one after them.
void GuessStops(QList<TXmltvProgramme>& programmes, const QList<qsizetype>& withoutStop) {
  if (withoutStop.isEmpty()) return;
  QHash<QString, QList<QDateTime>> starts;
  for (const TXmltvProgramme& p : programmes)
    if (p.Start.isValid()) starts[p.ChannelId].append(p.Start);
  for (QList<QDateTime>& channel : starts) std::sort(channel.begin(), channel.end());
  for (const qsizetype i : withoutStop) {
    TXmltvProgramme& p = programmes[i];
    const auto channel = starts.constFind(p.ChannelId);
    if (!p.Start.isValid() || channel == starts.cend()) continue;
    const auto next = std::upper_bound(channel->cbegin(), channel->cend(), p.Start);
    if (next != channel->cend()) p.Stop = *next;
  }
}

}  // namespace

bool ParseXmltv(const QByteArray& xml, QList<TXmltvProgramme>& programmes, QString* reason) {
  QXmlStreamReader reader(xml);
  auto refuse = [&reader, reason] {
    if (reason)
      *reason = reader.hasError() ? "Not an XMLTV listing: " + reader.errorString()
                                  : QStringLiteral("Not an XMLTV listing.");
    return false;
  };
  if (!reader.readNextStartElement() || reader.name() != QLatin1String("tv")) return refuse();
  QHash<QString, QStringList> names;
  QList<TXmltvProgramme> read;
  QList<qsizetype> withoutStop;
  while (reader.readNextStartElement()) {
    if (reader.name() == QLatin1String("channel")) {
      const QString id = reader.attributes().value("id").toString();
      while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("display-name")) names[id] << reader.readElementText().trimmed();
        else reader.skipCurrentElement();
      }
    } else if (reader.name() == QLatin1String("programme")) {
      TXmltvProgramme p;
      p.ChannelId = reader.attributes().value("channel").toString();
      p.Start = XmltvTime(reader.attributes().value("start").toString());
      p.Stop = XmltvTime(reader.attributes().value("stop").toString());
      if (!reader.attributes().hasAttribute("stop")) withoutStop.append(read.size());
      while (reader.readNextStartElement()) {
        // The first title is the listing's main language.
        if (reader.name() == QLatin1String("title") && p.Title.isEmpty()) p.Title = reader.readElementText().trimmed();
        else reader.skipCurrentElement();
      }
      read.append(p);
    } else {
      reader.skipCurrentElement();
    }
  }
  if (reader.hasError()) return refuse();
  GuessStops(read, withoutStop);
  for (TXmltvProgramme& p : read) p.ChannelNames = names.value(p.ChannelId);
  programmes = read;
  return true;
}

QString BaseNameOfTitle(const QString& title) {
  QString name;
  for (const QChar c : title) {
    if (c.unicode() < 32 || c.unicode() > 255 || QStringLiteral("/\\:*?\"<>|").contains(c)) continue;
    name += c;
  }
  name = name.simplified();
  while (name.startsWith('.')) name.remove(0, 1);
  return name.left(120);
}

TXmltvImport EntriesOfProgrammes(const QList<TXmltvProgramme>& programmes,
                                 const QList<TProgramChannel>& channels, const QString& titleFilter) {
  TXmltvImport result;
  for (const TXmltvProgramme& p : programmes) {
    if (!titleFilter.isEmpty() && !p.Title.contains(titleFilter, Qt::CaseInsensitive)) continue;
    const QString what = QStringLiteral("%1 at %2").arg(p.Title, p.Start.toString("yyyy-MM-dd HH:mm"));
    if (!p.Start.isValid() || !p.Stop.isValid() || p.Stop <= p.Start) {
      result.Skipped << what + ": no valid start and stop";
      continue;
    }
    std::optional<TProgramChannel> channel;
    for (const QString& name : p.ChannelNames)
      if ((channel = FindProgramChannel(channels, name))) break;
    if (!channel) {
      result.Skipped << what + ": no channel named " +
                            (p.ChannelNames.isEmpty() ? p.ChannelId : p.ChannelNames.join(" / "));
      continue;
    }
    TScheduleEntry e;
    ApplyFormatDefaults(e, 1);
    e.Start = p.Start;
    e.DurationSeconds = qint32(qMin<qint64>(p.Start.secsTo(p.Stop), kMaxDurationSeconds));
    e.Source = channel->Source;
    e.Channel = channel->Channel;
    if (e.Source == handoff::rsFM) e.AudioOption = 1;
    e.BaseName = BaseNameOfTitle(p.Title);
    e.UseDateTimeName = e.BaseName.isEmpty();
    result.Entries.append(e);
  }
  return result;
}

}  // namespace pvx::scheduled
