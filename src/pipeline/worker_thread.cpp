// SPDX-License-Identifier: MIT
#include "pipeline/worker_thread.h"

#include <cstdint>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>

#include <new>
#endif

namespace bmpresize {

#if defined(_WIN32)

unsigned __stdcall WorkerThread::Enter(void* self) {
  auto* thread = static_cast<WorkerThread*>(self);
  thread->work_(thread->argument_);
  return 0;
}

bool WorkerThread::Start(void (*work)(void*), void* argument) {
  if (started_) return false;
  work_ = work;
  argument_ = argument;
  const std::uintptr_t handle = _beginthreadex(nullptr, 0, &WorkerThread::Enter, this, 0, nullptr);
  if (handle == 0) return false;
  handle_ = reinterpret_cast<void*>(handle);
  started_ = true;
  return true;
}

void WorkerThread::Join() {
  if (!started_) return;
  WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
  CloseHandle(static_cast<HANDLE>(handle_));
  started_ = false;
}

unsigned CoreCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<unsigned>(info.dwNumberOfProcessors) : 1;
}

#else

void* WorkerThread::Enter(void* self) {
  auto* thread = static_cast<WorkerThread*>(self);
  thread->work_(thread->argument_);
  return nullptr;
}

bool WorkerThread::Start(void (*work)(void*), void* argument) {
  if (started_) return false;
  work_ = work;
  argument_ = argument;
  auto* thread = new (std::nothrow) pthread_t;
  if (thread == nullptr) return false;
  if (pthread_create(thread, nullptr, &WorkerThread::Enter, this) != 0) {
    delete thread;
    return false;
  }
  handle_ = thread;
  started_ = true;
  return true;
}

void WorkerThread::Join() {
  if (!started_) return;
  auto* thread = static_cast<pthread_t*>(handle_);
  (void)pthread_join(*thread, nullptr);
  delete thread;
  handle_ = nullptr;
  started_ = false;
}

unsigned CoreCount() {
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  return cores > 0 ? static_cast<unsigned>(cores) : 1;
}

#endif

}  // namespace bmpresize
