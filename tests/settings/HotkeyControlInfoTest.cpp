#include <gtest/gtest.h>

#include <QStringList>
#include <cstdlib>

#include "platform/Clock.h"
#include "settings/HotkeyControlInfo.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using settings::THotkeyControlInfo;

TEST(HotkeyControlInfo, TypedEntriesShowTheirTextAndCommitOnceAfterTheDelayOrAtEnter) {
  // A leading zero is dropped; "." after a digit is ignored; "0" alone commits nothing; the fifth
  // key abandons the entry, silently, prefix and all; Enter commits at once, and only once, and
  // on an empty entry selects channel 0 without a commit. Every key restarts the delay: "|"
  // marks a moment in the events, "@N " lets N milliseconds pass.
  // clang-format off
  const std::pair<const char*, const char*> rows[] = {
      {".5", "text:1 text:15 commit:15=105 select:105"}, {".", "text:1 commit:1=100 select:100"},
      {".23", "text:1 text:12 text:123 commit:123=123 select:123"},
      {".0", "text:1 text:10 commit:10=100 select:100"}, {"10", "text:1 text:10 commit:10=10 select:10"},
      {"01", "text: text:1 commit:1=1 select:1"}, {"9.", "text:9 text:9 commit:9=9 select:9"},
      {"1234", "text:1 text:12 text:123 text:1234 commit:1234=1234 select:1234"}, {"0", "text:"},
      {"12345", "text:1 text:12 text:123 text:1234"},
      {".2345@3000 7", "text:1 text:12 text:123 text:1234 text:7 commit:7=7 select:7"},
      {".7\r@5000 ", "text:1 text:17 commit:17=107 select:107"}, {"\r", "select:0"},
      {"4@600 x.@999 |@1 |@5000 ", "text:4 text:4 text:4 | commit:4=4 select:4 |"}};
  // clang-format on
  for (const auto& [keys, events] : rows) {
    SCOPED_TRACE(keys);
    THotkeyControlInfo info;
    QStringList heard;
    info.OnTextChange = [&](THotkeyControlInfo&, const QString& text) { heard << "text:" + text; };
    info.OnCommit = [&](THotkeyControlInfo&, const QString& text, int value) {
      heard << QStringLiteral("commit:%1=%2").arg(text).arg(value);
    };
    info.SelectChannel = [&](int channel) { heard << QString("select:%1").arg(channel); };
    for (const char* k = keys; *k; ++k) {
      char* end = nullptr;
      if (*k == '@')
        test::Clock().Advance(std::strtol(k + 1, &end, 10)), k = end;
      else if (*k == '|')
        heard << "|";
      else
        info.Key(QChar::fromLatin1(*k));
    }
    test::Clock().Advance(1000);
    EXPECT_EQ(heard.join(' '), events);
    EXPECT_TRUE(info.TypedText.isEmpty());
    EXPECT_FALSE(info.HundredPrefix || info.CommitTimer.Enabled());
  }
  // The value of a text, with and without the hundred prefix, which is used up.
  THotkeyControlInfo info;
  info.HundredPrefix = true;
  EXPECT_EQ(QList<int>({info.ValueOf(".5"), info.ValueOf("15"), info.ValueOf("15")}),
            QList<int>({0, 105, 15}));
  info.HundredPrefix = true;
  EXPECT_EQ(QList<int>({info.ValueOf(""), info.ValueOf("5")}), QList<int>({0, 100}));
}
