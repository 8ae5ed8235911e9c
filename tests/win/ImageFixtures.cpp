#include "ImageFixtures.h"

#include <algorithm>
#include <memory>

#include "framework/Handles.h"
#include "imaging/GdiplusInclude.h"

namespace fixtures {

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

unsigned GdiHandleHighWater() {
  std::vector<HRGN> probes;
  unsigned highest = 0;
  for (int i = 0; i < 2048; ++i) {
    probes.push_back(::CreateRectRgn(0, 0, 1, 1));
    highest = std::max(highest, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(probes.back()) & 0xFFFF));
  }
  for (HRGN r : probes) ::DeleteObject(r);
  return highest;
}

namespace {

bool EncoderFor(const wchar_t* mime, CLSID& clsid) {
  UINT count = 0, bytes = 0;
  Gdiplus::GetImageEncodersSize(&count, &bytes);
  std::vector<std::uint8_t> buffer(bytes);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(codecs[i].MimeType) == mime) {
      clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<std::uint8_t> Encode(int w, int h, const Painter& paint, const wchar_t* mime, bool alpha) {
  Gdiplus::Bitmap bitmap(w, h, alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB);
  Gdiplus::Rect all(0, 0, w, h);
  Gdiplus::BitmapData data{};
  bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(data.Scan0) + y * data.Stride);
    for (int x = 0; x < w; ++x) row[x] = paint(x, y);
  }
  bitmap.UnlockBits(&data);
  CLSID clsid;
  if (!EncoderFor(mime, clsid)) return {};
  fw::ComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) return {};
  if (bitmap.Save(stream.get(), &clsid, nullptr) != Gdiplus::Ok) return {};
  HGLOBAL memory = nullptr;
  ::GetHGlobalFromStream(stream.get(), &memory);
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  const auto* bytes = static_cast<const std::uint8_t*>(::GlobalLock(memory));
  std::vector<std::uint8_t> out(bytes, bytes + stat.cbSize.QuadPart);
  ::GlobalUnlock(memory);
  return out;
}

std::vector<std::uint8_t> WithOrientation(const std::vector<std::uint8_t>& jpeg, int orientation) {
  const std::uint8_t app1[] = {
      0xFF, 0xE1, 0x00, 34,                                     // APP1, length 34
      'E', 'x', 'i', 'f', 0, 0,                                 // EXIF header
      'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,             // little-endian TIFF, IFD0 at 8
      0x01, 0x00,                                               // one entry
      0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00,           // orientation, SHORT, 1
      static_cast<std::uint8_t>(orientation), 0x00, 0x00, 0x00,  // the value
      0x00, 0x00, 0x00, 0x00,                                   // no next IFD
  };
  std::vector<std::uint8_t> out;
  out.reserve(jpeg.size() + sizeof app1);
  out.push_back(jpeg[0]);
  out.push_back(jpeg[1]);
  out.insert(out.end(), std::begin(app1), std::end(app1));
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

std::vector<std::uint8_t> WithPreview(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& preview,
                                      int orientation) {
  // Little-endian TIFF: IFD0 at 8 (orientation), IFD1 at 26 (offset and
  // length of the preview), the preview at 56.
  std::vector<std::uint8_t> tiff = {'I', 'I', 0x2A, 0, 8, 0, 0, 0};
  auto u16 = [&](unsigned v) {
    tiff.push_back(static_cast<std::uint8_t>(v));
    tiff.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  u16(1);
  u16(0x0112); u16(3); u32(1); u16(static_cast<unsigned>(orientation)); u16(0);
  u32(26);
  u16(2);
  u16(0x0201); u16(4); u32(1); u32(56);
  u16(0x0202); u16(4); u32(1); u32(static_cast<std::uint32_t>(preview.size()));
  u32(0);
  tiff.insert(tiff.end(), preview.begin(), preview.end());
  const std::size_t length = 2 + 6 + tiff.size();
  const std::uint8_t header[] = {jpeg[0], jpeg[1], 0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                                 static_cast<std::uint8_t>(length), 'E', 'x', 'i', 'f', 0, 0};
  std::vector<std::uint8_t> out(sizeof header + tiff.size() + jpeg.size() - 2);
  auto at = std::copy(std::begin(header), std::end(header), out.begin());
  at = std::copy(tiff.begin(), tiff.end(), at);
  std::copy(jpeg.begin() + 2, jpeg.end(), at);
  return out;
}

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH];
  ::GetTempPathW(MAX_PATH, base);
  path_ = std::wstring(base) + L"k3test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(::GetTickCount64()) + L"\\";
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  WIN32_FIND_DATAW found;
  fw::FindHandle find(::FindFirstFileW((path_ + L"*").c_str(), &found));
  if (find) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      ::SetFileAttributesW((path_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW((path_ + name).c_str());
    } while (::FindNextFileW(find.get(), &found));
  }
  find.reset();
  ::RemoveDirectoryW(path_.c_str());
}

std::wstring TempFolder::Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
  const std::wstring path = path_ + name;
  fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
  DWORD written = 0;
  if (file && !bytes.empty()) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  return path;
}

}  // namespace fixtures
