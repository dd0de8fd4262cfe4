// Scheduled.json: a timetable that loads writes JSON that reads back to the same JSON.

#include "FuzzTarget.h"
#include "Timetable.h"

using namespace pvx;
using scheduled::TTimetable;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Put(TTimetable::kFileName, fuzz::Bytes(data, size));
  TTimetable table;
  QString reason;
  if (table.Load(TTimetable::DefaultPath(), &reason) != TTimetable::TLoad::Ok) {
    fuzz::Expect(table.Entries.isEmpty() && !reason.isEmpty());
    return 0;
  }
  const QByteArray json = table.ToJson();
  TTimetable back;
  fuzz::Expect(back.FromJson(json, &reason) && back.ToJson() == json);
  return 0;
}
