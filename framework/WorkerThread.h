// Sets up the calling thread as a background worker for as long as the
// scope lasts: COM in the apartment the worker's jobs want (the system's
// decoders run in either; the shell's file icons want a single-threaded
// one), and a priority below the interface thread's, which goes first with
// its rows, clicks and the drift's frames.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <memory>

namespace fw {

enum class Apartment { Multi, Single };

class WorkerThreadScope {
 public:
  explicit WorkerThreadScope(Apartment apartment = Apartment::Multi)
      : com_(::CoInitializeEx(nullptr, apartment == Apartment::Single ? COINIT_APARTMENTTHREADED
                                                                        : COINIT_MULTITHREADED)) {
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

// The scope as a worker queue keeps it for each worker's life.
inline std::shared_ptr<void> MakeWorkerScope(Apartment apartment) {
  return std::make_shared<WorkerThreadScope>(apartment);
}

}  // namespace fw
