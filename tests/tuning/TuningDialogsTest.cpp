// The fine-tune, video-source and add-to-memory dialogs, driven by the keyboard where a user
// would.

#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "app/FormTestSupport.h"
#include "settings/SettingsTestSupport.h"
#include "tuning/AddFMForm.h"
#include "tuning/AddMemoryForm.h"
#include "tuning/FineTuneDialog.h"
#include "tuning/FrequencyText.h"
#include "tuning/VideoSourceDialog.h"

using namespace pvx;
using namespace pvx::tuning;
using test::Child;

namespace {

constexpr qint32 kBase = 55250000;

// Keys as a user types them: each to the dialog's focused control.
void Keys(QWidget& dialog, const std::vector<Qt::Key>& keys, const char* text = "") {
  // Arrow keys between radio buttons follow the application's focus: the dialog must be active.
  dialog.activateWindow();
  ASSERT_TRUE(test::WaitUntil([&] { return dialog.isActiveWindow(); }));
  for (Qt::Key key : keys) {
    QWidget* focus = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
    key == Qt::Key_unknown ? QTest::keyClicks(focus, text) : QTest::keyClick(focus, key);
  }
}

class TuningDialogs : public ::testing::Test {
 protected:
  TuningDialogs() { channels.UseAntenna(12); }
  test::Channels channels;
};

}  // namespace

// The frequency text: whole megahertz and the fraction without trailing zeros. The slider starts
// at the offset in steps, within its range. Keys on the open dialog; then the stored frequency
// and the tunings the card saw.
TEST_F(TuningDialogs, FineTuneFollowsTheSliderLiveAndCancelRetunesWhereItWas) {
  for (const auto& [hertz, text] : {std::pair{55250000, "55.25"}, {100000000, "100.0"}, {87900000, "87.9"},
                                    {0, "0.0"}, {123456789, "123.456789"}, {50000, "0.05"}})
    EXPECT_EQ(FrequencyText(hertz), text) << hertz;
  constexpr qint32 entry = kBase + 100000;  // slider at 2
  // Vectors: an initializer_list inside a tuple dies with the row's initialisation.
  const std::tuple<std::vector<Qt::Key>, qint32, qint32, QStringList> rows[] = {
      {{Qt::Key_Right, Qt::Key_Right, Qt::Key_Return}, entry, kBase + 200000, {"tv 55400000", "tv 55450000"}},
      {{Qt::Key_Right, Qt::Key_Escape}, entry, entry, {"tv 55400000", "tv 55350000"}},
      {{Qt::Key_Return}, entry, entry, {}},
      {{Qt::Key_Escape}, entry, entry, {"tv 55350000"}},
      {{Qt::Key_Tab, Qt::Key_Space, Qt::Key_Return}, entry, kBase, {"tv 55250000"}},  // Default
      // Default with the slider at 0 already still tunes and keeps the table frequency.
      {{Qt::Key_Tab, Qt::Key_Space, Qt::Key_Return}, kBase + 30000, kBase, {"tv 55250000"}},
  };
  for (const auto& [offset, position] :
       {std::pair{10000000, 125}, {-3000000, -60}, {49999, 0}, {-10000000, -125}}) {
    TDialogFineTune dialog(&channels.tuner, kBase + offset, kBase);
    EXPECT_EQ(Child<QSlider>(dialog, "TrackBarTuning")->value(), position) << offset;
    EXPECT_EQ(Child<QLabel>(dialog, "LabelFrequency")->text(), FrequencyText(kBase + offset));
  }
  EXPECT_TRUE(channels.tuner.Log.isEmpty()) << "opening tunes nothing";
  for (const auto& [keys, start, stored, tuned] : rows) {
    quint32 frequency = start;
    channels.Clear();
    test::ModalAnswer<TDialogFineTune> answer([&](TDialogFineTune& dialog) { Keys(dialog, keys); });
    EXPECT_EQ(FineTune(&channels.tuner, nullptr, frequency, kBase), keys.back() == Qt::Key_Return);
    EXPECT_EQ(qint32(frequency), stored);
    EXPECT_EQ(channels.tuner.Log, tuned);
  }
  quint32 frequency = kBase;
  EXPECT_FALSE(FineTune(&channels.tuner, nullptr, frequency, 0)) << "no table frequency, no dialog";
}

// The dialogs step aside from the picture being tuned (placement: util's WindowPlacement test);
// the owner's window comes back after.
TEST_F(TuningDialogs, FineTuningLeavesThePictureItTunesFree) {
  const QRect picture(400, 332, 480, 360);
  QWidget owner;
  owner.setGeometry(450, 400, 300, 200), owner.show();
  const QPoint before = owner.pos();
  QRect during;
  quint32 frequency = kBase;
  test::ModalAnswer<TDialogFineTune> answer([&](TDialogFineTune& d) { during = owner.frameGeometry(); d.reject(); });
  FineTune(&channels.tuner, &owner, frequency, kBase, picture);
  EXPECT_FALSE(during.intersects(picture)) << during.x() << "," << during.y();
  EXPECT_EQ(owner.pos(), before);
}

TEST_F(TuningDialogs, VideoSourceStoresTheChosenEntryAndTheChannelBoxEvenWhenDisabled) {
  settings::TSourceMapCell cell;  // not set: Antenna and the current channel 12
  {
    test::ModalAnswer<TFormVideoSource> answer([](TFormVideoSource& dialog) {
      Keys(dialog, {Qt::Key_Down, Qt::Key_Down});  // from Antenna to Cable, then Composite
      EXPECT_FALSE(Child<QSpinBox>(dialog, "SpinEditChannel")->isEnabled());
      Keys(dialog, {Qt::Key_Return});
    });
    EXPECT_TRUE(EditSourceMap(nullptr, cell, false, channels.info.CurrentChannel()));
  }
  EXPECT_EQ(cell, (settings::TSourceMapCell{3, 12}));
  for (const auto& [kind, camera, index] : {std::tuple{2, false, 1}, {5, true, 4}, {5, false, 0}}) {
    cell = {quint8(kind), 33};
    test::ModalAnswer<TFormVideoSource> answer([&](TFormVideoSource& dialog) {
      EXPECT_EQ(dialog.ItemIndex(), index) << kind;
      EXPECT_EQ(Child<QSpinBox>(dialog, "SpinEditChannel")->value(), 33);
      EXPECT_EQ(Child<QSpinBox>(dialog, "SpinEditChannel")->isEnabled(), index < 2);
      QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(EditSourceMap(nullptr, cell, camera, channels.info.CurrentChannel()));
    EXPECT_EQ(cell, (settings::TSourceMapCell{quint8(kind), 33})) << "Cancel keeps the cell";
  }
}

TEST_F(TuningDialogs, AddFMProposesTheFirstEmptyMemoryOrOneWhenAllAreUsed) {
  for (int n = 1; n <= 50; ++n) channels.info.FMRecord(n)->Frequency = 100000000;
  for (const auto& [empty, proposed] : {std::pair{-1, 1}, {7, 7}}) {
    if (empty > 0) channels.info.FMRecord(empty)->Frequency = 0;
    test::ModalAnswer<TFormAddFMFrequency> answer([&](TFormAddFMFrequency& dialog) {
      EXPECT_EQ(Child<QSpinBox>(dialog, "SpinEditMemory")->value(), proposed);
      EXPECT_EQ(Child<QLabel>(dialog, "LabelFrequency")->text(), "87.90 MHz");
      Keys(dialog, {Qt::Key_Tab, Qt::Key_unknown, Qt::Key_Return}, "Radio Nord");
    });
    AddFMFrequency(channels.info, nullptr, 87900000);
    EXPECT_EQ(*channels.info.FMRecord(proposed), (settings::TFMMemoryChannelRecord{87900000, "Radio Nord"}));
  }
  AddFMFrequency(channels.info, nullptr, 0);  // no frequency, no dialog
}

TEST_F(TuningDialogs, AddMemoryStoresAntennaOrCableChannelsAndNothingFromTheMemoryTable) {
  channels.info.ClearMemories();
  channels.info.MemoryRecord(4)->Valid = true;  // the first in use is proposed
  for (const quint8 table :
       {settings::TChannelInfo::kMemory, settings::TChannelInfo::kAntenna, settings::TChannelInfo::kCable}) {
    channels.info.SetTable(table);
    test::ModalAnswer<TFormAddMemoryChannel> answer([&](TFormAddMemoryChannel& dialog) {
      EXPECT_EQ(Child<QSpinBox>(dialog, "SpinEditMemory")->value(), 4);
      Keys(dialog, {Qt::Key_Up, Qt::Key_Tab, Qt::Key_unknown, Qt::Key_Return}, "News");
    });
    AddMemoryChannel(channels.info, nullptr);
    // Nothing is stored while the memory table itself is current.
    const settings::TMemoryChannelRecord stored{true, table, 12, "News"};
    EXPECT_EQ(*channels.info.MemoryRecord(5),
              table == settings::TChannelInfo::kMemory ? settings::TMemoryChannelRecord{} : stored);
  }
}
