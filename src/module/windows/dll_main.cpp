// SPDX-License-Identifier: MIT
// The DLL entry: the loader's notifications go straight to the module's load
// and unload handling; a failed process attach fails the load.
#include <windows.h>

#include "module/module_entry.h"

using namespace bmpresize;

static_assert(DLL_PROCESS_DETACH == kProcessDetach && DLL_PROCESS_ATTACH == kProcessAttach &&
                  DLL_THREAD_ATTACH == kThreadAttach && DLL_THREAD_DETACH == kThreadDetach,
              "the module entry takes the loader's own notification numbers");

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return ModuleEntry(instance, reason) ? TRUE : FALSE;
}
