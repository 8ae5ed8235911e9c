#include "framework/Wnd.h"

#include <cstdio>
#include <unordered_map>
#include <utility>

#include "framework/WinApp.h"

namespace fw {

namespace {

// The object each window of the process is bound to. A window property
// would do, but where the window system keeps properties in its own server
// every reading is a request to it, and the lookup runs for every message
// (the drifting window gets hundreds a second). Made once and never
// destroyed: objects bound to windows may outlive the statics. Only the
// interface thread reaches it.
struct Bindings {
  std::unordered_map<HWND, CWnd*> objects;
};
Bindings& TheBindings() {
  static Bindings* bindings = new Bindings;
  return *bindings;
}

// The object whose window is being created on this thread; bound to the
// window by its first message.
thread_local CWnd* t_creating = nullptr;
// The innermost creation hook of this thread.
thread_local SubclassAtCreation* t_subclassing = nullptr;

bool AnyClass(const wchar_t*) { return true; }

// The wrapper of the control a parent's request comes from.
CWnd* RequestingChild(HWND parent, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (!item || item->CtlType == ODT_MENU) return nullptr;
      return CWnd::FromHandle(item->hwndItem);
    }
    case WM_MEASUREITEM: {
      const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lp);
      if (!item || item->CtlType == ODT_MENU) return nullptr;
      return CWnd::FromHandle(::GetDlgItem(parent, static_cast<int>(wp)));
    }
    case WM_COMMAND:
      // A control's notification (a menu or an accelerator has no window).
      if (!lp) return nullptr;
      return CWnd::FromHandle(reinterpret_cast<HWND>(lp));
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
      if (!lp) return nullptr;
      return CWnd::FromHandle(reinterpret_cast<HWND>(lp));
    default:
      return nullptr;
  }
}

}  // namespace

SubclassAtCreation::SubclassAtCreation(CWnd& target, bool (*wanted)(const wchar_t*))
    : target_(&target), wanted_(wanted), outer_(t_subclassing),
      hook_(::SetWindowsHookExW(WH_CBT, &SubclassAtCreation::Hook, nullptr, ::GetCurrentThreadId())) {
  t_subclassing = this;
}

SubclassAtCreation::~SubclassAtCreation() {
  if (hook_) ::UnhookWindowsHookEx(hook_);
  t_subclassing = outer_;
}

LRESULT CALLBACK SubclassAtCreation::Hook(int code, WPARAM wp, LPARAM lp) {
  SubclassAtCreation* self = t_subclassing;
  if (code == HCBT_CREATEWND && self && self->target_) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
    if (create && create->lpcs && self->wanted_(create->lpcs->lpszClass)) {
      // No exception crosses the system's hook code.
      try {
        std::exchange(self->target_, nullptr)->SubclassWindow(reinterpret_cast<HWND>(wp));
      } catch (...) {
      }
    }
  }
  return ::CallNextHookEx(self ? self->hook_ : nullptr, code, wp, lp);
}

CWnd::~CWnd() {
  // An object destroyed while its window lives takes the window with it,
  // so no message can reach a dead object.
  if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  if (m_hWnd) Unbind();
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  Bindings& b = TheBindings();
  const auto found = b.objects.find(hwnd);
  return found == b.objects.end() ? nullptr : found->second;
}

void CWnd::Bind(HWND hwnd) {
  m_hWnd = hwnd;
  TheBindings().objects[hwnd] = this;
}

void CWnd::Unbind() {
  if (m_hWnd) {
    {
      Bindings& b = TheBindings();
      const auto found = b.objects.find(m_hWnd);
      if (found != b.objects.end() && found->second == this) b.objects.erase(found);
    }
    if (superProc_) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(superProc_));
  }
  superProc_ = nullptr;
  m_hWnd = nullptr;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW&) { return TRUE; }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWnd::OnCmdMsg(UINT, int) { return FALSE; }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

BOOL CWnd::CreateControl(const wchar_t* controlClass, const wchar_t* text, DWORD style, const RECT& rect,
                         HWND parent, UINT id, DWORD exStyle) {
  if (m_hWnd) return FALSE;
  HWND hwnd;
  {
    SubclassAtCreation binding(*this, &AnyClass);
    hwnd = ::CreateWindowExW(exStyle, controlClass, text, style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
  }
  if (hwnd && m_hWnd == hwnd) return TRUE;
  if (m_hWnd && m_hWnd != hwnd) Unbind();
  if (hwnd && ::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  return FALSE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    const RECT& rect, HWND parent, UINT_PTR idOrMenu, void* param) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTW cs{};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = style;
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.right - rect.left;
  cs.cy = rect.bottom - rect.top;
  cs.hwndParent = parent;
  cs.hMenu = reinterpret_cast<HMENU>(idOrMenu);
  cs.hInstance = ::GetModuleHandleW(nullptr);
  cs.lpCreateParams = param;

  // PreCreateWindow may choose the class (keeping its name in className_);
  // a window without one gets the plain framework class.
  if (!PreCreateWindow(cs)) return FALSE;
  if (!cs.lpszClass) {
    className_ = RegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    cs.lpszClass = className_.c_str();
  }

  CWnd* const outer = t_creating;
  t_creating = this;
  HWND hwnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  t_creating = outer;
  if (!hwnd) {
    // Creation failed (WM_CREATE answered -1, or the system refused): the
    // window has already been destroyed and unbound.
    m_hWnd = nullptr;
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (m_hWnd || !hwnd || FromHandle(hwnd)) return FALSE;
  Bind(hwnd);
  superProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
  return TRUE;
}

LRESULT CWnd::DefProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (superProc_) return ::CallWindowProcW(superProc_, m_hWnd, msg, wp, lp);
  return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The control's own wrapper answers first; what it leaves goes to the
  // command table.
  if (CWnd* child = RequestingChild(m_hWnd, msg, wp, lp); child && child != this) {
    LRESULT result = 0;
    if (child->OnChildNotify(msg, wp, lp, &result)) return result;
  }
  if (msg == WM_COMMAND) {
    if (OnCmdMsg(LOWORD(wp), HIWORD(wp))) return 0;
  }
  return DefProc(msg, wp, lp);
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWnd* wnd = FromHandle(hwnd);
  if (!wnd && t_creating) {
    wnd = std::exchange(t_creating, nullptr);
    wnd->Bind(hwnd);
  }
  if (!wnd) return ::DefWindowProcW(hwnd, msg, wp, lp);

  LRESULT result;
  try {
    result = wnd->WindowProc(msg, wp, lp);
  } catch (...) {
    result = ResultAfterFailure(hwnd, msg);
  }
  if (msg == WM_NCDESTROY) {
    wnd->Unbind();
    CWinApp* app = CWinApp::Current();
    if (app && app->GetMainWnd() == wnd) ::PostQuitMessage(0);
    wnd->PostNcDestroy();
  }
  return result;
}

LRESULT ResultAfterFailure(HWND hwnd, UINT msg) {
  switch (msg) {
    case WM_NCCREATE:
      return FALSE;
    case WM_CREATE:
      return -1;
    case WM_PAINT:
    case WM_NCPAINT:
      // Unanswered, the request would come back at once, for ever.
      ::ValidateRect(hwnd, nullptr);
      return 0;
    default:
      return 0;
  }
}

std::wstring RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  wchar_t name[96];
  std::swprintf(name, sizeof name / sizeof name[0], L"K3:%x:%llx:%llx:%llx", classStyle,
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(cursor)),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(background)),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(icon)));
  return RegisterNamedWndClass(name, classStyle, cursor, background, icon);
}

std::wstring RegisterNamedWndClass(const wchar_t* name, UINT classStyle, HCURSOR cursor, HBRUSH background,
                                   HICON icon) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (!::GetClassInfoExW(instance, name, &existing)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::StaticWndProc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
  }
  return name;
}

}  // namespace fw
