// What a JPEG file's head told, read once when the photo's row is added and
// carried with it to the thumbnail and to the drift's prepared photo, so
// that no later step parses the head again. The file's size and write time
// come with it: a file changed since is read again.
#pragma once

#include <cstdint>

#include "imaging/Exif.h"

namespace k3 {

struct PhotoHead {
  // Whether the facts were read from a JPEG's head.
  bool jpeg = false;
  JpegFacts facts;
  std::uint64_t fileBytes = 0;
  std::uint64_t writeTime = 0;
};

}  // namespace k3
