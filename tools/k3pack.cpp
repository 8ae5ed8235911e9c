// k3pack: makes a package file from photo files and a few display settings.
//
//   k3pack [options] OUTPUT.k3dlt PHOTO...
//     --type photo|sphere|ripple|wave|rotate   (default ripple)
//     --speed slow|normal|fast                 (default slow)
//     --size 32|64|128|256|512                 (default 128)
//     --zorder bottom|normal|top               (default top)
//     --interval 1s|5s|10s|30s|1m|5m|10m|30m|60m  (default 5s)
//     --strength N    --waves N               (default: not set)
//
// The photos are stored byte for byte in the order given.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "desktop/DisplaySettings.h"
#include "files/PackageCodec.h"

namespace {

int IndexOf(const std::string& value, const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == value) return static_cast<int>(i);
  return -1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: k3pack [--type photo|sphere|ripple|wave|rotate] [--speed slow|normal|fast]\n"
               "              [--size 32|64|128|256|512] [--zorder bottom|normal|top]\n"
               "              [--interval 1s|5s|10s|30s|1m|5m|10m|30m|60m] [--strength N] [--waves N]\n"
               "              OUTPUT.k3dlt PHOTO...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  k3::DisplaySettings settings;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      files.push_back(arg);
      continue;
    }
    if (i + 1 >= argc) return Usage();
    const std::string value = argv[++i];
    int index = -1;
    if (arg == "--type") {
      index = IndexOf(value, {"photo", "sphere", "ripple", "wave", "rotate"});
      if (index >= 0) settings.displayType = static_cast<std::uint16_t>(index);
    } else if (arg == "--speed") {
      index = IndexOf(value, {"slow", "normal", "fast"});
      if (index >= 0) settings.frameInterval = k3::SpeedPeriod(index);
    } else if (arg == "--size") {
      index = IndexOf(value, {"32", "64", "128", "256", "512"});
      if (index >= 0) settings.photoSize = static_cast<std::uint16_t>(index);
    } else if (arg == "--zorder") {
      index = IndexOf(value, {"bottom", "normal", "top"});
      if (index >= 0) settings.zOrder = static_cast<std::uint16_t>(index);
    } else if (arg == "--interval") {
      index = IndexOf(value, {"1s", "5s", "10s", "30s", "1m", "5m", "10m", "30m", "60m"});
      if (index >= 0) settings.switchInterval = k3::IntervalValue(index);
    } else if (arg == "--strength" || arg == "--waves") {
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (end && *end == 0 && n >= 0 && n <= 65535) {
        index = static_cast<int>(n);
        (arg == "--strength" ? settings.effectStrength : settings.waveCount) = static_cast<std::uint16_t>(n);
      }
    }
    if (index < 0) {
      std::fprintf(stderr, "k3pack: bad value '%s' for %s\n", value.c_str(), arg.c_str());
      return Usage();
    }
  }
  if (files.size() < 2) return Usage();

  k3::PackageWriter writer(k3::SettingsToBytes(settings));
  for (std::size_t i = 1; i < files.size(); ++i) {
    std::ifstream in(files[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "k3pack: cannot read %s\n", files[i].c_str());
      return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!writer.AddPhoto(bytes)) {
      std::fprintf(stderr, "k3pack: %s is too large\n", files[i].c_str());
      return 1;
    }
  }
  std::ofstream out(files[0], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(writer.Bytes().data()), static_cast<std::streamsize>(writer.Bytes().size()));
  if (!out) {
    std::fprintf(stderr, "k3pack: cannot write %s\n", files[0].c_str());
    std::remove(files[0].c_str());
    return 1;
  }
  std::printf("k3pack: wrote %s with %zu photos (%zu bytes)\n", files[0].c_str(), writer.PhotoCount(),
              writer.Bytes().size());
  return 0;
}
