// SPDX-License-Identifier: MIT
#include "module/module_framework.h"

#include <new>

namespace bmpresize {

namespace {

// Where no application framework exists there is no module state to prepare
// and nothing to register with; initialisation always succeeds.
class StandIn final : public ModuleFramework {
 public:
  void PrepareModuleState() override {}
  bool InitExtensionModule(ExtensionModule&, void*) override { return true; }
  void TerminateExtensionModule(ExtensionModule&) override {}
  void RegisterDynamicLibrary(ExtensionModule&) override {}
};

}  // namespace

ModuleFramework& StandInFramework() {
  // Made on first use and never destroyed: the unload hook of a library that
  // is never closed runs after exit has destroyed the statics.
  alignas(StandIn) static unsigned char storage[sizeof(StandIn)];
  static StandIn* const framework = new (storage) StandIn;
  return *framework;
}

}  // namespace bmpresize
