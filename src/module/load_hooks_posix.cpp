// SPDX-License-Identifier: MIT
// On ELF platforms the shared object's constructor and destructor stand in for
// the loader's process attach and detach notifications. A shared object cannot
// refuse to load, so a failed attach is left to show in the module record.
#include "module/module_entry.h"

using namespace bmpresize;

namespace {

// Any address inside this module serves as its instance.
char instanceAnchor;

__attribute__((constructor)) void OnLoad() { (void)ModuleEntry(&instanceAnchor, kProcessAttach); }

__attribute__((destructor)) void OnUnload() { (void)ModuleEntry(&instanceAnchor, kProcessDetach); }

}  // namespace
