// The recording-format table: what every reader relies on, and that the settings dialog and the
// scheduler take the same profile from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "ScheduleEntry.h"
#include "formats/RecordFormats.h"
#include "ui/settings/CaptureProfiles.h"

using namespace pvx;
using namespace pvx::formats;

// A disc is made for one standard: its size and rate must be that standard's.
TEST(RecordFormats, DiscRowsKeepTheirStandardsSizeAndRate) {
  int discs = 0;
  for (const TRecordFormatDef& f : RecordFormats()) {
    SCOPED_TRACE(std::string(f.Name));
    EXPECT_NE(std::find(f.Sizes.begin(), f.Sizes.end(), f.Size), f.Sizes.end()) << "chosen size offered";
    if (!f.IsDisc()) continue;
    ++discs;
    const bool pal = f.Standard == Standard::Pal;
    EXPECT_TRUE(f.FrameRate == (pal ? kRate25 : kRate2997) && f.Size.Height % (pal ? 288 : 240) == 0);
    EXPECT_TRUE(f.Sizes.size() == 1 && !f.SizeFree && !f.FrameRateFree) << "one fixed size and rate";
    EXPECT_EQ(FindDiscFormat(f.Container, f.Standard), &f);
  }
  EXPECT_EQ(discs, 6);
}

TEST(RecordFormats, LookupsByStoredNumber) {
  // The format's name (nullptr: no such format) and its file extension.
  const struct { int stored; const char* name; const char* extension; } rows[] = {
      {0, "MPEG 1", "mpg"}, {2, "MPEG 4", "avi"}, {3, "AVI", "avi"}, {9, "SVCD (PAL)", "mpg"},
      {10, "MP4 (H.264)", "mp4"}, {12, "Matroska (HEVC)", "mkv"},
      {-1, nullptr, nullptr}, {13, nullptr, nullptr}, {255, nullptr, nullptr},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.stored);
    const TRecordFormatDef* f = FindRecordFormat(r.stored);
    if (!r.name) {
      EXPECT_EQ(f, nullptr);
      EXPECT_EQ(RecordFormatOrDefault(r.stored).Name, "MPEG 2");
      continue;
    }
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Name, r.name);
    EXPECT_EQ(ContainerOf(f->Container).Extension, r.extension);
  }
  EXPECT_EQ(FindAudioFormat(1)->Container, Container::Mp3);
  EXPECT_EQ(FindAudioFormat(2), nullptr);
  EXPECT_EQ(FindDiscFormat(Container::Avi, Standard::Pal), nullptr);
}

// A scheduled recording must get what the settings dialog would set for the same format (a PAL
// SVCD once got 29.97 frames a second from the scheduler and 25 from the dialog).
TEST(RecordFormats, TheSchedulerAndTheSettingsDialogAgree) {
  const QStringList names = ui::RecordFormatNames();
  ASSERT_EQ(scheduled::FormatNames(), names);
  std::set<QString> unique(names.begin(), names.end());
  EXPECT_EQ(unique.size(), size_t(names.size()));
  for (int format = 0; format < names.size(); ++format) {
    SCOPED_TRACE(names[format].toStdString());
    const ui::TCaptureProfile dialog = ui::CaptureProfile(format, 0);
    scheduled::TScheduleEntry entry;
    scheduled::ApplyFormatDefaults(entry, format);
    EXPECT_EQ(ui::SizeText(entry.CaptureWidth, entry.CaptureHeight), dialog.Size);
    EXPECT_EQ(scheduled::FormatSizes(format), dialog.Sizes);
    EXPECT_EQ(QList<int>({entry.VideoBitRateKbps, entry.Quality, entry.FrameRateCode}),
              QList<int>({dialog.BitRate, dialog.Quality, dialog.FrameRate + 1}));
  }
  EXPECT_EQ(scheduled::AudioFormatNames(), ui::AudioFormatNames());
}
