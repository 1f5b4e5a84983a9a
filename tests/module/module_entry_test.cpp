// SPDX-License-Identifier: MIT
#include "module/module_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bmpresize;

namespace {

// Records every call the entry makes, with the record it was handed.
class RecordingFramework final : public ModuleFramework {
 public:
  void PrepareModuleState() override { calls.push_back("prepare"); }
  bool InitExtensionModule(ExtensionModule& module, void* instance) override {
    calls.push_back("init");
    modules.push_back(&module);
    initInstance = instance;
    return initSucceeds;
  }
  void TerminateExtensionModule(ExtensionModule& module) override {
    calls.push_back("terminate");
    modules.push_back(&module);
  }
  void RegisterDynamicLibrary(ExtensionModule& module) override {
    calls.push_back("register");
    modules.push_back(&module);
  }

  bool initSucceeds = true;
  std::vector<std::string> calls;
  std::vector<ExtensionModule*> modules;
  void* initInstance = nullptr;
};

using Calls = std::vector<std::string>;

TEST(ModuleEntry, EachNotificationCallsTheFrameworkAsItShould) {
  struct Case {
    std::uint32_t reason;
    bool initSucceeds;
    int result;
    Calls calls;
  };
  const Case cases[] = {
      {kProcessAttach, true, 1, {"prepare", "init", "register"}},
      {kProcessAttach, false, 0, {"prepare", "init"}},  // the load fails, nothing registered
      {kProcessDetach, true, 1, {"terminate"}},
      {kThreadAttach, true, 1, {}},
      {kThreadDetach, true, 1, {}},
      {kThreadDetach, false, 1, {}},
      {4, true, 1, {}},
      {0xFFFFFFFFu, true, 1, {}},
  };
  for (const Case& c : cases) {
    RecordingFramework framework;
    framework.initSucceeds = c.initSucceeds;
    ExtensionModule module;
    int instance = 0;
    EXPECT_EQ(ModuleEntry(&instance, c.reason, framework, module), c.result) << c.reason;
    EXPECT_EQ(framework.calls, c.calls) << c.reason;
    for (const ExtensionModule* m : framework.modules) {
      EXPECT_EQ(m, &module) << c.reason;
    }
    if (c.reason == kProcessAttach) {
      EXPECT_EQ(framework.initInstance, &instance);
    }
  }
}

TEST(ModuleEntry, StandInFrameworkLetsTheModuleLoadAndUnloadAgainAndAgain) {
  int instance = 0;
  // The process-wide record, as the load hooks use it.
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ModuleEntry(&instance, kProcessAttach), 1);
    EXPECT_EQ(ModuleEntry(&instance, kThreadAttach), 1);
    EXPECT_EQ(ModuleEntry(&instance, kProcessDetach), 1);
  }
}

}  // namespace
