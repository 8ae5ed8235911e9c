// How the workers' results reach the interface thread: a message-only
// window of the thread that made it runs a function there when a worker
// asks, from any thread. Its owner destroys the workers before it, so no
// worker asks a window that is gone.
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

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::function<void()> run_;
};

}  // namespace fw
