#include "settings/HotkeyControlInfo.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "platform/Clock.h"
#include "support/TestEnvironment.h"

using namespace pvx;
using settings::THotkeyControlInfo;

namespace {

constexpr char kEnter = '\r';

// Records what the entry tells the outside, in order, as "text:..", "commit:..=N", "select:N".
struct Entry {
  THotkeyControlInfo info;
  QStringList events;

  Entry() {
    info.OnTextChange = [this](THotkeyControlInfo& sender, const QString& text) {
      EXPECT_EQ(&sender, &info);
      events << "text:" + text;
    };
    info.OnCommit = [this](THotkeyControlInfo& sender, const QString& text, int value) {
      EXPECT_EQ(&sender, &info);
      events << QStringLiteral("commit:%1=%2").arg(text).arg(value);
    };
    info.SelectChannel = [this](int channel) { events << QStringLiteral("select:%1").arg(channel); };
  }

  void Type(const char* keys) {
    for (const char* k = keys; *k; ++k) info.Key(QChar::fromLatin1(*k));
  }

  // Only the commit and select events, which is what a finished entry amounts to.
  QStringList Outcome() const {
    QStringList outcome;
    for (const QString& e : events)
      if (!e.startsWith("text:")) outcome << e;
    return outcome;
  }
};

}  // namespace

TEST(HotkeyControlInfo, StartsIdleWithAOneSecondCommitTimer) {
  THotkeyControlInfo info;
  EXPECT_TRUE(info.TypedText.isEmpty());
  EXPECT_FALSE(info.HundredPrefix);
  EXPECT_FALSE(info.CommitTimer.Enabled());
  EXPECT_EQ(info.CommitTimer.Interval(), 1000);
}

TEST(HotkeyControlInfo, TypedEntriesCommitAfterTheDelay) {
  struct Row {
    const char* keys;
    QStringList outcome;
  };
  const Row rows[] = {
      {".5", {"commit:15=105", "select:105"}},
      {".", {"commit:1=100", "select:100"}},
      {".23", {"commit:123=123", "select:123"}},
      {".0", {"commit:10=100", "select:100"}},
      {"42", {"commit:42=42", "select:42"}},
      {"10", {"commit:10=10", "select:10"}},
      {"01", {"commit:1=1", "select:1"}},        // a leading zero is dropped
      {"5.", {"commit:5=5", "select:5"}},        // "." after a digit is ignored
      {"1234", {"commit:1234=1234", "select:1234"}},
      {"0", {}},                                  // nothing typed: nothing to commit
      {"12345", {}},                              // the fifth key abandons the entry
  };
  for (const Row& row : rows) {
    Entry entry;
    entry.Type(row.keys);
    test::Clock().Advance(1000);
    EXPECT_EQ(entry.Outcome(), row.outcome) << row.keys;
    EXPECT_TRUE(entry.info.TypedText.isEmpty()) << row.keys;
    EXPECT_FALSE(entry.info.HundredPrefix) << row.keys;
    EXPECT_FALSE(entry.info.CommitTimer.Enabled()) << row.keys;
  }
}

TEST(HotkeyControlInfo, ShowsTheTextAsItGrows) {
  Entry entry;
  entry.Type(".2");
  EXPECT_EQ(entry.events, QStringList({"text:1", "text:12"}));
  EXPECT_TRUE(entry.info.HundredPrefix);
}

TEST(HotkeyControlInfo, IgnoredKeysStillReportTheTextAndRestartTheDelay) {
  Entry entry;
  entry.Type("0");
  EXPECT_EQ(entry.events, QStringList({"text:"}));
  entry.Type("4");
  test::Clock().Advance(600);
  entry.Type("x.");  // neither changes the text
  EXPECT_EQ(entry.events, QStringList({"text:", "text:4", "text:4", "text:4"}));
  test::Clock().Advance(600);
  EXPECT_TRUE(entry.Outcome().isEmpty());
  test::Clock().Advance(400);
  EXPECT_EQ(entry.Outcome(), QStringList({"commit:4=4", "select:4"}));
}

TEST(HotkeyControlInfo, CommitsOneSecondAfterTheLastKeyNotBefore) {
  Entry entry;
  entry.Type("4");
  test::Clock().Advance(900);
  entry.Type("2");  // restarts the second
  test::Clock().Advance(999);
  EXPECT_TRUE(entry.Outcome().isEmpty());
  EXPECT_EQ(entry.info.TypedText, "42");
  test::Clock().Advance(1);
  EXPECT_EQ(entry.Outcome(), QStringList({"commit:42=42", "select:42"}));
  test::Clock().Advance(5000);  // and only once
  EXPECT_EQ(entry.Outcome().size(), 2);
}

TEST(HotkeyControlInfo, EnterCommitsAtOnce) {
  Entry entry;
  entry.Type(".7");
  entry.info.Key(QChar::fromLatin1(kEnter));
  EXPECT_EQ(entry.Outcome(), QStringList({"commit:17=107", "select:107"}));
  EXPECT_TRUE(entry.info.TypedText.isEmpty());
  EXPECT_FALSE(entry.info.CommitTimer.Enabled());
  test::Clock().Advance(2000);
  EXPECT_EQ(entry.Outcome().size(), 2);
}

TEST(HotkeyControlInfo, EnterOnAnEmptyEntrySelectsChannelZeroWithoutACommit) {
  Entry entry;
  entry.info.Key(QChar::fromLatin1(kEnter));
  EXPECT_EQ(entry.events, QStringList({"select:0"}));
}

TEST(HotkeyControlInfo, FifthKeyClearsWithoutSelectingOrReporting) {
  Entry entry;
  entry.Type("1234");
  entry.events.clear();
  entry.Type("5");
  EXPECT_TRUE(entry.events.isEmpty());
  EXPECT_TRUE(entry.info.TypedText.isEmpty());
  EXPECT_FALSE(entry.info.CommitTimer.Enabled());
  test::Clock().Advance(3000);
  EXPECT_TRUE(entry.events.isEmpty());
}

TEST(HotkeyControlInfo, AnAbandonedHundredEntryDoesNotLeakIntoTheNextOne) {
  Entry entry;
  entry.Type(".234");
  entry.Type("5");  // abandons "1234"
  entry.Type("7");
  test::Clock().Advance(1000);
  EXPECT_EQ(entry.Outcome(), QStringList({"commit:7=7", "select:7"}));
}

TEST(HotkeyControlInfo, ValueOfText) {
  struct Row {
    const char* text;
    bool hundred;
    int value;
  };
  const Row rows[] = {
      {"", false, 0},     {"", true, 0},       {".5", false, 0},  {"42", false, 42},
      {"1", true, 100},   {"15", true, 105},   {"10", true, 100}, {"123", true, 123},
      {"1", false, 1},    {"1234", false, 1234},
  };
  for (const Row& row : rows) {
    THotkeyControlInfo info;
    info.HundredPrefix = row.hundred;
    EXPECT_EQ(info.ValueOf(row.text), row.value) << row.text << " " << row.hundred;
  }
}

TEST(HotkeyControlInfo, ValueOfUsesUpTheHundredPrefix) {
  THotkeyControlInfo info;
  info.HundredPrefix = true;
  EXPECT_EQ(info.ValueOf("15"), 105);
  EXPECT_FALSE(info.HundredPrefix);
  EXPECT_EQ(info.ValueOf("15"), 15);
}
