#include "desktop/DriftShow.h"

#include <utility>

namespace k3 {

void DriftShow::SetPaths(const std::vector<std::wstring>& paths, const std::vector<PhotoHead>& heads) {
  paths_.clear();
  heads_.clear();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (FileExists(paths[i]) == PathKind::None) continue;
    paths_.push_back(paths[i]);
    heads_.push_back(i < heads.size() ? heads[i] : PhotoHead{});
  }
}

std::vector<std::wstring> DriftShow::Adopt(OpenedPackage&& package) {
  settings_.Load(package.settings.data());
  folder_ = std::move(package.folder);
  return std::move(package.photos);
}

}  // namespace k3
