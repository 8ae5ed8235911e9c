#include "update/UpdateRules.h"

#include "files/SetupRules.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace k3 {

namespace {

int HexDigit(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Two characters as strtol reads them in base 16.
std::uint16_t HexPair(const std::uint8_t* p) {
  int value = 0;
  for (int i = 0; i < 2; ++i) {
    const int d = HexDigit(p[i]);
    if (d < 0) break;
    value = value * 16 + d;
  }
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::wstring_view UpdateProduct(bool japanese) { return japanese ? L"k3driftlet" : L"k3driftlet_e"; }

std::wstring UpdateUrl(std::wstring_view host, std::wstring_view product, UpdateAction action) {
  std::wstring url = L"http://" + std::wstring(host) + L"/versioninfo.php?product=" + std::wstring(product);
  switch (action) {
    case UpdateAction::GetVersion:
      return url + L"&action=getversion&hddmode=0";
    case UpdateAction::GetFileLength:
      return url + L"&hddmode=0&action=getfilelen";
    case UpdateAction::GetFile:
      return url + L"&hddmode=0&action=getfile";
    case UpdateAction::GetSignature:
      return url + L"&hddmode=0&action=getsig";
  }
  return url;
}

Version VersionFromWords(std::uint32_t ms, std::uint32_t ls) {
  return Version{static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms & 0xFFFF),
                 static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls & 0xFFFF)};
}

bool ParseServiceVersion(const std::uint8_t* reply, std::size_t length, Version& version) {
  if (!reply || length != 8) return false;
  version = Version{HexPair(reply), HexPair(reply + 2), HexPair(reply + 4), HexPair(reply + 6)};
  return true;
}

int CompareForUpdate(const Version& s, const Version& i) {
  const std::uint16_t a[4] = {s.major, s.minor, s.build, s.revision};
  const std::uint16_t b[4] = {i.major, i.minor, i.build, i.revision};
  for (int k = 0; k < 4; ++k) {
    if (a[k] != b[k]) return a[k] > b[k] ? 1 : 0;
  }
  return 0;
}

std::uint64_t PackedVersion(const Version& v) { return PackVersion(v.major, v.minor, v.build, v.revision); }

long ParseAnnouncedLength(const std::uint8_t* reply, std::size_t length) {
  if (!reply) return 0;
  std::size_t at = 0;
  while (at < length && (reply[at] == ' ' || (reply[at] >= '\t' && reply[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < length && (reply[at] == '+' || reply[at] == '-')) negative = reply[at++] == '-';
  // Windows' long has 32 bits: strtol saturates at its ends, which are
  // not symmetric (-2147483648 is a long, +2147483648 is not).
  const long long limit = negative ? 2147483648LL : 2147483647LL;
  long long value = 0;
  for (; at < length && reply[at] >= '0' && reply[at] <= '9'; ++at) {
    value = std::min(limit, value * 10 + (reply[at] - '0'));
  }
  return static_cast<long>(negative ? -value : value);
}

bool IsCompleteSetupPackage(const std::uint8_t* body, std::size_t length, long announced) {
  static constexpr std::uint8_t kCompoundFile[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (!body || announced <= 0 || length != static_cast<std::size_t>(announced)) return false;
  return length >= sizeof kCompoundFile && std::memcmp(body, kCompoundFile, sizeof kCompoundFile) == 0;
}

}  // namespace k3
