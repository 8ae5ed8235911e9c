// How the workers' results reach the interface thread: a message-only
// window of the thread that made it runs a function there when a worker
// asks, from any thread. Its owner destroys the workers before it, so no
// worker asks a window that is gone. The thread itself may ask for a run
// after a delay, which gathers the requests of a burst into one run.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/Wnd.h"

namespace fw {

class CWorkNotice : public CWnd {
 public:
  // `onInterfaceThread` runs on the calling thread at each request.
  explicit CWorkNotice(std::function<void()> onInterfaceThread);
  ~CWorkNotice() override;
  // A request from any thread; false when it could not be posted.
  bool Ask() const;
  // A run `ms` from the first request on (from the window's own thread);
  // requests until then change nothing. Whether one is due.
  bool AskWithin(UINT ms);
  // The run asked for with a delay does not come (unless asked again).
  void Forget();

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::function<void()> run_;
  bool due_ = false;
};

}  // namespace fw
