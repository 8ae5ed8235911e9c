// win_probe: what a running program holds, seen from outside (for the
// measurement script): its kernel handles and its GDI objects, counted in the
// GDI handle table the system maps into every process.
//   win_probe --find NAME   the process id of the first process of that name
//   win_probe PID           "handles N, GDI objects M"
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

// One entry of the GDI handle table.
struct GdiEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24);
constexpr std::size_t kGdiEntries = 0x10000;

long GdiObjects(HANDLE process) {
  using QueryFn = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION info{};
  if (!query || query(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
  // The table's address in the process's environment block.
  std::uint64_t table = 0;
  const auto* peb = reinterpret_cast<const std::uint8_t*>(info.PebBaseAddress);
  if (!::ReadProcessMemory(process, peb + (sizeof(void*) == 8 ? 0xF8 : 0x94), &table, sizeof(void*), nullptr) ||
      !table) {
    return -1;
  }
  std::vector<GdiEntry> entries(kGdiEntries);
  if (!::ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(table)), entries.data(),
                           entries.size() * sizeof(GdiEntry), nullptr)) {
    return -1;
  }
  long used = 0;
  for (const GdiEntry& e : entries) used += e.type != 0;
  return used;
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
  if (argc != 2) return 2;
  const DWORD pid = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
  HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return 1;
  DWORD handles = 0;
  ::GetProcessHandleCount(process, &handles);
  std::printf("handles %lu, GDI objects %ld\n", handles, GdiObjects(process));
  ::CloseHandle(process);
  return 0;
}
