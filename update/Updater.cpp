#include "update/Updater.h"

#include <optional>
#include <utility>
#include <vector>

#include "files/FileUtils.h"
#include "files/SetupPackage.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "update/HttpFetch.h"
#include "update/UpdateRules.h"

namespace k3 {

namespace {

// Whether the package's own tables say it is the expected one: written to
// a private file of its own for Windows Installer to read, then removed.
bool IsExpectedPackage(const std::vector<std::uint8_t>& package, const ExpectedPackage& expected) {
  if (package.size() > 0xFFFFFFFFu) return false;
  const std::wstring probe = MakeTempName(L".msi");
  if (!WriteWholeFile(static_cast<std::uint32_t>(package.size()), probe, package.data())) return false;
  const PackageFacts facts = ReadPackageFacts(probe);
  DeleteFileForce(probe);
  return CheckPackage(facts, ProductCode(expected.japanese), UpgradeCode(expected.japanese), kOwnPlatform,
                      PackedVersion(expected.running), PackedVersion(expected.announced)) == PackageVerdict::Install;
}

// A request that must bring a body: a failed one, or one without a body,
// leaves `failed` telling why (when the request itself failed).
bool FetchBody(const std::wstring& url, const FetchLimits& limits, FetchResult& into, FetchResult& failed,
               const FetchHooks& hooks) {
  into = HttpFetch(url, hooks, limits);
  if (!into.ok()) {
    failed = std::move(into);
    return false;
  }
  return !into.body.empty();
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

FetchHooks JobFetchHooks(UpdateJob::Context& job, std::function<void(std::size_t bytes)> progress) {
  FetchHooks hooks;
  hooks.progress = [&job, progress = std::move(progress)](std::size_t bytes) {
    if (progress) progress(bytes);
    return !job.Stopping();
  };
  hooks.askPassword = [&job](HINTERNET request) {
    return job.AskInterface([request] { return AskPasswordForRequest(request); });
  };
  hooks.sessionOpen = [&job](CMyHttpSession* session) {
    job.OnStop(session ? std::function<void()>([session] { session->Abort(); }) : nullptr);
  };
  return hooks;
}

VersionCheck CheckForNewerVersion(const std::wstring& program, const std::wstring& product, const FetchHooks& hooks) {
  VersionCheck check;
  std::uint32_t ms = 0, ls = 0;
  if (FileExists(program) == PathKind::None || !ReadFileVersion(program.c_str(), &ms, &ls)) return check;
  FetchResult reply;
  if (!FetchBody(UpdateUrl(kVendorWebHost, product, UpdateAction::GetVersion), ReplyLimits(), reply, check.fetch,
                 hooks) ||
      !ParseServiceVersion(reply.body.data(), reply.body.size(), check.announced)) {
    return check;
  }
  check.running = VersionFromWords(ms, ls);
  check.verdict = CompareForUpdate(check.announced, check.running) == 1 ? VersionCheck::Verdict::Newer
                                                                        : VersionCheck::Verdict::NotNewer;
  return check;
}

Download DownloadSetupPackage(const std::wstring& product, const std::wstring& target, const ExpectedPackage& expected,
                              UpdateJob::Context& job) {
  Download download;
  const FetchHooks hooks = JobFetchHooks(job);
  long announced = 0;
  {
    FetchResult reply;
    if (!FetchBody(UpdateUrl(kVendorWebHost, product, UpdateAction::GetFileLength), ReplyLimits(), reply,
                   download.fetch, hooks)) {
      return download;
    }
    announced = ParseAnnouncedLength(reply.body.data(), reply.body.size());
  }
  const std::optional<FetchLimits> limits = PackageLimits(announced);
  if (!limits) return download;
  // The bar shows from here on, in KiB of the announced length.
  const int totalKiB = static_cast<int>(announced / 1024);
  job.Report({totalKiB, 0});
  const FetchHooks packageHooks = JobFetchHooks(job, [&job, totalKiB](std::size_t bytes) {
    job.Report({totalKiB, ProgressKiB(bytes)});
  });
  FetchResult package;
  FetchResult signature;
  // Written only when the whole package arrived (exactly the announced
  // length, a Windows Installer package), its signature verifies with the
  // vendor's key, and its tables say it is this edition's product at the
  // announced version, newer than this program: anyone who can answer
  // the program's requests could otherwise have Kicker install their
  // package. The signature goes beside it for Kicker to check again; each
  // file is written beside its target and put in place when complete.
  // Nothing is written once the job is told to stop (the program ends).
  const auto& bytes = package.body;
  download.written =
      FetchBody(UpdateUrl(kVendorWebHost, product, UpdateAction::GetFile), *limits, package, download.fetch,
                packageHooks) &&
      IsCompleteSetupPackage(bytes.data(), bytes.size(), announced) && bytes.size() <= 0xFFFFFFFFu &&
      FetchBody(UpdateUrl(kVendorWebHost, product, UpdateAction::GetSignature), SignatureLimits(), signature,
                download.fetch, hooks) &&
      SignedWithKey(bytes.data(), bytes.size(), signature.body.data(), signature.body.size(), VendorKeyPin()) &&
      IsExpectedPackage(bytes, expected) && !job.Stopping() &&
      ReplaceWholeFile(static_cast<std::uint32_t>(signature.body.size()), SignatureName(target),
                       signature.body.data()) &&
      ReplaceWholeFile(static_cast<std::uint32_t>(bytes.size()), target, bytes.data());
  return download;
}

UpdateOutcome CheckAndDownload(UpdateJob::Context& job, NetworkCheck networkAlive) {
  using Step = UpdateOutcome::Step;
  UpdateOutcome outcome;
  if (!networkAlive()) {
    outcome.step = Step::NoNetwork;
    return outcome;
  }
  const bool japanese = IsJapaneseSystem();
  const std::wstring product(UpdateProduct(japanese));
  VersionCheck check = CheckForNewerVersion(GetModuleFolder() + L"k3driftlet.bin", product, JobFetchHooks(job));
  if (check.verdict != VersionCheck::Verdict::Newer) {
    outcome.step = check.verdict == VersionCheck::Verdict::NotNewer ? Step::UpToDate : Step::CheckFailed;
    outcome.fetch = std::move(check.fetch);
    return outcome;
  }
  ExpectedPackage expected;
  expected.japanese = japanese;
  expected.announced = check.announced;
  expected.running = check.running;
  const std::wstring target = GetModuleFolder() + (japanese ? L"K3DriftletSetup.msi" : L"K3DriftletSetup_E.msi");
  Download download = DownloadSetupPackage(product, target, expected, job);
  outcome.step = download.written ? Step::Downloaded : Step::DownloadFailed;
  outcome.fetch = std::move(download.fetch);
  return outcome;
}

void ShowUpdateOutcome(HWND owner, const UpdateOutcome& outcome) {
  using Step = UpdateOutcome::Step;
  const std::wstring why = FetchFailureText(outcome.fetch);
  if (!why.empty()) fw::AppMessageBox(nullptr, why.c_str(), MB_OK);
  constexpr UINT kNotice = MB_OK | MB_ICONINFORMATION;
  switch (outcome.step) {
    case Step::NoNetwork:
      ShowPairedMessage(owner, IDS_NO_INTERNET_JA, IDS_NO_INTERNET_EN, kNotice);
      break;
    case Step::UpToDate:
      ShowPairedMessage(owner, IDS_UP_TO_DATE_JA, IDS_UP_TO_DATE_EN, kNotice);
      break;
    case Step::Downloaded:
      ShowPairedMessage(owner, IDS_DOWNLOADED_JA, IDS_DOWNLOADED_EN, kNotice);
      break;
    case Step::CheckFailed:
    case Step::DownloadFailed:
      ShowPairedMessage(owner, IDS_ERROR_JA, IDS_ERROR_EN, kNotice);
      break;
  }
}

}  // namespace k3
