#include "ui/ViewResources.h"

#include "framework/Texts.h"

namespace k3 {

fw::GdiFont MakeViewFont(int height, int weight) {
  const wchar_t* face = IsJapaneseSystem() ? L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF" : L"Arial";
  return fw::GdiFont(::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

std::unique_ptr<CImg> LoadBitmapResource(UINT id) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return nullptr;
  auto image = std::make_unique<CImg>();
  image->Attach(bitmap);
  return image;
}

std::unique_ptr<CImg> LoadImageResource(UINT id) {
  HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!info) return nullptr;
  HGLOBAL loaded = ::LoadResource(module, info);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = ::SizeofResource(module, info);
  if (!bytes || size == 0) return nullptr;
  auto image = std::make_unique<CImg>();
  if (!LoadImageFromMemory(size, *image, bytes)) return nullptr;
  return image;
}

void PlaceControl(HWND control, const Rect& r) {
  if (!control) return;
  ::MoveWindow(control, r.left, r.top, r.Width(), r.Height(), TRUE);
  ::InvalidateRect(control, nullptr, TRUE);
}

}  // namespace k3
