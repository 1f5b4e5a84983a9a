// SPDX-License-Identifier: MIT
// Failures of the system calls that src/files makes, planted by a test. The
// test program defines these C functions itself (system_call_faults.cpp), so
// the library's objects linked into it call them instead of the C library's;
// unless a fault is planted they pass the call on. Nothing of this is in the
// shipped libraries. Linux with glibc only.
#pragma once

// The calls that can be made to fail: "create" (open with O_CREAT), "fstat",
// "fchmod", "fdopen", "fsync", "ftruncate", "rename", "readlink", "pread",
// "write", "fclose", "seek" (fseeko), "pthread_create" (which answers the
// error rather than setting errno), and "new" (the library's new
// (std::nothrow), whose error is always ENOMEM).
// The call's (skip + 1)-th use from now fails with error; every use from then
// on when always. A "readlink" fault with error 0 fills the whole buffer, as
// a link that grew since it was measured; a "write" fault with error 0 writes
// nothing and says no reason.
void PlantFault(const char* call, int error, int skip = 0, bool always = false);
void ClearFaults();
// Whether a fault planted in call is still waiting for its use.
bool StillPlanted(const char* call);

// Clears the faults at the end of a scope.
struct PlantedFaults {
  PlantedFaults() = default;
  PlantedFaults(const PlantedFaults&) = delete;
  PlantedFaults& operator=(const PlantedFaults&) = delete;
  ~PlantedFaults() { ClearFaults(); }
};
