// Replays the fuzzer's committed corpus (seeds, and every input that once broke the extractor or
// that fuzzing found worth keeping) so that a fixed fault stays fixed without running the fuzzer
// itself: once through a real extraction under the sanitizers, and once through the fuzz target's
// own check, which holds the extractor to its promises on an in-memory storage (no path outside
// the folder, no half-written file under a member's name, every file kept byte-exact).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "TestHelpers.h"
#include "unzip/fuzz/ArchiveCheck.h"

namespace unzip::test {
namespace {

TEST(FuzzCorpusTest, EveryInputEndsCleanly) {
  std::size_t inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(UNZIP_FUZZ_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++inputs;
    TempDir target;
    Recorder recorder;
    const std::int32_t result =
        ExtractInto(entry.path().string(), target.Path(), {.recorder = &recorder});
    EXPECT_GE(result, kUnzipStopped) << entry.path();
    ASSERT_FALSE(recorder.events.empty()) << entry.path();
    EXPECT_EQ(recorder.events.back().code, kUnzipActionEnd) << entry.path();
    for (const auto& name : ListTree(target.Path())) {
      EXPECT_EQ(name.find("~unzip"), std::string::npos) << entry.path() << ": " << name;
    }
  }
  EXPECT_GE(inputs, 5u);
}

TEST(FuzzCorpusTest, EveryInputKeepsTheExtractorsPromises) {
  std::size_t inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(UNZIP_FUZZ_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++inputs;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    EXPECT_EQ(
        fuzz::CheckArchiveInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
        "")
        << entry.path();
  }
  EXPECT_GE(inputs, 5u);
}

}  // namespace
}  // namespace unzip::test
