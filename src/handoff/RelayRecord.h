#pragma once
// The recording order the scheduler hands over in Relay.rec: mark 4500, a 320-byte record, mark
// 4500. The scheduler writes it; this program only reads it. Both go through this one codec.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace pvx::handoff {

inline constexpr int kRelayFileSize = 328;
inline constexpr int kRelayNameBytes = 259;

// Where the order's source comes from.
enum TRelaySource : qint32 { rsAntenna = 0, rsCable, rsMemory, rsComposite, rsSVideo, rsFM };

struct TRelayRecord {
  QByteArray Reserved = QByteArray(16, '\0');  // the scheduler's own bytes, passed through
  qint32 DurationSeconds = 0;
  qint32 Source = rsAntenna;
  qint32 Channel = 0;           // in the FM band for rsFM
  quint8 Format = 1;            // recording format index, also the audio format
  qint32 CaptureWidth = 640, CaptureHeight = 480;
  quint8 Quality = 0;
  qint32 VideoBitRateKbps = 4000;
  qint32 FrameRateCode = 5;
  quint8 RecordKind = 0;        // 0 audio and video, 1 audio only, 2 no audio
  bool UseDateTimeName = false;
  QByteArray BaseName;          // ANSI bytes, at most kRelayNameBytes, no zero byte

  QString BaseNameText() const { return QString::fromLatin1(BaseName); }
};

enum class TRelayError { None, Missing, BadSize, BadMark, BadSource, BadFormat, BadDuration };

// The whole 328-byte file. A name longer than the field is cut to it.
QByteArray EncodeRelayFile(const TRelayRecord& record);
// Checks everything before anything is used: size, both marks, a source kind and format in
// range, a duration above zero. The name ends at its first zero byte or the end of the field.
TRelayError DecodeRelayFile(const QByteArray& bytes, TRelayRecord& record, int formatCount);
TRelayError ReadRelayFile(const QString& path, TRelayRecord& record, int formatCount);
// Written beside and renamed into place, so the program never reads half an order.
bool WriteRelayFile(const QString& path, const TRelayRecord& record);

}  // namespace pvx::handoff
