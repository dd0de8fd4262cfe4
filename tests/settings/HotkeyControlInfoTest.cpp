#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <cstdlib>

#include "platform/Clock.h"
#include "settings/HotkeyControlInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using settings::THotkeyControlInfo;

namespace {

// Records what the entry tells the outside, in order, as "text:..", "commit:..=N", "select:N".
struct Entry {
  THotkeyControlInfo info;
  QStringList events;

  Entry() {
    info.OnTextChange = [this](THotkeyControlInfo&, const QString& text) {
      events << "text:" + text;
    };
    info.OnCommit = [this](THotkeyControlInfo&, const QString& text, int value) {
      events << QStringLiteral("commit:%1=%2").arg(text).arg(value);
    };
    info.SelectChannel = [this](int channel) { events << QString("select:%1").arg(channel); };
  }
  // Keys in order; "@N " lets N milliseconds pass.
  void Type(const char* keys) {
    for (const char* k = keys; *k; ++k) {
      char* end = nullptr;
      if (*k != '@')
        info.Key(QChar::fromLatin1(*k));
      else
        test::Clock().Advance(std::strtol(k + 1, &end, 10)), k = end;
    }
  }
  // Only the commit and select events, which is what a finished entry amounts to.
  QString Outcome() const { return events.filter(QRegularExpression("^[cs]")).join(' '); }
};

}  // namespace

TEST(HotkeyControlInfo, TypedEntriesCommitAfterTheDelay) {
  // A leading zero is dropped; "." after a digit is ignored; "0" alone commits nothing; the fifth
  // key abandons the entry, silently, prefix and all; Enter commits at once, and only once, and
  // on an empty entry selects channel 0 without a commit.
  // clang-format off
  const std::pair<const char*, const char*> rows[] = {
      {".5", "commit:15=105 select:105"}, {".", "commit:1=100 select:100"},
      {".23", "commit:123=123 select:123"}, {".0", "commit:10=100 select:100"},
      {"42", "commit:42=42 select:42"}, {"10", "commit:10=10 select:10"},
      {"01", "commit:1=1 select:1"}, {"5.", "commit:5=5 select:5"},
      {"1234", "commit:1234=1234 select:1234"}, {"0", ""}, {"12345", ""},
      {".2345@3000 7", "commit:7=7 select:7"}, {".7\r", "commit:17=107 select:107"},
      {"\r", "select:0"}};
  // clang-format on
  for (const auto& [keys, outcome] : rows) {
    SCOPED_TRACE(keys);
    Entry entry;
    entry.Type(keys);
    test::Clock().Advance(1000);
    EXPECT_EQ(entry.Outcome(), outcome);
    EXPECT_TRUE(entry.info.TypedText.isEmpty());
    EXPECT_FALSE(entry.info.HundredPrefix || entry.info.CommitTimer.Enabled());
  }
}

TEST(HotkeyControlInfo, ShowsTheTextAsItGrowsEveryKeyRestartsTheDelayAndTextsHaveValues) {
  Entry entry;
  entry.Type(".2");
  EXPECT_EQ(entry.events, QStringList({"text:1", "text:12"}));
  EXPECT_TRUE(entry.info.HundredPrefix);
  Entry ignored;
  ignored.Type("0");
  EXPECT_EQ(ignored.events, QStringList({"text:"}));
  ignored.Type("4@600 x.@999 ");  // neither "x" nor "." changes the text
  EXPECT_EQ(ignored.events, QStringList({"text:", "text:4", "text:4", "text:4"}));
  EXPECT_EQ(ignored.Outcome() + ignored.info.TypedText, "4") << "1599 ms after the first key";
  test::Clock().Advance(1);
  EXPECT_EQ(ignored.Outcome(), "commit:4=4 select:4");
  test::Clock().Advance(5000);  // and only once
  EXPECT_EQ(ignored.Outcome(), "commit:4=4 select:4");
  // The value of a text, with and without the hundred prefix (typed entries above give the rest).
  for (const auto& [text, hundred] : {std::pair{"", false}, {"", true}, {".5", false}}) {
    THotkeyControlInfo info;
    info.HundredPrefix = hundred;
    EXPECT_EQ(info.ValueOf(text), 0) << text << " " << hundred;
  }
  THotkeyControlInfo info;  // the prefix is used up
  info.HundredPrefix = true;
  EXPECT_EQ(QList<int>({info.ValueOf("15"), info.ValueOf("15")}), QList<int>({105, 15}));
}
