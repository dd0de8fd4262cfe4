#include "platform/DialogService.h"

#include "platform/QtDialogService.h"

namespace pvx::platform {
namespace {
IDialogService* gDialogs = nullptr;
}

QtDialogService& DefaultDialogs() {
  static QtDialogService service;
  return service;
}

IDialogService& Dialogs() { return gDialogs ? *gDialogs : DefaultDialogs(); }

void SetDialogs(IDialogService* service) { gDialogs = service; }

}  // namespace pvx::platform
