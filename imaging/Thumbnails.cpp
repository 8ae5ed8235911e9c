#include "imaging/Thumbnails.h"

#include <shellapi.h>

#include <cwchar>

#include "framework/PathText.h"
#include "imaging/ImageOps.h"

namespace k3 {

bool LoadThumbnail(const wchar_t* path, CImg& dst, Size& size, bool fit) {
  if (!path) return false;
  std::unique_ptr<CImg> candidate;
  if (EqualsNoCase(PathExtension(path), L".pdf")) candidate = MakeFileIconImage(path);
  if (!candidate) {
    candidate = std::make_unique<CImg>();
    if (FAILED(candidate->Load(path))) return false;
  }
  const Size decoded = candidate->GetSize();
  Size wanted = size;
  if (wanted.width == 0 && wanted.height == 0) {
    dst = std::move(*candidate);
    EnsureDIBSection(dst);
  } else {
    if (fit) {
      wanted = decoded;
      FitInside(wanted, size.width, size.height);
    }
    const bool exact = decoded == wanted;
    dst = std::move(*candidate);
    if (exact) {
      ConvertTo24Bit(dst);
      EnsureDIBSection(dst);
    } else {
      // A failed resample leaves the decoded size; the load still counts.
      FitImageToSize(dst, wanted);
    }
  }
  size = decoded;
  return true;
}

std::unique_ptr<CImg> MakeFileIconImage(const wchar_t* path) {
  // The shell may rewrite the path it is given: it gets a private copy.
  wchar_t copy[MAX_PATH] = {};
  std::wcsncpy(copy, path, MAX_PATH - 1);
  WORD index = 0;
  HICON icon = ::ExtractAssociatedIconW(::GetModuleHandleW(nullptr), copy, &index);
  if (!icon) {
    // No program is associated with the document: the shell's plain
    // document symbol (the first icon of shell32) stands in.
    icon = ::ExtractIconW(::GetModuleHandleW(nullptr), L"shell32.dll", 0);
    if (reinterpret_cast<UINT_PTR>(icon) <= 1) icon = nullptr;
  }
  if (!icon) return nullptr;
  auto img = std::make_unique<CImg>();
  if (!img->Create(24, 32, 32)) {
    ::DestroyIcon(icon);
    return nullptr;
  }
  {
    ImgDc dc(*img);
    RECT all{0, 0, 32, 32};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
  }
  ::DestroyIcon(icon);
  return img;
}

BackBuffer::~BackBuffer() {
  if (dc_ && previous_) ::SelectObject(dc_.get(), previous_);
}

bool CreateFilledBackBuffer(BackBuffer& buffer, HDC reference, int width, int height, COLORREF color) {
  fw::MemoryDc dc(::CreateCompatibleDC(reference));
  if (!dc) return false;
  fw::GdiBitmap bitmap(::CreateCompatibleBitmap(reference, width, height));
  if (!bitmap) return false;
  HGDIOBJ previous = ::SelectObject(dc.get(), bitmap.get());
  fw::GdiBrush brush(::CreateSolidBrush(color));
  RECT all{0, 0, width, height};
  if (brush) ::FillRect(dc.get(), &all, brush.get());
  if (buffer.dc_ && buffer.previous_) ::SelectObject(buffer.dc_.get(), buffer.previous_);
  buffer.dc_ = std::move(dc);
  buffer.bitmap_ = std::move(bitmap);
  buffer.previous_ = previous;
  return true;
}

}  // namespace k3
