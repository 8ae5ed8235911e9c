// The framework layer: binding of windows to objects, dispatch, command
// routing, the pre-translation walk and frame layout.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <new>
#include <stdexcept>
#include <vector>

#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "framework/WorkNotice.h"
#include "framework/WorkerQueue.h"
#include "framework/WorkerThread.h"

#include "E2eHarness.h"

namespace fw {
namespace {

class Recorder : public CWnd {
 public:
  std::vector<UINT> messages;
  std::vector<std::pair<UINT, int>> commands;
  bool failCreate = false;
  bool handleCommands = true;
  int postNcDestroyCalls = 0;
  int preTranslateCalls = 0;
  bool swallow = false;

  BOOL OnCmdMsg(UINT id, int code) override {
    commands.emplace_back(id, code);
    return handleCommands;
  }
  BOOL PreTranslateMessage(MSG*) override {
    ++preTranslateCalls;
    return swallow;
  }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    messages.push_back(msg);
    if (msg == WM_CREATE && failCreate) return -1;
    return CWnd::WindowProc(msg, wp, lp);
  }
  void PostNcDestroy() override { ++postNcDestroyCalls; }
};

bool Saw(const Recorder& r, UINT msg) { return std::find(r.messages.begin(), r.messages.end(), msg) != r.messages.end(); }

TEST(CWnd, FirstMessagesReachTheObjectAndDestructionUnbinds) {
  Recorder w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, L"rec", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 100}, nullptr, 0));
  HWND hwnd = w.m_hWnd;
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(CWnd::FromHandle(hwnd), &w);
  // WM_GETMINMAXINFO comes before WM_NCCREATE and already reaches the object.
  ASSERT_FALSE(w.messages.empty());
  EXPECT_EQ(w.messages.front(), static_cast<UINT>(WM_GETMINMAXINFO));
  EXPECT_TRUE(Saw(w, WM_NCCREATE));
  EXPECT_TRUE(Saw(w, WM_CREATE));

  EXPECT_TRUE(w.DestroyWindow());
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(w.postNcDestroyCalls, 1);
  EXPECT_TRUE(Saw(w, WM_NCDESTROY));
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(CWnd, FailedCreationLeavesObjectEmptyAndReusable) {
  Recorder w;
  w.failCreate = true;
  EXPECT_FALSE(w.CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
  EXPECT_EQ(w.m_hWnd, nullptr);
  w.failCreate = false;
  EXPECT_TRUE(w.CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
  EXPECT_TRUE(::IsWindow(w.m_hWnd));
}

TEST(CWnd, DestroyingTheObjectDestroysItsWindow) {
  HWND hwnd;
  {
    Recorder w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    hwnd = w.m_hWnd;
  }
  EXPECT_FALSE(::IsWindow(hwnd));
  // A message to a stale handle can no longer reach a dead object.
  EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

// A handler that fails with an exception, on request.
class Thrower : public CWnd {
 public:
  bool throwOnCreate = false;
  int answered = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_CREATE && throwOnCreate) throw std::runtime_error("create");
    if (msg == WM_USER + 1) throw std::runtime_error("user");
    if (msg == WM_USER + 2) return ++answered;
    if (msg == WM_PAINT) throw std::bad_alloc();
    return CWnd::WindowProc(msg, wp, lp);
  }
};

TEST(CWnd, AnExceptionEndsOnlyItsMessage) {
  Thrower w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}, nullptr, 0));
  EXPECT_EQ(w.SendMessage(WM_USER + 1, 5, 6), 0);
  EXPECT_EQ(w.SendMessage(WM_USER + 2), 1) << "the window goes on answering";
  // A paint handler that throws still answers the request: no paint message
  // is left to come back.
  ::InvalidateRect(w.m_hWnd, nullptr, FALSE);
  ::UpdateWindow(w.m_hWnd);
  RECT update{};
  EXPECT_FALSE(::GetUpdateRect(w.m_hWnd, &update, FALSE));
  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, w.m_hWnd, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  EXPECT_TRUE(w.DestroyWindow());

  // A creation whose handler throws fails and leaves no window.
  Thrower failing;
  failing.throwOnCreate = true;
  EXPECT_FALSE(failing.CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
  EXPECT_EQ(failing.m_hWnd, nullptr);
}

TEST(CWnd, NamedClassesAreSeparateFromTheSharedOnes) {
  const std::wstring shared = RegisterWndClass(CS_DROPSHADOW);
  const std::wstring own = RegisterNamedWndClass(L"K3TestOwnClass", CS_DROPSHADOW);
  EXPECT_EQ(own, L"K3TestOwnClass");
  EXPECT_NE(own, shared);
  EXPECT_EQ(RegisterNamedWndClass(L"K3TestOwnClass", CS_DROPSHADOW), own) << "registered once";
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), own.c_str(), &info));
  EXPECT_EQ(info.style, static_cast<UINT>(CS_DROPSHADOW));
  EXPECT_EQ(info.hCursor, nullptr);
  EXPECT_EQ(info.hbrBackground, nullptr);
  EXPECT_EQ(info.hIcon, nullptr);
  EXPECT_EQ(info.lpfnWndProc, &CWnd::StaticWndProc);
}

TEST(CDialog, OnlyTheDialogClassIsBound) {
  EXPECT_TRUE(IsDialogClassName(MAKEINTATOM(32770)));
  EXPECT_TRUE(IsDialogClassName(L"#32770"));
  // Windows the system creates first on the thread, such as the
  // input-method window, are of other classes.
  EXPECT_FALSE(IsDialogClassName(L"IME"));
  EXPECT_FALSE(IsDialogClassName(L"Default IME"));
  EXPECT_FALSE(IsDialogClassName(MAKEINTATOM(32771)));
  EXPECT_FALSE(IsDialogClassName(nullptr));
}

TEST(CWnd, CommandsAreRoutedThroughOnCmdMsg) {
  Recorder w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
  w.SendMessage(WM_COMMAND, MAKEWPARAM(205, BN_CLICKED), 0);
  ASSERT_EQ(w.commands.size(), 1u);
  EXPECT_EQ(w.commands[0].first, 205u);
  EXPECT_EQ(w.commands[0].second, BN_CLICKED);
}

TEST(CWnd, SubclassedControlKeepsItsOwnBehaviour) {
  HWND button = ::CreateWindowExW(0, L"BUTTON", L"x", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 40, 20, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(button);
  {
    Recorder w;
    ASSERT_TRUE(w.SubclassWindow(button));
    ::SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(::SendMessageW(button, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(Saw(w, BM_SETCHECK));
    EXPECT_FALSE(w.SubclassWindow(button)) << "already bound";
  }
  // The wrapper took its window with it.
  EXPECT_FALSE(::IsWindow(button));
}

// An application whose start or message loop runs out of memory.
struct FailingApp : CWinApp {
  bool failInInit = true;
  int failures = 0;
  int exits = 0;
  BOOL InitInstance() override {
    if (failInInit) throw std::bad_alloc();
    return TRUE;
  }
  int Run() override { throw std::bad_alloc(); }
  int ExitInstance() override {
    ++exits;
    return 7;
  }
  void OnUnhandledFailure() override { ++failures; }
};

TEST(CWorkNotice, ADelayedRunGathersTheRequestsOfABurstAndCanBeForgotten) {
  int runs = 0;
  fw::CWorkNotice notice([&] { ++runs; });
  EXPECT_TRUE(notice.AskWithin(100));
  EXPECT_TRUE(notice.AskWithin(100));
  EXPECT_TRUE(e2e::PumpUntil([&] { return runs > 0; }, 5000));
  e2e::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(runs, 1) << "one run for the burst";
  notice.AskWithin(100);
  notice.Forget();
  e2e::PumpUntil([] { return false; }, 400);
  EXPECT_EQ(runs, 1) << "a forgotten run does not come";
  EXPECT_TRUE(notice.Ask());
  EXPECT_TRUE(e2e::PumpUntil([&] { return runs == 2; }, 5000)) << "requests from workers still run";
}

TEST(WorkerThreadScope, AWorkerLivesInTheApartmentItsJobsWant) {
  for (const auto& [apartment, expected] :
       {std::pair{Apartment::Single, APTTYPE_STA}, std::pair{Apartment::Multi, APTTYPE_MTA}}) {
    WorkerQueue<int> queue({1, nullptr, [a = apartment] { return MakeWorkerScope(a); }, [] { return true; }});
    queue.Add(1, [] {
      APTTYPE type{};
      APTTYPEQUALIFIER qualifier{};
      return SUCCEEDED(::CoGetApartmentType(&type, &qualifier)) ? static_cast<int>(type) : -1;
    });
    ASSERT_TRUE(queue.WaitIdle(std::chrono::seconds(10)));
    const auto done = queue.Take();
    ASSERT_EQ(done.size(), 1u);
    // The first single-threaded apartment of a process is its main one.
    const bool same = done[0].result == static_cast<int>(expected) ||
                      (expected == APTTYPE_STA && done[0].result == static_cast<int>(APTTYPE_MAINSTA));
    EXPECT_TRUE(same) << done[0].result;
  }
}

TEST(CWinApp, NoExceptionLeavesTheEntryPoint) {
  FailingApp app;
  EXPECT_EQ(AfxWinMain(::GetModuleHandleW(nullptr), SW_SHOW), 7) << "the run ends through ExitInstance";
  EXPECT_EQ(app.failures, 1) << "and tells the user";
  EXPECT_EQ(app.exits, 1);
  app.failInInit = false;
  EXPECT_EQ(AfxWinMain(::GetModuleHandleW(nullptr), SW_SHOW), 7) << "also from the message loop";
  EXPECT_EQ(app.failures, 2);
  EXPECT_EQ(app.exits, 2);
}

TEST(CWinApp, PreTranslateWalksFromChildToMainWindow) {
  CWinApp app;
  auto owned = std::make_unique<Recorder>();
  Recorder* main = owned.get();
  ASSERT_TRUE(main->CreateEx(0, nullptr, L"main", WS_POPUP, RECT{0, 0, 100, 100}, nullptr, 0));
  app.SetMainWnd(std::move(owned));
  Recorder child;
  ASSERT_TRUE(child.CreateEx(0, nullptr, L"", WS_CHILD, RECT{0, 0, 10, 10}, main->m_hWnd, 1));
  Recorder other;  // a top-level window of its own
  ASSERT_TRUE(other.CreateEx(0, nullptr, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));

  MSG msg{};
  msg.hwnd = child.m_hWnd;
  msg.message = WM_KEYDOWN;
  EXPECT_FALSE(app.PreTranslateMessage(&msg));
  EXPECT_EQ(child.preTranslateCalls, 1);
  EXPECT_EQ(main->preTranslateCalls, 1);

  main->swallow = true;
  EXPECT_TRUE(app.PreTranslateMessage(&msg));

  // The main window has the last word over windows outside its family.
  msg.hwnd = other.m_hWnd;
  EXPECT_TRUE(app.PreTranslateMessage(&msg));
  EXPECT_EQ(other.preTranslateCalls, 1);
  EXPECT_EQ(main->preTranslateCalls, 3);

  // Destroying the main window asks the message loop to end.
  main->DestroyWindow();
  MSG quit;
  EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

class TestFrame : public CFrameWnd {};

TEST(CFrameWnd, FirstPaneFillsTheClientArea) {
  TestFrame frame;
  ASSERT_TRUE(frame.LoadFrame(4242, WS_OVERLAPPEDWINDOW));
  EXPECT_FALSE(::GetWindowLongPtrW(frame.m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "the pane draws its own edges";
  Recorder pane;
  ASSERT_TRUE(pane.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 1, 1}, frame.m_hWnd, kFirstPaneId));
  ::SetWindowPos(frame.m_hWnd, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE);
  RECT client, paneRect;
  ::GetClientRect(frame.m_hWnd, &client);
  ::GetClientRect(pane.m_hWnd, &paneRect);
  EXPECT_EQ(paneRect.right, client.right);
  EXPECT_EQ(paneRect.bottom, client.bottom);
  // The frame hands its keyboard focus to the pane.
  ::SendMessageW(frame.m_hWnd, WM_SETFOCUS, 0, 0);
  EXPECT_EQ(::GetFocus(), pane.m_hWnd);

  // Commands reach the frame's own routing.
  frame.SendMessage(WM_COMMAND, MAKEWPARAM(7, 0), 0);
  EXPECT_TRUE(pane.commands.empty()) << "a plain frame does not hand commands to its pane";
}

}  // namespace
}  // namespace fw
