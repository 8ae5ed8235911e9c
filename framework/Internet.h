// The Internet session classes of the framework over WinINet: a session, an
// HTTP connection of the session and a request of the connection, each the
// owner of its WinINet handle. A failing WinINet call raises a
// CInternetException with the system's error code; the caller of this layer
// catches it (no exception leaves the code that uses these classes).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Handles.h"

namespace fw {

class CInternetException {
 public:
  explicit CInternetException(DWORD error) : error_(error) {}
  DWORD Error() const { return error_; }
  // The system's text for the error (WinINet's own messages included), at
  // most `limit` characters.
  std::wstring Text(std::size_t limit = 1024) const;

 private:
  DWORD error_;
};

// The owner of every WinINet handle (session, connection, request).
struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using InternetHandle = UniqueHandle<InternetHandleTraits>;

// The parts of a URL.
struct UrlParts {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  std::wstring server;
  std::wstring object;  // path and query
  INTERNET_PORT port = 0;
};
// False when the URL cannot be parsed.
bool ParseUrl(const std::wstring& url, UrlParts& parts);

class CHttpFile {
 public:
  explicit CHttpFile(HINTERNET request) : request_(request) {}
  CHttpFile(const CHttpFile&) = delete;
  CHttpFile& operator=(const CHttpFile&) = delete;

  void SetOption(DWORD option, DWORD value);
  void AddRequestHeaders(const std::wstring& headers, DWORD modifiers);
  void SendRequest();
  DWORD QueryStatusCode();
  std::wstring QueryRawHeaders();
  // Up to `count` bytes of the body; 0 at its end.
  DWORD Read(void* buffer, DWORD count);
  // Waits (up to the receive time-out) until some of the body has arrived
  // and tells how many bytes can be read without waiting; 0 at its end.
  DWORD QueryDataAvailable();
  void Close() { request_.reset(); }
  // The request itself, for the system's dialogs that act on it.
  HINTERNET handle() const { return request_.get(); }

 private:
  InternetHandle request_;
};

class CHttpConnection {
 public:
  explicit CHttpConnection(HINTERNET connection) : connection_(connection) {}
  CHttpConnection(const CHttpConnection&) = delete;
  CHttpConnection& operator=(const CHttpConnection&) = delete;

  std::unique_ptr<CHttpFile> OpenRequest(const wchar_t* verb, const std::wstring& object, DWORD flags,
                                         DWORD_PTR context);
  void Close() { connection_.reset(); }

 private:
  InternetHandle connection_;
};

class CInternetSession {
 public:
  CInternetSession(const wchar_t* agent, DWORD_PTR context, DWORD accessType, DWORD flags);
  virtual ~CInternetSession();
  CInternetSession(const CInternetSession&) = delete;
  CInternetSession& operator=(const CInternetSession&) = delete;

  void SetOption(DWORD option, DWORD value);
  // No user name or password.
  std::unique_ptr<CHttpConnection> GetHttpConnection(const std::wstring& server, INTERNET_PORT port);
  DWORD_PTR Context() const { return context_; }
  // From any thread, once: the session and everything opened in it close,
  // and a call that waits for the server on another thread ends with an
  // error (the owner's thread then lets the session go as usual).
  void Abort();

 private:
  InternetHandle session_;
  std::atomic<bool> aborted_{false};
  DWORD_PTR context_;
};

}  // namespace fw
