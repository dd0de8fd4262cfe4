#include "remote/RemoteRoutes.h"

#include <QDir>
#include <algorithm>
#include <cctype>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QUrl>

#include "platform/SecretCompare.h"

namespace pvx::remote {
namespace {

using platform::SameSecret;

constexpr char kCookie[] = "pvx_token";

struct PageFile {
  const char* name;
  const char* type;
};
// The page's files, and nothing else of its folder.
constexpr PageFile kPageFiles[] = {{"index.html", "text/html; charset=utf-8"},
                                   {"app.js", "text/javascript; charset=utf-8"},
                                   {"i18n.js", "text/javascript; charset=utf-8"},
                                   {"style.css", "text/css; charset=utf-8"}};

QByteArray HeaderOf(const TRemoteRequest& r, const QByteArray& name) {
  for (const auto& [key, value] : r.headers)
    if (key == name) return value;
  return {};
}

TRemoteResponse Json(int status, const QJsonDocument& document) {
  TRemoteResponse r;
  r.status = status;
  r.contentType = "application/json";
  r.body = document.toJson(QJsonDocument::Compact);
  return r;
}
TRemoteResponse Json(int status, const QJsonObject& o) { return Json(status, QJsonDocument(o)); }
TRemoteResponse Json(const QJsonArray& a) { return Json(200, QJsonDocument(a)); }

TRemoteResponse Error(int status, const QString& reason) {
  return Json(status, QJsonObject{{"reason", reason}});
}

TRemoteResponse Result(const TCommandResult& r) {
  if (!r.found) return Error(404, QStringLiteral("no such command"));
  if (!r.ran) return Json(409, QJsonObject{{"ran", false}, {"reason", r.reason}});
  return Json(200, QJsonObject{{"ran", true}});
}

// A whole non-negative number of at most nine digits, or -1.
int NumberOf(const QByteArray& text) {
  if (text.isEmpty() || text.size() > 9) return -1;
  for (char c : text)
    if (c < '0' || c > '9') return -1;
  return text.toInt();
}

// A file name as a header's quoted string: no quote, no control character to end the header.
QByteArray SafeFileName(const QString& name) {
  QByteArray safe = name.toUtf8();
  for (char& c : safe)
    if (c == '"' || c == '\\' || (c >= 0 && c < 0x20) || c == 0x7f) c = '_';
  return safe;
}

}  // namespace

QByteArray MediaTypeOf(const QString& file) {
  static const QPair<const char*, const char*> kTypes[] = {
      {"mp4", "video/mp4"}, {"mkv", "video/x-matroska"}, {"mpg", "video/mpeg"}, {"avi", "video/x-msvideo"},
      {"wav", "audio/wav"}, {"mp3", "audio/mpeg"},       {"mpv", "video/mpeg"}, {"mpa", "audio/mpeg"}};
  const QString suffix = QFileInfo(file).suffix().toLower();
  for (const auto& [extension, type] : kTypes)
    if (suffix == QLatin1String(extension)) return type;
  return "application/octet-stream";
}

bool ParseRange(const QByteArray& header, qint64 size, qint64& from, qint64& length) {
  from = 0;
  length = size;
  if (header.isEmpty()) return true;
  if (!header.startsWith("bytes=") || header.contains(',')) return false;
  const QByteArray wanted = header.mid(6).trimmed();
  const qsizetype dash = wanted.indexOf('-');
  if (dash < 0) return false;
  bool okFirst = false, okLast = false;
  const QByteArray first = wanted.left(dash), last = wanted.mid(dash + 1);
  qint64 a = first.toLongLong(&okFirst), b = last.toLongLong(&okLast);
  // A last byte past any file's end means "to the end".
  if (!okLast && !last.isEmpty() && last.size() > 18 && std::all_of(last.begin(), last.end(), ::isdigit)) {
    b = size - 1;
    okLast = true;
  }
  if (first.isEmpty()) {  // the last b bytes
    if (!okLast || b <= 0 || size == 0) return false;
    from = qMax<qint64>(0, size - b);
  } else {
    if (!okFirst || a < 0 || a >= size || (!last.isEmpty() && (!okLast || b < a))) return false;
    from = a;
    if (!last.isEmpty()) length = qMin(b, size - 1) - a + 1;
  }
  if (first.isEmpty() || last.isEmpty()) length = size - from;
  return true;
}

TRemoteRoutes::TRemoteRoutes(IRemoteShell& shell, QByteArray token, QString webFolder)
    : shell_(shell), token_(std::move(token)), webFolder_(std::move(webFolder)) {}

bool TRemoteRoutes::Authorised(const TRemoteRequest& r, bool& fromQuery) const {
  fromQuery = false;
  const QByteArray authorization = HeaderOf(r, "authorization");
  // The scheme's name is case-insensitive.
  if (authorization.left(7).toLower() == "bearer " && SameSecret(authorization.mid(7).trimmed(), token_)) return true;
  for (const QByteArray& part : HeaderOf(r, "cookie").split(';')) {
    const QByteArray pair = part.trimmed();
    if (pair.startsWith(QByteArray(kCookie) + '=') && SameSecret(pair.mid(int(sizeof kCookie)), token_)) return true;
  }
  fromQuery = SameSecret(r.query.queryItemValue("token", QUrl::FullyDecoded).toUtf8(), token_);
  return fromQuery;
}

TRemoteResponse TRemoteRoutes::Handle(const TRemoteRequest& r) {
  if (r.path.size() > kMaxPath) return Error(414, QStringLiteral("path too long"));
  if (r.body.size() > kMaxBody) return Error(413, QStringLiteral("request too large"));
  bool fromQuery = false;
  if (!Authorised(r, fromQuery)) {
    TRemoteResponse refused = Error(401, QStringLiteral("token required"));
    refused.slow = true;
    return refused;
  }
  // Segments are matched as sent: an encoded "/" or ".." never names anything.
  QList<QByteArray> segments = r.path.split('/');
  segments.removeAll(QByteArray());
  for (const QByteArray& s : segments)
    if (s == ".." || s == "." || s.contains('%') || s.contains('\\')) return Error(404, QStringLiteral("not found"));
  TRemoteResponse response = Route(r, segments);
  // A link with its token leaves it in a cookie, so the page's own requests carry it.
  if (fromQuery)
    response.headers << qMakePair(QByteArray("Set-Cookie"),
                                  QByteArray(kCookie) + '=' + token_ + "; Path=/; HttpOnly; SameSite=Strict");
  return response;
}

TRemoteResponse TRemoteRoutes::Route(const TRemoteRequest& r, const QList<QByteArray>& s) {
  const bool get = r.method == "GET" || r.method == "HEAD", post = r.method == "POST";
  const qsizetype n = s.size();
  if (get && n == 0) return Page("index.html");
  if (get && n == 1 && s[0] == "live") {
    TRemoteResponse stream;
    stream.live = true;
    stream.contentType = "video/mp4";
    stream.headers << qMakePair(QByteArray("Cache-Control"), QByteArray("no-store"));
    return stream;
  }
  if (get && n == 1 && s[0] != "live.jpg") return Page(s[0]);
  if (get && n == 2 && s[0] == "api" && s[1] == "state") return Json(200, shell_.State());
  if (get && n == 2 && s[0] == "api" && s[1] == "channels") return Json(shell_.Channels());
  if (get && n == 2 && s[0] == "api" && s[1] == "recordings") return Json(shell_.Recordings());
  if (get && n == 2 && s[0] == "api" && s[1] == "peers") return Json(shell_.Peers());
  if (post && n == 3 && s[0] == "api" && s[1] == "command") return Result(shell_.Run(QString::fromLatin1(s[2])));
  if (post && n == 3 && s[0] == "api" && s[1] == "channel") {
    const int channel = NumberOf(s[2]);
    return channel < 0 ? Error(400, QStringLiteral("not a channel number")) : Result(shell_.Tune(channel));
  }
  if (n == 2 && s[0] == "api" && s[1] == "schedule") {
    if (get) return Json(shell_.Schedule());
    if (!post) return Error(405, QStringLiteral("method not allowed"));
    QJsonParseError parsed;
    const QJsonDocument entry = QJsonDocument::fromJson(r.body, &parsed);
    if (parsed.error != QJsonParseError::NoError || !entry.isObject()) return Error(400, QStringLiteral("not a JSON object"));
    QString reason;
    if (!shell_.AddToSchedule(entry.object(), reason)) return Error(400, reason);
    return Json(201, QJsonObject{{"added", true}});
  }
  if (r.method == "DELETE" && n == 3 && s[0] == "api" && s[1] == "schedule") {
    const int id = NumberOf(s[2]);
    if (id < 0 || !shell_.RemoveFromSchedule(id)) return Error(404, QStringLiteral("no such entry"));
    TRemoteResponse removed;
    removed.status = 204;
    return removed;
  }
  if (get && n == 2 && s[0] == "recordings") {
    const int id = NumberOf(s[1]);
    const QString file = id < 0 ? QString() : shell_.RecordingFile(id);
    return file.isEmpty() ? Error(404, QStringLiteral("no such recording")) : Download(r, file);
  }
  if (get && n == 2 && s[0] == "thumbnails") {
    const int channel = NumberOf(s[1]);
    TRemoteResponse picture;
    picture.body = channel < 0 ? QByteArray() : shell_.Thumbnail(channel);
    if (picture.body.isEmpty()) return Error(404, QStringLiteral("no thumbnail"));
    picture.contentType = "image/jpeg";
    picture.headers << qMakePair(QByteArray("Cache-Control"), QByteArray("no-cache"));
    return picture;
  }
  if (get && n == 1 && s[0] == "live.jpg") {
    TRemoteResponse picture;
    picture.body = shell_.Picture();
    if (picture.body.isEmpty()) return Error(404, QStringLiteral("no picture"));
    picture.contentType = "image/jpeg";
    picture.headers << qMakePair(QByteArray("Cache-Control"), QByteArray("no-store"));
    return picture;
  }
  const bool known = n >= 1 && (s[0] == "api" || s[0] == "recordings" || s[0] == "thumbnails" || n == 1);
  return known && !get && !post ? Error(405, QStringLiteral("method not allowed")) : Error(404, QStringLiteral("not found"));
}

TRemoteResponse TRemoteRoutes::Download(const TRemoteRequest& r, const QString& file) const {
  const QFileInfo info(file);
  if (!info.isFile() || !info.isReadable()) return Error(404, QStringLiteral("no such recording"));
  TRemoteResponse response;
  const QByteArray range = HeaderOf(r, "range");
  if (!ParseRange(range, info.size(), response.from, response.length)) {
    TRemoteResponse refused = Error(416, QStringLiteral("range not satisfiable"));
    refused.headers << qMakePair(QByteArray("Content-Range"), "bytes */" + QByteArray::number(info.size()));
    return refused;
  }
  response.status = range.isEmpty() ? 200 : 206;
  response.file = info.absoluteFilePath();
  // ?play: for the browser's own player, which seeks by ranges; otherwise a download.
  const bool play = r.query.hasQueryItem(QStringLiteral("play"));
  response.contentType = play ? MediaTypeOf(file) : QByteArray("application/octet-stream");
  response.headers << qMakePair(QByteArray("Accept-Ranges"), QByteArray("bytes"));
  response.headers << qMakePair(QByteArray("Content-Disposition"), QByteArray(play ? "inline" : "attachment") +
                                                                       "; filename=\"" + SafeFileName(info.fileName()) + '"');
  if (!range.isEmpty())
    response.headers << qMakePair(QByteArray("Content-Range"),
                                  "bytes " + QByteArray::number(response.from) + '-' +
                                      QByteArray::number(response.from + response.length - 1) + '/' +
                                      QByteArray::number(info.size()));
  return response;
}

TRemoteResponse TRemoteRoutes::Page(const QByteArray& name) const {
  for (const PageFile& f : kPageFiles) {
    if (name != f.name) continue;
    QFile file(QDir(webFolder_).filePath(QString::fromLatin1(f.name)));
    if (!file.open(QIODevice::ReadOnly)) break;
    TRemoteResponse r;
    r.contentType = f.type;
    r.body = file.readAll();
    // The page runs its own files only.
    r.headers << qMakePair(QByteArray("Content-Security-Policy"),
                           QByteArray("default-src 'self'; img-src 'self' data:; media-src 'self' blob:; frame-ancestors 'none'"));
    return r;
  }
  return Error(404, QStringLiteral("not found"));
}

}  // namespace pvx::remote
