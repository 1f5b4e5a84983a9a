// SPDX-License-Identifier: MIT
// The module's load and unload handling, called with the loader's
// notifications (on Windows from the DLL entry, elsewhere from the shared
// object's constructor and destructor).
//
//   process attach (1)  prepare the framework's module state, initialise the
//                       extension-module record (failure fails the load: 0),
//                       then register the library with the framework
//   process detach (0)  terminate the extension-module record
//   thread attach (2), thread detach (3), anything else: nothing
//
// Answers nonzero for success.
#pragma once

#include <cstdint>

#include "module/module_framework.h"

namespace bmpresize {

inline constexpr std::uint32_t kProcessDetach = 0;
inline constexpr std::uint32_t kProcessAttach = 1;
inline constexpr std::uint32_t kThreadAttach = 2;
inline constexpr std::uint32_t kThreadDetach = 3;

int ModuleEntry(void* instance, std::uint32_t reason, ModuleFramework& framework, ExtensionModule& module);

// The same with the process-wide framework and this module's record.
int ModuleEntry(void* instance, std::uint32_t reason);

}  // namespace bmpresize
