// The system's own JPEG decoder where it decodes at a reduced scale itself
// (Windows' imaging component offers it through its source transform).
#pragma once

#include <windows.h>

#include "imaging/Img.h"

namespace k3 {

// Decodes the JPEG at `path` at the system decoder's closest reduced size
// that still holds `needed` (stored orientation, as the file has it) into a
// 24-bit surface. False, leaving dst unchanged, where the system offers no
// scaled decoding (it is asked once per process), where it would decode
// the whole picture anyway, for pictures it gives in other pixel formats
// (CMYK) and when it fails; `reduction` receives the stored width divided
// by the decoded width. COM must be running on the calling thread. A
// failure for lack of memory sets `noMemory`.
bool DecodeJpegWithSystemScaling(const wchar_t* path, Size stored, Size needed, CImg& dst, int& reduction,
                                 bool* noMemory = nullptr);

// Whether the system's decoder was found to offer scaled decoding: 1 yes,
// 0 no, -1 not asked yet.
int SystemScalingOffered();

}  // namespace k3
