// The one way the program talks to the vendor web host: one POST request
// for a URL, at most one redirect followed by hand, the whole body read
// into memory in 64 KiB pieces. Every failure is told to the user in a
// message box; the caller learns only whether the fetch succeeded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

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

// A failure of the fetch's own with its code.
class CMyHttpException {
 public:
  explicit CMyHttpException(int code = 0) : code(code) {}
  int code;
};

// Fetches `url`. On success with a body, *body receives a block from the C
// heap (freed with free()) and *length its length; a cancelled fetch
// succeeds without a body. On failure the user has seen why, except when
// the request went over `limits` (more bytes, or more time): then it fails
// without a message and without a body, and the caller tells the user.
// `progress`, when given, is told the bytes read in KiB and may cancel.
BOOL HttpFetch(const std::wstring& url, std::uint8_t** body, std::size_t* length, CProgressDlg* progress = nullptr,
               const FetchLimits& limits = DefaultLimits());

}  // namespace k3
