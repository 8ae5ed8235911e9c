// How many GDI objects a process holds, counted in the GDI handle table the
// system maps into every process (Wine keeps one as Windows does, where
// GetGuiResources answers nothing). A 32-bit process under Wine has no
// table in its environment block: its own objects are counted by asking
// the type of every handle index (Wine takes an index for the handle).
// -1 when neither can be read.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace e2e {

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
inline constexpr std::size_t kGdiEntries = 0x10000;

inline long OwnGdiObjectsByIndex() {
  long used = 0;
  for (std::uintptr_t index = 1; index < kGdiEntries; ++index) {
    used += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
  }
  return used > 0 ? used : -1;
}

inline long GdiObjects(HANDLE process) {
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
    return sizeof(void*) == 4 && ::GetProcessId(process) == ::GetCurrentProcessId() ? OwnGdiObjectsByIndex() : -1;
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


}  // namespace e2e
