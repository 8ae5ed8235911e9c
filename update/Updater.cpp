#include "update/Updater.h"

#include <cstdlib>
#include <memory>
#include <optional>

#include "files/FileUtils.h"
#include "files/SetupPackage.h"
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
  bool Fetch(const std::wstring& url, const FetchLimits& limits, CProgressDlg* progress = nullptr) {
    return HttpFetch(url, &data, &length, progress, limits) && data && length > 0;
  }
};

// Whether the package's own tables say it is the expected one: written to
// a private file of its own for Windows Installer to read, then removed.
bool IsExpectedPackage(const Body& package, const ExpectedPackage& expected) {
  if (package.length > 0xFFFFFFFFu) return false;
  const std::wstring probe = MakeTempName(L".msi");
  if (!WriteWholeFile(static_cast<std::uint32_t>(package.length), probe, package.data)) return false;
  const PackageFacts facts = ReadPackageFacts(probe);
  DeleteFileForce(probe);
  return CheckPackage(facts, ProductCode(expected.japanese), UpgradeCode(expected.japanese),
                      PackedVersion(expected.running), PackedVersion(expected.announced)) == PackageVerdict::Install;
}

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

int CheckForNewerVersion(const std::wstring& program, const std::wstring& product, Version* announced,
                         Version* running) {
  std::uint32_t ms = 0, ls = 0;
  if (FileExists(program) == PathKind::None || !ReadFileVersion(program.c_str(), &ms, &ls)) return -1;
  Body reply;
  if (!reply.Fetch(UpdateUrl(kVendorWebHost, product, UpdateAction::GetVersion), ReplyLimits())) return -1;
  Version service;
  if (!ParseServiceVersion(reply.data, reply.length, service)) return -1;
  if (announced) *announced = service;
  if (running) *running = VersionFromWords(ms, ls);
  return CompareForUpdate(service, VersionFromWords(ms, ls));
}

int DownloadSetupPackage(const std::wstring& product, const std::wstring& target, const ExpectedPackage& expected) {
  long announced = 0;
  {
    Body reply;
    if (!reply.Fetch(UpdateUrl(kVendorWebHost, product, UpdateAction::GetFileLength), ReplyLimits())) return -1;
    announced = ParseAnnouncedLength(reply.data, reply.length);
  }
  const std::optional<FetchLimits> limits = PackageLimits(announced);
  if (!limits) return -1;
  CProgressDlg progress;
  progress.Open(::GetDesktopWindow(), 0, static_cast<int>(announced > 0 ? announced / 1024 : 0), false);
  int result = -1;
  {
    Body package;
    Body signature;
    // Written only when the whole package arrived (exactly the announced
    // length, a Windows Installer package), its signature verifies with the
    // vendor's key, and its tables say it is this edition's product at the
    // announced version, newer than this program: anyone who can answer
    // the program's requests could otherwise have Kicker install their
    // package. The signature goes beside it for Kicker to check again; each
    // file is written beside its target and put in place when complete.
    if (package.Fetch(UpdateUrl(kVendorWebHost, product, UpdateAction::GetFile), *limits, &progress) &&
        IsCompleteSetupPackage(package.data, package.length, announced) && package.length <= 0xFFFFFFFFu &&
        signature.Fetch(UpdateUrl(kVendorWebHost, product, UpdateAction::GetSignature), SignatureLimits()) &&
        SignedWithKey(package.data, package.length, signature.data, signature.length, VendorKeyPin()) &&
        IsExpectedPackage(package, expected) &&
        ReplaceWholeFile(static_cast<std::uint32_t>(signature.length), SignatureName(target), signature.data) &&
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
  ExpectedPackage expected;
  expected.japanese = japanese;
  const int check =
      CheckForNewerVersion(GetModuleFolder() + L"k3driftlet.bin", product, &expected.announced, &expected.running);
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
  if (DownloadSetupPackage(product, target, expected) == 1) {
    ShowPairedMessage(owner, IDS_DOWNLOADED_JA, IDS_DOWNLOADED_EN, kNotice);
  } else {
    ShowPairedMessage(owner, IDS_ERROR_JA, IDS_ERROR_EN, kNotice);
  }
}

}  // namespace k3
