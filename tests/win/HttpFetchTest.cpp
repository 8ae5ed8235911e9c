// The HTTP download against the project's update service on a loopback
// address: body sizes around the 64 KiB step, error pages, redirects
// followed once, refused redirects and refused connections, each failure
// told in a message box with the texts the program defines.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "update/HttpFetch.h"
#include "update/ProgressDlg.h"

namespace k3 {
namespace {

// Answers the message boxes of this process with OK and keeps their texts.
class BoxAnswerer {
 public:
  BoxAnswerer() : thread_([this] { Watch(); }) {}
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::wstring> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(texts_, {});
  }

 private:
  void Watch() {
    while (!stop_) {
      for (HWND box : e2e::FindWindows(::GetCurrentProcessId(), L"", L"#32770")) {
        HWND text = ::GetDlgItem(box, 0xFFFF);
        if (!::IsWindowVisible(box) || !text) continue;
        wchar_t buffer[2048] = {};
        ::GetWindowTextW(text, buffer, 2048);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_.push_back(buffer);
        }
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ::Sleep(200);
      }
      ::Sleep(50);
    }
  }
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::wstring> texts_;
  std::thread thread_;
};

struct Fetched {
  BOOL ok = FALSE;
  std::vector<std::uint8_t> body;
  bool hadBody = false;
};

Fetched Fetch(const std::wstring& url) {
  Fetched f;
  std::uint8_t* body = reinterpret_cast<std::uint8_t*>(1);
  std::size_t length = 99;
  f.ok = HttpFetch(url, &body, &length);
  if (body) {
    f.hadBody = true;
    f.body.assign(body, body + length);
    std::free(body);
  }
  return f;
}

TEST(HttpFetch, BodiesErrorPagesRedirectsAndFailures) {
  fixtures::TempFolder releases;
  e2e::UpdateService service(releases.path());
  ASSERT_GT(service.port(), 0) << "the service is up";
  BoxAnswerer boxes;

  // Bodies around the 64 KiB step, byte for byte.
  for (int n : {1, 65536, 65537, 300000}) {
    const Fetched f = Fetch(service.Url(L"/bytes/" + std::to_wstring(n)));
    EXPECT_TRUE(f.ok) << n;
    ASSERT_EQ(f.body.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(f.body[static_cast<std::size_t>(n - 1)], (n - 1) % 251);
  }
  // An empty body: success without a block.
  Fetched empty = Fetch(service.Url(L"/bytes/0"));
  EXPECT_TRUE(empty.ok);
  EXPECT_FALSE(empty.hadBody);
  // An error page is a body like any other; the caller judges it.
  Fetched missing = Fetch(service.Url(L"/status/404"));
  EXPECT_TRUE(missing.ok);
  EXPECT_EQ(std::string(missing.body.begin(), missing.body.end()), "<html>status page</html>");
  // One redirect is followed by hand; the second answer is read whatever it
  // is, a second redirect included.
  Fetched moved = Fetch(service.Url(L"/redirect/302?to=") + service.Url(L"/bytes/10"));
  EXPECT_TRUE(moved.ok);
  EXPECT_EQ(moved.body.size(), 10u);
  Fetched twice = Fetch(service.Url(L"/redirect/301?to=") + service.Url(L"/redirect/302?to=/bytes/5"));
  EXPECT_TRUE(twice.ok);
  EXPECT_TRUE(twice.body.empty());
  EXPECT_TRUE(boxes.Texts().empty()) << "no failure so far";

  // A cancellable progress dialog shows the download in KiB; a click waiting
  // when the first piece has arrived cancels it: success, and no body.
  {
    CProgressDlg progress;
    ASSERT_TRUE(progress.Open(nullptr, 0, 300000 / 1024, true));
    ::PostMessageW(progress.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    std::uint8_t* body = nullptr;
    std::size_t length = 0;
    EXPECT_TRUE(HttpFetch(service.Url(L"/bytes/300000"), &body, &length, &progress));
    EXPECT_EQ(body, nullptr);
    EXPECT_EQ(length, 0u);
    std::free(body);
    // Without a click the same download goes to its end.
    EXPECT_TRUE(HttpFetch(service.Url(L"/bytes/300000"), &body, &length, &progress));
    EXPECT_EQ(length, 300000u);
    std::free(body);
  }

  // The vendor's host name through the proxy of the Internet settings,
  // which every session takes.
  {
    e2e::ProxyScope proxy(service.port());
    Fetched viaProxy = Fetch(L"http://www.kelvarstone.example/bytes/7");
    EXPECT_TRUE(viaProxy.ok);
    EXPECT_EQ(viaProxy.body.size(), 7u);
  }
  EXPECT_TRUE(boxes.Texts().empty());

  // Failures, each with its message.
  EXPECT_FALSE(Fetch(service.Url(L"/redirect/303?to=https://127.0.0.1/x")).ok);
  EXPECT_FALSE(Fetch(service.Url(L"/redirect-bare/302")).ok);
  EXPECT_FALSE(Fetch(L"not a url").ok);
  e2e::WaitUntil([] { return false; }, 600);
  const std::vector<std::wstring> texts = boxes.Texts();
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"-5", L"-3", L"1"}));

  // Nobody listening: the WinINet error with its code and the system's text.
  Fetched refused = Fetch(L"http://127.0.0.1:9/");
  EXPECT_FALSE(refused.ok);
  e2e::WaitUntil([] { return false; }, 600);
  const std::vector<std::wstring> refusedTexts = boxes.Texts();
  ASSERT_EQ(refusedTexts.size(), 1u);
  if (e2e::JapaneseEdition()) {
    EXPECT_NE(refusedTexts[0].find(L"エラーコード＝12029"), std::wstring::npos) << refusedTexts[0];
  } else {
    EXPECT_EQ(refusedTexts[0].rfind(L"Error: Exiting with CInternetException(12029) ", 0), 0u) << refusedTexts[0];
  }
}

}  // namespace
}  // namespace k3
