#include "imaging/WicScaled.h"

#include <wincodec.h>

#include <atomic>

#include "framework/Handles.h"

namespace k3 {

namespace {

// The source transform of the imaging component (wincodec.h of Windows'
// SDK; the mingw headers lack it).
constexpr IID kIidSourceTransform = {0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};
constexpr CLSID kClsidImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr IID kIidImagingFactory = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
constexpr GUID kFormat24bppBgr = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

struct ISourceTransform : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height, GUID* format,
                                               WICBitmapTransformOptions transform, UINT stride, UINT size,
                                               BYTE* buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(GUID* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};

std::atomic<int> g_offered{-1};

}  // namespace

int SystemScalingOffered() { return g_offered.load(); }

bool DecodeJpegWithSystemScaling(const wchar_t* path, Size stored, Size needed, CImg& dst, int& reduction) {
  if (g_offered.load() == 0 || !path || stored.width <= 0 || stored.height <= 0) return false;
  fw::ComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(kClsidImagingFactory, nullptr, CLSCTX_INPROC_SERVER, kIidImagingFactory,
                                reinterpret_cast<void**>(factory.put())))) {
    return false;
  }
  fw::ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                decoder.put()))) {
    return false;
  }
  fw::ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.put()))) return false;
  fw::ComPtr<ISourceTransform> transform;
  if (FAILED(frame->QueryInterface(kIidSourceTransform, reinterpret_cast<void**>(transform.put())))) {
    // This system's decoder scales nothing: never asked again.
    g_offered = 0;
    return false;
  }
  g_offered = 1;
  UINT width = static_cast<UINT>(needed.width > 0 ? needed.width : stored.width);
  UINT height = static_cast<UINT>(needed.height > 0 ? needed.height : stored.height);
  if (FAILED(transform->GetClosestSize(&width, &height))) return false;
  if (width >= static_cast<UINT>(stored.width) || width < static_cast<UINT>(needed.width) ||
      height < static_cast<UINT>(needed.height) || width == 0 || height == 0) {
    return false;
  }
  GUID format = kFormat24bppBgr;
  if (FAILED(transform->GetClosestPixelFormat(&format)) || format != kFormat24bppBgr) return false;
  CImg decoded;
  if (!decoded.Create(24, static_cast<int>(width), -static_cast<int>(height))) return false;
  const UINT stride = static_cast<UINT>(decoded.Pitch());
  if (FAILED(transform->CopyPixels(nullptr, width, height, &format, WICBitmapTransformRotate0, stride, stride * height,
                                   decoded.Pixels()))) {
    return false;
  }
  reduction = stored.width / static_cast<int>(width);
  dst = std::move(decoded);
  return true;
}

}  // namespace k3
