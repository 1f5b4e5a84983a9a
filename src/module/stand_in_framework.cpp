#include <new>

#include "module/module_framework.h"

namespace {

// The framework's state record of this module: two pairs of fields whose
// second member holds a value to be handed over to the first at load time.
struct ModuleState {
  void* current[2] = {};
  void* pending[2] = {};
};

struct LibraryRegistration {
  ExtensionModule* module;
};

class StandIn final : public ModuleFramework {
 public:
  void PrepareModuleState() override {
    for (int i = 0; i < 2; ++i) {
      state_.current[i] = state_.pending[i];
      state_.pending[i] = nullptr;
    }
  }

  bool InitExtensionModule(ExtensionModule& module, void* instance) override {
    module.instance = instance;
    module.initialised = true;
    return true;
  }

  void TerminateExtensionModule(ExtensionModule& module) override { module.initialised = false; }

  void RegisterDynamicLibrary(ExtensionModule& module) override {
    // Deliberately never released: the registration lasts as long as the process.
    if (registration_ == nullptr) registration_ = new (std::nothrow) LibraryRegistration{&module};
  }

 private:
  ModuleState state_;
  LibraryRegistration* registration_ = nullptr;
};

}  // namespace

ModuleFramework& StandInFramework() {
  static StandIn framework;
  return framework;
}
