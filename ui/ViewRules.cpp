#include "ui/ViewRules.h"

#include <algorithm>
#include <cmath>

#include "framework/Dpi.h"

#include <algorithm>

#include "framework/PathText.h"

namespace k3 {

namespace {

constexpr std::size_t kLineCapacity = 63;

void AppendNumber(std::wstring& out, int value) { out += std::to_wstring(value); }

}  // namespace

bool IsPhotoFileName(std::wstring_view path) {
  const std::wstring extension = PathExtension(path);
  return EqualsNoCase(extension, L".jpg") || EqualsNoCase(extension, L".jpeg");
}

std::wstring FormatCountLine(std::wstring_view format, int photos, int selected) {
  std::wstring out;
  int next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (next < 2 && format[i] == L'%' && i + 1 < format.size() && format[i + 1] == L'd') {
      AppendNumber(out, next == 0 ? photos : selected);
      ++next;
      ++i;
      continue;
    }
    out += format[i];
  }
  if (out.size() > kLineCapacity) out.resize(kLineCapacity);
  return out;
}

std::wstring PictureSizeLine(int width, int height) {
  return L"width: " + std::to_wstring(width) + L" pixel, height: " + std::to_wstring(height) + L" pixel";
}

std::wstring VendorPageAddress(bool japanese, std::wstring_view host) {
  return L"http://" + std::wstring(host) + (japanese ? L"/index.html" : L"/index_e.html");
}

std::wstring ProductPageAddress(bool japanese, std::wstring_view host) {
  return L"http://" + std::wstring(host) + L"/" +
         (japanese ? L"k3driftlet/k3driftlet.html" : L"k3driftlet/k3driftlet_e.html");
}

int RowDpi(int dpi) {
  while (dpi > kBaseDpi && ScaleForDpi(kRowHeight, dpi) > kMostRowPixels) --dpi;
  return dpi;
}

ThumbOrigin ThumbnailOrigin(int width, int height, int dpi) {
  const int side = ScaleForDpi(kThumbnailSide, dpi), margin = ScaleForDpi(2, dpi);
  return ThumbOrigin{(side - width) / 2 + margin, (side - height) / 2 + margin};
}

int FirstChecked(const std::vector<bool>& checks) {
  for (std::size_t i = 0; i < checks.size(); ++i) {
    if (checks[i]) return static_cast<int>(i);
  }
  return -1;
}

RowRange ThumbnailRows(int count, int top, int shown, int budget) {
  if (count <= 0) return {};
  if (budget <= 0 || count <= budget) return RowRange{0, count};
  // The screen's rows in the middle of the range, the range inside the list.
  const int first = std::clamp(top + shown / 2 - budget / 2, 0, count - budget);
  return RowRange{first, first + budget};
}

namespace {
double Linear(unsigned channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
double Luminance(std::uint32_t colour) {
  return 0.2126 * Linear(colour & 0xFF) + 0.7152 * Linear(colour >> 8 & 0xFF) + 0.0722 * Linear(colour >> 16 & 0xFF);
}
}  // namespace

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace k3
