// What a screen reader calls the main view's controls. Windows' standard
// accessible objects name a button by its window text (the image buttons
// carry their names though their faces do not show them), and a list or a
// slider by the static text just before it among its siblings (the hidden
// "Photos" label before the list, the sliders' labels before them, each
// radio group's heading before its first choice). The icon buttons show
// their names as tooltips; the count line is the list's description.
#include "ui/ChildView.h"

#include <initguid.h>
#include <oleacc.h>
#include <commctrl.h>

#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "ui/ControlIds.h"
#include "ui/ViewRules.h"

namespace k3 {

void CChildView::NameControls() {
  if (photos_.List() && !photosLabel_.m_hWnd) {
    // Hidden: the count line above the list says what it holds.
    photosLabel_.Create(LoadResString(PickText(IDS_LABEL_PHOTOS, IDS_LABEL_PHOTOS + 1)).c_str(),
                        WS_CHILD | SS_LEFT | SS_NOPREFIX, RECT{0, 0, 0, 0}, m_hWnd, ids::kPhotosLabel);
  }
  tooltips_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
  if (!tooltips_) return;
  for (UINT id : {ids::kVendorPage, ids::kProductPage, ids::kUpdate, ids::kMinimize, ids::kClose}) {
    HWND button = ::GetDlgItem(m_hWnd, static_cast<int>(id));
    if (!button) continue;
    std::wstring name(256, L'\0');
    name.resize(static_cast<std::size_t>(::GetWindowTextW(button, name.data(), 256)));
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = name.data();
    ::SendMessageW(tooltips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CChildView::DescribeList(const std::wstring& countLine) {
  CImgList* list = photos_.List();
  if (!list || !list->m_hWnd || countLine == listDescription_) return;
  listDescription_ = countLine;
  // The system's annotation of the list's own accessible object (where
  // the system has it; nothing happens where it has not).
  IAccPropServices* services = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&services))) ||
      !services) {
    return;
  }
  services->SetHwndPropStr(list->m_hWnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                           countLine.c_str());
  services->Release();
}

}  // namespace k3
