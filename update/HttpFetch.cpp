#include "update/HttpFetch.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "framework/Texts.h"
#include "res/resource.h"
#include "update/HttpRules.h"

namespace k3 {

namespace {

constexpr wchar_t kHeaders[] = L"Accept: */*\r\nUser-Agent: Kelvarstone Uploader\r\n";

// A request that went over its ceiling in bytes or in time. It ends
// without a message of its own: the caller tells the user.
struct OverLimit {};

// The time a request has left, from its start.
class Deadline {
 public:
  explicit Deadline(const FetchLimits& limits)
      : started_(::GetTickCount64()), maxMs_(limits.maxMs), waitMs_(limits.waitMs) {}
  // The time-out of the next wait: the usual one or what is left.
  DWORD NextWait() const {
    const std::uint32_t ms = NextWaitMs(::GetTickCount64() - started_, maxMs_, waitMs_);
    if (ms == 0) throw OverLimit();
    cut_ = ms < waitMs_;
    return ms;
  }
  DWORD UsualWait() const { return waitMs_; }
  // Whether a wait that timed out was cut short by the request's time.
  bool Over() const { return cut_ || ::GetTickCount64() - started_ >= maxMs_; }

 private:
  ULONGLONG started_;
  std::uint32_t maxMs_;
  std::uint32_t waitMs_;
  mutable bool cut_ = false;
};

// A failure of the fetch's own, before any reading, with its code.
FetchResult Failed(FetchError error, long code) {
  FetchResult result;
  result.error = error;
  result.code = code;
  return result;
}

// The session is handed out while it lives.
class SessionShown {
 public:
  SessionShown(const FetchHooks& hooks, CMyHttpSession& session) : hooks_(hooks) {
    if (hooks_.sessionOpen) hooks_.sessionOpen(&session);
  }
  ~SessionShown() {
    if (hooks_.sessionOpen) hooks_.sessionOpen(nullptr);
  }
  SessionShown(const SessionShown&) = delete;
  SessionShown& operator=(const SessionShown&) = delete;

 private:
  const FetchHooks& hooks_;
};

std::unique_ptr<fw::CHttpFile> SendPost(fw::CHttpConnection& connection, const std::wstring& object, DWORD flags,
                                        DWORD& status, const Deadline& deadline) {
  auto request = connection.OpenRequest(L"POST", object, flags, 1);
  // The session's time-outs again on the request: Wine's requests take
  // only the connect time-out from their session. No wait goes beyond the
  // request's time.
  const DWORD wait = deadline.NextWait();
  request->SetOption(INTERNET_OPTION_SEND_TIMEOUT, wait);
  request->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, wait);
  request->AddRequestHeaders(kHeaders, HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  request->SendRequest();
  status = request->QueryStatusCode();
  return request;
}

}  // namespace

CMyHttpSession::CMyHttpSession()
    : fw::CInternetSession(L"Kelvarstone HttpSession", 1, INTERNET_OPEN_TYPE_PRECONFIG, INTERNET_FLAG_DONT_CACHE) {}

bool AskPasswordForRequest(HINTERNET request) {
  // The dialog is given the request: the user name and password it asks
  // for are stored with it, so that the request sent again carries them.
  return ::InternetErrorDlg(::GetDesktopWindow(), request, ERROR_INTERNET_INCORRECT_PASSWORD,
                            FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
                            nullptr) == ERROR_INTERNET_FORCE_RETRY;
}

FetchResult HttpFetch(const std::wstring& url, const FetchHooks& hooks, const FetchLimits& limits) {
  const Deadline deadline(limits);
  FetchResult result;
  FetchBlock block;
  try {
    CMyHttpSession session;
    const SessionShown shown(hooks, session);
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
      session.SetOption(option, deadline.UsualWait());
    }
    // The connection and the request are released on every path by their
    // owners, each once.
    std::unique_ptr<fw::CHttpConnection> connection;
    std::unique_ptr<fw::CHttpFile> request;
    fw::UrlParts parts;
    if (!fw::ParseUrl(url, parts)) return Failed(FetchError::BadUrl, 1);
    connection = session.GetHttpConnection(parts.server, parts.port);
    if (!connection) return Failed(FetchError::NoConnection, -1);
    DWORD status = 0;
    // WinINet would follow redirects itself, to any target and any number
    // of times: the one redirect that is followed is followed here, by hand.
    request =
        SendPost(*connection, parts.object,
                 INTERNET_FLAG_NO_AUTO_REDIRECT | (parts.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0),
                 status, deadline);
    if (status == HTTP_STATUS_DENIED) {
      const bool retry =
          hooks.askPassword ? hooks.askPassword(request->handle()) : AskPasswordForRequest(request->handle());
      if (!retry) return Failed(FetchError::PasswordRefused, -2);
      request->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, deadline.NextWait());
      request->SendRequest();
      status = request->QueryStatusCode();
    }
    if (status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT || status == HTTP_STATUS_REDIRECT_METHOD) {
      const std::optional<std::wstring> target = RedirectTarget(request->QueryRawHeaders());
      if (!target) return Failed(FetchError::BadRedirect, -3);
      request.reset();
      connection.reset();
      fw::UrlParts next;
      if (!fw::ParseUrl(*target, next)) return Failed(FetchError::BadRedirect, -4);
      if (next.scheme != INTERNET_SCHEME_HTTP) return Failed(FetchError::BadRedirect, -5);
      connection = session.GetHttpConnection(next.server, next.port);
      if (!connection) return Failed(FetchError::NoConnection, -1);
      // Only one redirect is followed: the second answer is read whatever
      // its status.
      request = SendPost(*connection, next.object, INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT,
                         status, deadline);
    }
    std::vector<std::uint8_t> chunk(kFetchChunkBytes, 0);
    for (;;) {
      // Only what has arrived is read: a read of a whole chunk would wait
      // for all of it, however slowly it comes, and the request's time
      // would never be looked at.
      request->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, deadline.NextWait());
      const DWORD available = request->QueryDataAvailable();
      if (available == 0) break;
      deadline.NextWait();
      const DWORD n = request->Read(chunk.data(), std::min<DWORD>(available, static_cast<DWORD>(chunk.size())));
      if (n == 0) break;
      if (!FitsCeiling(block.size(), n, limits.maxBytes)) throw OverLimit();
      if (!block.Append(chunk.data(), n)) throw std::bad_alloc();
      if (hooks.progress && !hooks.progress(block.size())) return Failed(FetchError::Cancelled, 0);
    }
    result.body.assign(block.data(), block.data() + block.size());
  } catch (const OverLimit&) {
    result.error = FetchError::OverLimit;
  } catch (const fw::CInternetException& e) {
    // A wait cut short by the request's time is the time ceiling, not a
    // failure of the connection.
    result.error = e.Error() == ERROR_INTERNET_TIMEOUT && deadline.Over() ? FetchError::OverLimit : FetchError::Network;
    result.code = static_cast<long>(e.Error());
    result.systemText = e.Text(1024);
  } catch (const std::bad_alloc&) {
    result.error = FetchError::NoMemory;
    result.body = {};
  }
  return result;
}

std::wstring FetchFailureText(const FetchResult& result) {
  switch (result.error) {
    case FetchError::None:
    case FetchError::OverLimit:
    case FetchError::Cancelled:
      return {};
    case FetchError::Network:
      if (IsJapaneseSystem() && result.code == ERROR_INTERNET_SEC_CERT_DATE_INVALID) {
        return LoadResString(IDS_CLOCK_WRONG_JA);
      }
      return FillCodeAndText(LoadResString(PickText(IDS_INTERNET_ERROR_JA, IDS_INTERNET_ERROR_EN)), result.code,
                             result.systemText);
    case FetchError::NoMemory:
      return LoadResString(PickText(IDS_FETCH_NO_MEMORY_JA, IDS_FETCH_NO_MEMORY_EN));
    case FetchError::BadUrl:
    case FetchError::NoConnection:
    case FetchError::PasswordRefused:
    case FetchError::BadRedirect:
      // The fetch's own failures before any reading show their code alone.
      return std::to_wstring(result.code);
  }
  return FillCodeAndText(LoadResString(IDS_FETCH_ERROR), result.code);
}

}  // namespace k3
