#include "desktop/DriftShow.h"

#include <utility>

namespace k3 {

void DriftShow::SetPaths(const std::vector<std::wstring>& paths) {
  paths_.clear();
  for (const std::wstring& path : paths) {
    if (FileExists(path) != PathKind::None) paths_.push_back(path);
  }
}

std::vector<std::wstring> DriftShow::Adopt(OpenedPackage&& package) {
  settings_.Load(package.settings.data());
  folder_ = std::move(package.folder);
  return std::move(package.photos);
}

}  // namespace k3
