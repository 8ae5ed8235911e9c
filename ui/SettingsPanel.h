// The settings panel of the main view: a labelled radio group each for the
// display type, the speed, the photo size, the stacking order and the
// switch interval, and the two trackbars of the effects. It tells the
// drifting window what the user chose, shows the trackbars the display type
// uses with their ranges, and paints itself on the panel's colour.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <vector>

#include "desktop/Driftlet.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "ui/ViewLayout.h"

namespace k3 {

// A trackbar whose dragged thumb hands its value on.
class CSettingSlider : public fw::CTrackbar {
 public:
  void OnChanged(std::function<void(int)> changed) { changed_ = std::move(changed); }
  void OnScroll(int code, int position) override;

 private:
  std::function<void(int)> changed_;
};

class SettingsPanel {
 public:
  explicit SettingsPanel(CDriftlet& driftlet);
  SettingsPanel(const SettingsPanel&) = delete;
  SettingsPanel& operator=(const SettingsPanel&) = delete;

  // Makes the controls as children of `parent` (fonts not owned), checks
  // the choices the drifting window starts with and gives it the Normal
  // speed, so that its first step already runs at the checked speed.
  void Create(HWND parent, HFONT normal, HFONT bold);
  void Destroy();
  void Layout(const ViewLayout& layout);
  // The labels get `bold`, the radio buttons `normal` (not owned): the
  // fonts of another DPI.
  void SetFonts(HFONT normal, HFONT bold);

  // A click of one of the panel's radio buttons: the drifting window gets
  // the group's new choice. False for an id that is not the panel's.
  bool OnClicked(UINT id);

  // Shows the trackbars the current display type uses, with its ranges
  // and the drifting window's values; hides the others.
  void ApplyTrackbarRules();

  // The checked choice of the group whose first id is given; -1 for none.
  int Checked(UINT firstId) const;

 private:
  struct Group {
    UINT firstId = 0;
    fw::CStatic label;
    std::vector<std::unique_ptr<fw::CButton>> radios;
  };
  void MakeGroup(Group& group, HWND parent, UINT labelPair, UINT firstId, const std::vector<std::wstring>& texts,
                 HFONT normal, HFONT bold);
  const Group* GroupOf(UINT id) const;
  void ShowTrackbar(CSettingSlider& bar, bool shown, int low, int high, int position);

  CDriftlet& driftlet_;
  fw::GdiBrush brush_;
  std::array<Group, 5> groups_;  // type, speed, size, stacking order, interval
  CSettingSlider strength_;
  CSettingSlider waveCount_;
};

}  // namespace k3
