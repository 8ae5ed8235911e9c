#include "framework/NotifyIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace fw {

NOTIFYICONDATAW CNotifyIcon::Data(UINT flags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = id_;
  data.uFlags = flags;
  data.uCallbackMessage = callback_;
  data.hIcon = icon_;
  // The tip is cut to what the structure holds.
  const std::size_t n = std::min(tip_.size(), std::size(data.szTip) - 1);
  std::copy_n(tip_.c_str(), n, data.szTip);
  data.uVersion = NOTIFYICON_VERSION_4;
  return data;
}

bool CNotifyIcon::Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip) {
  Remove();
  owner_ = owner;
  id_ = id;
  callback_ = callbackMessage;
  icon_ = icon;
  tip_ = tip;
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
  added_ = ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  // The events of version 4: a left click is NIN_SELECT, the context menu
  // (mouse or keyboard) WM_CONTEXTMENU, with the anchor point.
  version4_ = added_ && ::Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
  return added_;
}

bool CNotifyIcon::Update(HICON icon, const std::wstring& tip) {
  if (icon) icon_ = icon;
  tip_ = tip;
  if (!added_) return false;
  NOTIFYICONDATAW data = Data(NIF_ICON | NIF_TIP | NIF_SHOWTIP);
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool CNotifyIcon::Remove() {
  NOTIFYICONDATAW data = Data(0);
  // Not given again when Explorer restarts.
  owner_ = nullptr;
  if (!std::exchange(added_, false)) return false;
  return ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

UINT CNotifyIcon::TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

bool CNotifyIcon::OnTaskbarCreated() {
  if (!owner_) return false;
  // The new shell knows nothing of the icon: it is added anew (a shell
  // that still knows it takes it as it is).
  added_ = false;
  if (Add(owner_, id_, callback_, icon_, tip_)) return true;
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP);
  added_ = ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
  return added_;
}

}  // namespace fw
