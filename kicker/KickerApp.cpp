#include "kicker/KickerApp.h"

#include <msi.h>

#include <algorithm>
#include <vector>

#include "files/FileUtils.h"
#include "files/SetupPackage.h"
#include "framework/Handles.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "kicker/KickerRules.h"

namespace k3 {

namespace {
constexpr wchar_t kMutexName[] = L"K3DriftletKicker";
constexpr DWORD kStillActive = 259;
}  // namespace

CKickerApp::CKickerApp() : fw::CWinApp(nullptr) {}

std::wstring MsiexecPath() {
  // Started by its full path: by its bare name the system would look in
  // Kicker's own folder first.
  wchar_t folder[MAX_PATH] = {};
  const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"msiexec.exe";
  return std::wstring(folder, n) + L"\\msiexec.exe";
}

DWORD RunAndWait(const std::wstring& commandLine, int showCommand) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION pi{};
  std::wstring line = commandLine;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
  fw::KernelHandle process(pi.hProcess);
  fw::KernelHandle thread(pi.hThread);
  ::WaitForInputIdle(process.get(), 10000);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  DWORD code = kStillActive;
  for (;;) {
    PumpPaintMessages();
    if (!::GetExitCodeProcess(process.get(), &code) || code != kStillActive) break;
    ::Sleep(20);
  }
  return code;
}

namespace {

std::wstring ProductInfo(const std::wstring& productCode, const wchar_t* property) {
  DWORD length = 0;
  wchar_t none[1] = {};
  UINT rc = ::MsiGetProductInfoW(productCode.c_str(), property, none, &length);
  if (rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS) return {};
  std::vector<wchar_t> text(length + 1);
  length = static_cast<DWORD>(text.size());
  if (::MsiGetProductInfoW(productCode.c_str(), property, text.data(), &length) != ERROR_SUCCESS) return {};
  return std::wstring(text.data(), length);
}

bool ProductInstalled(const std::wstring& productCode) {
  return ::MsiQueryProductStateW(productCode.c_str()) == INSTALLSTATE_DEFAULT;
}

// Every byte of an open file, read through its handle.
bool ReadThrough(HANDLE file, std::vector<std::uint8_t>& bytes) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size) || size.QuadPart <= 0 ||
      static_cast<unsigned long long>(size.QuadPart) > kMaxSetupPackageBytes) {
    return false;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!::ReadFile(file, bytes.data() + done, want, &n, nullptr) || n == 0) return false;
    done += n;
  }
  return true;
}

// A private copy of the waiting package, in a folder of Kicker's own under
// the name the package came with: written new, then opened so that nobody
// can change or remove it while it is checked and installed. The bytes
// checked are the ones read through that handle.
class PrivateCopy {
 public:
  bool Make(const std::wstring& source, std::wstring_view name) {
    std::vector<std::uint8_t> original;
    if (!ReadWholeFile(source, original) || original.empty() || original.size() > kMaxSetupPackageBytes) return false;
    folder_ = CreateTempFolder(L"");
    if (folder_.empty()) return false;
    path_ = folder_ + L"\\" + std::wstring(name);
    // The folder is new and Kicker's own: nothing else can be at the name.
    if (!WriteWholeFile(static_cast<std::uint32_t>(original.size()), path_, original.data())) return false;
    locked_.reset(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return locked_ && ReadThrough(locked_.get(), bytes_);
  }
  ~PrivateCopy() {
    locked_.reset();
    if (!path_.empty()) DeleteFileForce(path_);
    if (!folder_.empty()) ::RemoveDirectoryW(folder_.c_str());
  }
  const std::wstring& path() const { return path_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::wstring folder_;
  std::wstring path_;
  fw::FileHandle locked_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

int InstallPendingPackage(const std::wstring& package, const std::wstring& productCode, const std::wstring& upgradeCode) {
  const std::wstring signaturePath = SignatureName(package);
  int result = 0;
  {
    std::vector<std::uint8_t> signature;
    PrivateCopy copy;
    const std::wstring name = package.substr(package.find_last_of(L'\\') + 1);
    if (ReadWholeFile(signaturePath, signature) && signature.size() <= kMaxSignatureBytes && copy.Make(package, name) &&
        SignedWithKey(copy.bytes().data(), copy.bytes().size(), signature.data(), signature.size(), VendorKeyPin())) {
      const PackageFacts facts = ReadPackageFacts(copy.path());
      const bool installed = ProductInstalled(productCode);
      const std::wstring installedVersion = installed ? ProductInfo(productCode, INSTALLPROPERTY_VERSIONSTRING) : L"";
      // An installed edition that tells no version is kept.
      if ((!installed || !installedVersion.empty()) &&
          CheckPackage(facts, productCode, upgradeCode, installedVersion) == PackageVerdict::Install) {
        // One installation: over the installed version as a minor upgrade,
        // which Windows Installer undoes as a whole should it fail, so the
        // installed version stays as it was; nothing is removed first.
        const std::wstring msiexec = MsiexecPath();
        const DWORD code = RunAndWait(
            installed ? UpgradeCommand(msiexec, copy.path()) : InstallCommand(msiexec, copy.path()), SW_SHOW);
        result = InstallerSucceeded(code) && ProductInstalled(productCode) &&
                         PackVersion(ProductInfo(productCode, INSTALLPROPERTY_VERSIONSTRING)) ==
                             PackVersion(facts.productVersion)
                     ? 1
                     : 0;
      }
    }
  }
  // The package and its signature go whatever happened, so the next start
  // does not try them again.
  DeleteFileForce(package);
  DeleteFileForce(signaturePath);
  return result;
}

BOOL CKickerApp::InitInstance() {
  fw::CWinApp::InitInstance();
  const bool japanese = IsJapaneseSystem();
  m_appName = japanese ? L"\x30D5\x30A9\x30C8\x30C9\x30EA\x30D5\x30EC\x30C3\x30C8" : L"Kelvarstone Photo Driftlet";
  SetRegistryKey(L"Kelvarstone");

  fw::KernelHandle mutex(::CreateMutexW(nullptr, TRUE, kMutexName));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  const std::wstring folder = GetModuleFolder();
  const std::wstring package = folder + std::wstring(PendingPackageName(japanese));
  if (FileExists(package) != PathKind::None) {
    InstallPendingPackage(package, std::wstring(ProductCode(japanese)), std::wstring(UpgradeCode(japanese)));
  }

  RunAndWait(ProgramCommand(folder + L"k3driftlet.bin"), SW_SHOW);
  ::ReleaseMutex(mutex.get());
  return 0;
}

}  // namespace k3
