// What UnzDllLastFailure reports, as the extractor records it: the installer names this member to
// the user and picks its message by the reason, so a wrong member or a wrong reason sends the
// user after the wrong fix. Each way a member fails is checked with the files written on the
// calling thread and by the writers; then that the first member in archive order is the one
// named, that the record is cleared by the next run, and that a long name is cut safely.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "TestArchive.h"
#include "TestHelpers.h"

namespace unzip::test {
namespace {

struct Expected {
  std::int32_t result;
  std::int32_t reason;
  std::string name;
  Status error = kOk;
};

class FailureTest : public ::testing::Test {
 protected:
  std::string Archive(const std::vector<TestMember>& members) {
    const std::string path = work_ / "package.pck";
    WriteBytes(path, MakeArchive(members));
    return path;
  }
  static void ExpectRecord(const UnzipFailure& failure, const Expected& expected) {
    EXPECT_EQ(failure.StructSize, sizeof(UnzipFailure));
    EXPECT_EQ(failure.Reason, expected.reason);
    EXPECT_EQ(failure.OsError, expected.error);
    EXPECT_EQ(std::string(failure.FileName), expected.name);
  }
  TempDir work_;
};

TEST_F(FailureTest, EachWayAMemberFailsIsRecordedWithItsName) {
  const TestMember good{.name = "good.dat", .content = "fine"};
  struct Case {
    const char* what;
    std::vector<TestMember> members;
    Expected expected;
    std::function<void(const TempDir&)> prepare = nullptr;
  };
  const std::vector<Case> cases = {
      {"CRC",
       {good, {.name = "bad.dat", .content = "damaged", .crc = 0x12345678}},
       {1, kUnzipFailureDamaged, "bad.dat"}},
      {"size",
       {good, {.name = "short.dat", .content = "abc", .deflate = false, .size = 10}},
       {1, kUnzipFailureDamaged, "short.dat"}},
      {"traversal",
       {good, {.name = "../evil.txt", .content = "evil"}},
       {1, kUnzipFailureName, "../evil.txt"}},
      {"drive",
       {{.name = "C:\\evil.txt", .content = "evil"}, good},
       {1, kUnzipFailureName, "C:\\evil.txt"}},
      {"device",
       {{.name = "sub/NUL.txt", .content = "evil"}},
       {1, kUnzipFailureName, "sub/NUL.txt"}},
      // Shown with what code page 1252 holds of it, '?' for the rest.
      {"UTF-8 beyond the code page",
       {{.name = "pi\xC3\xA8"
                 "ce\xE4\xB8\xAD.dat",
         .content = "x",
         .flags = 0x0800}},
       {1, kUnzipFailureName,
        "pi\xE8"
        "ce?.dat"}},
      {"UTF-8 folder beyond the code page",
       {{.name = "\xE4\xB8\xAD/", .content = "", .flags = 0x0800}},
       {1, kUnzipFailureName, "?/"}},
      {"encrypted",
       {good, {.name = "secret.dat", .content = "x", .flags = 1}},
       {1, kUnzipFailureUnreadable, "secret.dat"}},
      {"folder blocked by a file",
       {good, {.name = "Parts/x.dat", .content = "x"}},
       {1, kUnzipFailureWrite, "Parts/x.dat", kErrFileExists},
       [](const TempDir& target) { WriteText(target / "Parts", "a file"); }},
      {"all well", {good}, {0, kUnzipFailureNone, ""}},
  };
  for (const Case& c : cases) {
    for (const unsigned writers : {0u, 2u}) {
      SCOPED_TRACE(std::string(c.what) + ", writers " + std::to_string(writers));
      TempDir target;
      if (c.prepare) c.prepare(target);
      UnzipFailure failure{};
      EXPECT_EQ(
          ExtractInto(Archive(c.members), target.Path(), {.writers = writers, .failure = &failure}),
          c.expected.result);
      ExpectRecord(failure, c.expected);
    }
  }
}

TEST_F(FailureTest, AnArchiveThatCannotBeReadNamesNoMember) {
  const std::string path = work_ / "package.pck";
  WriteText(path, "not a zip archive at all");
  UnzipFailure failure{};
  EXPECT_EQ(ExtractInto(path, work_.Path(), {.failure = &failure}), kUnzipBadArchive);
  ExpectRecord(failure, {kUnzipBadArchive, kUnzipFailureUnreadable, ""});
}

TEST_F(FailureTest, AFullDiskOnTheCallingThreadNamesTheMemberThatMetIt) {
  TempDir target;
  FullDiskStorage storage(target.Path(), 1000);
  UnzipFailure failure{};
  EXPECT_EQ(ExtractInto(Archive({{.name = "small.dat", .content = std::string(600, 's')},
                                 {.name = "big.dat", .content = std::string(5000, 'b')},
                                 {.name = "after.dat", .content = std::string(900, 'a')}}),
                        target.Path(), {.storage = &storage, .failure = &failure}),
            2);
  ExpectRecord(failure, {2, kUnzipFailureWrite, "big.dat", kErrDiskFull});
}

TEST_F(FailureTest, TheNextRunStartsFromACleanRecord) {
  UnzipFailure failure{};
  TempDir target;
  ASSERT_EQ(ExtractInto(Archive({{.name = "../evil.txt", .content = "x"}}), target.Path(),
                        {.failure = &failure}),
            1);
  ASSERT_EQ(failure.Reason, kUnzipFailureName);
  EXPECT_EQ(ExtractInto(Archive({{.name = "good.dat", .content = "x"}}), target.Path(),
                        {.failure = &failure}),
            0);
  ExpectRecord(failure, {0, kUnzipFailureNone, ""});
}

TEST_F(FailureTest, ANameLongerThanTheRecordIsCutAndEnded) {
  const std::string name = "../" + std::string(400, 'n');
  UnzipFailure failure;
  std::memset(&failure, 'x', sizeof failure);
  TempDir target;
  EXPECT_EQ(
      ExtractInto(Archive({{.name = name, .content = "x"}}), target.Path(), {.failure = &failure}),
      1);
  ExpectRecord(failure, {1, kUnzipFailureName, name.substr(0, UNZIP_MAX_NAME)});
}

}  // namespace
}  // namespace unzip::test
