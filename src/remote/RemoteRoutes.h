#pragma once
// What the home server answers, apart from the network: each request checked (token, size,
// path) and routed to the running program through IRemoteShell. The server turns the answer
// into bytes on the socket; tests call Handle directly.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

namespace pvx::remote {

using THeaders = QList<QPair<QByteArray, QByteArray>>;

struct TRemoteRequest {
  QByteArray method;  // "GET", "POST" ...
  QByteArray path;    // still percent-encoded, without the query
  QUrlQuery query;
  THeaders headers;   // names in lower case
  QByteArray body;
};

struct TRemoteResponse {
  int status = 200;
  QByteArray contentType;
  QByteArray body;
  THeaders headers;
  // A file's bytes instead of the body: from `from`, `length` of them.
  QString file;
  qint64 from = 0, length = 0;
  bool slow = false;  // a refused token: answered late, so guessing costs time
  bool live = false;  // the live stream follows the head, for as long as the client stays
};

// How a command or a tuning went.
struct TCommandResult {
  bool found = false;  // the name is a command
  bool ran = false;
  QString reason;      // why it did not run
};

// The running program as the server sees it.
class IRemoteShell {
 public:
  virtual ~IRemoteShell() = default;
  virtual QJsonObject State() = 0;
  virtual QJsonArray Channels() = 0;
  virtual TCommandResult Run(const QString& command) = 0;
  virtual TCommandResult Tune(int channel) = 0;
  virtual QJsonArray Recordings() = 0;
  // The file of Done-list item `id`; empty when there is none.
  virtual QString RecordingFile(int id) = 0;
  // The picture now as JPEG; empty when nothing shows one.
  virtual QByteArray Picture() = 0;
  // The scheduler's timetable: its entries; an entry added from {"start", "minutes",
  // "channel", "name"} (false: `reason` says why); an entry removed by id.
  virtual QJsonArray Schedule() = 0;
  virtual bool AddToSchedule(const QJsonObject& entry, QString& reason) = 0;
  virtual bool RemoveFromSchedule(int id) = 0;
  // The other boxes found on the home network: {"name", "url"}.
  virtual QJsonArray Peers() = 0;
  // A small JPEG of the channel as it showed last; empty when it has not shown yet.
  virtual QByteArray Thumbnail(int /*channel*/) { return {}; }
};

inline constexpr qsizetype kMaxBody = 64 * 1024;
inline constexpr qsizetype kMaxPath = 1024;

class TRemoteRoutes {
 public:
  // `webFolder` holds the page's files; only the ones it names are served, at the top.
  TRemoteRoutes(IRemoteShell& shell, QByteArray token, QString webFolder);
  TRemoteResponse Handle(const TRemoteRequest& request);

 private:
  bool Authorised(const TRemoteRequest& request, bool& fromQuery) const;
  TRemoteResponse Route(const TRemoteRequest& request, const QList<QByteArray>& segments);
  TRemoteResponse Download(const TRemoteRequest& request, const QString& file) const;
  TRemoteResponse Page(const QByteArray& name) const;

  IRemoteShell& shell_;
  QByteArray token_;
  QString webFolder_;
};

// The media type of a recording by its file's extension; application/octet-stream for others.
QByteArray MediaTypeOf(const QString& file);

// "bytes=a-b", "bytes=a-" or "bytes=-n" of a file of `size` bytes; false for a range that
// cannot be served (the caller answers 416), true with from/length of the whole file when the
// header is empty.
bool ParseRange(const QByteArray& header, qint64 size, qint64& from, qint64& length);

}  // namespace pvx::remote
