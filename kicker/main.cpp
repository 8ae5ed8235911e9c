// Entry point of Kicker.
#include <windows.h>

#include "kicker/KickerApp.h"

namespace {
// The one application object, constructed before the entry point runs.
k3::CKickerApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  return fw::AfxWinMain(instance, showCommand);
}
