#include "imaging/Thumbnails.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <new>
#include <vector>

#include "framework/PathText.h"
#include "imaging/Exif.h"
#include "imaging/ImageOps.h"
#include "imaging/JpegDecode.h"
#include "imaging/WicScaled.h"

namespace k3 {

namespace {

// Enough of a camera file's head for its EXIF record and frame header.
constexpr DWORD kHeadBytes = 256 * 1024;

std::vector<std::uint8_t> ReadHead(const wchar_t* path, DWORD bytes = kHeadBytes) { return ReadFileHead(path, bytes); }

// The file's size and write time, as a head records them.
bool StampOf(const wchar_t* path, std::uint64_t& bytes, std::uint64_t& time) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &info)) return false;
  bytes = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  time = static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime;
  return true;
}

// Whether a head read before still tells of the file as it is.
bool StillTrue(const PhotoHead& head, const wchar_t* path) {
  std::uint64_t bytes = 0, time = 0;
  return head.jpeg && StampOf(path, bytes, time) && bytes == head.fileBytes && time == head.writeTime;
}

std::atomic<std::uint64_t> g_headsParsed{0};

// The one parse of a file's head.
JpegFacts ParseHead(const std::vector<std::uint8_t>& head) {
  g_headsParsed.fetch_add(1, std::memory_order_relaxed);
  return ReadJpegFacts(head.data(), head.size());
}

// `count` bytes of the file from `offset` (an embedded preview), from the
// head read already when it holds them.
std::vector<std::uint8_t> ReadRange(const wchar_t* path, const std::vector<std::uint8_t>& head, std::size_t offset,
                                    std::size_t count) {
  if (offset + count <= head.size()) return {head.begin() + offset, head.begin() + offset + count};
  std::vector<std::uint8_t> bytes;
  fw::FileHandle file(
      ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!file || count > kHeadBytes || !::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return bytes;
  bytes.resize(count);
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(count), &read, nullptr)) read = 0;
  bytes.resize(read);
  return bytes;
}

// The small preview a camera embedded in the photo, upright, when it is as
// good as the caller needs: the same shape as the picture (no bars) and at
// least as many pixels as `need` asks for. The picture's own size comes
// from the frame header; nothing of the large picture is decoded.
bool LoadPreviewFor(const wchar_t* path, const std::vector<std::uint8_t>& head, const JpegFacts& facts,
                    const NeededSize& need, CImg& dst, Size& picture) {
  if (!need || !facts.thumbnailSize || facts.stored.width <= 0 || facts.stored.height <= 0) return false;
  const Size upright = OrientedSize(facts.stored, facts.orientation);
  const Size wanted = need(upright);
  if (wanted.width <= 0 || wanted.height <= 0) return false;
  const std::vector<std::uint8_t> previewBytes = ReadRange(path, head, facts.thumbnailOffset, facts.thumbnailSize);
  if (previewBytes.size() != facts.thumbnailSize) return false;
  if (!WithinPhotoBound(ReadJpegFacts(previewBytes.data(), previewBytes.size()).stored)) return false;
  CImg preview;
  if (!LoadImageFromMemory(static_cast<DWORD>(previewBytes.size()), preview, previewBytes.data())) return false;
  const Size stored = facts.stored;
  // Same shape within 2 %: cross-multiplied to stay in integers.
  const long long a = static_cast<long long>(preview.Width()) * stored.height;
  const long long b = static_cast<long long>(preview.Height()) * stored.width;
  if (a * 50 < b * 49 || a * 49 > b * 50) return false;
  if (!TurnUpright(preview, facts.orientation)) return false;
  if (preview.Width() < wanted.width || preview.Height() < wanted.height) return false;
  dst = std::move(preview);
  picture = upright;
  return true;
}

thread_local PhotoDecodeInfo t_lastDecode;

// The whole file, or nothing when it cannot be read or is larger than a
// photo can be (the decoder would not take it anyway).
std::vector<std::uint8_t> ReadWholeFile(const wchar_t* path) {
  std::vector<std::uint8_t> bytes;
  fw::FileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return bytes;
  LARGE_INTEGER length{};
  if (!::GetFileSizeEx(file.get(), &length) || length.QuadPart <= 0 || length.QuadPart > 1024LL * 1024 * 1024) {
    return bytes;
  }
  try {
    bytes.resize(static_cast<std::size_t>(length.QuadPart));
  } catch (const std::bad_alloc&) {
    return {};
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 8u << 20));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) break;
    done += read;
  }
  // A file that shrank while it was read is decoded as far as it goes.
  bytes.resize(done);
  return bytes;
}

// A JPEG decoded at the reduction `need` allows, upright, as a 24-bit DIB
// section. False when the decoder cannot read it, or finds it cut short or
// damaged: such a file goes to GDI+ as every photo did before, so that it
// is shown, or refused, as it always was.
// What a JPEG needs decoded: its facts, the upright picture and the part
// of the stored picture the caller needs.
struct JpegPlan {
  JpegFacts facts;
  Size upright;
  Size neededStored;
  int reduction = 1;
};

bool PlanJpeg(const JpegFacts& facts, const NeededSize& need, JpegPlan& plan) {
  plan.facts = facts;
  if (plan.facts.stored.width <= 0 || plan.facts.stored.height <= 0) return false;
  plan.upright = OrientedSize(plan.facts.stored, plan.facts.orientation);
  const Size neededUpright = need ? need(plan.upright) : Size{};
  // Turning swaps the sides back into the stored orientation.
  plan.neededStored = OrientedSize(neededUpright, plan.facts.orientation);
  plan.reduction = ChooseJpegReduction(plan.facts.stored, plan.neededStored);
  return true;
}

// Stands the decoded picture upright and hands it out.
bool FinishJpeg(CImg& decoded, const JpegPlan& plan, PhotoDecoder decoder, int reduction, CImg& dst, Size& picture) {
  if (!TurnUpright(decoded, plan.facts.orientation)) return false;
  dst = std::move(decoded);
  picture = plan.upright;
  t_lastDecode = PhotoDecodeInfo{true, reduction, decoder};
  return true;
}

// A JPEG decoded at the reduction `need` allows, upright, as a 24-bit DIB
// section, through libjpeg-turbo. False when the decoder cannot read it, or
// finds it cut short or damaged: such a file goes to GDI+ as every photo
// did before, so that it is shown, or refused, as it always was.
bool LoadScaledJpeg(const std::vector<std::uint8_t>& bytes, const JpegPlan& plan, CImg& dst, Size& picture,
                    bool& tooLarge) {
  CImg decoded;
  bool damaged = false;
  const bool ok = DecodeJpeg(
      bytes.data(), bytes.size(), plan.reduction,
      [&](Size size) {
        // Top-down, so that the decoder writes the rows in memory order.
        if (!decoded.Create(24, size.width, -size.height)) return PixelView{};
        return decoded.View();
      },
      &damaged, &tooLarge);
  if (!ok || damaged) return false;
  return FinishJpeg(decoded, plan, PhotoDecoder::LibJpegTurbo, plan.reduction, dst, picture);
}

bool IsJpegBytes(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() > 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

// Any picture whole through GDI+.
bool LoadWhole(const wchar_t* path, CImg& dst, Size& picture) {
  CImg whole;
  if (FAILED(whole.Load(path))) return false;
  picture = whole.GetSize();
  dst = std::move(whole);
  return true;
}

}  // namespace

PhotoDecodeInfo LastPhotoDecode() { return t_lastDecode; }

std::uint64_t PhotoHeadsParsed() { return g_headsParsed.load(); }

bool ReadPhotoHead(const wchar_t* path, PhotoHead& head) {
  if (!path) return false;
  PhotoHead read;
  if (!StampOf(path, read.fileBytes, read.writeTime)) return false;
  // Most frame headers lie within the first 64 KiB; large EXIF, colour
  // profile or editor records can push them further (the second read
  // parses the larger head once more).
  for (DWORD bytes : {DWORD{64 * 1024}, DWORD{1024 * 1024}}) {
    const std::vector<std::uint8_t> bytesRead = ReadHead(path, bytes);
    if (!IsJpegBytes(bytesRead)) return false;
    read.facts = ParseHead(bytesRead);
    if (read.facts.stored.width > 0 && read.facts.stored.height > 0) {
      // A picture beyond the bounds is never decoded: it gets no row.
      if (!DecodableFrame(read.facts.stored, read.facts.shape)) return false;
      read.jpeg = true;
      head = read;
      return true;
    }
    if (bytesRead.size() < bytes) return false;
  }
  return false;
}

Size UprightSize(const PhotoHead& head) { return OrientedSize(head.facts.stored, head.facts.orientation); }

bool ReadPhotoSize(const wchar_t* path, Size& picture) {
  PhotoHead head;
  if (!ReadPhotoHead(path, head)) return false;
  picture = UprightSize(head);
  return true;
}

bool LoadPhotoFor(const wchar_t* path, const NeededSize& need, CImg& dst, Size& picture, const PhotoHead* known) {
  if (!path) return false;
  t_lastDecode = PhotoDecodeInfo{};
  // The head is parsed once: the one the row read while the file is as it
  // was then, or the file's first bytes now.
  std::vector<std::uint8_t> head;
  JpegFacts facts;
  if (known && StillTrue(*known, path)) {
    facts = known->facts;
  } else {
    head = ReadHead(path);
    if (!IsJpegBytes(head)) return LoadWhole(path, dst, picture);
    facts = ParseHead(head);
  }
  // A frame beyond the bound is refused at once, on every path: nothing is
  // allocated for it and no other decoder tries it.
  const Size claimed = facts.stored;
  if (claimed.width > 0 && claimed.height > 0 && !DecodableFrame(claimed, facts.shape)) return false;
  // A camera's embedded preview where it is large enough (a small drifting
  // photo): nothing of the large picture is decoded.
  if (LoadPreviewFor(path, head, facts, need, dst, picture)) {
    t_lastDecode = PhotoDecodeInfo{false, 1, PhotoDecoder::Preview};
    return true;
  }
  // The system's decoder first where it scales (it reads the file itself);
  // libjpeg-turbo where it does not.
  if (SystemScalingOffered() != 0) {
    JpegPlan plan;
    if (PlanJpeg(facts, need, plan) && plan.reduction > 1) {
      CImg decoded;
      int reduction = 1;
      // The system's decoder has no ceiling of its own: it is called with
      // the same share of the budget as ours would take.
      const DecodeBudget::Share share =
          DecodeBudget::Process().Take(JpegDecodeMemory(plan.facts.stored, plan.facts.shape, plan.reduction));
      if (!share) return false;
      bool noMemory = false;
      if (DecodeJpegWithSystemScaling(path, plan.facts.stored, plan.neededStored, decoded, reduction, &noMemory)) {
        return FinishJpeg(decoded, plan, PhotoDecoder::System, reduction, dst, picture);
      }
      // Out of memory, the photo may be fine: it is tried again later, not
      // refused.
      if (noMemory) {
        CImg::NoteLackOfMemory();
        return false;
      }
    }
  }
  {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    JpegPlan plan;
    bool tooLarge = false;
    // A frame header beyond the first bytes read is found in the whole file.
    if (IsJpegBytes(bytes) && facts.stored.width <= 0) facts = ParseHead(bytes);
    if (IsJpegBytes(bytes) && PlanJpeg(facts, need, plan) && LoadScaledJpeg(bytes, plan, dst, picture, tooLarge)) {
      return true;
    }
    // One the decoder found beyond its bounds is not tried whole either.
    if (tooLarge) return false;
  }
  // The rare JPEG the decoder does not read (12-bit samples, say), and a
  // damaged one, whole through GDI+ as before.
  return LoadWhole(path, dst, picture);
}

bool LoadThumbnail(const wchar_t* path, CImg& dst, Size& size, bool fit, const PhotoHead* known) {
  if (!path) return false;
  std::unique_ptr<CImg> candidate;
  Size decoded{0, 0};
  if (EqualsNoCase(PathExtension(path), L".pdf")) {
    candidate = MakeFileIconImage(path);
    if (candidate) decoded = candidate->GetSize();
  }
  if (!candidate) {
    // Only as many pixels as the wanted size needs.
    const Size box = size;
    const NeededSize need = [&](Size picture) {
      if (box.width == 0 && box.height == 0) return Size{};
      if (!fit) return box;
      Size fitted = picture;
      FitInside(fitted, box.width, box.height);
      return fitted;
    };
    candidate = std::make_unique<CImg>();
    if (!LoadPhotoFor(path, need, *candidate, decoded, known)) return false;
  }
  Size wanted = size;
  if (wanted.width == 0 && wanted.height == 0) {
    dst = std::move(*candidate);
    EnsureDIBSection(dst);
  } else {
    if (fit) {
      wanted = decoded;
      FitInside(wanted, size.width, size.height);
    }
    const bool exact = candidate->GetSize() == wanted;
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

}  // namespace k3
