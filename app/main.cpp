// Entry point of k3driftlet.
#include <windows.h>

#include "app/K3Driftlet.h"

namespace {
// The one application object, constructed before the entry point runs.
k3::CK3Driftlet theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  return fw::AfxWinMain(instance, showCommand);
}
