// Language/Lang.cfg and the language files: the bytes are both a language file named in the
// list and more of the list. Every language read can be chosen by its own name.

#include "FuzzTarget.h"
#include "settings/MultiLangInfo.h"

using namespace pvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes = fuzz::Bytes(data, size);
  fuzz::Put("Language/Lang.cfg", "Fuzz\n" + bytes);
  fuzz::Put("Language/Fuzz.lng", bytes);
  settings::TMultiLangInfo info(settings::LanguageListPath());
  fuzz::Expect(info.LanguageIndex == (info.Languages.isEmpty() ? -1 : 0));
  for (const QString& name : info.Languages) {
    info.SetLanguage(name);
    fuzz::Expect(info.LanguageIndex >= 0);
    fuzz::Expect(info.Languages[info.LanguageIndex].compare(name, Qt::CaseInsensitive) == 0);
    for (const QString& entry : info.ActiveEntries) {
      QString caption;
      fuzz::Expect(info.Lookup(entry.section('=', 0, 0), &caption) == !caption.isEmpty());
    }
  }
  return 0;
}
