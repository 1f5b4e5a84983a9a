// SPDX-License-Identifier: MIT
// The shared library loaded at run time and never closed, as Python's ctypes
// loads it: the process still ends cleanly, the library's unload hook
// included (run under the sanitizers, any use of what exit has already
// destroyed fails it).
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

TEST(SharedLibrary, LoadedAndNeverClosedEndsCleanly) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    void* library = dlopen(BMPRESIZE_SHARED_LIBRARY, RTLD_NOW);
    std::exit(library != nullptr && dlsym(library, "BMPResizeScale") != nullptr ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: the library could not be loaded";
}

}  // namespace
