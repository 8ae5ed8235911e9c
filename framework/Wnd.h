// CWnd: the window wrapper of the framework layer.
//
// How a message reaches its handler:
//   1. Every window of the program is created through CWnd::CreateEx with a
//      class whose window procedure is CWnd::StaticWndProc (RegisterWndClass
//      makes such classes; controls are subclassed onto it).
//   2. The first message a new window receives (often WM_GETMINMAXINFO, before
//      WM_NCCREATE) binds the HWND to the C++ object that is being created on
//      this thread; the binding is an entry of the process's map from handles
//      to objects, so it works for any window class. Windows are made and
//      used on the interface thread only: the map has no lock.
//   3. StaticWndProc calls the virtual WindowProc of the bound object. Each
//      class overrides WindowProc with one switch over the messages it
//      handles, calling its typed handlers; every other message goes to the
//      base class's WindowProc, and finally to DefProc (the default window
//      procedure, or the control's own procedure for a subclassed control).
//      "Default handling" inside a handler is an explicit call of the base
//      class's WindowProc with the same message.
//   4. What a control sends its parent (its notifications in WM_COMMAND,
//      WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR*) is
//      offered first to the control's own wrapper (OnChildNotify), so that a
//      control draws its own items, colours itself and handles its own
//      clicks (Controls.h).
//   5. A WM_COMMAND the control left is turned into OnCmdMsg(id, code), which
//      a class overrides to route commands (a frame offers them to its view
//      first).
//   6. After WM_NCDESTROY the binding is removed, the handle cleared and
//      PostNcDestroy called. When the application's main window goes, the
//      message loop is told to quit.
// No exception leaves a window procedure: handlers report results, and the
// window procedure catches whatever a handler throws, ends that message with
// a safe result (creation fails, a paint request is answered, anything else
// gets 0) and lets the program go on.
// A class that handles WM_DESTROY or WM_NCDESTROY destroys its window in its
// own destructor: once that has run, its WindowProc is no longer reached.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Creates the window. PreCreateWindow may change every field of the
  // creation structure first. Returns FALSE when the window was not created.
  BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                const RECT& rect, HWND parent, UINT_PTR idOrMenu, void* param = nullptr);
  BOOL DestroyWindow();

  // Makes an existing window (a control created by a dialog, say) use this
  // wrapper; its own procedure becomes the default processing.
  BOOL SubclassWindow(HWND hwnd);

  // Creates a window of a system control class (a button, a list box, a
  // trackbar) bound to this wrapper from its very first message, so that
  // the requests it sends its parent while it is being created (a list
  // box's item height, say) already reach this wrapper.
  BOOL CreateControl(const wchar_t* controlClass, const wchar_t* text, DWORD style, const RECT& rect, HWND parent,
                     UINT id, DWORD exStyle = 0);

  // The wrapper bound to a window, or null when the window is not one of ours.
  static CWnd* FromHandle(HWND hwnd);

  // Overridable operations.
  virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
  // Offered every message of this window (and of its children) before the
  // message loop dispatches it; TRUE means handled.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // A command (menu, accelerator or control notification); TRUE when handled.
  virtual BOOL OnCmdMsg(UINT id, int code);
  // A request or notification this control sent its parent, offered back
  // to it (see 4 above); TRUE with *result set when the control answered it.
  virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

  // Sends a message to the window (shorthand used by callers).
  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
  BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(m_hWnd, msg, wp, lp); }

 protected:
  // The per-class dispatch: one switch, then the base class.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  // The default processing below every class.
  LRESULT DefProc(UINT msg, WPARAM wp, LPARAM lp);
  // Called after the window is gone (the handle is already cleared).
  virtual void PostNcDestroy() {}

  // Name of the window class registered for this window by PreCreateWindow.
  std::wstring className_;


 public:
  // The one window procedure of every framework window class.
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 protected:
  void Bind(HWND hwnd);
  // Removes the binding (and a subclassing) without destroying the window.
  void Unbind();

 private:

  WNDPROC superProc_ = nullptr;
};

// Sets a creation hook on the calling thread for one scope: the first window
// created in the scope for which `wanted` (the class name given to the
// creation) answers true is subclassed onto `target` before its first
// message.
class SubclassAtCreation {
 public:
  SubclassAtCreation(CWnd& target, bool (*wanted)(const wchar_t* className));
  ~SubclassAtCreation();
  SubclassAtCreation(const SubclassAtCreation&) = delete;
  SubclassAtCreation& operator=(const SubclassAtCreation&) = delete;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp);
  CWnd* target_;
  bool (*wanted_)(const wchar_t*);
  SubclassAtCreation* outer_;
  HHOOK hook_;
};

// Registers (once) and names a window class with the given class style,
// cursor, background brush and icon, whose procedure is the framework's.
// The same parameters always give the same class.
std::wstring RegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                              HICON icon = nullptr);

// Registers (once) a window class of the given name, for the windows of one
// class of the program only, whose procedure is the framework's.
std::wstring RegisterNamedWndClass(const wchar_t* name, UINT classStyle, HCURSOR cursor = nullptr,
                                   HBRUSH background = nullptr, HICON icon = nullptr);

// The result a message gets when its handler failed with an exception:
// creation fails, a paint request is validated and answered, everything else
// gets 0.
LRESULT ResultAfterFailure(HWND hwnd, UINT msg);

}  // namespace fw
