#include "app/StartupRules.h"

#include "framework/PathText.h"

namespace k3 {

const wchar_t* AppTitle(std::uint16_t langId) {
  return PickByLanguage(langId, kJapaneseTitle, kEnglishTitle);
}

LaunchDecision DecideLaunch(const std::vector<std::wstring>& args, const PathOracle& fs) {
  LaunchDecision d;
  if (args.size() < 2) return d;
  d.argument = args[1];
  if (!fs.exists(d.argument)) {
    d.kind = LaunchKind::InvalidArgument;
    return d;
  }
  std::optional<std::wstring> longForm = fs.longForm(d.argument);
  if (!longForm) {
    d.kind = LaunchKind::InvalidArgument;
    return d;
  }
  // The extension is taken from the long form, so a package named in its
  // short 8.3 form (".K3D") is still recognised; the argument itself is
  // passed on unchanged.
  d.kind = EqualsNoCase(PathExtension(*longForm), L".k3dlt") ? LaunchKind::Package : LaunchKind::Normal;
  return d;
}

std::wstring AssociationOpenCommand(const std::wstring& exePath) {
  // The placeholder is appended as plain text: it never goes through a
  // formatting routine, so a '%' in the path cannot be misread.
  std::wstring s = L"\"" + exePath + L"\" ";
  s += L"\"%1\"";
  return s;
}

std::array<int, 21> SplashFadeInPercents() {
  std::array<int, 21> p{};
  for (int i = 0; i < 21; ++i) p[static_cast<std::size_t>(i)] = 5 * i;
  return p;
}

std::array<int, 21> SplashFadeOutPercents() {
  std::array<int, 21> p{};
  for (int i = 0; i < 21; ++i) p[static_cast<std::size_t>(i)] = static_cast<int>(100.5 - 2.5 * i);
  return p;
}

std::wstring AssociationDefaultIcon(const std::wstring& exePath) { return L"\"" + exePath + L"\",0"; }

}  // namespace k3
