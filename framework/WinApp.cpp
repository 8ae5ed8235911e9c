#include "framework/WinApp.h"

namespace fw {

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp(const wchar_t* appName) {
  if (appName) m_appName = appName;
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::Current() { return g_app; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return exitCode_; }

BOOL CWinApp::PreTranslateMessage(MSG* msg) {
  HWND mainHwnd = mainWnd_ ? mainWnd_->m_hWnd : nullptr;
  HWND top = msg->hwnd;
  for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
    if (CWnd* wnd = CWnd::FromHandle(h)) {
      if (wnd->PreTranslateMessage(msg)) return TRUE;
    }
    top = h;
    if (h == mainHwnd) break;
  }
  // A window outside the main window's family (a top-level window of its
  // own) still gives the main window the last word.
  if (mainHwnd && msg->hwnd && top != mainHwnd) return mainWnd_->PreTranslateMessage(msg);
  return FALSE;
}

int CWinApp::Run() {
  MSG msg;
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      exitCode_ = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) break;
    if (!PreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return ExitInstance();
}

int AfxWinMain(HINSTANCE instance, int /*showCommand*/) {
  CWinApp* app = CWinApp::Current();
  if (!app) return -1;
  app->m_hInstance = instance;
  int code;
  // No exception leaves the program's entry point: what InitInstance or
  // Run did not catch ends the run with a message and the usual clean-up.
  bool started = false;
  try {
    started = app->InitInstance() != FALSE;
  } catch (...) {
    app->OnUnhandledFailure();
  }
  if (!started) {
    if (app->mainWnd_ && app->mainWnd_->m_hWnd) app->mainWnd_->DestroyWindow();
    code = app->ExitInstance();
  } else {
    try {
      code = app->Run();
    } catch (...) {
      app->OnUnhandledFailure();
      if (app->mainWnd_ && app->mainWnd_->m_hWnd) app->mainWnd_->DestroyWindow();
      code = app->ExitInstance();
    }
  }
  app->mainWnd_.reset();
  return code;
}

int AppMessageBox(HWND owner, const wchar_t* text, UINT type) {
  CWinApp* app = CWinApp::Current();
  const wchar_t* caption = (app && !app->m_appName.empty()) ? app->m_appName.c_str() : L"";
  return ::MessageBoxW(owner, text, caption, type);
}

}  // namespace fw
