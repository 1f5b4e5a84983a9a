#include "module/module_framework.h"

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
  static StandIn framework;
  return framework;
}
