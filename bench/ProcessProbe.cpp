// win_probe: what a running program holds, seen from outside (for the
// measurement script): its kernel handles and its GDI objects, counted in the
// GDI handle table the system maps into every process.
//   win_probe --find NAME   the process id of the first process of that name
//   win_probe PID           "handles N, GDI objects M"
//   win_probe --pause       pauses (or resumes) the drift of every running
//                           k3driftlet.bin, as the notification area's menu
//                           does
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "GdiObjects.h"

namespace {

// Posts the menu's Pause command (app/TrayMenu.h) to each program frame.
BOOL CALLBACK PauseFrame(HWND hwnd, LPARAM lp) {
  wchar_t name[64] = L"";
  ::GetClassNameW(hwnd, name, 64);
  if (std::wcscmp(name, L"K3DriftletFrame") == 0 && ::PostMessageW(hwnd, WM_COMMAND, 0x7101, 0)) {
    ++*reinterpret_cast<int*>(lp);
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"--find") == 0) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
      if (_wcsicmp(entry.szExeFile, argv[2]) == 0) {
        std::printf("%lu\n", entry.th32ProcessID);
        return 0;
      }
    }
    return 1;
  }
  if (argc == 2 && std::wcscmp(argv[1], L"--pause") == 0) {
    int paused = 0;
    ::EnumWindows(&PauseFrame, reinterpret_cast<LPARAM>(&paused));
    return paused > 0 ? 0 : 1;
  }
  if (argc != 2) return 2;
  const DWORD pid = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
  HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return 1;
  DWORD handles = 0;
  ::GetProcessHandleCount(process, &handles);
  std::printf("handles %lu, GDI objects %ld\n", handles, e2e::GdiObjects(process));
  ::CloseHandle(process);
  return 0;
}
