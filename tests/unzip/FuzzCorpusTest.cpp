// Replays the fuzzer's committed corpus (seeds, and every input that once broke the extractor)
// through a real extraction under the sanitizers, so a fixed fault stays fixed without running
// the fuzzer itself.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestHelpers.h"

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

}  // namespace
}  // namespace unzip::test
