#include "CommandLine.h"

#include <QFile>
#include <QRegularExpression>

#include "HandOver.h"
#include "ProgramChannels.h"
#include "XmltvImport.h"

namespace pvx::scheduled {

namespace {

constexpr int kUsage = 2;

// Spacing, brackets and dots are optional: "mp4 h264" names "MP4 (H.264)".
QString Folded(QString text) { return text.remove(QRegularExpression("[\\s()_.-]")).toLower(); }

std::optional<qint32> ParseChannel(const QString& text, qint32 source) {
  if (source == handoff::rsComposite || source == handoff::rsSVideo) return 0;
  bool ok = false;
  const int n = text.toInt(&ok);
  if (ok) return n;
  if (const auto c = FindProgramChannel(ProgramChannels(source), text)) return c->Channel;
  return std::nullopt;
}

int Fail(QTextStream& err, const QString& reason, int code = 1) {
  err << reason << Qt::endl;
  return code;
}

int Add(const QStringList& a, const TSystemd& systemd, QTextStream& out, QTextStream& err,
        const QDateTime& now) {
  if (a.size() < 5 || a.size() > 6)
    return Fail(err, "usage: Scheduled --add \"START\" DURATION SOURCE CHANNEL [FORMAT]", kUsage);
  TScheduleEntry e;
  const auto start = ParseStart(a[1]);
  if (!start) return Fail(err, "Not a start time: " + a[1]);
  const auto duration = ParseDuration(a[2]);
  if (!duration) return Fail(err, "Not a duration: " + a[2]);
  const auto source = ParseSource(a[3]);
  if (!source) return Fail(err, "Not a source: " + a[3] + " (" + SourceKeywords().join(", ") + ")");
  const auto channel = ParseChannel(a[4], *source);
  if (!channel) return Fail(err, "No channel " + a[4] + " in the " + SourceNames()[*source] + " list.");
  const bool audio = *source == handoff::rsFM;
  const auto format = a.size() > 5 ? ParseFormat(a[5], audio) : std::optional<int>(1);
  if (!format) return Fail(err, "Not a recording format: " + a[5]);
  if (audio) {
    e.Format = quint8(*format);
    e.AudioOption = 1;
  } else {
    ApplyFormatDefaults(e, *format);
  }
  e.Start = *start;
  e.DurationSeconds = *duration;
  e.Source = *source;
  e.Channel = *channel;
  const QString path = TTimetable::DefaultPath();
  TTimetable table;
  QString reason, warning;
  if (table.Load(path, &reason) == TTimetable::TLoad::Corrupt) return Fail(err, reason);
  if (!table.Add(e, now, &reason) || !SaveTimetable(table, path, systemd, &reason, &warning))
    return Fail(err, reason);
  if (!warning.isEmpty()) err << warning << Qt::endl;
  out << e.Id << Qt::endl;
  return 0;
}

int List(QTextStream& out, QTextStream& err) {
  TTimetable table;
  QString reason;
  if (table.Load(TTimetable::DefaultPath(), &reason) == TTimetable::TLoad::Corrupt) return Fail(err, reason);
  for (const TScheduleEntry& e : table.Entries) {
    const QString format = e.AudioOption == 1 ? AudioFormatNames().value(e.Format) : FormatNames().value(e.Format);
    out << e.Id << '\t' << DateTimeText(e.Start) << '\t' << DurationText(e.DurationSeconds) << '\t'
        << RepeatNames()[int(e.Repeat)] << '\t' << SourceNames()[e.Source] << '\t' << e.Channel << '\t'
        << format << '\t' << (e.UseDateTimeName ? QString("(date and time)") : e.BaseName) << '\t'
        << OutcomeText(e.Outcome) << Qt::endl;
  }
  return 0;
}

int Remove(qint32 id, const TSystemd& systemd, QTextStream& err) {
  const QString path = TTimetable::DefaultPath();
  TTimetable table;
  QString reason, warning;
  if (table.Load(path, &reason) == TTimetable::TLoad::Corrupt) return Fail(err, reason);
  if (!table.Remove(id)) return Fail(err, QStringLiteral("No entry %1.").arg(id));
  if (!SaveTimetable(table, path, systemd, &reason, &warning)) return Fail(err, reason);
  if (!warning.isEmpty()) err << warning << Qt::endl;
  return 0;
}

int ImportXmltv(const QStringList& a, const TSystemd& systemd, QTextStream& out, QTextStream& err,
                const QDateTime& now) {
  if (a.size() < 2 || a.size() > 3)
    return Fail(err, "usage: Scheduled --import-xmltv FILE [TITLE]", kUsage);
  QFile file(a[1]);
  if (!file.open(QIODevice::ReadOnly)) return Fail(err, "Cannot read " + a[1]);
  QList<TXmltvProgramme> programmes;
  QString reason, warning;
  if (!ParseXmltv(file.readAll(), programmes, &reason)) return Fail(err, reason);
  TXmltvImport import = EntriesOfProgrammes(programmes, NamedProgramChannels(), a.value(2));
  const QString path = TTimetable::DefaultPath();
  TTimetable table;
  if (table.Load(path, &reason) == TTimetable::TLoad::Corrupt) return Fail(err, reason);
  int added = 0;
  for (TScheduleEntry& e : import.Entries) {
    if (table.Add(e, now, &reason)) {
      out << e.Id << '\t' << e.BaseName << Qt::endl;
      ++added;
    } else {
      import.Skipped << e.BaseName + ": " + reason;
    }
  }
  for (const QString& line : import.Skipped) err << "skipped " << line << Qt::endl;
  if (added == 0) return Fail(err, "No programme of the listing was added.");
  if (!SaveTimetable(table, path, systemd, &reason, &warning)) return Fail(err, reason);
  if (!warning.isEmpty()) err << warning << Qt::endl;
  return 0;
}

std::optional<qint32> IdArgument(const QStringList& a) {
  bool ok = false;
  const qint32 id = a.size() == 2 ? a[1].toInt(&ok) : 0;
  return ok && id > 0 ? std::optional(id) : std::nullopt;
}

}  // namespace

std::optional<QDateTime> ParseStart(const QString& text) {
  for (const char* form : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm"}) {
    const QDateTime t = QDateTime::fromString(text.trimmed(), form);
    if (t.isValid()) return t;
  }
  return std::nullopt;
}

std::optional<qint32> ParseDuration(const QString& text) {
  static const QRegularExpression units("^(?:(\\d+)h)?(?:(\\d+)m)?(?:(\\d+)s)?$");
  static const QRegularExpression clock("^(\\d+):(\\d{2})(?::(\\d{2}))?$");
  const QString t = text.trimmed().toLower();
  qint64 seconds = -1;
  bool minutes = false;
  const int plain = t.toInt(&minutes);
  if (minutes) seconds = qint64(plain) * 60;
  else if (const auto m = clock.match(t); m.hasMatch())
    seconds = m.captured(1).toLongLong() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt();
  else if (const auto u = units.match(t); u.hasMatch() && !t.isEmpty())
    seconds = u.captured(1).toLongLong() * 3600 + u.captured(2).toLongLong() * 60 + u.captured(3).toLongLong();
  if (seconds <= 0 || seconds > kMaxDurationSeconds) return std::nullopt;
  return qint32(seconds);
}

std::optional<qint32> ParseSource(const QString& text) {
  bool number = false;
  const int n = text.toInt(&number);
  if (number) return n >= 0 && n < SourceKeywords().size() ? std::optional(n) : std::nullopt;
  const int i = SourceKeywords().indexOf(Folded(text));
  return i >= 0 ? std::optional(i) : std::nullopt;
}

std::optional<int> ParseFormat(const QString& text, bool audio) {
  const QStringList& names = audio ? AudioFormatNames() : FormatNames();
  bool number = false;
  const int n = text.toInt(&number);
  if (number) return n >= 0 && n < names.size() ? std::optional(n) : std::nullopt;
  for (int i = 0; i < names.size(); ++i)
    if (Folded(names[i]) == Folded(text)) return i;
  return std::nullopt;
}

bool SaveTimetable(const TTimetable& table, const QString& path, const TSystemd& systemd,
                   QString* reason, QString* warning) {
  if (!table.Save(path, reason)) return false;
  QString why;
  if (!SyncTimers(table, systemd, &why) && warning) *warning = "warning: " + why;
  return true;
}

TCommandResult RunCommandLine(const QStringList& args, const TSystemd& systemd, QTextStream& out,
                              QTextStream& err, const QDateTime& now) {
  TCommandResult r;
  const QString command = args.value(0).toLower();
  if (args.isEmpty() || command == "srec_tv" || command == "srec_fm") {
    r.OpenWindow = true;
  } else if (command == "--add") {
    r.ExitCode = Add(args, systemd, out, err, now);
  } else if (command == "--list" && args.size() == 1) {
    r.ExitCode = List(out, err);
  } else if (command == "--remove" || command == "--fire") {
    const auto id = IdArgument(args);
    QString reason;
    if (!id) r.ExitCode = Fail(err, "usage: Scheduled " + command + " ID", kUsage);
    else if (command == "--remove") r.ExitCode = Remove(*id, systemd, err);
    else if (!FireEntry(TTimetable::DefaultPath(), *id, now, &reason)) r.ExitCode = Fail(err, reason);
    else r.FiredId = *id;
  } else if (command == "--import-xmltv") {
    r.ExitCode = ImportXmltv(args, systemd, out, err, now);
  } else {
    r.ExitCode = Fail(err, "unknown command " + args[0] + "; use --add, --list, --remove, --fire or --import-xmltv", kUsage);
  }
  return r;
}

}  // namespace pvx::scheduled
