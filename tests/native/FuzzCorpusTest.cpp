// Replays the fuzzing corpora of every reader of untrusted bytes as
// ordinary tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
int FuzzJpegFacts(const std::uint8_t* data, std::size_t size);
int FuzzJpegDecode(const std::uint8_t* data, std::size_t size);
int FuzzImageList(const std::uint8_t* data, std::size_t size);
int FuzzUpdateReply(const std::uint8_t* data, std::size_t size);

namespace {

// Every input of the corpus in `folder` (under tests/fuzz/corpus) through
// `target`; how many there were.
int Replay(const char* folder, int (*target)(const std::uint8_t*, std::size_t)) {
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(K3_FUZZ_CORPORA) / folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(target(bytes.data(), bytes.size()), 0) << entry.path();
    ++inputs;
  }
  return inputs;
}

}  // namespace

TEST(FuzzCorpus, PackageReaderReplaysEveryInput) { EXPECT_GE(Replay("package", &LLVMFuzzerTestOneInput), 3); }

TEST(FuzzCorpus, JpegFactsDecoderImageListAndUpdateRepliesReplayEveryInput) {
  EXPECT_GE(Replay("jpeg_facts", &FuzzJpegFacts), 3);
  EXPECT_GE(Replay("jpeg_decode", &FuzzJpegDecode), 2);
  EXPECT_GE(Replay("image_list", &FuzzImageList), 2);
  EXPECT_GE(Replay("update_reply", &FuzzUpdateReply), 4);
}
