// Start-up decisions that need no window system: the title by language, the
// command-line rule and the texts written into the package file association.
// Built natively and tested there; the Win32 start-up feeds them what the
// system reports.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/LanguageRule.h"

namespace k3 {

// The product title: window text, mutex name and the title a second
// instance looks for.
const wchar_t* AppTitle(std::uint16_t langId);

// What the command line asks for.
enum class LaunchKind {
  Normal,           // no argument, or an existing file that is not a package
  Package,          // an existing file whose long form ends in ".k3dlt" (any case)
  InvalidArgument,  // nothing at the path, or its long form cannot be read
};

struct LaunchDecision {
  LaunchKind kind = LaunchKind::Normal;
  std::wstring argument;  // the argument as given (not its long form)
};

// The file system as start-up sees it: whether something (file or folder)
// exists at a path, and the long form of a path when it can be read.
struct PathOracle {
  std::function<bool(const std::wstring&)> exists;
  std::function<std::optional<std::wstring>(const std::wstring&)> longForm;
};

// args[0] is the program path; only args[1] is looked at.
LaunchDecision DecideLaunch(const std::vector<std::wstring>& args, const PathOracle& fs);

// Registry texts of the package file association for executable path P:
// "\"P\" \"%1\"" for the open command and "\"P\",0" for the icon.
std::wstring AssociationOpenCommand(const std::wstring& exePath);
std::wstring AssociationDefaultIcon(const std::wstring& exePath);

// The splash: the logo fades in through 0, 5, ..., 100 percent and out
// through trunc(100.5 - 2.5 i) for i = 0..20 (100, 98, 95, 93, ..., 53, 50).
std::array<int, 21> SplashFadeInPercents();
std::array<int, 21> SplashFadeOutPercents();

}  // namespace k3
