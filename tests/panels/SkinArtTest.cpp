#include <gtest/gtest.h>

#include <QRegion>

#include "panels/SkinArt.h"
#include "panels/UIInfo.h"
#include "support/TestEnvironment.h"

namespace pvx::panels {
namespace {

struct TLabelSample {
  QRect Box;  // where the panel's label sits, with room for a typical text
  const char* Text;
};

struct SkinCase {
  const char* Name;
  TSkinArt (*Paint)(qreal);
  std::vector<QRect> Items;     // by index; empty ones have no artwork
  std::vector<QRect> ExtraArt;  // picture parts the panels copy from outside the item rectangles
  std::vector<TLabelSample> Labels;
};

template <size_t N>
std::vector<QRect> Rects(const std::array<TUIItemDef, N>& table) {
  std::vector<QRect> rects;
  for (const TUIItemDef& d : table) rects.emplace_back(d.Left, d.Top, d.Right - d.Left, d.Bottom - d.Top);
  return rects;
}

const std::vector<SkinCase>& Cases() {
  static const std::vector<SkinCase> cases{
      {"tv",
       PaintTVSkin,
       Rects(TUIInfo::TVTable()),
       {QRect(30, 92, 6, 13)},
       {{QRect(109, 49, 52, 14), "12:34:56"},
        {QRect(58, 69, 72, 14), "Time-Shifting"},
        {QRect(150, 69, 50, 14), "12.50 MB"},
        {QRect(112, 84, 80, 14), "0:01:05"},
        {QRect(50, 83, 38, 14), "Stereo"},
        {QRect(103, 83, 34, 14), "Sleep"},
        {QRect(178, 125, 24, 16), "12"}}},
      {"fm",
       PaintFMSkin,
       Rects(TUIInfo::FMTable()),
       {QRect(79, 142, 111, 16)},
       {{QRect(88, 32, 52, 14), "18:05:09"},
        {QRect(89, 56, 40, 14), "FM"},
        {QRect(152, 56, 72, 14), "88.10 MHz"},
        {QRect(233, 31, 24, 16), "12"}}},
  };
  return cases;
}

const QImage& Look(const TSkinArt& art, int look) {
  const QImage* looks[] = {&art.Disabled, &art.Enabled, &art.Pressed, &art.Hover};
  return *looks[look];
}
const char* kLookNames[] = {"disabled", "enabled", "pressed", "hover"};

class SkinArtTest : public ::testing::TestWithParam<size_t> {
 protected:
  const SkinCase& Skin() const { return Cases()[GetParam()]; }
};

// At each ratio the pictures have the skin's size times the ratio, and the four looks agree
// outside the items; items and labels lie inside the outline.
TEST_P(SkinArtTest, PicturesHaveTheSizeTimesTheRatioLooksAgreeOutsideAndDifferInsideTheItems) {
  QRegion items;
  for (const QRect& r : Skin().Items) items += r;
  for (const QRect& r : Skin().ExtraArt) items += r;
  for (const qreal dpr : {1.0, 2.0}) {
    const TSkinArt art = Skin().Paint(dpr);
    ASSERT_TRUE(art.IsValid());
    std::vector<const QImage*> pictures{&art.Disabled, &art.Enabled, &art.Pressed, &art.Hover};
    if (!art.UnderLayer.isNull()) pictures.push_back(&art.UnderLayer);
    for (const QImage* image : pictures) {
      EXPECT_EQ(image->size(), art.Size * dpr) << Skin().Name << " at " << dpr;
      EXPECT_EQ(image->devicePixelRatio(), dpr);
    }
    int sampled = 0;
    for (int y = 0; y < art.Size.height(); y += 2)
      for (int x = 0; x < art.Size.width(); x += 2) {
        if (items.contains(QPoint(x, y))) continue;
        const QPoint d(qRound(x * dpr), qRound(y * dpr));
        const QRgb enabled = art.Enabled.pixel(d);
        for (int look : {0, 2, 3})
          ASSERT_EQ(Look(art, look).pixel(d), enabled)
              << Skin().Name << " " << kLookNames[look] << " at " << x << "," << y;
        ++sampled;
      }
    EXPECT_GT(sampled, art.Size.width() * art.Size.height() / 8);
  }

  // Every item looks different in each state and lies inside the outline; labels stand out.
  const TSkinArt art = Skin().Paint(1);
  items = QRegion();
  for (const QRect& item : Skin().Items) {
    items += item;
    for (int a = item.isEmpty() ? 4 : 0; a < 4; ++a)
      for (int b = a + 1; b < 4; ++b)
        EXPECT_NE(Look(art, a).copy(item), Look(art, b).copy(item))
            << Skin().Name << " item at " << item.x() << "," << item.y() << ": " << kLookNames[a] << " vs "
            << kLookNames[b];
  }
  // The knob picture and the bar's overhang lie partly outside the items; there too the hover
  // look must show something of its own.
  for (const QRect& extra : Skin().ExtraArt) {
    const QRegion outside = QRegion(extra).subtracted(items);
    ASSERT_FALSE(outside.isEmpty());
    bool differs = false;
    for (const QRect& r : outside) differs = differs || art.Hover.copy(r) != art.Enabled.copy(r);
    EXPECT_TRUE(differs) << Skin().Name << " picture at " << extra.x() << "," << extra.y();
  }
  QRegion outline;
  for (const QRect& r : art.Outline) outline += r;
  ASSERT_FALSE(outline.isEmpty());
  EXPECT_FALSE(outline.contains(QPoint(0, 0)));  // the body's corners are rounded off
  EXPECT_TRUE(outline.subtracted(QRect(QPoint(0, 0), art.Size)).isEmpty());
  for (const QRect& r : Skin().Items)
    EXPECT_TRUE(r.isEmpty() || QRegion(r).subtracted(outline).isEmpty())
        << Skin().Name << " item at " << r.x() << "," << r.y();
  for (const TLabelSample& label : Skin().Labels) {
    EXPECT_TRUE(QRegion(label.Box).subtracted(outline).isEmpty()) << Skin().Name << " label " << label.Text;
    // Labels sit on a display window that sets their colour off.
    const int under = qGray(art.Enabled.pixel(label.Box.center()));
    EXPECT_GE(std::abs(qGray(art.LabelColor.rgb()) - under), 100) << Skin().Name << " label " << label.Text;
  }
}

// The artwork as approved, in every look.
TEST_P(SkinArtTest, PaintsTheApprovedArtwork) {
  const QString name = Skin().Name;
  const TSkinArt art = Skin().Paint(1);
  for (int look = 0; look < 4; ++look)
    EXPECT_TRUE(pvx::test::LooksAsStored(Look(art, look), name + "-" + kLookNames[look]));
  if (!art.UnderLayer.isNull()) {
    EXPECT_TRUE(pvx::test::LooksAsStored(art.UnderLayer, name + "-under"));
  }
}

INSTANTIATE_TEST_SUITE_P(Skins, SkinArtTest, ::testing::Values(size_t(0), size_t(1)),
                         [](const auto& info) { return std::string(Cases()[info.param].Name); });

}  // namespace
}  // namespace pvx::panels
