// The settings dialog's pages on their own: the profile reaction, folder refusal, the level
// labels, the refused audio device, in-place editing, Cancel and the keyboard.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "settings/ChannelInfo.h"
#include "settings/Globals.h"
#include "settings/MainInfo.h"
#include "settings/PreviewInfo.h"
#include "support/FakeDialogService.h"
#include "support/FakeSystemServices.h"
#include "support/TestEnvironment.h"
#include "ui/settings/CapturePage.h"
#include "ui/settings/CaptureProfiles.h"
#include "ui/settings/CellEditors.h"
#include "ui/settings/ConfigForm.h"
#include "ui/settings/FMPage.h"
#include "ui/settings/TunerPage.h"

namespace pvx::ui {
namespace {

using settings::TChannelInfo;

template <typename T>
T* Find(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

class ConfigForm : public ::testing::Test {
 protected:
  ConfigForm() {
    settings::MainInfo = &main;
    settings::ChannelInfo = &channels;
    settings::PreviewInfo = &preview;
    channels.VideoSource = TChannelInfo::kTuner;
    channels.CurrentTable = TChannelInfo::kAntenna;
    main.CaptureFolder = test::Home() + "old/";
    env.Recording = &recording;
  }
  ~ConfigForm() override {
    settings::MainInfo = nullptr;
    settings::ChannelInfo = nullptr;
    settings::PreviewInfo = nullptr;
  }
  TFormConfig& Open(bool fm = false) {
    env.FMMode = fm;
    form = std::make_unique<TFormConfig>(env, nullptr);
    return *form;
  }

  settings::TMainInfo main;
  TChannelInfo channels;
  settings::TPreviewInfo preview{channels};
  settings::TCaptureSettings recording;
  TConfigEnvironment env;
  std::unique_ptr<TFormConfig> form;
};

TEST_F(ConfigForm, PagesFollowTheModeAndTheSource) {
  auto pages = [this] {
    QStringList names;
    for (int i = 0; i < form->PageControlConfig->count(); ++i) names << form->PageControlConfig->widget(i)->objectName();
    return names;
  };
  Open();
  EXPECT_EQ(pages(), QStringList({"TabSheetTVTuner", "TabSheetPreview", "TabSheetCapture", "TabSheetVideo", "TabSheetOther"}));
  channels.VideoSource = TChannelInfo::kComposite;
  Open();
  EXPECT_EQ(pages(), QStringList({"TabSheetCapture", "TabSheetVideo", "TabSheetOther"}));
  Open(true);
  EXPECT_EQ(pages(), QStringList({"TabSheetFM"}));
}

// VCD (PAL) fixes size, bit rate, quality and frame rate; recording sound only, OK keeps the
// stored format fields whatever the form shows.
TEST_F(ConfigForm, VCDPALFixesItsControlsAndAudioOnlyKeepsTheFormatFields) {
  recording.CaptureWidth = 160, recording.CaptureHeight = 120;
  for (int audioOnly : {1, 0}) {
    const settings::TCaptureSettings before = recording;
    TFormConfig& f = Open();
    auto* format = Find<QComboBox>(f, "ComboBoxCaptureFormat");
    auto* size = Find<QComboBox>(f, "ComboBoxCaptureSize");
    EXPECT_EQ(size->currentText(), "160x120") << "the stored size is selected on opening";
    format->setCurrentIndex(format->findText("VCD (PAL)"));
    Find<QComboBox>(f, "ComboBoxCaptureAudioOption")->setCurrentIndex(audioOnly);
    auto* bitRate = Find<QSpinBox>(f, "SpinEditBitRate");
    auto* quality = Find<QComboBox>(f, "ComboBoxCaptureQuality");
    auto* rate = Find<QComboBox>(f, "ComboBoxFrameRate");
    EXPECT_EQ(QStringList({size->currentText(), QString::number(bitRate->value()), quality->currentText(),
                           rate->currentText()}),
              QStringList({"352x288", "1150", "Normal", "25"}));
    for (QWidget* w : std::initializer_list<QWidget*>{size, bitRate, quality, rate})
      EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    Find<QPushButton>(f, "BitBtnOK")->click();
    settings::TCaptureSettings expected = before;
    expected.RecordKind = quint8(audioOnly);
    expected.AudioInputIndex = 0;  // a negative index is stored as 0
    if (!audioOnly) {
      expected.RecordFormat = 5, expected.FrameRateCode = 3;
      expected.CaptureWidth = 352, expected.CaptureHeight = 288;
      expected.VideoBitRateKbps = 1150, expected.Quality = kQualityNormal;
    }
    EXPECT_EQ(recording, expected);
  }
}

TEST_F(ConfigForm, ReadOnlyFolderIsRefusedWithAMessage) {
  test::System().ReadOnlyPrefixes << test::Home() + "cdrom";
  TFormConfig& f = Open();
  auto* edit = Find<QLineEdit>(f, "EditStoreCaptureFilePath");
  // Browsing to it: the field keeps its text.
  test::Dialogs().FolderAnswers.push_back(test::Home() + "cdrom/films");
  Find<QAbstractButton>(f, "SbtnCaptureLocation")->click();
  EXPECT_EQ(edit->text(), main.CaptureFolder);
  ASSERT_EQ(test::Dialogs().Boxes.size(), 1u);
  EXPECT_TRUE(test::Dialogs().Boxes[0].text.contains("cdrom/films/")) << test::Dialogs().Boxes[0].text.toStdString();
  // Typing it: OK keeps the old folder and says so.
  edit->setText(test::Home() + "cdrom/films/");
  Find<QPushButton>(f, "BitBtnOK")->click();
  EXPECT_EQ(main.CaptureFolder, test::Home() + "old/");
  ASSERT_EQ(test::Dialogs().Boxes.size(), 2u);
  EXPECT_TRUE(test::Dialogs().Boxes[1].text.contains("is kept"));
  // A usable folder is created and taken.
  test::Dialogs().FolderAnswers.push_back(test::Home() + "films");
  TFormConfig& again = Open();
  Find<QAbstractButton>(again, "SbtnCaptureLocation")->click();
  Find<QPushButton>(again, "BitBtnOK")->click();
  EXPECT_EQ(main.CaptureFolder, test::Home() + "films/");
}

TEST_F(ConfigForm, FMLevelLabelAndFrequencyLimits) {
  channels.CurrentTable = TChannelInfo::kFM;
  TFormConfig& f = Open(true);
  auto* level = Find<QSlider>(f, "TrackBarFMRecorderVolume");
  level->setValue(32768);
  EXPECT_EQ(Find<QLabel>(f, "LabelFMRecorderVolume")->text(), "50%");

  TFMPage& page = *f.TabSheetFM;
  // A frequency from outside the tuner's range (an older settings file) is limited when edited.
  channels.FMRecord(3)->Frequency = 150000000;
  page.Editors->Open(2, TFMPage::kColFrequency);
  ASSERT_EQ(page.Editors->OpenEditor(), page.SpinEditFMFrequency);
  QTest::keyClick(page.SpinEditFMFrequency, Qt::Key_Return);
  EXPECT_EQ(channels.FMRecord(3)->Frequency, 108000000u) << "limited to the tuner's FM range";
  EXPECT_EQ(page.StringGridFMMemoryChannel->item(2, TFMPage::kColFrequency)->text(), "108000000");
}

TEST_F(ConfigForm, GridEditsGoStraightIntoTheRecordsAndEscapeDropsThem) {
  TFormConfig& f = Open();
  TTunerPage& page = *f.TabSheetTVTuner;
  QTableWidget* grid = page.StringGridChannelInfo;
  grid->setCurrentCell(4, TTunerPage::kColName);
  QTest::keyClick(grid, Qt::Key_Return);
  auto* name = Find<QLineEdit>(f, "EditChannelName");
  ASSERT_EQ(page.ChannelEditors->OpenEditor(), name);
  name->setText("News");
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_EQ(channels.AntennaChannels[4].Name, "News");
  EXPECT_EQ(grid->item(4, TTunerPage::kColName)->text(), "News");

  page.ChannelEditors->Open(4, TTunerPage::kColName);
  name->setText("Dropped");
  QTest::keyClick(name, Qt::Key_Escape);
  EXPECT_EQ(channels.AntennaChannels[4].Name, "News");

  // The cable option shows and edits the cable table.
  page.ComboBoxCableOption->setCurrentIndex(1);
  page.ChannelEditors->Open(0, TTunerPage::kColStatus);
  EXPECT_EQ(channels.CableChannels[0].Valid, true);
  EXPECT_EQ(channels.AntennaChannels[0].Valid, false);

  // A memory mapped to cable channel 7.
  page.MemoryEditors->Open(0, TTunerPage::kMemChannel);
  auto* spin = Find<QSpinBox>(f, "SpinEditMemoryChannel");
  spin->setValue(7);
  page.MemoryEditors->Commit();
  EXPECT_TRUE(channels.MemoryChannels[0].Valid);
  EXPECT_EQ(channels.MemoryChannels[0].Channel, 7);
  Find<QPushButton>(f, "BitBtnDeleteAll")->click();
  EXPECT_FALSE(channels.MemoryChannels[0].Valid);
}

TEST_F(ConfigForm, RefusedAudioDeviceMovesToANeighbour) {
  TCapturePage page(0, nullptr);
  page.Load(recording, {{}, {"Line In", "OKA 5170 Audio", "USB Audio"}, {}, {}}, 0);
  ASSERT_EQ(page.ComboBoxAudioCaptureDevice->count(), 3);
  for (auto [refused, expected] : {std::pair{1, 2}, std::pair{2, 1}}) {
    page.ComboBoxAudioCaptureDevice->setItemText(2, refused == 2 ? "oka 5170 second" : "USB Audio");
    test::Dialogs().Warnings.clear();
    page.ComboBoxAudioCaptureDevice->setCurrentIndex(0);
    page.ComboBoxAudioCaptureDevice->setCurrentIndex(refused);
    ASSERT_EQ(test::Dialogs().Warnings.size(), 1u);
    EXPECT_EQ(test::Dialogs().Warnings[0].join(""),
              "This is an invalid audio capture device, please select another audio capture device.");
    EXPECT_EQ(page.ComboBoxAudioCaptureDevice->currentIndex(), refused) << "moved by message 8024, later";
    QCoreApplication::processEvents();
    EXPECT_EQ(page.ComboBoxAudioCaptureDevice->currentIndex(), expected);
  }
}

TEST_F(ConfigForm, CancelPutsThePreviewGridBackAndEscapeCancels) {
  preview.CustomGrid[0][0] = {1, 5};
  TFormConfig& f = Open();
  preview.CustomGrid[0][0] = {3, 0};  // as the source dialog would have changed it
  Find<QComboBox>(f, "ComboBoxPreviewDimension")->setCurrentIndex(3);
  f.show();
  QTest::keyClick(&f, Qt::Key_Escape);
  EXPECT_EQ(f.result(), QDialog::Rejected);
  EXPECT_EQ(preview.CustomGrid[0][0], (settings::TSourceMapCell{1, 5}));
  EXPECT_EQ(preview.Dimension, 3);

  TFormConfig& g = Open();
  Find<QComboBox>(g, "ComboBoxPreviewDimension")->setCurrentIndex(0);
  g.show();
  QTest::keyClick(Find<QComboBox>(g, "ComboBoxMPEG4Codec"), Qt::Key_Return);
  EXPECT_EQ(g.result(), QDialog::Accepted) << "Enter is OK";
  EXPECT_EQ(preview.Dimension, 2);
}

}  // namespace
}  // namespace pvx::ui
