#include "files/Package.h"

#include <new>
#include <vector>

#include "app/Language.h"
#include "desktop/Driftlet.h"
#include "files/FileUtils.h"
#include "files/PackageCodec.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "update/ProgressDlg.h"

namespace k3 {

namespace {

void ShowError(HWND parent, UINT japanese, UINT english) {
  ShowPairedMessage(parent == ::GetDesktopWindow() ? nullptr : parent, japanese, english, MB_OK | MB_ICONERROR);
}

}  // namespace

bool SavePackage(CDriftlet& driftlet, HWND parent, const std::wstring& path) {
  if (driftlet.photoPaths.empty()) return false;
  std::vector<std::uint8_t> bytes;
  try {
    const auto settings = SettingsToBytes(driftlet.settings);
    PackageWriter writer(settings);
    CProgressDlg progress;
    progress.Open(parent, 0, static_cast<int>(driftlet.photoPaths.size()), false);
    int done = 0;
    for (const std::wstring& photo : driftlet.photoPaths) {
      // A photo that cannot be read ends the collection: the package holds
      // the photos before it.
      std::vector<std::uint8_t> data;
      if (!ReadWholeFile(photo, data) || !writer.AddPhoto(data)) break;
      progress.SetPos(++done);
    }
    bytes = writer.Bytes();
  } catch (const std::bad_alloc&) {
    // Memory exhausted while collecting: reported as a failed write.
    ShowError(parent, IDS_WRITE_ERROR_JA, IDS_WRITE_ERROR_EN);
    return false;
  }
  if (bytes.size() > 0xFFFFFFFFu || !WriteWholeFile(static_cast<std::uint32_t>(bytes.size()), path, bytes.data())) {
    ShowError(parent, IDS_WRITE_ERROR_JA, IDS_WRITE_ERROR_EN);
    return false;
  }
  return true;
}

bool OpenPackage(CDriftlet& driftlet, HWND parent, const std::wstring& path) {
  std::vector<std::uint8_t> data;
  if (!ReadWholeFile(path, data)) {
    ShowError(parent, IDS_READ_ERROR_JA, IDS_READ_ERROR_EN);
    return false;
  }
  const ParsedPackage package = ParsePackage(data.data(), data.size());
  if (package.status == PackageStatus::NotPackage) {
    ShowError(parent, IDS_NOT_PACKAGE_JA, IDS_NOT_PACKAGE_EN);
    return false;
  }
  // A damaged package (a record running past the end) is refused before
  // anything is written, so no folder is left behind; as before, without a
  // message.
  if (package.status != PackageStatus::Ok) return false;

  const std::wstring folder = MakeTempName(L".tmp");
  if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
    ShowError(parent, IDS_WRITE_ERROR_JA, IDS_WRITE_ERROR_EN);
    return false;
  }
  driftlet.settings = SettingsFromBytes(package.settings);

  std::vector<std::wstring> extracted;
  bool good = true;
  {
    CProgressDlg progress;
    progress.Open(parent == ::GetDesktopWindow() ? nullptr : parent, static_cast<int>(kPackageHeaderBytes),
                  static_cast<int>(data.size() > 0x7FFFFFFF ? 0x7FFFFFFF : data.size()), false);
    for (std::size_t k = 0; k < package.records.size(); ++k) {
      const PackageRecord& r = package.records[k];
      const std::wstring name = folder + L"\\" + std::to_wstring(k) + L".jpg";
      if (r.size > 0 && !WriteWholeFile(r.size, name, data.data() + r.offset)) {
        good = false;
        break;
      }
      // Also for an empty record: that path does not exist and LoadPhotos
      // drops it.
      extracted.push_back(name);
      const std::size_t end = r.offset + r.size;
      progress.SetPos(static_cast<int>(end > 0x7FFFFFFF ? 0x7FFFFFFF : end));
    }
  }
  if (!good) {
    DeleteTree(folder);
    return false;
  }
  driftlet.tempFolder = folder;
  driftlet.LoadPhotos(extracted);
  return true;
}

}  // namespace k3
