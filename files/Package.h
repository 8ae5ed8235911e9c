// Saving a show (settings and photos) as one package file, and opening one:
// its photos are extracted into a new temporary folder that the caller owns
// from then on.
//
// What an operation shows the user (its progress and its failures) is
// handed in by the caller as a PackageUi, so these operations need no window
// of their own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "files/FileUtils.h"
#include "files/PackageCodec.h"

namespace k3 {

// The user interface of one package operation.
class PackageUi {
 public:
  virtual ~PackageUi() = default;
  // Progress over [lower, upper] in the operation's own unit, shown from
  // BeginProgress until EndProgress.
  virtual void BeginProgress(int lower, int upper) = 0;
  virtual void SetProgress(int position) = 0;
  virtual void EndProgress() = 0;
  // A failure the user is told about: the pair of texts to show.
  virtual void ShowError(UINT japaneseId, UINT englishId) = 0;
};

// Writes the package of the settings and the photos. False when there are
// no photos (nothing written, no message), when a photo cannot be read or
// the file cannot be written (message shown). Nothing partial is left, and
// an existing file at `path` is replaced only by a complete package.
bool SavePackage(const PackageSettings& settings, const std::vector<std::wstring>& photos,
                 const std::wstring& path, PackageUi& ui);

// What an opened package holds: its settings record and its photos, written
// into a new temporary folder (numbered "0.jpg", "1.jpg", ..., one path per
// record, empty records included, whose files do not exist).
struct OpenedPackage {
  PackageSettings settings{};
  OwnedFolder folder;
  std::vector<std::wstring> photos;
};

// Checks and extracts the package. False, after a message for a file that
// cannot be read or is not a package, when it cannot be opened; a damaged
// package leaves no folder behind.
bool OpenPackage(const std::wstring& path, PackageUi& ui, OpenedPackage& opened);

}  // namespace k3
