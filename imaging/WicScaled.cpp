#include "imaging/WicScaled.h"

#include <wincodec.h>

#include <shlwapi.h>

#include <atomic>
#include <mutex>

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
std::mutex g_probe;

// A 16 x 16 grey JPEG: the system's decoder is asked once, on it, whether
// its frames scale (asking on a photo could cost a whole decode).
const BYTE kProbeJpeg[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
    0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x10, 0x0B, 0x0C, 0x0E, 0x0C, 0x0A, 0x10, 0x0E, 0x0D, 0x0E, 0x12,
    0x11, 0x10, 0x13, 0x18, 0x28, 0x1A, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23, 0x25, 0x1D, 0x28, 0x3A, 0x33, 0x3D,
    0x3C, 0x39, 0x33, 0x38, 0x37, 0x40, 0x48, 0x5C, 0x4E, 0x40, 0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6D, 0x51,
    0x57, 0x5F, 0x62, 0x67, 0x68, 0x67, 0x3E, 0x4D, 0x71, 0x79, 0x70, 0x64, 0x78, 0x5C, 0x65, 0x67, 0x63, 0xFF,
    0xC0, 0x00, 0x0B, 0x08, 0x00, 0x10, 0x00, 0x10, 0x01, 0x01, 0x22, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4,
    0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x00, 0xFF, 0xD9};

fw::ComPtr<IWICImagingFactory> MakeFactory() {
  fw::ComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(kClsidImagingFactory, nullptr, CLSCTX_INPROC_SERVER, kIidImagingFactory,
                                reinterpret_cast<void**>(factory.put())))) {
    factory.reset();
  }
  return factory;
}

// 1 or 0 once asked; -1 when it could not be asked here (no COM on this
// thread), to be asked again elsewhere.
int Probe() {
  std::lock_guard<std::mutex> lock(g_probe);
  if (g_offered.load() != -1) return g_offered.load();
  fw::ComPtr<IWICImagingFactory> factory = MakeFactory();
  if (!factory) return -1;
  fw::ComPtr<IStream> stream;
  *stream.put() = ::SHCreateMemStream(kProbeJpeg, sizeof kProbeJpeg);
  fw::ComPtr<IWICBitmapDecoder> decoder;
  fw::ComPtr<IWICBitmapFrameDecode> frame;
  fw::ComPtr<ISourceTransform> transform;
  const bool offered = stream &&
                       SUCCEEDED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                                  decoder.put())) &&
                       SUCCEEDED(decoder->GetFrame(0, frame.put())) &&
                       SUCCEEDED(frame->QueryInterface(kIidSourceTransform, reinterpret_cast<void**>(transform.put())));
  g_offered = offered ? 1 : 0;
  return g_offered.load();
}

}  // namespace

int SystemScalingOffered() { return g_offered.load(); }

bool DecodeJpegWithSystemScaling(const wchar_t* path, Size stored, Size needed, CImg& dst, int& reduction,
                                 bool* noMemory) {
  if (!path || stored.width <= 0 || stored.height <= 0) return false;
  if (g_offered.load() != 1 && Probe() != 1) return false;
  fw::ComPtr<IWICImagingFactory> factory = MakeFactory();
  if (!factory) return false;
  fw::ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                decoder.put()))) {
    return false;
  }
  fw::ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.put()))) return false;
  fw::ComPtr<ISourceTransform> transform;
  if (FAILED(frame->QueryInterface(kIidSourceTransform, reinterpret_cast<void**>(transform.put())))) return false;
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
  const HRESULT copied = transform->CopyPixels(nullptr, width, height, &format, WICBitmapTransformRotate0, stride,
                                               stride * height, decoded.Pixels());
  if (FAILED(copied)) {
    // The decoder keeps a progressive file's coefficients whole: it may run
    // out where the picture itself would fit.
    if (noMemory && copied == E_OUTOFMEMORY) *noMemory = true;
    return false;
  }
  reduction = stored.width / static_cast<int>(width);
  dst = std::move(decoded);
  return true;
}

}  // namespace k3
