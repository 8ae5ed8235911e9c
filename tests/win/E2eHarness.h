// Drives the real k3driftlet.bin from a test program running under the same
// Wine server: starts it, finds its windows by title, reads their geometry,
// styles and regions, and answers its message boxes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "framework/Handles.h"

namespace e2e {

// Folder of the test program, where k3driftlet.bin is built beside it.
std::wstring BinFolder();
std::wstring DriftletPath();

bool JapaneseEdition();
std::wstring ExpectedTitle();

// Every time limit of the tests, multiplied by the factor in K3_TIME_SCALE
// (1 to 100; 1 without it) for a slow machine.
DWORD Scaled(DWORD ms);

// Polls `ready` every 50 ms until it holds or the (scaled) time is up.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs);

// Handles every message waiting for this thread.
void PumpMessages();
// Handles this thread's messages until `ready` holds or the (scaled) time
// is up; whether it held. The one way the tests and benchmarks wait for
// what comes to their own windows (the workers' notices among them).
bool PumpUntil(const std::function<bool()>& ready, DWORD timeoutMs = 10000);

// A started program (k3driftlet.bin unless told otherwise); terminated at
// the end of the test if still running.
class Program {
 public:
  // Unless told otherwise, waits until the program first waits for input
  // (in normal mode that is after the start-up splash).
  explicit Program(const std::wstring& arguments = L"", bool waitForInput = true);
  // The same for a copy of the program at `exePath` (a program folder of a
  // test's own, with its own IMG.DAT). A start of the shared build begins
  // without a photo list.
  Program(const std::wstring& exePath, const std::wstring& arguments, bool waitForInput);
  // With `holdFile`, the program's file is held as Windows holds a running
  // program's file (readable, renamable, never writable) until it ends;
  // Wine itself lets it be overwritten.
  Program(const std::wstring& exePath, const std::wstring& arguments, bool waitForInput, bool holdFile);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return static_cast<bool>(process_); }
  DWORD Pid() const { return pid_; }
  bool Running() const;
  // Ends the process at once, as the Task Manager does.
  void Kill() const;
  // Waits for the end of the process; its exit code when it ended in time.
  std::optional<DWORD> WaitExit(DWORD timeoutMs) const;

  // Top-level windows of this process with the given title.
  std::vector<HWND> Windows(const std::wstring& title) const;
  // The main frame (titled, not a tool window) once it is visible.
  HWND WaitMainFrame(DWORD timeoutMs = 15000) const;
  // The drifting window (titled, a tool window in normal mode).
  HWND WaitDriftWindow(DWORD timeoutMs = 15000) const;

 private:
  fw::KernelHandle process_;
  DWORD pid_ = 0;
  // Closes the held file when the process ends.
  std::thread holder_;
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

// Top-level windows of a process (0: any) with the title and class given
// (empty: any).
std::vector<HWND> FindWindows(DWORD pid, const std::wstring& title, const std::wstring& className = L"");

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

// The processor time, in milliseconds, that the running k3driftlet.bin
// processes have used so far, as the Unix side counts it (Wine gives no
// times of another process); negative when it cannot be read.
double DriftletCpuMilliseconds();
// The largest resident memory, in megabytes, of a running k3driftlet.bin
// so far; negative when it cannot be read.
double DriftletPeakMegabytes();

// The colour of a screen pixel; the pixels of a device context's or the
// screen's rectangle, row by row.
COLORREF ScreenPixel(int x, int y);
std::vector<COLORREF> Capture(HDC source, int x, int y, int w, int h);
std::vector<COLORREF> ScreenPixels(const RECT& r);
// The session's DPI (the prefix's LogPixels); from the first call the test
// program is aware of each monitor's DPI, as the program is.
int SessionDpi();

// The visible, titled window of a viewer (the drifting window, which has a
// task-bar button in viewer mode), once it has a size.
HWND WaitViewerWindow(const Program& program, DWORD timeoutMs = 15000);

// The whole file (empty when it cannot be read), and a file written whole.
std::vector<std::uint8_t> ReadFileBytes(const std::wstring& path);
// A path in the ANSI code page (the tests' photos have plain paths).
std::string Narrow(const std::wstring& s);
// IMG.DAT as the program writes it, listing `photos`.
void WriteImageList(const std::wstring& path, const std::vector<std::wstring>& photos);
bool WriteFileBytes(const std::wstring& path, const void* bytes, std::size_t count);
template <typename Bytes>
bool WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
  return WriteFileBytes(path, bytes.data(), bytes.size());
}

// Folders in the user's temporary folder whose names end in ".tmp".
std::vector<std::wstring> TempFolders();

// The Unix path Wine maps a Windows path to; empty when it has none.
std::string UnixPath(const std::wstring& path);

// Runs a shell command on the Unix side; its exit status, or nothing when
// it could not start or did not end within `timeoutMs`.
std::optional<int> RunUnixCommand(const std::string& command, DWORD timeoutMs = 15000);

// The real X mouse (xdotool): clicks, presses, moves and releases the left
// button at screen points.
bool MouseClick(int x, int y);
bool MouseDrag(int fromX, int fromY, int toX, int toY);

// Drops files and folders at a screen point the way a file manager does
// (X drag and drop); the tool's exit status (0 when the drop was taken).
std::optional<int> DropFiles(int x, int y, const std::vector<std::wstring>& paths);

// The project's update service on a loopback address, started by the
// test and stopped by its process id at the end; it ends by itself after
// 100 requests or two minutes.
class UpdateService {
 public:
  explicit UpdateService(const std::wstring& releases);
  ~UpdateService();
  UpdateService(const UpdateService&) = delete;
  UpdateService& operator=(const UpdateService&) = delete;
  int port() const { return port_; }
  std::wstring Url(const std::wstring& path) const;
  // Makes the service misbehave from now on ("" for none).
  bool SetFault(const std::string& fault);

 private:
  std::wstring folder_;
  int port_ = 0;
};

// The system's "Show animations" turned off for the scope, the change
// broadcast as the Settings app does, and on again at its end.
class AnimationsOffScope {
 public:
  AnimationsOffScope() { Set(false); }
  ~AnimationsOffScope() { Set(true); }
  AnimationsOffScope(const AnimationsOffScope&) = delete;
  AnimationsOffScope& operator=(const AnimationsOffScope&) = delete;

 private:
  static void Set(bool on) {
    ::SystemParametersInfoW(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(on)),
                            SPIF_SENDCHANGE);
  }
};

// The proxy of the Internet settings of this prefix's user, pointed at a
// loopback port for the scope (so that the vendor's host name reaches the
// test's service), and removed again.
class ProxyScope {
 public:
  explicit ProxyScope(int port);
  ~ProxyScope();
  ProxyScope(const ProxyScope&) = delete;
  ProxyScope& operator=(const ProxyScope&) = delete;
};

// Centre of a window on the screen.
POINT ScreenCentre(HWND hwnd);

// A window's rectangle in the client coordinates of `parent`.
RECT RectIn(HWND parent, HWND child);

}  // namespace e2e
