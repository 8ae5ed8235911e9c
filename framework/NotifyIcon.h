// An icon of the program in the notification area: added for a window,
// which hears of its clicks as a message of its choosing (version 4 of the
// icon's messages: the event in the low word of lParam, the anchor point in
// wParam), given again after Explorer restarted, removed when the owner
// asks or the object goes.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class CNotifyIcon {
 public:
  CNotifyIcon() = default;
  ~CNotifyIcon() { Remove(); }
  CNotifyIcon(const CNotifyIcon&) = delete;
  CNotifyIcon& operator=(const CNotifyIcon&) = delete;

  // Adds the icon `id` of `owner` (the icon is copied by the shell);
  // whether the shell took it.
  bool Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip);
  // A new tip or icon (null: the same).
  bool Update(HICON icon, const std::wstring& tip);
  // Takes the icon away; whether there was one the shell gave up.
  bool Remove();
  bool Added() const { return added_; }
  // Whether the shell speaks version 4 of the icon's messages (else the
  // owner hears of clicks as plain mouse messages).
  bool Version4() const { return version4_; }
  // The shell's "TaskbarCreated" message: Explorer started again and every
  // program gives its icons again (OnTaskbarCreated).
  static UINT TaskbarCreatedMessage();
  bool OnTaskbarCreated();

 private:
  NOTIFYICONDATAW Data(UINT flags) const;
  HWND owner_ = nullptr;
  UINT id_ = 0;
  UINT callback_ = 0;
  HICON icon_ = nullptr;
  std::wstring tip_;
  bool added_ = false;
  bool version4_ = false;
};

}  // namespace fw
