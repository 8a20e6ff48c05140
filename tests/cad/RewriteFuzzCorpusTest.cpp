// Replays the rewrite fuzzer's committed corpus (seeds, and the inputs fuzzing found worth
// keeping) through the fuzz target's own check, so that what the fuzzer once held stays held
// without running it: every input line in order with the rule's and the trailer's lines, CR LF
// line ends, the old text as the backup, a file holding the marker left byte for byte, and the old
// or the complete new text under the file's name whatever file operation fails.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CadTestSupport.h"
#include "cad/fuzz/RewriteCheck.h"

namespace cad {
namespace {

using testing::CadTest;

class RewriteFuzzCorpusTest : public CadTest {};

TEST_F(RewriteFuzzCorpusTest, EveryInputKeepsTheRewritesPromises) {
  std::size_t inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(CAD_FUZZ_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++inputs;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    const std::string broken =
        fuzz::CheckRewriteInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(broken, "") << entry.path();
  }
  EXPECT_GE(inputs, 10u);
}

}  // namespace
}  // namespace cad
