// SPDX-License-Identifier: MIT
#include "module/module_entry.h"

namespace bmpresize {

int ModuleEntry(void* instance, std::uint32_t reason, ModuleFramework& framework, ExtensionModule& module) {
  switch (reason) {
    case kProcessAttach:
      framework.PrepareModuleState();
      if (!framework.InitExtensionModule(module, instance)) return 0;
      framework.RegisterDynamicLibrary(module);
      return 1;
    case kProcessDetach:
      framework.TerminateExtensionModule(module);
      return 1;
    default:
      return 1;
  }
}

int ModuleEntry(void* instance, std::uint32_t reason) {
  static ExtensionModule thisModule;
  return ModuleEntry(instance, reason, StandInFramework(), thisModule);
}

}  // namespace bmpresize
