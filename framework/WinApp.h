// CWinApp: the application object of the framework layer. There is one per
// program, a global object constructed before the entry point runs.
//
// AfxWinMain (called from the program's wWinMain) runs InitInstance; when it
// returns non-zero, Run pumps messages until WM_QUIT; ExitInstance is called
// on both paths and gives the exit code.
//
// The message loop offers each message to PreTranslateMessage first: the
// application walks from the message's window up through its parents (and
// owners) to the main window, asking each framework window; a modeless
// dialog handles its own keyboard navigation there. Only a message nobody
// took is translated and dispatched.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Wnd.h"

namespace fw {

class CWinApp {
 public:
  explicit CWinApp(const wchar_t* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  static CWinApp* Current();

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual int Run();
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Called when InitInstance or Run ended by an exception (memory ran out,
  // say) instead of returning: tells the user. The program then ends
  // through ExitInstance as usual, which releases what the run held.
  virtual void OnUnhandledFailure() {}

  // The main window: owned by the application, destroyed after the run.
  CWnd* GetMainWnd() const { return mainWnd_.get(); }
  void SetMainWnd(std::unique_ptr<CWnd> wnd) { mainWnd_ = std::move(wnd); }

  // Registry key of the application's profile. Recorded only: the program
  // keeps no settings in the registry.
  void SetRegistryKey(const wchar_t* key) { registryKey_ = key; }
  const std::wstring& RegistryKey() const { return registryKey_; }

  HINSTANCE m_hInstance = nullptr;
  // The application name: caption of message boxes, and whatever the
  // program makes of it.
  std::wstring m_appName;

 protected:
  int exitCode_ = 0;

 private:
  friend int AfxWinMain(HINSTANCE instance, int showCommand);
  std::unique_ptr<CWnd> mainWnd_;
  std::wstring registryKey_;
};

// The entry point body shared by every program of the project.
int AfxWinMain(HINSTANCE instance, int showCommand);

// A message box captioned with the application name.
int AppMessageBox(HWND owner, const wchar_t* text, UINT type);

}  // namespace fw
