// The main view's commands: its buttons (the settings panel's controls
// call back the panel itself), the web pages, Save and Delete.
#include "ui/ChildView.h"

#include <shellapi.h>

#include "dialogs/PackageDialogs.h"
#include "files/Package.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "ui/ControlIds.h"
#include "ui/SaveDialog.h"
#include "ui/ViewRules.h"

namespace k3 {

BOOL CChildView::OnCmdMsg(UINT id, int code) {
  if (!m_hWnd || code != BN_CLICKED) return FALSE;
  switch (id) {
    case IDOK:
      // Enter, as the dialog functions send it.
      PressFocusedButton();
      return TRUE;
    case ids::kSave:
      OnSave();
      return TRUE;
    case ids::kRemove:
      OnRemove(false);
      return TRUE;
    case ids::kRemoveAll:
      OnRemove(true);
      return TRUE;
    case ids::kVendorPage:
    case ids::kProductPage:
      OpenWebPage(id);
      return TRUE;
    case ids::kUpdate:
      // Pressed again while one runs, the gear does nothing.
      update_.Start(Frame());
      return TRUE;
    case ids::kMinimize:
      ::ShowWindow(Frame(), SW_SHOWMINIMIZED);
      return TRUE;
    case ids::kClose:
      ::PostMessageW(Frame(), WM_CLOSE, 0, 0);
      return TRUE;
  }
  return FALSE;
}

void CChildView::OpenWebPage(UINT command) {
  const bool japanese = IsJapaneseSystem();
  const std::wstring address = command == ids::kVendorPage ? VendorPageAddress(japanese) : ProductPageAddress(japanese);
  ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CChildView::PhotosToActOn(bool selectionNeeded) {
  if (photos_.Count() == 0) {
    ShowPairedMessage(Frame(), IDS_ADD_IMAGES_FIRST_JA, IDS_ADD_IMAGES_FIRST_EN, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  if (selectionNeeded && photos_.SelectedCount() == 0) {
    ShowPairedMessage(Frame(), IDS_NO_SELECTION_JA, IDS_NO_SELECTION_EN, MB_OK | MB_ICONINFORMATION);
    return false;
  }
  return true;
}

void CChildView::OnSave() {
  if (!PhotosToActOn(true)) return;
  const std::wstring path = AskShowPath();
  if (path.empty()) return;
  PackageDialogs dialogs(m_hWnd);
  CDriftlet& d = context_.driftlet;
  if (SavePackage(SettingsToBytes(d.Settings()), d.PhotoPaths(), path, dialogs)) {
    ShowPairedMessage(Frame(), IDS_COMPLETED_JA, IDS_COMPLETED_EN, MB_OK | MB_ICONINFORMATION);
  }
}

void CChildView::OnRemove(bool all) {
  if (!PhotosToActOn(!all)) return;
  if (ShowPairedMessage(Frame(), IDS_CONFIRM_REMOVE_JA, IDS_CONFIRM_REMOVE_EN, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }
  all ? photos_.RemoveAll() : photos_.RemoveSelected();
}

}  // namespace k3
