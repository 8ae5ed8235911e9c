// Drives the real k3driftlet.bin from a test program running under the same
// Wine server: starts it, finds its windows by title, reads their geometry,
// styles and regions, and answers its message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Folder of the test program, where k3driftlet.bin is built beside it.
std::wstring BinFolder();
std::wstring DriftletPath();

bool JapaneseEdition();
std::wstring ExpectedTitle();

// Polls `ready` every 50 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs);

// A started program; terminated at the end of the test if still running.
class Program {
 public:
  // Unless told otherwise, waits until the program first waits for input
  // (in normal mode that is after the start-up splash).
  explicit Program(const std::wstring& arguments = L"", bool waitForInput = true);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Pid() const { return pid_; }
  bool Running() const;
  // Waits for the end of the process; its exit code when it ended in time.
  std::optional<DWORD> WaitExit(DWORD timeoutMs) const;

  // Top-level windows of this process with the given title.
  std::vector<HWND> Windows(const std::wstring& title) const;
  // The main frame (titled, not a tool window) once it is visible.
  HWND WaitMainFrame(DWORD timeoutMs = 15000) const;
  // The drifting window (titled, a tool window in normal mode).
  HWND WaitDriftWindow(DWORD timeoutMs = 15000) const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring text;
};

// The start-up logo window of the process (its own window class), if any.
HWND FindLogoWindow(DWORD pid);

// The constant opacity of a layered window, or nothing without one.
std::optional<int> LayeredOpacity(HWND hwnd);

// The next visible message box of the process.
std::optional<MessageBoxInfo> WaitMessageBox(DWORD pid, DWORD timeoutMs = 15000);

// Which of the standard message box icons the box shows, judged by its
// pixels: IDI_INFORMATION, IDI_QUESTION, IDI_WARNING, IDI_ERROR, or null.
LPCWSTR MessageBoxIcon(HWND box);

// Presses a button of a dialog (IDOK, IDYES, IDNO, ...).
void PressButton(HWND dialog, int id);

std::wstring WindowText(HWND hwnd);

// Registry helpers for HKEY_CLASSES_ROOT.
std::optional<std::wstring> ReadDefaultValue(HKEY root, const std::wstring& key, DWORD* type = nullptr);
std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& key);

}  // namespace e2e

namespace e2e {

// Runs k3pack.exe (built beside the tests) and waits for it; true on exit 0.
bool RunPackTool(const std::wstring& arguments);

// Runs a shell command on the Unix side (xdotool and the like) and waits for
// it to finish, at most `timeoutMs`.
bool RunUnixShell(const std::string& command, DWORD timeoutMs = 15000);

// The colour of a screen pixel.
COLORREF ScreenPixel(int x, int y);

// The visible, titled window of a viewer (the drifting window, which has a
// task-bar button in viewer mode), once it has a size.
HWND WaitViewerWindow(const Program& program, DWORD timeoutMs = 15000);

// Folders in the user's temporary folder whose names end in ".tmp".
std::vector<std::wstring> TempFolders();

}  // namespace e2e
