// Sets up the calling thread as a background worker for as long as the
// scope lasts: COM in the multi-threaded apartment (the shell's file icons
// and the system's decoders want it), and a priority below the interface
// thread's, which goes first with its rows, clicks and the drift's frames.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace fw {

class WorkerThreadScope {
 public:
  WorkerThreadScope() : com_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  }
  ~WorkerThreadScope() {
    if (SUCCEEDED(com_)) ::CoUninitialize();
  }
  WorkerThreadScope(const WorkerThreadScope&) = delete;
  WorkerThreadScope& operator=(const WorkerThreadScope&) = delete;

 private:
  HRESULT com_;
};

}  // namespace fw
