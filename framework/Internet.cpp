#include "framework/Internet.h"

#include <vector>

namespace fw {

namespace {
[[noreturn]] void ThrowLastError() { throw CInternetException(::GetLastError()); }
}  // namespace

std::wstring CInternetException::Text(std::size_t limit) const {
  wchar_t* text = nullptr;
  DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       ::GetModuleHandleW(L"wininet.dll"), error_, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out;
  if (n && text) out.assign(text, n);
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r')) out.pop_back();
  if (out.size() > limit) out.resize(limit);
  return out;
}

bool ParseUrl(const std::wstring& url, UrlParts& parts) {
  std::vector<wchar_t> server(INTERNET_MAX_HOST_NAME_LENGTH + 1), path(INTERNET_MAX_URL_LENGTH + 1),
      extra(INTERNET_MAX_URL_LENGTH + 1);
  URL_COMPONENTSW c{};
  c.dwStructSize = sizeof c;
  c.lpszHostName = server.data();
  c.dwHostNameLength = static_cast<DWORD>(server.size());
  c.lpszUrlPath = path.data();
  c.dwUrlPathLength = static_cast<DWORD>(path.size());
  c.lpszExtraInfo = extra.data();
  c.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (url.empty() || !::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) {
    parts.scheme = c.nScheme;
    parts.server.assign(server.data(), c.dwHostNameLength);
    return c.dwHostNameLength > 0;
  }
  if (c.dwHostNameLength == 0) return false;
  parts.scheme = c.nScheme;
  parts.server.assign(server.data(), c.dwHostNameLength);
  parts.object.assign(path.data(), c.dwUrlPathLength);
  parts.object.append(extra.data(), c.dwExtraInfoLength);
  if (parts.object.empty()) parts.object = L"/";
  parts.port = c.nPort;
  return true;
}

void CHttpFile::AddRequestHeaders(const std::wstring& headers, DWORD modifiers) {
  if (!::HttpAddRequestHeadersW(request_.get(), headers.c_str(), static_cast<DWORD>(headers.size()), modifiers)) {
    ThrowLastError();
  }
}

void CHttpFile::SendRequest() {
  if (!::HttpSendRequestW(request_.get(), nullptr, 0, nullptr, 0)) ThrowLastError();
}

DWORD CHttpFile::QueryStatusCode() {
  DWORD status = 0, size = sizeof status;
  if (!::HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    ThrowLastError();
  }
  return status;
}

std::wstring CHttpFile::QueryRawHeaders() {
  DWORD size = 0;
  ::HttpQueryInfoW(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) ThrowLastError();
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  if (!::HttpQueryInfoW(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, text.data(), &size, nullptr)) ThrowLastError();
  return std::wstring(text.data(), size / sizeof(wchar_t));
}

DWORD CHttpFile::Read(void* buffer, DWORD count) {
  DWORD read = 0;
  if (!::InternetReadFile(request_.get(), buffer, count, &read)) ThrowLastError();
  return read;
}

DWORD CHttpFile::QueryDataAvailable() {
  DWORD available = 0;
  if (!::InternetQueryDataAvailable(request_.get(), &available, 0, 0)) ThrowLastError();
  return available;
}

std::unique_ptr<CHttpFile> CHttpConnection::OpenRequest(const wchar_t* verb, const std::wstring& object, DWORD flags,
                                                        DWORD_PTR context) {
  HINTERNET request =
      ::HttpOpenRequestW(connection_.get(), verb, object.c_str(), nullptr, nullptr, nullptr, flags, context);
  if (!request) ThrowLastError();
  return std::make_unique<CHttpFile>(request);
}

CInternetSession::CInternetSession(const wchar_t* agent, DWORD_PTR context, DWORD accessType, DWORD flags)
    : context_(context) {
  session_.reset(::InternetOpenW(agent, accessType, nullptr, nullptr, flags));
  if (!session_) ThrowLastError();
}

void CHttpFile::SetOption(DWORD option, DWORD value) {
  if (!::InternetSetOptionW(request_.get(), option, &value, sizeof value)) ThrowLastError();
}

CInternetSession::~CInternetSession() {
  // An aborted session's handle is closed already.
  if (aborted_) session_.release();
}

void CInternetSession::Abort() {
  if (!aborted_.exchange(true)) ::InternetCloseHandle(session_.get());
}

void CInternetSession::SetOption(DWORD option, DWORD value) {
  if (!::InternetSetOptionW(session_.get(), option, &value, sizeof value)) ThrowLastError();
}

std::unique_ptr<CHttpConnection> CInternetSession::GetHttpConnection(const std::wstring& server, INTERNET_PORT port) {
  HINTERNET connection =
      ::InternetConnectW(session_.get(), server.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, context_);
  if (!connection) ThrowLastError();
  return std::make_unique<CHttpConnection>(connection);
}

}  // namespace fw
