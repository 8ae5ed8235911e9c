// The update command: whether the vendor's service has a newer version of
// the program, and its setup package downloaded beside the program, where
// Kicker installs it at the next start. Only a package signed with the
// vendor's pinned key, of this edition's product and of the announced,
// newer version is ever written. The steps run off the interface thread
// as an update job (update/UpdateJob) and return what happened; one
// function tells the user, on the interface thread (UpdateCommand runs the
// whole command).
#pragma once

#include <windows.h>

#include <string>

#include "update/HttpFetch.h"
#include "update/UpdateJob.h"
#include "update/UpdateRules.h"

namespace k3 {

// What the service said of the program's version.
struct VersionCheck {
  enum class Verdict { Newer, NotNewer, Failed } verdict = Verdict::Failed;
  Version announced;  // the service's version
  Version running;    // the program's
  FetchResult fetch;  // the request, when it failed
};

// A fetch of the job's: it stops when the job does (its wait cut short),
// asks the interface thread for a password, and reports each piece to
// `progress` when given.
FetchHooks JobFetchHooks(UpdateJob::Context& job, std::function<void(std::size_t bytes)> progress = nullptr);

// Whether the service has a newer version than the file at `program`.
VersionCheck CheckForNewerVersion(const std::wstring& program, const std::wstring& product,
                                  const FetchHooks& hooks = {});

// What a downloaded package must be to be written.
struct ExpectedPackage {
  bool japanese = false;  // the edition: its product and upgrade codes
  Version announced;      // the version the service announced
  Version running;        // the running program's, which it must exceed
};

struct Download {
  bool written = false;  // the package is at the target, its signature beside it
  FetchResult fetch;     // the request that failed, if one did
};

// Downloads the package, reporting its progress to the job: written to
// `target` only when it came whole, verifies, is the expected one and the
// job was not stopped (otherwise nothing is written, and an older package
// there stays as it was).
Download DownloadSetupPackage(const std::wstring& product, const std::wstring& target, const ExpectedPackage& expected,
                              UpdateJob::Context& job);

// Whether the computer is on a network, as the system says (true when the
// system cannot tell).
bool SystemNetworkAlive();
using NetworkCheck = bool (*)();

// The whole command without a word to the user, as the job's work:
// network check, version check, download.
UpdateOutcome CheckAndDownload(UpdateJob::Context& job, NetworkCheck networkAlive = SystemNetworkAlive);

// Tells the user how the command ended: why a request failed, when the
// request has something to say, then the command's own paired message.
void ShowUpdateOutcome(HWND owner, const UpdateOutcome& outcome);

}  // namespace k3
