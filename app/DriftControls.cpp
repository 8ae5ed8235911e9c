#include "app/DriftControls.h"

#include <windowsx.h>

#include "framework/Handles.h"
#include "framework/Texts.h"
#include "res/Messages.h"

namespace k3 {

namespace {

std::wstring PairText(unsigned pair) { return LoadResString(PickText(pair, pair + 1)); }

}  // namespace

void DriftControls::Start(HWND owner, HICON icon, const std::wstring& title) {
  Stop();
  owner_ = owner;
  title_ = title;
  // Another program may hold the key: everything else works all the same,
  // and the menu says so. Systems before Windows 7 know no MOD_NOREPEAT.
  constexpr UINT kKeys = MOD_CONTROL | MOD_ALT;
  keyAvailable_ =
      ::RegisterHotKey(owner, kHotkeyId, kKeys | MOD_NOREPEAT, 'P') ||
      (::GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED && ::RegisterHotKey(owner, kHotkeyId, kKeys, 'P'));
  icon_.Add(owner, kIconId, WM_TRAY_ICON, icon, TipText());
}

void DriftControls::Stop() {
  if (!owner_) return;
  if (keyAvailable_) ::UnregisterHotKey(owner_, kHotkeyId);
  keyAvailable_ = false;
  icon_.Remove();
  owner_ = nullptr;
}

void DriftControls::SetIcon(HICON icon) {
  if (owner_) icon_.Update(icon, TipText());
}

TrayState DriftControls::State() const {
  return TrayState{driftlet_.Hold().paused, driftlet_.Hold().hidden, viewerMode_, keyAvailable_};
}

std::wstring DriftControls::TipText() const {
  const unsigned suffix = TrayTipSuffix(State());
  return suffix ? title_ + PairText(suffix) : title_;
}

void DriftControls::UpdateTip() {
  if (owner_) icon_.Update(nullptr, TipText());
}

void DriftControls::TogglePause() {
  driftlet_.SetPaused(!driftlet_.Hold().paused);
  UpdateTip();
}

void DriftControls::ToggleHidden() {
  driftlet_.SetHiddenByUser(!driftlet_.Hold().hidden);
  UpdateTip();
}

void DriftControls::ShowMenu(POINT at) {
  fw::OwnedMenu menu(::CreatePopupMenu());
  if (!menu) return;
  for (const TrayMenuItem& item : TrayMenuItems(State())) {
    if (item.separatorBefore) ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, item.command, PairText(item.textPair).c_str());
  }
  // What a left click on the icon does.
  ::SetMenuDefaultItem(menu.get(), kTrayPause, FALSE);
  // The menu closes when the user clicks elsewhere only if its owner is
  // the foreground window; the message after it lets it close at once.
  ::SetForegroundWindow(owner_);
  const UINT align = ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  ::TrackPopupMenuEx(menu.get(), align | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, at.x, at.y, owner_, nullptr);
  ::PostMessageW(owner_, WM_NULL, 0, 0);
}

bool DriftControls::OnCommand(UINT command) {
  switch (command) {
    case kTrayPause:
      TogglePause();
      return true;
    case kTrayHide:
      ToggleHidden();
      return true;
    case kTrayMainWindow:
      if (viewerMode_) return false;
      ::ShowWindow(owner_, ::IsIconic(owner_) ? SW_RESTORE : SW_SHOW);
      ::SetForegroundWindow(owner_);
      return true;
    case kTrayExit:
      // As the main window's close: in normal mode it asks first.
      ::PostMessageW(owner_, WM_CLOSE, 0, 0);
      return true;
    default:
      return false;
  }
}

bool DriftControls::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (!owner_) return false;
  if (msg == fw::CNotifyIcon::TaskbarCreatedMessage()) {
    icon_.OnTaskbarCreated();
    return true;
  }
  switch (msg) {
    case WM_HOTKEY:
      if (static_cast<int>(wp) != kHotkeyId) return false;
      TogglePause();
      return true;
    case WM_COMMAND:
      return HIWORD(wp) == 0 && OnCommand(LOWORD(wp));
    case WM_TRAY_ICON: {
      const UINT event = LOWORD(lp);
      if (icon_.Version4()) {
        if (event == NIN_SELECT || event == NIN_KEYSELECT) TogglePause();
        if (event == WM_CONTEXTMENU) ShowMenu(POINT{GET_X_LPARAM(wp), GET_Y_LPARAM(wp)});
      } else {
        // An older shell: plain mouse messages, the point is the cursor's.
        POINT at{};
        ::GetCursorPos(&at);
        if (event == WM_LBUTTONUP) TogglePause();
        if (event == WM_RBUTTONUP) ShowMenu(at);
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace k3
