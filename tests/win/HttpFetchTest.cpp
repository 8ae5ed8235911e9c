// The HTTP download against the project's update service on a loopback
// address: body sizes around the 64 KiB step, error pages, redirects
// followed once, refused redirects and refused connections, each failure
// with the text the program defines for it; the fetch itself shows nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "E2eHarness.h"
#include "ImageFixtures.h"
#include "Releases.h"
#include "update/HttpFetch.h"
#include "update/UpdateCommand.h"
#include "update/Updater.h"
#include "dialogs/ProgressDlg.h"

namespace k3 {
namespace {

// Answers the message boxes of this process with OK and keeps their texts.
class BoxAnswerer {
 public:
  // A fetch shows its box before it returns, and a box's text is kept
  // before the box is answered: once a fetch has returned, every box it
  // showed is among Texts().
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

// A fetch whose progress goes to a progress dialog (in KiB), which may
// cancel it.
FetchHooks ToDialog(CProgressDlg& progress) {
  FetchHooks hooks;
  hooks.progress = [&progress](std::size_t bytes) { return progress.SetPos(ProgressKiB(bytes)) != FALSE; };
  return hooks;
}

// The update command as the gear runs it, until its last message is
// answered.
void RunUpdate(NetworkCheck networkAlive) {
  UpdateCommand command(networkAlive);
  ASSERT_TRUE(command.Start(nullptr));
  EXPECT_FALSE(command.Start(nullptr)) << "one at a time";
  EXPECT_TRUE(e2e::PumpUntil([&] { return !command.Running(); }, 60000));
}

struct Fetched {
  bool ok = false;
  std::vector<std::uint8_t> body;
  bool hadBody = false;
  std::wstring told;  // what the user would be told of a failure
};

Fetched Fetch(const std::wstring& url, const FetchLimits& limits = DefaultLimits()) {
  FetchResult result = HttpFetch(url, {}, limits);
  return {result.ok(), result.body, !result.body.empty(), FetchFailureText(result)};
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
    const FetchResult cancelled = HttpFetch(service.Url(L"/bytes/300000"), ToDialog(progress));
    EXPECT_EQ(cancelled.error, FetchError::Cancelled);
    EXPECT_TRUE(cancelled.body.empty());
    EXPECT_EQ(FetchFailureText(cancelled), L"") << "the user knows";
    // Without a click the same download goes to its end.
    const FetchResult whole = HttpFetch(service.Url(L"/bytes/300000"), ToDialog(progress));
    EXPECT_TRUE(whole.ok());
    EXPECT_EQ(whole.body.size(), 300000u);
  }
  // Several MiB, the bar full at the end.
  {
    constexpr int kBytes = 5 * 1024 * 1024 + 3;
    CProgressDlg progress;
    ASSERT_TRUE(progress.Open(nullptr, 0, kBytes / 1024, false));
    const FetchResult big = HttpFetch(service.Url(L"/bytes/" + std::to_wstring(kBytes)), ToDialog(progress));
    EXPECT_TRUE(big.ok());
    ASSERT_EQ(big.body.size(), static_cast<std::size_t>(kBytes));
    EXPECT_EQ(big.body[kBytes - 1], (kBytes - 1) % 251);
    HWND bar = ::FindWindowExW(progress.m_hWnd, nullptr, PROGRESS_CLASSW, nullptr);
    ASSERT_TRUE(bar);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), ::SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    EXPECT_GT(::SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
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
  std::vector<std::wstring> texts;
  for (const std::wstring& url : {service.Url(L"/redirect/303?to=https://127.0.0.1/x"),
                                  service.Url(L"/redirect-bare/302"), std::wstring(L"not a url")}) {
    const Fetched failed = Fetch(url);
    EXPECT_FALSE(failed.ok);
    texts.push_back(failed.told);
  }
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"-5", L"-3", L"1"}));

  // Nobody listening: the WinINet error with its code and the system's text.
  Fetched refused = Fetch(L"http://127.0.0.1:9/");
  EXPECT_FALSE(refused.ok);
  const std::vector<std::wstring> refusedTexts = {refused.told};
  EXPECT_TRUE(boxes.Texts().empty()) << "the fetch itself shows nothing";
  ASSERT_EQ(refusedTexts.size(), 1u);
  if (e2e::JapaneseEdition()) {
    EXPECT_NE(refusedTexts[0].find(L"エラーコード＝12029"), std::wstring::npos) << refusedTexts[0];
  } else {
    EXPECT_EQ(refusedTexts[0].rfind(L"Error: Exiting with CInternetException(12029) ", 0), 0u) << refusedTexts[0];
  }
}

// Answers the system's password dialog of this process, filling in the
// given user name and password or cancelling it, and message boxes with OK,
// keeping their texts.
class PasswordAnswerer {
 public:
  PasswordAnswerer(std::wstring user, std::wstring password)
      : user_(std::move(user)), password_(std::move(password)), thread_([this] { Watch(); }) {}
  ~PasswordAnswerer() {
    stop_ = true;
    thread_.join();
  }
  int dialogs() const { return dialogs_; }
  std::vector<std::wstring> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

 private:
  void Watch() {
    while (!stop_) {
      for (HWND dialog : e2e::FindWindows(::GetCurrentProcessId(), L"", L"#32770")) {
        if (!::IsWindowVisible(dialog)) continue;
        std::vector<HWND> edits;
        for (HWND c = ::FindWindowExW(dialog, nullptr, L"Edit", nullptr); c;
             c = ::FindWindowExW(dialog, c, L"Edit", nullptr)) {
          edits.push_back(c);
        }
        if (edits.size() >= 2) {
          ++dialogs_;
          if (user_.empty()) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
          } else {
            ::SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(user_.c_str()));
            ::SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password_.c_str()));
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
          }
        } else if (HWND text = ::GetDlgItem(dialog, 0xFFFF)) {
          wchar_t buffer[2048] = {};
          ::GetWindowTextW(text, buffer, 2048);
          {
            std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(buffer);
          }
          ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
        e2e::WaitUntil([&] { return !::IsWindowVisible(dialog); }, 3000);
      }
      ::Sleep(50);
    }
  }
  std::wstring user_;
  std::wstring password_;
  std::atomic<bool> stop_{false};
  std::atomic<int> dialogs_{0};
  std::mutex mutex_;
  std::vector<std::wstring> texts_;
  std::thread thread_;
};

TEST(HttpFetch, AskedForAPasswordTheUsersAnswerDecides) {
  fixtures::TempFolder releases;
  e2e::UpdateService service(releases.path());
  ASSERT_GT(service.port(), 0);
  // The dialog cancelled: "-2". (First: the system keeps a password that
  // worked for the rest of the process.)
  {
    PasswordAnswerer user(L"", L"");
    const Fetched refused = Fetch(service.Url(L"/auth"));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(user.dialogs(), 1);
    EXPECT_EQ(std::vector<std::wstring>{refused.told}, std::vector<std::wstring>{L"-2"});
    EXPECT_TRUE(user.Texts().empty()) << "no message box of the fetch's own";
  }
  // The right user name and password: the request goes again with them.
  {
    PasswordAnswerer user(L"k3", L"drift");
    const Fetched f = Fetch(service.Url(L"/auth"));
    EXPECT_TRUE(f.ok);
    EXPECT_EQ(std::string(f.body.begin(), f.body.end()), "authorised");
    EXPECT_EQ(user.dialogs(), 1);
    EXPECT_TRUE(user.Texts().empty());
  }
}

TEST(HttpFetch, AServerThatDoesNotAnswerTimesOutWithTheWinInetMessage) {
  fixtures::TempFolder releases;
  e2e::UpdateService service(releases.path());
  ASSERT_GT(service.port(), 0);
  BoxAnswerer boxes;
  // The answer would come after 10 s; the fetch gives up after its longest
  // wait (20 s in the program, 2 s here).
  FetchLimits limits = DefaultLimits();
  limits.waitMs = 2000;
  ULONGLONG started = ::GetTickCount64();
  const Fetched slow = Fetch(service.Url(L"/slow/10000"), limits);
  EXPECT_LT(::GetTickCount64() - started, 8000u);
  // Its session closed from another thread (the program ends), the fetch
  // fails instead of taking the answer that comes. (Windows ends the wait
  // under way at once; Wine's wait goes on until the answer or the time-out
  // and then fails.)
  {
    std::mutex lock;
    CMyHttpSession* open = nullptr;
    FetchHooks hooks;
    hooks.sessionOpen = [&](CMyHttpSession* session) {
      std::lock_guard<std::mutex> guard(lock);
      open = session;
    };
    FetchResult cut;
    started = ::GetTickCount64();
    std::thread fetching([&] { cut = HttpFetch(service.Url(L"/slow/10000"), hooks); });
    e2e::WaitUntil(
        [&] {
          std::lock_guard<std::mutex> guard(lock);
          return open != nullptr;
        },
        5000);
    ::Sleep(300);
    {
      std::lock_guard<std::mutex> guard(lock);
      if (open) open->Abort();
    }
    fetching.join();
    EXPECT_FALSE(cut.ok()) << "the answer came after the session was closed";
    std::printf("a fetch whose session was closed ended %llu ms after it began (the answer: 10 s)\n",
                ::GetTickCount64() - started);
  }
  EXPECT_FALSE(slow.ok);
  EXPECT_TRUE(boxes.Texts().empty());
  const std::vector<std::wstring> texts = {slow.told};
  ASSERT_EQ(texts.size(), 1u);
  // Windows says 12002 (timed out); Wine's requests say 12030 (connection
  // aborted) when the time-out ends their wait.
  bool known = false;
  for (const wchar_t* code : {L"12002", L"12030"}) {
    if (e2e::JapaneseEdition()) {
      known = known || texts[0].find(std::wstring(L"エラーコード＝") + code) != std::wstring::npos;
    } else {
      known = known || texts[0].rfind(std::wstring(L"Error: Exiting with CInternetException(") + code + L") ", 0) == 0;
    }
  }
  EXPECT_TRUE(known) << texts[0];
}

TEST(UpdateFlow, WithoutANetworkItSaysSoAndAsksTheServiceNothing) {
  e2e::Releases releases("01010600");
  e2e::UpdateService service(releases.folder.path());
  ASSERT_GT(service.port(), 0);
  e2e::ProxyScope proxy(service.port());
  BoxAnswerer boxes;
  RunUpdate([] { return false; });
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{e2e::JapaneseEdition() ? L"インターネットの接続が見つかりません。"
                                                                            : L"Error in no Internet connection."});
  // With a network the same flow asks the service, which has nothing newer
  // than this build.
  RunUpdate([] { return true; });
  EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{e2e::JapaneseEdition() ? L"既に最新の状態です。"
                                                                            : L"No newer program was found."});
  const Fetched count = Fetch(service.Url(L"/requests"));
  EXPECT_EQ(std::string(count.body.begin(), count.body.end()), "1") << "only the version was asked for";
  // A request that fails says why first, then the command says that it
  // failed.
  {
    e2e::ProxyScope nowhere(9);
    RunUpdate([] { return true; });
    const std::vector<std::wstring> texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find(L"12029"), std::wstring::npos) << texts[0];
    EXPECT_EQ(texts[1], e2e::JapaneseEdition() ? L"エラーが発生しました。" : L"Unexpected error was occured.");
  }
}

}  // namespace
}  // namespace k3
