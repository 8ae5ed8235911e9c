#include "app/TrayMenu.h"

#include "res/resource.h"

namespace k3 {

std::vector<TrayMenuItem> TrayMenuItems(const TrayState& state) {
  const unsigned pause = state.keyAvailable ? (state.paused ? IDS_TRAY_RESUME : IDS_TRAY_PAUSE)
                                            : (state.paused ? IDS_TRAY_RESUME_NO_KEY : IDS_TRAY_PAUSE_NO_KEY);
  std::vector<TrayMenuItem> items{{kTrayPause, pause, false},
                                  {kTrayHide, state.hidden ? IDS_TRAY_SHOW + 0u : IDS_TRAY_HIDE + 0u, false}};
  if (!state.viewerMode) items.push_back({kTrayMainWindow, IDS_TRAY_MAIN_WINDOW, false});
  items.push_back({kTrayExit, IDS_TRAY_EXIT, true});
  return items;
}

unsigned TrayTipSuffix(const TrayState& state) {
  if (state.hidden) return IDS_TRAY_TIP_HIDDEN;
  if (state.paused) return IDS_TRAY_TIP_PAUSED;
  return 0;
}

}  // namespace k3
