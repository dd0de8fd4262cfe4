#include "handoff/RelayRecord.h"

#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

using namespace pvx::handoff;

namespace {

constexpr int kFormats = 12;

TRelayRecord Order() {
  TRelayRecord r;
  r.Reserved = QByteArray("sched-entry-0042", 16);
  r.DurationSeconds = 2700;
  r.Source = rsCable;
  r.Channel = 37;
  r.Format = 4;
  r.CaptureWidth = 720, r.CaptureHeight = 576;
  r.Quality = 2;
  r.VideoBitRateKbps = 6000;
  r.FrameRateCode = 3;
  r.RecordKind = 1;
  r.UseDateTimeName = true;
  r.BaseName = "Seven Sports";
  return r;
}

void Put(QByteArray& b, int at, qint32 v) { qToLittleEndian(v, b.data() + at); }

}  // namespace

TEST(RelayRecord, TheFileIsLaidOutByteForByteAndRoundTrips) {
  const QByteArray b = EncodeRelayFile(Order());
  ASSERT_EQ(b.size(), 328);
  const auto at = [&](int offset) { return qFromLittleEndian<qint32>(b.constData() + offset); };
  // Offset, width and value: both marks, then the record's fields behind the 4-byte leading mark.
  const std::tuple<int, int, qint32> fields[] = {
      {0, 4, 4500}, {324, 4, 4500}, {20, 4, 2700}, {24, 4, 1}, {28, 4, 37}, {32, 1, 4}, {36, 4, 720},
      {40, 4, 576}, {44, 1, 2}, {48, 4, 6000}, {52, 4, 3}, {56, 1, 1}, {64, 1, 1}};
  for (const auto& [offset, width, value] : fields)
    EXPECT_EQ(width == 4 ? at(offset) : b[offset], value) << offset;
  EXPECT_EQ(b.mid(4, 16), QByteArray("sched-entry-0042", 16));
  EXPECT_EQ(b.mid(4 + 61, 13), QByteArray("Seven Sports\0", 13));

  const QString path = pvx::test::Home() + "Relay.rec";
  ASSERT_TRUE(WriteRelayFile(path, Order()));
  TRelayRecord back;
  ASSERT_EQ(ReadRelayFile(path, back, kFormats), TRelayError::None);
  EXPECT_EQ(EncodeRelayFile(back), b);
  EXPECT_EQ(back.BaseNameText(), "Seven Sports");
}

TEST(RelayRecord, EverythingIsCheckedBeforeAnythingIsUsed) {
  const QByteArray good = EncodeRelayFile(Order());
  struct Row {
    const char* what;
    std::function<void(QByteArray&)> spoil;
    TRelayError expected;
    QByteArray name = "Seven Sports";
  } rows[] = {
      {"unchanged", [](QByteArray&) {}, TRelayError::None},
      {"closing mark", [](QByteArray& b) { Put(b, 324, 4501); }, TRelayError::BadMark},
      {"opening mark", [](QByteArray& b) { Put(b, 0, 0x94110000); }, TRelayError::BadMark},
      {"one byte short", [](QByteArray& b) { b.chop(1); }, TRelayError::BadSize},
      {"one byte long", [](QByteArray& b) { b.append('\0'); }, TRelayError::BadSize},
      {"kind 9", [](QByteArray& b) { Put(b, 24, 9); }, TRelayError::BadSource},
      {"kind -1", [](QByteArray& b) { Put(b, 24, -1); }, TRelayError::BadSource},
      {"format past the list", [](QByteArray& b) { b[32] = char(kFormats); }, TRelayError::BadFormat},
      {"negative duration", [](QByteArray& b) { Put(b, 20, -5); }, TRelayError::BadDuration},
      {"zero duration", [](QByteArray& b) { Put(b, 20, 0); }, TRelayError::BadDuration},
      {"name ends at its first zero", [](QByteArray& b) { b[65 + 5] = '\0'; }, TRelayError::None, "Seven"},
      {"name fills the field", [](QByteArray& b) { b.replace(65, 259, QByteArray(259, 'n')); },
       TRelayError::None, QByteArray(259, 'n')},
  };
  for (const Row& row : rows) {
    QByteArray bytes = good;
    row.spoil(bytes);
    TRelayRecord out;
    out.Channel = -77;
    EXPECT_EQ(DecodeRelayFile(bytes, out, kFormats), row.expected) << row.what;
    if (row.expected == TRelayError::None)
      EXPECT_EQ(out.BaseName, row.name) << row.what;
    else
      EXPECT_EQ(out.Channel, -77) << row.what << ": a refused file changes nothing";
  }
  TRelayRecord out;
  EXPECT_EQ(ReadRelayFile(pvx::test::Home() + "absent.rec", out, kFormats), TRelayError::Missing);
}
