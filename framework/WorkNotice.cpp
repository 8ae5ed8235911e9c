#include "framework/WorkNotice.h"

#include <utility>

namespace fw {

namespace {
// The one message of this window class, and its timer of delayed runs.
constexpr UINT kRun = WM_APP + 1;
constexpr UINT_PTR kDelayed = 1;
}  // namespace

CWorkNotice::CWorkNotice(std::function<void()> onInterfaceThread) : run_(std::move(onInterfaceThread)) {
  CreateEx(0, RegisterNamedWndClass(L"K3WorkNotice", 0).c_str(), L"", 0, RECT{0, 0, 0, 0}, HWND_MESSAGE, 0);
}

CWorkNotice::~CWorkNotice() = default;  // the window goes with the object

bool CWorkNotice::Ask() const { return m_hWnd && ::PostMessageW(m_hWnd, kRun, 0, 0) != FALSE; }

bool CWorkNotice::AskWithin(UINT ms) {
  if (!due_ && m_hWnd) due_ = ::SetTimer(m_hWnd, kDelayed, ms, nullptr) != 0;
  return due_;
}

void CWorkNotice::Forget() {
  if (std::exchange(due_, false)) ::KillTimer(m_hWnd, kDelayed);
}

LRESULT CWorkNotice::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kDelayed) {
    Forget();
    if (run_) run_();
    return 0;
  }
  if (msg == kRun) {
    if (run_) run_();
    return 0;
  }
  return CWnd::WindowProc(msg, wp, lp);
}

}  // namespace fw
