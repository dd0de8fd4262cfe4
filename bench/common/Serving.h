#pragma once
// For the benchmarks that watch the program's live streams: where it serves (from its log, as
// ports 0 take free ones), the streams' addresses, and viewers that decode them into nothing.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <memory>

namespace pvx::bench {

struct TServed {
  quint16 http = 0, rtsp = 0;
  QString token;
  bool Ready() const { return http != 0 && rtsp != 0 && !token.isEmpty(); }
  QString RtspLive() const { return QString("rtsp://127.0.0.1:%1/live?token=%2").arg(rtsp).arg(token); }
  QString BrowserLive() const { return QString("http://127.0.0.1:%1/live?token=%2").arg(http).arg(token); }
};

// The ports the program's log names and the token in its home; not Ready before it serves.
inline TServed ServedBy(const QString& log, const QString& home) {
  QFile file(log), token(home + "remote.token");
  TServed s;
  if (!file.open(QIODevice::ReadOnly)) return s;
  const QString text = QString::fromUtf8(file.readAll());
  s.http = quint16(QRegularExpression("serving on https?://[0-9.]+:(\\d+)/").match(text).captured(1).toUInt());
  s.rtsp = quint16(QRegularExpression("streaming on rtsp://[0-9.]+:(\\d+)/live").match(text).captured(1).toUInt());
  if (token.open(QIODevice::ReadOnly)) s.token = QString::fromLatin1(token.readAll().trimmed());
  return s;
}

struct TEndProcess {
  void operator()(QProcess* p) const {
    p->kill();
    p->waitForFinished();
    delete p;
  }
};
// Ends with its owner.
using TViewer = std::unique_ptr<QProcess, TEndProcess>;

// A viewer that only decodes: ffmpeg reading a stream into nothing.
inline TViewer Viewer(const QString& url) {
  TViewer p(new QProcess);
  QStringList args{"-v", "error"};
  if (url.startsWith("rtsp")) args << "-rtsp_transport" << "tcp";
  p->start("ffmpeg", args + QStringList{"-i", url, "-f", "null", "-"});
  return p;
}

}  // namespace pvx::bench
