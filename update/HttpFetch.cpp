#include "update/HttpFetch.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "framework/Texts.h"
#include "res/resource.h"
#include "update/HttpRules.h"
#include "dialogs/ProgressDlg.h"

namespace k3 {

namespace {

constexpr DWORD kTimeoutMs = 20000;
constexpr wchar_t kHeaders[] = L"Accept: */*\r\nUser-Agent: Kelvarstone Uploader\r\n";

// The wait cursor for one scope.
class WaitCursor {
 public:
  WaitCursor() : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

// A request that went over its ceiling in bytes or in time. It ends
// without a message of its own: the caller tells the user.
struct OverLimit {};

// The time a request has left, from its start.
class Deadline {
 public:
  explicit Deadline(std::uint32_t maxMs) : started_(::GetTickCount64()), maxMs_(maxMs) {}
  // The time-out of the next wait: the usual one or what is left.
  DWORD NextWait() const {
    const std::uint32_t ms = NextWaitMs(::GetTickCount64() - started_, maxMs_, kTimeoutMs);
    if (ms == 0) throw OverLimit();
    cut_ = ms < kTimeoutMs;
    return ms;
  }
  // Whether a wait that timed out was cut short by the request's time.
  bool Over() const { return cut_ || ::GetTickCount64() - started_ >= maxMs_; }

 private:
  ULONGLONG started_;
  std::uint32_t maxMs_;
  mutable bool cut_ = false;
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

FetchResult HttpFetch(const std::wstring& url, CProgressDlg* progress, const FetchLimits& limits) {
  const Deadline deadline(limits.maxMs);
  FetchResult result;
  FetchBlock block;
  try {
    CMyHttpSession session;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
      session.SetOption(option, kTimeoutMs);
    }
    // The connection and the request are released on every path by their
    // owners, each once.
    std::unique_ptr<fw::CHttpConnection> connection;
    std::unique_ptr<fw::CHttpFile> request;
    fw::UrlParts parts;
    if (!fw::ParseUrl(url, parts)) throw CMyHttpException(1);
    connection = session.GetHttpConnection(parts.server, parts.port);
    if (!connection) throw CMyHttpException(-1);
    DWORD status = 0;
    // WinINet would follow redirects itself, to any target and any number
    // of times: the one redirect that is followed is followed here, by hand.
    request = SendPost(*connection, parts.object,
                       INTERNET_FLAG_NO_AUTO_REDIRECT | (parts.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0),
                       status, deadline);
    if (status == HTTP_STATUS_DENIED) {
      // The dialog is given the request: the user name and password it asks
      // for are stored with it, so that the request sent again carries them.
      const DWORD answer = ::InternetErrorDlg(::GetDesktopWindow(), request->handle(), ERROR_INTERNET_INCORRECT_PASSWORD,
                                              FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
                                              nullptr);
      if (answer != ERROR_INTERNET_FORCE_RETRY) throw CMyHttpException(-2);
      request->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, deadline.NextWait());
      request->SendRequest();
      status = request->QueryStatusCode();
    }
    if (status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT || status == HTTP_STATUS_REDIRECT_METHOD) {
      const std::optional<std::wstring> target = RedirectTarget(request->QueryRawHeaders());
      if (!target) throw CMyHttpException(-3);
      request.reset();
      connection.reset();
      fw::UrlParts next;
      if (!fw::ParseUrl(*target, next)) throw CMyHttpException(-4);
      if (next.scheme != INTERNET_SCHEME_HTTP) throw CMyHttpException(-5);
      connection = session.GetHttpConnection(next.server, next.port);
      // Only one redirect is followed: the second answer is read whatever
      // its status.
      request = SendPost(*connection, next.object, INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_AUTO_REDIRECT,
                         status, deadline);
    }
    WaitCursor wait;
    std::vector<std::uint8_t> chunk(kFetchChunkBytes, 0);
    for (;;) {
      // Only what has arrived is read: a read of a whole chunk would wait
      // for all of it, however slowly it comes, and the request's time
      // would never be looked at.
      request->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, deadline.NextWait());
      const DWORD available = request->QueryDataAvailable();
      if (available == 0) break;
      deadline.NextWait();
      const DWORD n =
          request->Read(chunk.data(), std::min<DWORD>(available, static_cast<DWORD>(chunk.size())));
      if (n == 0) break;
      if (!FitsCeiling(block.size(), n, limits.maxBytes)) throw OverLimit();
      if (!block.Append(chunk.data(), n)) throw std::bad_alloc();
      if (progress && !progress->SetPos(ProgressKiB(block.size()))) {
        result.error = FetchError::Cancelled;
        return result;
      }
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
  } catch (const CMyHttpException& e) {
    result.code = e.code;
    switch (e.code) {
      case 1: result.error = FetchError::BadUrl; break;
      case -1: result.error = FetchError::NoConnection; break;
      case -2: result.error = FetchError::PasswordRefused; break;
      default: result.error = FetchError::BadRedirect; break;
    }
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
