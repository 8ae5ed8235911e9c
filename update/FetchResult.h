// What one fetch from the vendor web host ended with: its body, or why it
// failed. Plain data, handed from the worker that fetched to the interface
// thread that tells the user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k3 {

enum class FetchError {
  None,
  BadUrl,           // the address does not parse (code 1)
  NoConnection,     // no connection to the server (code -1)
  PasswordRefused,  // the server asked for a password the user did not give (code -2)
  BadRedirect,      // a redirect without a target (-3), to an address that does not parse (-4) or not over http (-5)
  OverLimit,        // more bytes or more time than the request may take
  Network,          // WinINet failed: `code` is its error number, `systemText` its text
  NoMemory,         // the body did not fit in memory
  Cancelled,        // the fetch was told to stop
};

struct FetchResult {
  FetchError error = FetchError::None;
  long code = 0;  // the fetch's own code, or WinINet's error number
  std::wstring systemText;
  std::vector<std::uint8_t> body;  // the whole body (an error page is a body like any other)
  bool ok() const { return error == FetchError::None; }
};

}  // namespace k3
