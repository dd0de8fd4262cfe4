#include <gtest/gtest.h>

#include "platform/components/Registration.h"
#include "platform/components/TDeinterlacer.h"
#include "platform/components/TInfinitePinTee.h"
#include "platform/components/TOverlayMixer.h"
#include "platform/components/TSampleGrabberEx.h"
#include "platform/components/TSmartTee.h"
#include "platform/components/TVideoDecoder.h"
#include "platform/graph/TComponentRegistry.h"

namespace pvx::test {
namespace {

using namespace platform::graph;
using namespace platform::components;

const QStringList kNames = {"Smart Tee",
                            "Infinite Pin Tee Filter",
                            "Overlay Mixer",
                            "OKA Deinterlacer",
                            "Sample Grabber",
                            "OKA MPEG Video Decoder",
                            "MPEG Video Decoder",
                            "WMVideo Decoder DMO",
                            "DivX Decoder Filter",
                            "okaMPEG2VideoDecoder"};

TEST(PreviewComponents, AreLegacyFiltersInRegistrationOrder) {
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  QStringList names;
  for (const TMoniker& m : registry.Enumerate(DeviceCategory::LegacyFilter))
    names << m.FriendlyName;
  EXPECT_EQ(names, kNames);
  EXPECT_TRUE(registry.Enumerate(DeviceCategory::VideoCompressor).empty());
  EXPECT_EQ(registry.Create(DeviceCategory::VideoCompressor, "smart tee"), nullptr);
}

TEST(PreviewComponents, EachBuildsABinWithAPadPerPin) {
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  for (const TMoniker& m : registry.Enumerate(DeviceCategory::LegacyFilter)) {
    auto filter = m.Bind();
    ASSERT_NE(filter, nullptr) << m.FriendlyName.toStdString();
    EXPECT_EQ(filter->FriendlyName(), m.FriendlyName);
    ASSERT_NE(filter->Element(), nullptr) << m.FriendlyName.toStdString();
    for (const auto& pin : filter->Pins())
      EXPECT_NE(pin->Pad(), nullptr) << m.FriendlyName.toStdString() << " "
                                     << pin->Name().toStdString();
  }
}

struct LookupCase {
  const char* part;
  const char* friendlyName;
  bool (*isKind)(TFilter&);
};

template <typename T>
bool Is(TFilter& f) {
  return dynamic_cast<T*>(&f) != nullptr;
}
bool IsMpeg12(TFilter& f) {
  auto* d = dynamic_cast<TVideoDecoder*>(&f);
  return d && d->Kind() == VideoDecoderKind::Mpeg12;
}
bool IsMpeg4(TFilter& f) {
  auto* d = dynamic_cast<TVideoDecoder*>(&f);
  return d && d->Kind() == VideoDecoderKind::Mpeg4;
}

class PreviewLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(PreviewLookup, FindsByACaseInsensitivePartOfTheName) {
  const LookupCase& c = GetParam();
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  auto filter = registry.Create(DeviceCategory::LegacyFilter, c.part);
  ASSERT_NE(filter, nullptr) << c.part;
  EXPECT_EQ(filter->FriendlyName(), c.friendlyName);
  EXPECT_TRUE(c.isKind(*filter)) << c.part;

  // Once unregistered, the part finds nothing (every part here names one entry only).
  if (QString(c.part).compare("mpeg video decoder", Qt::CaseInsensitive) == 0) return;
  EXPECT_TRUE(registry.Unregister(c.friendlyName));
  EXPECT_EQ(registry.Create(DeviceCategory::LegacyFilter, c.part), nullptr) << c.part;
}

INSTANTIATE_TEST_SUITE_P(
    Parts, PreviewLookup,
    ::testing::Values(LookupCase{"SMART tee", "Smart Tee", Is<TSmartTee>},
                      LookupCase{"infinite pin", "Infinite Pin Tee Filter", Is<TInfinitePinTee>},
                      LookupCase{"overlay", "Overlay Mixer", Is<TOverlayMixer>},
                      LookupCase{"deinterlacer", "OKA Deinterlacer", Is<TDeinterlacer>},
                      LookupCase{"sample grab", "Sample Grabber", Is<TSampleGrabberEx>},
                      // The first registered name containing the part wins.
                      LookupCase{"mpeg video decoder", "OKA MPEG Video Decoder", IsMpeg12},
                      LookupCase{"wmvideo", "WMVideo Decoder DMO", IsMpeg4},
                      LookupCase{"divx", "DivX Decoder Filter", IsMpeg4},
                      LookupCase{"OKAMPEG2", "okaMPEG2VideoDecoder", IsMpeg12}));

TEST(PreviewComponents, PlainMpegDecoderNameIsFoundAfterTheOkaOneGoes) {
  TComponentRegistry registry;
  RegisterPreviewComponents(registry);
  ASSERT_TRUE(registry.Unregister("OKA MPEG Video Decoder"));
  auto filter = registry.Create(DeviceCategory::LegacyFilter, "MPEG Video Decoder");
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->FriendlyName(), "MPEG Video Decoder");
  EXPECT_TRUE(IsMpeg12(*filter));
  ASSERT_TRUE(registry.Unregister("MPEG Video Decoder"));
  EXPECT_EQ(registry.Create(DeviceCategory::LegacyFilter, "MPEG Video Decoder"), nullptr);
}

}  // namespace
}  // namespace pvx::test
