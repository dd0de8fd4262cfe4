// XMLTV import: every programme of a listing becomes an entry or a line saying why not, and
// every entry lasts between a second and a day with a file name free of folder separators.

#include "FuzzTarget.h"
#include "XmltvImport.h"
#include "handoff/RelayRecord.h"

using namespace pvx;
using namespace pvx::scheduled;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QList<TProgramChannel> channels{{handoff::rsAntenna, 7, "Seven Sports"},
                                               {handoff::rsFM, 3, "News 24"}};
  QList<TXmltvProgramme> programmes;
  QString reason;
  if (!ParseXmltv(fuzz::Bytes(data, size), programmes, &reason)) {
    fuzz::Expect(programmes.isEmpty() && !reason.isEmpty());
    return 0;
  }
  const TXmltvImport import = EntriesOfProgrammes(programmes, channels);
  fuzz::Expect(import.Entries.size() + import.Skipped.size() == programmes.size());
  for (const TScheduleEntry& e : import.Entries) {
    fuzz::Expect(e.DurationSeconds >= 1 && e.DurationSeconds <= kMaxDurationSeconds);
    fuzz::Expect(!e.BaseName.contains('/') && !e.BaseName.contains('\\'));
  }
  return 0;
}
