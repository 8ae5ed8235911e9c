#include "update/Updater.h"

#include <cstdlib>
#include <memory>

#include "files/FileUtils.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "update/HttpFetch.h"
#include "update/ProgressDlg.h"
#include "update/UpdateRules.h"

namespace k3 {

namespace {

// A fetched body, freed at the end of its scope.
struct Body {
  std::uint8_t* data = nullptr;
  std::size_t length = 0;
  ~Body() { std::free(data); }
  bool Fetch(const std::wstring& url, CProgressDlg* progress = nullptr) {
    return HttpFetch(url, &data, &length, progress) && data && length > 0;
  }
};

}  // namespace

// Looked up by name (the library may be missing); without it the flow goes
// on.
bool SystemNetworkAlive() {
  using IsNetworkAliveFn = BOOL(WINAPI*)(LPDWORD);
  static HMODULE sens = ::LoadLibraryW(L"sensapi.dll");
  if (!sens) return true;
  auto alive = reinterpret_cast<IsNetworkAliveFn>(reinterpret_cast<void*>(::GetProcAddress(sens, "IsNetworkAlive")));
  if (!alive) return true;
  DWORD flags = 0;
  return alive(&flags) != FALSE;
}

int CheckForNewerVersion(const std::wstring& program, const std::wstring& product) {
  std::uint32_t ms = 0, ls = 0;
  if (FileExists(program) == PathKind::None || !ReadFileVersion(program.c_str(), &ms, &ls)) return -1;
  Body reply;
  if (!reply.Fetch(UpdateUrl(kVendorWebHost, product, UpdateAction::GetVersion))) return -1;
  Version service;
  if (!ParseServiceVersion(reply.data, reply.length, service)) return -1;
  return CompareForUpdate(service, VersionFromWords(ms, ls));
}

int DownloadSetupPackage(const std::wstring& product, const std::wstring& target) {
  long announced = 0;
  {
    Body reply;
    if (!reply.Fetch(UpdateUrl(kVendorWebHost, product, UpdateAction::GetFileLength))) return -1;
    announced = ParseAnnouncedLength(reply.data, reply.length);
  }
  CProgressDlg progress;
  progress.Open(::GetDesktopWindow(), 0, static_cast<int>(announced > 0 ? announced / 1024 : 0), false);
  int result = -1;
  {
    Body package;
    // Written only when the whole package arrived: exactly the announced
    // length and a Windows Installer package, written beside the target and
    // put in its place when complete. Anything else (an error page, a
    // truncated body) would make Kicker remove the installed program and
    // fail to install what came.
    if (package.Fetch(UpdateUrl(kVendorWebHost, product, UpdateAction::GetFile), &progress) &&
        IsCompleteSetupPackage(package.data, package.length, announced) && package.length <= 0xFFFFFFFFu &&
        ReplaceWholeFile(static_cast<std::uint32_t>(package.length), target, package.data)) {
      result = 1;
    }
  }
  HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  for (int i = 0; i < 60; ++i) {
    PumpPaintMessages();
    ::Sleep(50);
  }
  ::SetCursor(previous);
  return result;
}

void RunUpdate(HWND owner, NetworkCheck networkAlive) {
  constexpr UINT kNotice = MB_OK | MB_ICONINFORMATION;
  if (!networkAlive()) {
    ShowPairedMessage(owner, IDS_NO_INTERNET_JA, IDS_NO_INTERNET_EN, kNotice);
    return;
  }
  const bool japanese = IsJapaneseSystem();
  const std::wstring product(UpdateProduct(japanese));
  const int check = CheckForNewerVersion(GetModuleFolder() + L"k3driftlet.bin", product);
  if (check < 0) {
    ShowPairedMessage(owner, IDS_ERROR_JA, IDS_ERROR_EN, kNotice);
    return;
  }
  if (check == 0) {
    ShowPairedMessage(owner, IDS_UP_TO_DATE_JA, IDS_UP_TO_DATE_EN, kNotice);
    return;
  }
  const std::wstring target =
      GetModuleFolder() + (japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi");
  if (DownloadSetupPackage(product, target) == 1) {
    ShowPairedMessage(owner, IDS_DOWNLOADED_JA, IDS_DOWNLOADED_EN, kNotice);
  } else {
    ShowPairedMessage(owner, IDS_ERROR_JA, IDS_ERROR_EN, kNotice);
  }
}

}  // namespace k3
