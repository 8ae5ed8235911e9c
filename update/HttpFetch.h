// The one way the program talks to the vendor web host: one POST request
// for a URL, at most one redirect followed by hand, the whole body read
// into memory in 64 KiB pieces. It shows nothing: a fetch returns its body
// or why it failed, and the caller tells the user (FetchFailureText gives
// the words).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Internet.h"
#include "update/HttpRules.h"

namespace k3 {

class CProgressDlg;

// The session of one fetch: the program's user agent, the system's proxy
// settings, nothing cached.
class CMyHttpSession : public fw::CInternetSession {
 public:
  CMyHttpSession();
};

// A failure of the fetch's own with its code (see FetchError).
class CMyHttpException {
 public:
  explicit CMyHttpException(int code = 0) : code(code) {}
  int code;
};

enum class FetchError {
  None,
  BadUrl,           // the address does not parse (code 1)
  NoConnection,     // no connection to the server (code -1)
  PasswordRefused,  // the server asked for a password the user did not give (code -2)
  BadRedirect,      // a redirect without a target (-3), to an address that does not parse (-4) or not over http (-5)
  OverLimit,        // more bytes or more time than the request may take
  Network,          // WinINet failed: `code` is its error number, `systemText` its text
  NoMemory,         // the body did not fit in memory
  Cancelled,        // the user cancelled in the progress dialog
};

struct FetchResult {
  FetchError error = FetchError::None;
  long code = 0;  // the fetch's own code, or WinINet's error number
  std::wstring systemText;
  std::vector<std::uint8_t> body;  // the whole body (an error page is a body like any other)
  bool ok() const { return error == FetchError::None; }
};

// Fetches `url` within `limits` (bytes and time). `progress`, when given,
// is told the bytes read in KiB and may cancel.
FetchResult HttpFetch(const std::wstring& url, CProgressDlg* progress = nullptr,
                      const FetchLimits& limits = DefaultLimits());

// What the user is told of a failed fetch, in the system's language;
// empty when the fetch has nothing of its own to say (it succeeded, was
// cancelled, or went over its limits: the caller's message says it).
std::wstring FetchFailureText(const FetchResult& result);

}  // namespace k3
