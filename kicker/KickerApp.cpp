#include "kicker/KickerApp.h"

#include <msi.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "files/FileUtils.h"
#include "files/SetupPackage.h"
#include "framework/Handles.h"
#include "framework/LanguageRule.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "kicker/KickerRules.h"

namespace k3 {

namespace {
constexpr wchar_t kMutexName[] = L"K3DriftletKicker";
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
  // The end comes from the wait on the process itself (an exit code of 259
  // is a code like any other); meanwhile this thread's messages are handled.
  HANDLE handles[] = {process.get()};
  for (;;) {
    const DWORD woken = ::MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 + 1) break;  // ended, or the wait itself failed
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
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

// A program file's version, from its bytes (see ProgramFileVersion).
std::optional<std::uint64_t> FileVersionOf(const std::wstring& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return std::nullopt;
  return ProgramFileVersion(bytes.data(), bytes.size());
}

// Whether a program's file is in use: Windows never lets a running
// program's file be opened for writing, whatever sharing is asked for.
bool InUse(const std::wstring& path) {
  fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Whether Windows Installer is installing something now: it holds its
// mutex while it runs an installation's steps. The mutex is taken only to
// see whether it is free, and given back at once.
bool InstallerBusy() {
  fw::KernelHandle mutex(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Global\\_MSIExecute"));
  if (!mutex) return false;  // none, or not ours to look at: Windows Installer itself answers
  const DWORD waited = ::WaitForSingleObject(mutex.get(), 0);
  if (waited == WAIT_TIMEOUT) return true;
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ::ReleaseMutex(mutex.get());
  return false;
}

// Kicker's own file moved aside for the length of an installation, so that
// the package can put the new Kicker in its place; put back unless the
// installation is kept. A copy of it takes its name at once: a Kicker.exe
// is there at every moment (a power cut, a forced logoff or Windows
// Installer's rollback in the middle leaves a working one), and a copy is
// no running program's image, so the installer replaces it, and puts it
// back on rollback, as any file.
class OwnFileAside {
 public:
  explicit OwnFileAside(std::wstring self) : self_(std::move(self)), aside_(AsideName(self_)) {
    moved_ = ::MoveFileExW(self_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (moved_ && !::CopyFileW(aside_.c_str(), self_.c_str(), FALSE)) {
      // Without the copy the name would stay empty: the installation is
      // not tried.
      ::MoveFileExW(aside_.c_str(), self_.c_str(), MOVEFILE_REPLACE_EXISTING);
      moved_ = false;
    }
  }
  ~OwnFileAside() {
    // Whatever an installation that failed may have left at the name goes:
    // the installed version is the one this Kicker belongs to.
    if (moved_ && !kept_) ::MoveFileExW(aside_.c_str(), self_.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  OwnFileAside(const OwnFileAside&) = delete;
  OwnFileAside& operator=(const OwnFileAside&) = delete;
  bool moved() const { return moved_; }
  // The new Kicker stays; this one's file is deleted at the next start.
  void Keep() { kept_ = true; }

 private:
  std::wstring self_;
  std::wstring aside_;
  bool moved_ = false;
  bool kept_ = false;
};

PendingOutcome CheckAndInstall(const std::wstring& package, const std::wstring& productCode,
                               const std::wstring& upgradeCode) {
  std::vector<std::uint8_t> signature;
  PrivateCopy copy;
  const std::wstring name = package.substr(package.find_last_of(L'\\') + 1);
  if (!ReadWholeFile(SignatureName(package), signature) || signature.size() > kMaxSignatureBytes ||
      !copy.Make(package, name) ||
      !SignedWithKey(copy.bytes().data(), copy.bytes().size(), signature.data(), signature.size(), VendorKeyPin())) {
    return PendingOutcome::Refused;
  }
  const std::wstring folder = GetModuleFolder();
  const std::wstring program = folder + L"k3driftlet.bin";
  const std::wstring self = GetModulePath();
  const PackageFacts facts = ReadPackageFacts(copy.path());
  const bool installed = ProductInstalled(productCode);
  std::optional<std::uint64_t> replaced;
  if (installed) {
    // An installed edition that tells no version is kept.
    const auto registered = PackVersion(ProductInfo(productCode, INSTALLPROPERTY_VERSIONSTRING));
    if (!registered) return PendingOutcome::Refused;
    replaced = VersionToReplace(registered, {FileVersionOf(program), FileVersionOf(self)});
  }
  if (CheckPackage(facts, productCode, upgradeCode, kOwnPlatform, replaced) != PackageVerdict::Install) {
    return PendingOutcome::Refused;
  }
  // A running program (another instance, a show opened from its file) would
  // keep its old file: the product would be registered at the new version
  // with the old program. The update waits for a start when nothing runs.
  if (InUse(program)) return PendingOutcome::PutOff;
  // Another installation under way would make Windows Installer refuse
  // this one (1618); it is tried again at the next start.
  if (InstallerBusy()) return PendingOutcome::Interrupted;
  OwnFileAside aside(self);
  if (!aside.moved()) return PendingOutcome::PutOff;

  // One installation: over the installed version as a minor upgrade, which
  // Windows Installer undoes as a whole should it fail, so the installed
  // version stays as it was; nothing is removed first.
  const std::wstring msiexec = MsiexecPath();
  const DWORD code =
      RunAndWait(installed ? UpgradeCommand(msiexec, copy.path()) : InstallCommand(msiexec, copy.path()), SW_SHOW);
  if (InstallerInterrupted(code)) return PendingOutcome::Interrupted;
  // Done only when the product is registered at the package's version and
  // both programs' own files are of that version: Windows Installer keeps
  // a file by its versioning rules and says nothing of it. An installation
  // that stands (registered at the new version) is never undone here: the
  // old Kicker is not put back over the new one, also when a restart is
  // still to replace a file in use (3010), which counts as installed once
  // Kicker's own file, never in use, is the new one.
  const auto version = PackVersion(facts.productVersion);
  const bool registered = InstallerSucceeded(code) && ProductInstalled(productCode) && version &&
                          PackVersion(ProductInfo(productCode, INSTALLPROPERTY_VERSIONSTRING)) == version;
  if (registered) aside.Keep();
  const bool filesInPlace = FileVersionOf(program) == version && FileVersionOf(self) == version;
  const bool restartReplaces = code == ERROR_SUCCESS_REBOOT_REQUIRED && FileVersionOf(self) == version;
  return registered && (filesInPlace || restartReplaces) ? PendingOutcome::Installed : PendingOutcome::Failed;
}

}  // namespace

PendingOutcome InstallPendingPackage(const std::wstring& package, const std::wstring& productCode,
                                     const std::wstring& upgradeCode) {
  const PendingOutcome outcome = CheckAndInstall(package, productCode, upgradeCode);
  // Otherwise the package and its signature go, so that the next start does
  // not try them again.
  if (!KeepsPackage(outcome)) {
    DeleteFileForce(package);
    DeleteFileForce(SignatureName(package));
  }
  return outcome;
}

BOOL CKickerApp::InitInstance() {
  fw::CWinApp::InitInstance();
  const bool japanese = IsJapaneseSystem();
  m_appName = japanese ? kJapaneseTitle : kEnglishTitle;
  SetRegistryKey(L"Kelvarstone");

  fw::KernelHandle mutex(::CreateMutexW(nullptr, TRUE, kMutexName));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  // The file an earlier update moved aside, no longer running.
  ::DeleteFileW(AsideName(GetModulePath()).c_str());

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
