#include "ui/SettingsPanel.h"

#include <commctrl.h>

#include <utility>

#include "desktop/DisplaySettings.h"
#include "framework/Services.h"
#include "framework/Texts.h"
#include "res/resource.h"
#include "ui/ControlIds.h"
#include "ui/Palette.h"
#include "ui/ViewResources.h"
#include "ui/ViewRules.h"

namespace k3 {

namespace {

enum GroupIndex { kType, kSpeed, kSize, kZOrder, kInterval };

std::wstring PairText(UINT pair) { return LoadResString(PickText(pair, pair + 1)); }

std::vector<std::wstring> PairTexts(std::initializer_list<UINT> pairs) {
  std::vector<std::wstring> texts;
  for (UINT pair : pairs) texts.push_back(PairText(pair));
  return texts;
}

void Place(fw::CWnd& control, const Rect& r) { PlaceControl(control.m_hWnd, r); }

}  // namespace

void CSettingSlider::OnScroll(int code, int position) {
  if (!changed_) return;
  // A drag of the thumb tells where it is; keys (arrows, Page Up and Down,
  // Home and End) and a click beside the thumb have moved it already: the
  // value shown is the value stored. The end of a move tells nothing new.
  if (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) {
    changed_(position);
  } else if (code != TB_ENDTRACK) {
    changed_(GetPos());
  }
}

bool CChoiceButton::OnClicked() {
  if (chosen_) chosen_();
  return true;
}

SettingsPanel::SettingsPanel(CDriftlet& driftlet) : driftlet_(driftlet), brush_(::CreateSolidBrush(palette::kPanel)) {}

void SettingsPanel::MakeGroup(Group& group, HWND parent, UINT labelPair, UINT firstId,
                              const std::vector<std::wstring>& texts, HFONT normal, HFONT bold,
                              std::function<void(int)> chosen) {
  group.firstId = firstId;
  // The label ends the group before it; the first choice is the group's
  // stop of the keyboard's Tab, the arrows move among its choices.
  if (group.label.Create(PairText(labelPair).c_str(), WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, RECT{0, 0, 0, 0},
                         parent, ids::kLabel)) {
    group.label.SetBackground(brush_.get());
    group.label.SetTextColour(textColour_);
    group.label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    auto radio = std::make_unique<CChoiceButton>([chosen, i] { chosen(static_cast<int>(i)); });
    const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | BS_VCENTER | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    if (radio->Create(texts[i].c_str(), style, RECT{0, 0, 0, 0}, parent, firstId + static_cast<UINT>(i))) {
      radio->SetBackground(brush_.get());
      radio->SetTextColour(textColour_);
      radio->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);
    }
    group.radios.push_back(std::move(radio));
  }
}

std::vector<fw::CControl*> SettingsPanel::AllControls() {
  std::vector<fw::CControl*> all{&strength_, &waveCount_, &strengthLabel_, &waveCountLabel_};
  for (Group& group : groups_) {
    all.push_back(&group.label);
    for (auto& radio : group.radios) all.push_back(radio.get());
  }
  return all;
}

void SettingsPanel::SetColours(const ViewColours& colours) {
  fw::GdiBrush brush(::CreateSolidBrush(colours.panel));
  if (!brush) return;
  textColour_ = colours.panelText;
  // The controls take the new brush before the old one goes.
  for (fw::CControl* control : AllControls()) {
    control->SetBackground(brush.get());
    control->SetTextColour(textColour_);
    if (control->m_hWnd) {
      // A trackbar keeps the system's colours it drew with until told.
      control->SendMessage(WM_SYSCOLORCHANGE);
      ::InvalidateRect(control->m_hWnd, nullptr, TRUE);
    }
  }
  brush_ = std::move(brush);
}

void SettingsPanel::SetFonts(HFONT normal, HFONT bold) {
  for (fw::CStatic* label : {&strengthLabel_, &waveCountLabel_}) {
    if (label->m_hWnd) label->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(normal), TRUE);
  }
  for (Group& group : groups_) {
    if (group.label.m_hWnd) group.label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(bold), TRUE);
    for (auto& radio : group.radios) {
      if (radio->m_hWnd) radio->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(normal), TRUE);
    }
  }
}

void SettingsPanel::Create(HWND parent, HFONT normal, HFONT bold) {
  // The main window's drift starts at the Normal speed.
  driftlet_.SetSpeed(1);
  // In creation order, which is also the order of the keyboard's Tab.
  MakeGroup(groups_[kType], parent, IDS_TYPE_LABEL, ids::kTypeFirst,
            PairTexts({IDS_TYPE_PHOTO, IDS_TYPE_SPHERE, IDS_TYPE_RIPPLE, IDS_TYPE_WAVE, IDS_TYPE_ROTATE}), normal, bold,
            [this](int i) {
              driftlet_.SetDisplayType(i);
              ApplyTrackbarRules();
            });
  for (CSettingSlider* bar : {&strength_, &waveCount_}) {
    const UINT id = bar == &strength_ ? ids::kStrengthSlider : ids::kWaveCountSlider;
    // Its label first: what a screen reader calls the slider.
    fw::CStatic& label = bar == &strength_ ? strengthLabel_ : waveCountLabel_;
    if (label.Create(PairText(bar == &strength_ ? IDS_LABEL_STRENGTH : IDS_LABEL_WAVES).c_str(),
                     WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX, RECT{0, 0, 0, 0}, parent,
                     bar == &strength_ ? ids::kStrengthLabel : ids::kWaveCountLabel)) {
      label.SetBackground(brush_.get());
      label.SetTextColour(textColour_);
      label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);
    }
    // The thumb's length is the panel's (it follows the DPI with the bar).
    if (bar->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | TBS_HORZ | TBS_FIXEDLENGTH, RECT{0, 0, 0, 0},
                    parent, id)) {
      bar->SetBackground(brush_.get());
    }
  }
  strength_.OnChanged([this](int value) { driftlet_.SetEffectStrength(value); });
  waveCount_.OnChanged([this](int value) { driftlet_.SetWaveCount(value); });
  MakeGroup(groups_[kSpeed], parent, IDS_SPEED_LABEL, ids::kSpeedFirst,
            PairTexts({IDS_SPEED_SLOW, IDS_SPEED_NORMAL, IDS_SPEED_FAST}), normal, bold,
            [this](int i) { driftlet_.SetSpeed(i); });
  MakeGroup(groups_[kSize], parent, IDS_SIZE_LABEL, ids::kSizeFirst, {L"32", L"64", L"128", L"256", L"512"}, normal,
            bold, [this](int i) { driftlet_.SetPhotoSize(i); });
  MakeGroup(groups_[kZOrder], parent, IDS_ZORDER_LABEL, ids::kZOrderFirst,
            PairTexts({IDS_ZORDER_BOTTOM, IDS_ZORDER_NORMAL, IDS_ZORDER_TOP}), normal, bold,
            [this](int i) { driftlet_.SetZOrder(static_cast<ZOrder>(i)); });
  std::vector<std::wstring> intervals;
  for (int i = 0; i < ids::kIntervalCount; ++i) intervals.push_back(PairText(IDS_INTERVAL_FIRST + 2 * i));
  MakeGroup(groups_[kInterval], parent, IDS_INTERVAL_LABEL, ids::kIntervalFirst, intervals, normal, bold,
            [this](int i) { driftlet_.SetSwitchInterval(i); });

  const SettingChoices c = ChoicesOf(driftlet_.Settings());
  const int start[5] = {c.type, c.speed, c.size, c.zOrder, c.interval};
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (start[g] < 0 || start[g] >= static_cast<int>(groups_[g].radios.size())) continue;
    if (auto& radio = groups_[g].radios[static_cast<std::size_t>(start[g])]; radio->m_hWnd) radio->SetChecked(true);
  }
}

std::vector<HWND> SettingsPanel::Controls() const {
  std::vector<HWND> order;
  for (const Group& group : groups_) {
    order.push_back(group.label.m_hWnd);
    for (const auto& radio : group.radios) order.push_back(radio->m_hWnd);
    if (&group == &groups_[kType]) {
      order.push_back(strengthLabel_.m_hWnd);
      order.push_back(strength_.m_hWnd);
      order.push_back(waveCountLabel_.m_hWnd);
      order.push_back(waveCount_.m_hWnd);
    }
  }
  return order;
}

void SettingsPanel::Destroy() {
  for (Group& group : groups_) {
    group.label.DestroyWindow();
    group.radios.clear();
  }
  strength_.DestroyWindow();
  waveCount_.DestroyWindow();
  strengthLabel_.DestroyWindow();
  waveCountLabel_.DestroyWindow();
}

void SettingsPanel::Layout(const ViewLayout& l) {
  const Rect labels[5] = {l.typeLabel, l.speedLabel, l.sizeLabel, l.zOrderLabel, l.intervalLabel};
  const Rect* radios[5] = {l.typeRadios.data(), l.speedRadios.data(), l.sizeRadios.data(), l.zOrderRadios.data(),
                           l.intervalRadios.data()};
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    Place(groups_[g].label, labels[g]);
    for (std::size_t i = 0; i < groups_[g].radios.size(); ++i) Place(*groups_[g].radios[i], radios[g][i]);
    // The trackbars come after the type group, as they were made.
    if (g == kType) {
      Place(strength_, l.strengthSlider);
      Place(waveCount_, l.waveCountSlider);
      // The labels in the labels' column, level with their sliders.
      for (const auto& [label, bar] :
           {std::pair{&strengthLabel_, l.strengthSlider}, std::pair{&waveCountLabel_, l.waveCountSlider}}) {
        const int h = l.typeLabel.Height();
        const int top = bar.top + (bar.Height() - h) / 2;
        Place(*label, Rect{l.typeLabel.left, top, l.typeLabel.right, top + h});
      }
      // 21 pixels on a bar 24 high at 96 DPI, as large again at others.
      for (CSettingSlider* bar : {&strength_, &waveCount_}) {
        if (bar->m_hWnd) bar->SendMessage(TBM_SETTHUMBLENGTH, static_cast<WPARAM>(l.strengthSlider.Height() * 7 / 8));
      }
    }
  }
  ApplyTrackbarRules();
}

void SettingsPanel::ShowTrackbar(CSettingSlider& bar, bool shown, int low, int high, int position) {
  if (!bar.m_hWnd) return;
  fw::CStatic& label = &bar == &strength_ ? strengthLabel_ : waveCountLabel_;
  if (label.m_hWnd) ::ShowWindow(label.m_hWnd, shown ? SW_SHOW : SW_HIDE);
  if (shown) {
    bar.SetRange(low, high);
    bar.SetPos(position);
  }
  ::ShowWindow(bar.m_hWnd, shown ? SW_SHOW : SW_HIDE);
}

void SettingsPanel::ApplyTrackbarRules() {
  const TrackbarRule rule = TrackbarRuleFor(driftlet_.Settings().displayType);
  ShowTrackbar(strength_, rule.strengthShown, rule.strengthMin, rule.strengthMax,
               rule.strengthShown ? driftlet_.GetEffectStrength() : 0);
  ShowTrackbar(waveCount_, rule.waveCountShown, rule.waveCountMin, rule.waveCountMax,
               rule.waveCountShown ? driftlet_.GetWaveCount() : 0);
}

const SettingsPanel::Group* SettingsPanel::GroupOf(UINT id) const {
  for (const Group& group : groups_) {
    if (id >= group.firstId && id < group.firstId + group.radios.size()) return &group;
  }
  return nullptr;
}

int SettingsPanel::Checked(UINT firstId) const {
  const Group* group = GroupOf(firstId);
  if (!group) return -1;
  std::vector<bool> checks;
  for (const auto& radio : group->radios) checks.push_back(radio->m_hWnd && radio->IsChecked());
  return FirstChecked(checks);
}

}  // namespace k3
