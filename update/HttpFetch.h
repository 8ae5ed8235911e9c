// The one way the program talks to the vendor web host: one POST request
// for a URL, at most one redirect followed by hand, the whole body read
// into memory in 64 KiB pieces. It shows nothing but the system's password
// dialog, which its caller may show elsewhere: a fetch returns its body or
// why it failed, and the caller tells the user (FetchFailureText gives the
// words).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Internet.h"
#include "update/FetchResult.h"
#include "update/HttpRules.h"

namespace k3 {

// The session of one fetch: the program's user agent, the system's proxy
// settings, nothing cached.
class CMyHttpSession : public fw::CInternetSession {
 public:
  CMyHttpSession();
};

// What a fetch tells its caller and asks of it while it runs (on the
// fetching thread).
struct FetchHooks {
  // The bytes of the body read so far; false stops the fetch (Cancelled).
  std::function<bool(std::size_t bytes)> progress;
  // The server asked for a password: shows the system's dialog for the
  // request; true when the request is to go again with what the user
  // gave. Without one the dialog is shown on the fetching thread.
  std::function<bool(HINTERNET request)> askPassword;
  // The fetch's session while it lives (null as it ends): closing it from
  // another thread cuts a wait short.
  std::function<void(CMyHttpSession* session)> sessionOpen;
};

// The system's password dialog for `request`, owned by the desktop; true
// when the user gave a user name and password.
bool AskPasswordForRequest(HINTERNET request);

// Fetches `url` within `limits` (bytes and time).
FetchResult HttpFetch(const std::wstring& url, const FetchHooks& hooks = {},
                      const FetchLimits& limits = DefaultLimits());

// What the user is told of a failed fetch, in the system's language;
// empty when the fetch has nothing of its own to say (it succeeded, was
// cancelled, or went over its limits: the caller's message says it).
std::wstring FetchFailureText(const FetchResult& result);

}  // namespace k3
