#pragma once
// Test set-up that changes the main preferences through their one writer.

#include <utility>

#include "settings/MainInfo.h"

namespace pvx::test {

template <class Edit>
void EditPrefs(settings::TMainInfo& main, Edit&& edit) {
  settings::TMainPreferences prefs = main.Prefs();
  edit(prefs);
  main.SetPrefs(std::move(prefs));
}

}  // namespace pvx::test
