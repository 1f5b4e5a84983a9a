// SPDX-License-Identifier: MIT
// What the module needs, on load and unload, of the application framework it
// registers with: a per-module state record prepared before anything else
// runs, an extension-module record to initialise and terminate, and a
// registration object for a dynamic library that lives as long as the process.
//
// The framework itself is not part of this library; StandInFramework() is the
// small stand-in used where no such framework exists. Callers that host the
// module rely on the load sequence (prepare, initialise, register), which
// stays even where the stand-in does nothing in a step.
#pragma once

namespace bmpresize {

// The module's record with the framework: the framework's own, opaque here.
struct ExtensionModule {};

class ModuleFramework {
 public:
  virtual ~ModuleFramework() = default;
  // Hands over the module state record's pending values. Cannot fail.
  virtual void PrepareModuleState() = 0;
  // Answers false when the module cannot be initialised; the load then fails.
  virtual bool InitExtensionModule(ExtensionModule& module, void* instance) = 0;
  virtual void TerminateExtensionModule(ExtensionModule& module) = 0;
  // Creates the module's registration object, kept for the life of the
  // process. A registration that cannot be had is not a load failure.
  virtual void RegisterDynamicLibrary(ExtensionModule& module) = 0;
};

ModuleFramework& StandInFramework();

}  // namespace bmpresize
