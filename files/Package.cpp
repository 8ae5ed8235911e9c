#include "files/Package.h"

#include <algorithm>
#include <new>

#include "files/PackageCodec.h"
#include "res/resource.h"

namespace k3 {

namespace {

// The progress display of one operation, ended on every path.
class ProgressScope {
 public:
  ProgressScope(PackageUi& ui, int lower, int upper) : ui_(ui) { ui_.BeginProgress(lower, upper); }
  ~ProgressScope() { ui_.EndProgress(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  PackageUi& ui_;
};

int ClampToInt(std::size_t v) { return static_cast<int>(v > 0x7FFFFFFF ? 0x7FFFFFFF : v); }

}  // namespace

bool SavePackage(const PackageSettings& settings, const std::vector<std::wstring>& photos,
                 const std::wstring& path, PackageUi& ui) {
  if (photos.empty()) return false;
  std::vector<std::uint8_t> bytes;
  UINT failure[2] = {0, 0};
  try {
    PackageWriter writer(settings);
    ProgressScope progress(ui, 0, ClampToInt(photos.size()));
    int done = 0;
    for (const std::wstring& photo : photos) {
      std::vector<std::uint8_t> data;
      // A show without one of its photos is not the show the user saved:
      // nothing is written.
      if (!ReadWholeFile(photo, data)) {
        failure[0] = IDS_READ_ERROR_JA, failure[1] = IDS_READ_ERROR_EN;
        break;
      }
      if (!writer.AddPhoto(data)) {
        failure[0] = IDS_WRITE_ERROR_JA, failure[1] = IDS_WRITE_ERROR_EN;
        break;
      }
      ui.SetProgress(++done);
    }
    if (!failure[0]) bytes = writer.Bytes();
  } catch (const std::bad_alloc&) {
    // Memory exhausted while collecting: reported as a failed write.
    failure[0] = IDS_WRITE_ERROR_JA, failure[1] = IDS_WRITE_ERROR_EN;
  }
  // Told once the progress display is gone.
  if (failure[0]) {
    ui.ShowError(failure[0], failure[1]);
    return false;
  }
  // Written beside an existing package and put in its place when complete.
  if (bytes.size() > 0xFFFFFFFFu || !ReplaceWholeFile(static_cast<std::uint32_t>(bytes.size()), path, bytes.data())) {
    ui.ShowError(IDS_WRITE_ERROR_JA, IDS_WRITE_ERROR_EN);
    return false;
  }
  return true;
}

bool OpenPackage(const std::wstring& path, PackageUi& ui, OpenedPackage& opened) {
  std::vector<std::uint8_t> data;
  if (!ReadWholeFile(path, data)) {
    ui.ShowError(IDS_READ_ERROR_JA, IDS_READ_ERROR_EN);
    return false;
  }
  const ParsedPackage package = ParsePackage(data.data(), data.size());
  if (package.status == PackageStatus::NotPackage) {
    ui.ShowError(IDS_NOT_PACKAGE_JA, IDS_NOT_PACKAGE_EN);
    return false;
  }
  // A damaged package (a record running past the end) is refused before
  // anything is written, so no folder is left behind, and so is a package
  // without a single photo (nothing would show, and nothing could close the
  // viewer): the user is told that the file could not be read.
  if (package.status != PackageStatus::Ok || package.records.empty()) {
    ui.ShowError(IDS_READ_ERROR_JA, IDS_READ_ERROR_EN);
    return false;
  }

  const std::wstring folderPath = CreateTempFolder(L".tmp");
  if (folderPath.empty()) {
    ui.ShowError(IDS_WRITE_ERROR_JA, IDS_WRITE_ERROR_EN);
    return false;
  }
  OwnedFolder folder(folderPath);

  std::vector<std::wstring> extracted;
  {
    ProgressScope progress(ui, static_cast<int>(kPackageHeaderBytes), ClampToInt(data.size()));
    for (std::size_t k = 0; k < package.records.size(); ++k) {
      const PackageRecord& r = package.records[k];
      const std::wstring name = folder.path() + L"\\" + std::to_wstring(k) + L".jpg";
      // A photo that cannot be written (a full disk, say): the folder goes
      // with what it holds, and the user is told. (Empty records were
      // passed over when the package was read.)
      if (!WriteWholeFile(r.size, name, data.data() + r.offset)) {
        ui.ShowError(IDS_WRITE_ERROR_JA, IDS_WRITE_ERROR_EN);
        return false;
      }
      extracted.push_back(name);
      ui.SetProgress(ClampToInt(r.offset + r.size));
    }
  }
  std::copy(package.settings, package.settings + opened.settings.size(), opened.settings.begin());
  opened.folder = std::move(folder);
  opened.photos = std::move(extracted);
  return true;
}

}  // namespace k3
