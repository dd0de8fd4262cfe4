// PInfo.cfg: whatever is read, every product text and device name is a single line.

#include "FuzzTarget.h"
#include "util/OEMInfo.h"

using namespace pvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Put("PInfo.cfg", fuzz::Bytes(data, size));
  const util::TOEMInfo info;
  for (const QString& text : {info.ProductName, info.MakerName, info.RightsText, info.VersionText,
                              info.WebAddress, info.MailAddress})
    fuzz::Expect(!text.contains('\n'));
  for (const QString& name : info.DeviceNames) fuzz::Expect(!name.contains('\n'));
  return 0;
}
