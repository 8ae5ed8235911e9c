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
#include "ui/Palette.h"
#include "ui/ViewLayout.h"

namespace k3 {

// A trackbar that hands on every value it is moved to: by its thumb, by
// keys or by a click beside the thumb.
class CSettingSlider : public fw::CTrackbar {
 public:
  void OnChanged(std::function<void(int)> changed) { changed_ = std::move(changed); }
  void OnScroll(int code, int position) override;

 private:
  std::function<void(int)> changed_;
};

// A radio button that tells its group when it is clicked (it has checked
// itself by then); the click never reaches the parent's command table.
class CChoiceButton : public fw::CButton {
 public:
  explicit CChoiceButton(std::function<void()> chosen) : chosen_(std::move(chosen)) {}
  bool OnClicked() override;

 private:
  std::function<void()> chosen_;
};

class SettingsPanel {
 public:
  explicit SettingsPanel(CDriftlet& driftlet);
  SettingsPanel(const SettingsPanel&) = delete;
  SettingsPanel& operator=(const SettingsPanel&) = delete;

  // Makes the controls as children of `parent` (fonts not owned): the
  // main window starts the drift at the Normal speed, and each group checks
  // the choice the drift's record stands for (none for a value no choice
  // gives). Each radio group and trackbar tells the drift what the user
  // chose.
  void Create(HWND parent, HFONT normal, HFONT bold);
  void Destroy();
  void Layout(const ViewLayout& layout);
  // The labels get `bold`, the radio buttons `normal` (not owned): the
  // fonts of another DPI.
  void SetFonts(HFONT normal, HFONT bold);

  // The panel's colour and its text's (the system's in high contrast).
  void SetColours(const ViewColours& colours);

  // Shows the trackbars the current display type uses, with its ranges
  // and the drifting window's values; hides the others.
  void ApplyTrackbarRules();

  // The panel's controls in the order they appear (each group's label and
  // choices, the trackbars after the display type).
  std::vector<HWND> Controls() const;

  // The checked choice of the group whose first id is given; -1 for none.
  int Checked(UINT firstId) const;

 private:
  struct Group {
    UINT firstId = 0;
    fw::CStatic label;
    std::vector<std::unique_ptr<CChoiceButton>> radios;
  };
  // The group's buttons tell `chosen` the index of the one clicked.
  void MakeGroup(Group& group, HWND parent, UINT labelPair, UINT firstId, const std::vector<std::wstring>& texts,
                 HFONT normal, HFONT bold, std::function<void(int)> chosen);
  const Group* GroupOf(UINT id) const;
  void ShowTrackbar(CSettingSlider& bar, bool shown, int low, int high, int position);
  // Every label, choice and trackbar.
  std::vector<fw::CControl*> AllControls();

  CDriftlet& driftlet_;
  fw::GdiBrush brush_;
  COLORREF textColour_ = palette::kPanelText;
  std::array<Group, 5> groups_;  // type, speed, size, stacking order, interval
  CSettingSlider strength_;
  CSettingSlider waveCount_;
  // The sliders' labels, shown with them in the labels' column.
  fw::CStatic strengthLabel_;
  fw::CStatic waveCountLabel_;
};

}  // namespace k3
