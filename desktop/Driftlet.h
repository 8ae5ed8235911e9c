// CDriftlet: the borderless window in which the selected photos float over
// the desktop. The application object holds the one instance for the whole
// run; the main frame creates its window in both modes.
#pragma once

#include "framework/Wnd.h"

namespace k3 {

class CDriftlet : public fw::CWnd {
 public:
  CDriftlet() = default;

  // Creates the window as the main frame does: a visible popup with a
  // system menu and the application's title, parented to the desktop, with
  // an empty rectangle (the motion gives it its place and size later).
  BOOL CreateDriftWindow(const wchar_t* title);

  // Tool window (no task-bar button) except in viewer mode; class with the
  // program's grab cursor and a hollow background.
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnClose();
};

}  // namespace k3
