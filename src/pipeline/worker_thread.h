// SPDX-License-Identifier: MIT
// A thread of the system's own, started without exceptions: a thread that
// cannot be had is an answer (false), and the caller does its work instead.
// Also the number of cores, for a thread count of 0.
#pragma once

namespace bmpresize {

class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread() { Join(); }
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Runs work(argument) on a new thread; false when none could be started.
  [[nodiscard]] bool Start(void (*work)(void*), void* argument);
  // Waits for the work to end; nothing when none was started.
  void Join();

 private:
  void (*work_)(void*) = nullptr;
  void* argument_ = nullptr;
  void* handle_ = nullptr;
  bool started_ = false;
#if defined(_WIN32)
  static unsigned __stdcall Enter(void* self);
#else
  static void* Enter(void* self);
#endif
};

// The cores the system has online, at least 1.
unsigned CoreCount();

}  // namespace bmpresize
