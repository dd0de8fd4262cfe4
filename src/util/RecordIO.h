#pragma once
// Little-endian record values of every binary file the program keeps: 4-byte integers,
// 8-byte doubles, 4-byte booleans and length-prefixed strings.

#include <QIODevice>
#include <QString>

namespace pvx::util {

// Longest string a reader accepts; a longer (or negative) stored length reads as empty.
inline constexpr qint32 kMaxStoredString = 512;

// Each writer returns false when the device did not take every byte.
bool WriteInteger(QIODevice& out, qint32 value);
bool WriteDouble(QIODevice& out, double value);
bool WriteBoolean(QIODevice& out, bool value);
// The length in bytes of the UTF-8 text, then the bytes, no terminator.
bool WriteString(QIODevice& out, const QString& value);
// The same, cut at a character boundary to kMaxStoredString bytes: a longer text, or one read
// from bytes that are not UTF-8 and grow when written back, would read back as empty and put the
// rest of the file out of step.
bool WriteBoundedString(QIODevice& out, const QString& value);

// A short read leaves the missing bytes 0.
qint32 ReadInteger(QIODevice& in);
double ReadDouble(QIODevice& in);
bool ReadBoolean(QIODevice& in);
// A stored length above kMaxStoredString, or below 0, reads as empty and its bytes are not
// skipped, so the reads after it fall out of step and the file's end mark catches it.
QString ReadString(QIODevice& in);

}  // namespace pvx::util
