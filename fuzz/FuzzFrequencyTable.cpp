// TVTable.tbl: a record loads exactly when the file holds all of it, and every frequency is a
// whole number of table units.

#include "FuzzTarget.h"
#include "tuning/FrequencyTable.h"

using namespace pvx;
using namespace pvx::tuning;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Put(kTVTableFileName, fuzz::Bytes(data, size));
  for (int index = 0; index <= int(size) / kTableRecordSize + 1; ++index) {
    TFrequencyBlock antenna{};
    TFrequencyBlock cable{};
    const bool loaded = LoadFrequencyTable(index, antenna, cable);
    fuzz::Expect(loaded == (size_t(index + 1) * kTableRecordSize <= size));
    for (int n = 0; n <= kChannelCount; ++n)
      fuzz::Expect(antenna[n] % kTableUnitHz == 0 && cable[n] % kTableUnitHz == 0);
  }
  return 0;
}
