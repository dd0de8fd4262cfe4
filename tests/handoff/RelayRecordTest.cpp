// The hand-off of a scheduled recording: the relay file's bytes, this program's side of the
// recording on a shell that logs what it is asked, and the link to the scheduler.

#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>
#include <functional>

#include "handoff/RelayRecord.h"
#include "handoff/ScheduledRecording.h"
#include "handoff/SchedulerLink.h"
#include "platform/ipc/Messages.h"
#include "platform/ipc/TMessageEndpoint.h"
#include "support/TestEnvironment.h"

using namespace pvx::handoff;
namespace ipc = pvx::platform::ipc;

namespace {

constexpr int kFormats = 12;

// Reserved bytes, duration, source, channel, format, width, height, quality, bit rate, frame
// rate, record kind, date-and-time name, base name.
// clang-format off
const TRelayRecord kOrder{QByteArray("sched-entry-0042", 16), 2700, rsCable, 37, 4, 720, 576, 2,
                          6000, 3, 1, true, "Seven Sports"};
// clang-format on

void Put(QByteArray& b, int at, qint32 v) { qToLittleEndian(v, b.data() + at); }

// What the recording asks of the program, in order; the TV/FM toggle works unless `toggles` is
// false, and the recording starts unless `starts` is.
struct Shell : IScheduledShell {
  pvx::settings::TCaptureSettings settings;
  bool tuner = true, fm = true, panel = false, toggles = true, starts = true;
  QStringList log;

  const pvx::settings::TCaptureSettings& RecorderSettings() const override { return settings; }
  void SetRecorderSettings(const pvx::settings::TCaptureSettings& s) override { settings = s; }
  void SetUnattended(bool on) override { log << QString("unattended %1").arg(on); }
  bool HasTuner() const override { return tuner; }
  bool FMEnabled() const override { return fm; }
  bool FMPanelShown() const override { return panel; }
  void ToggleTVFM() override { log << "toggle", panel = panel != toggles; }
  void StopPreview() override { log << "no preview"; }
  TChannelSelection CurrentSelection() const override { return {panel ? 5 : 0, 1, 9}; }
  void RestoreSelection(const TChannelSelection& s) override { log << QString("back to %1").arg(s.Source); }
  void SelectSource(qint32 kind, qint32 channel) override {
    log << QString("select %1 %2").arg(kind).arg(channel);
  }
  bool StartRecording() override { return log << "record", starts; }
  void MarkPendingScheduled() override { log << "pending"; }
  bool StopRecording() override { return log << "stop", starts; }
  void TellScheduler(qint32 status) override { log << QString("tell %1").arg(status); }
};

}  // namespace

TEST(RelayRecord, TheFileIsLaidOutByteForByteAndRoundTrips) {
  const QByteArray b = EncodeRelayFile(kOrder);
  ASSERT_EQ(b.size(), 328);
  const auto at = [&](int offset) { return qFromLittleEndian<qint32>(b.constData() + offset); };
  // Offset, width and value: both marks, then the record's fields behind the 4-byte leading mark.
  const std::tuple<int, int, qint32> fields[] = {
      {0, 4, 4500}, {324, 4, 4500}, {20, 4, 2700}, {24, 4, 1}, {28, 4, 37}, {32, 1, 4}, {36, 4, 720},
      {40, 4, 576}, {44, 1, 2},     {48, 4, 6000}, {52, 4, 3}, {56, 1, 1},  {64, 1, 1}};
  for (const auto& [offset, width, value] : fields)
    EXPECT_EQ(width == 4 ? at(offset) : b[offset], value) << offset;
  EXPECT_EQ(b.mid(4, 16), QByteArray("sched-entry-0042", 16));
  EXPECT_EQ(b.mid(4 + 61, 13), QByteArray("Seven Sports\0", 13));
  // Decoded it gives the same bytes; the file's own write and read are the recording's below.
  TRelayRecord back;
  ASSERT_EQ(DecodeRelayFile(b, back, kFormats), TRelayError::None);
  EXPECT_EQ(EncodeRelayFile(back), b);
  EXPECT_FALSE(WriteRelayFile(pvx::test::Home() + "no-such-folder/Relay.rec", kOrder));
}

TEST(RelayRecord, EverythingIsCheckedBeforeAnythingIsUsed) {
  const QByteArray good = EncodeRelayFile(kOrder);
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
      {"FM, the last kind", [](QByteArray& b) { Put(b, 24, rsFM); }, TRelayError::None},
      {"antenna, the first", [](QByteArray& b) { Put(b, 24, rsAntenna); }, TRelayError::None},
      {"format past the list", [](QByteArray& b) { b[32] = char(kFormats); }, TRelayError::BadFormat},
      {"negative duration", [](QByteArray& b) { Put(b, 20, -5); }, TRelayError::BadDuration},
      {"zero duration", [](QByteArray& b) { Put(b, 20, 0); }, TRelayError::BadDuration},
      {"empty name", [](QByteArray& b) { b[65] = '\0'; }, TRelayError::None, ""},
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

TEST(ScheduledRecording, TheOrderRecordsFromItsSideAndAllIsPutBackOrTheSchedulerIsToldWhy) {
  const QString path = pvx::test::Home() + "Relay.rec";
  // What fails (or "closing": the program ends with the recording), the order's source, FM shown
  // before, then what the start asks of the program and what the end asks ("" when refused).
  const std::tuple<QString, qint32, bool, const char*, const char*> rows[] = {
      {"", rsCable, false, "unattended 1,select 1 37,record,pending", "stop,back to 0,unattended 0,tell 100"},
      {"", rsFM, false, "unattended 1,toggle,no preview,select 5 37,record,pending",
       "stop,back to 5,toggle,no preview,unattended 0,tell 100"},
      {"", rsComposite, true, "unattended 1,toggle,no preview,select 3 37,record,pending",
       "stop,back to 0,toggle,no preview,unattended 0,tell 100"},
      {"", rsFM, true, "unattended 1,select 5 37,record,pending", "stop,back to 5,unattended 0,tell 100"},
      {"closing", rsFM, false, "unattended 1,toggle,no preview,select 5 37,record,pending",
       "stop,back to 5,unattended 0,tell 100"},
      {"relay file", rsAntenna, false, "tell 3", ""},
      {"tuner", rsMemory, false, "unattended 1,tell 4,unattended 0", ""},
      {"FM", rsFM, false, "unattended 1,tell 4,unattended 0", ""},
      {"switch", rsFM, false, "unattended 1,toggle,tell 4,unattended 0", ""},
      {"recording", rsFM, false,
       "unattended 1,toggle,no preview,select 5 37,record,tell 3,unattended 0,back to 5,toggle,"
       "no preview",
       ""}};
  for (const auto& [fails, source, fmBefore, started, ended] : rows) {
    SCOPED_TRACE(started);
    Shell shell;
    shell.panel = fmBefore, shell.tuner = fails != "tuner", shell.fm = fails != "FM";
    shell.toggles = fails != "switch", shell.starts = fails != "recording";
    TRelayRecord order = kOrder;
    order.Source = source;
    ASSERT_TRUE(WriteRelayFile(path, order));
    if (fails == "relay file") QFile::remove(path);
    TScheduledRecording recording(shell);
    EXPECT_EQ(recording.Start(path), *ended != 0);
    EXPECT_EQ(shell.log.join(','), started);
    EXPECT_EQ(recording.ReturnsToFM(), fmBefore);
    const pvx::settings::TCaptureSettings& s = shell.settings;
    if (*ended) {  // the order's settings while it records; a file not completed is reported
      EXPECT_EQ(QList<int>({s.RecordFormat, s.AudioFormat, s.VideoBitRateKbps, s.FrameRateCode,
                            s.CaptureWidth, s.CaptureHeight, s.Quality, s.TimeLimitOn, s.TimeLimit,
                            s.UseDateTimeName, s.RecordKind}),
                QList<int>({4, 4, 6000, 3, 720, 576, 2, 1, 2700, 1, 1}));
      EXPECT_EQ(s.FilePrefix, "Seven Sports");
      shell.log.clear(), shell.starts = fails != "closing";
      EXPECT_EQ(recording.End(fails == "closing"), fails != "closing");
      EXPECT_EQ(shell.log.join(','), ended);
    }
    EXPECT_EQ(s, pvx::settings::TCaptureSettings{});
  }
}

// Showing and starting the scheduler are the application's Scheduled tests.
TEST(SchedulerLink, TheSchedulerIsFoundOnlyWhileItListens) {
  EXPECT_FALSE(FindSchedulerWindow());
  ipc::TMessageEndpoint scheduler(ipc::kSchedulerWindowClass, [](quint32, qint32, qint32) { return 0; });
  ASSERT_TRUE(scheduler.Listen());
  EXPECT_TRUE(FindSchedulerWindow());
}
