// Extraction with writer threads: the files are created and written on other threads while the
// calling thread inflates, so the faults to catch are the ones threads bring. Every member must
// come out byte for byte however the writers fall behind; the callback must see exactly what it
// sees one-threaded; a write that fails on a writer must fail its own member, leave nothing
// under its name and be the failure reported when it comes first in the archive; and a stop must
// let no file of the stopped member or after it appear, while the members before it are finished.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "TestArchive.h"
#include "TestHelpers.h"
#include "unzip/Extract.h"

namespace unzip::test {
namespace {

std::string Content(std::size_t size, unsigned seed) {
  std::string text(size, '\0');
  for (auto& c : text) {
    seed = seed * 1103515245 + 12345;
    c = char("abcdefgh \n"[(seed >> 16) % 10]);
  }
  return text;
}

// Many small members, a few spanning several of the inflater's blocks, stored and deflated, in
// several folders, one name twice (the second copy wins, as one after the other).
std::vector<TestMember> Mixed() {
  std::vector<TestMember> members;
  for (unsigned i = 0; i < 120; ++i) {
    TestMember m;
    m.name = "parts/p" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".dat";
    m.content = Content(i % 11 == 0 ? 300000 + i * 1000 : i * 37, i);
    m.deflate = i % 3 != 0;
    members.push_back(m);
  }
  members.push_back({.name = "twice.txt", .content = "first"});
  members.push_back({.name = "empty.txt", .content = ""});
  members.push_back({.name = "big.bin", .content = Content(1500000, 99)});
  members.push_back({.name = "twice.txt", .content = "second"});
  return members;
}

// Opens and closes as the POSIX storage does, slowly, and keeps count: a writer that lags
// behind the inflater, as on Wine or under a virus scanner.
class SlowStorage : public PosixStorage {
 public:
  explicit SlowStorage(std::string root) : PosixStorage(std::move(root)) {}
  Status CreateOutput(const std::string& path, OutputFile& file) override {
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    const Status status = PosixStorage::CreateOutput(path, file);
    std::lock_guard<std::mutex> lock(mutex_);
    if (status == kOk) ++open_;
    return status;
  }
  Status CloseOutput(OutputFile file) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --open_;
    }
    return PosixStorage::CloseOutput(file);
  }
  int Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
  }

 private:
  std::mutex mutex_;
  int open_ = 0;
};

// Fails every write to the one file named `victim` (under its name or a temporary one) once
// `after` bytes of it are written.
class FailingStorage : public SlowStorage {
 public:
  FailingStorage(std::string root, std::string victim, std::uint64_t after)
      : SlowStorage(std::move(root)), victim_(std::move(victim)), after_(after) {}
  Status CreateOutput(const std::string& path, OutputFile& file) override {
    const Status status = SlowStorage::CreateOutput(path, file);
    std::lock_guard<std::mutex> lock(mutex_);
    // The victim's own name is taken when there is an earlier file: then its temporary file is
    // the next one the same writer creates (another writer may be making a temporary file of its
    // own for a member whose name is taken too).
    const bool victimsTemporary =
        refusingWriter_ == std::this_thread::get_id() && path.find("~unzip") != std::string::npos;
    if (status == kOk && (path == victim_ || victimsTemporary)) {
      victimFile_ = file;
      refusingWriter_ = std::thread::id();
    }
    if (status == kErrFileExists && path == victim_) refusingWriter_ = std::this_thread::get_id();
    return status;
  }
  Status WriteOutput(OutputFile file, const void* data, std::size_t size) override {
    bool failing = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (victimFile_ && file == *victimFile_) {
        if (written_ + size > after_) {
          ++failures_;
          failing = true;
        } else {
          written_ += size;
        }
      }
    }
    if (!failing) return SlowStorage::WriteOutput(file, data, size);
    std::this_thread::sleep_for(failingWriteTakes_);
    return kErrDiskFull;
  }
  // A failing write that takes long, so that the threads that do not wait for it go on first.
  void SetFailingWriteTakes(std::chrono::milliseconds time) { failingWriteTakes_ = time; }
  Status CloseOutput(OutputFile file) override {
    {
      // Descriptors are reused: the next file to get this one is not the victim.
      std::lock_guard<std::mutex> lock(mutex_);
      if (victimFile_ && file == *victimFile_) victimFile_.reset();
    }
    return SlowStorage::CloseOutput(file);
  }
  int Failures() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }

 private:
  std::mutex mutex_;
  std::string victim_;
  std::uint64_t after_;
  std::optional<OutputFile> victimFile_;
  std::thread::id refusingWriter_;  // the writer that found the victim's name taken
  std::uint64_t written_ = 0;
  int failures_ = 0;
  std::chrono::milliseconds failingWriteTakes_{0};
};

class WriterPoolTest : public ::testing::Test {
 protected:
  std::string Archive(const std::vector<TestMember>& members) {
    const std::string path = work_ / "package.pck";
    WriteBytes(path, MakeArchive(members));
    return path;
  }
  // Every member as the archive has it, the last of a name winning.
  static std::map<std::string, std::string> Expected(const std::vector<TestMember>& members) {
    std::map<std::string, std::string> files;
    for (const auto& m : members) files[m.name] = m.content;
    return files;
  }
  void ExpectFiles(const TempDir& target, const std::map<std::string, std::string>& files) {
    std::vector<std::string> names;
    for (const auto& name : ListTree(target.Path())) {
      if (name.back() != '/') names.push_back(name);
    }
    std::vector<std::string> wanted;
    for (const auto& [name, content] : files) wanted.push_back(name);
    EXPECT_EQ(names, wanted);
    for (const auto& [name, content] : files) {
      EXPECT_EQ(ReadText(target / name), content) << name;
    }
  }
  TempDir work_;
};

TEST_F(WriterPoolTest, EveryMemberByteForByteHoweverFarTheWritersFallBehind) {
  const auto members = Mixed();
  const auto archive = Archive(members);
  for (const unsigned writers : {1u, 2u, 3u, 8u}) {
    // Tight bounds make the inflater wait for the writers all the time.
    for (const std::size_t pending : {std::size_t(1), std::size_t(100000), std::size_t(4) << 20}) {
      TempDir target;
      SlowStorage storage(target.Path());
      auto params = std::make_unique<UnzipParams>();
      params->ArchiveName = archive.c_str();
      ExtractOptions options;
      options.writers = writers;
      options.pendingBytes = pending;
      options.pendingMembers = pending == 1 ? 1 : 64;
      EXPECT_EQ(Extract(*params, storage, options), 0) << writers << " " << pending;
      ExpectFiles(target, Expected(members));
      EXPECT_EQ(storage.Open(), 0);
    }
  }
}

TEST_F(WriterPoolTest, TheCallbackSeesWhatItSeesOneThreaded) {
  const auto archive = Archive(Mixed());
  Recorder alone;
  Recorder withWriters;
  TempDir first;
  TempDir second;
  ASSERT_EQ(ExtractInto(archive, first.Path(), {.recorder = &alone, .writers = 0}), 0);
  ASSERT_EQ(ExtractInto(archive, second.Path(), {.recorder = &withWriters, .writers = 3}), 0);
  ASSERT_EQ(withWriters.events.size(), alone.events.size());
  for (std::size_t i = 0; i < alone.events.size(); ++i) {
    EXPECT_EQ(withWriters.events[i].code, alone.events[i].code) << i;
    EXPECT_EQ(withWriters.events[i].name, alone.events[i].name) << i;
    EXPECT_EQ(withWriters.events[i].size, alone.events[i].size) << i;
    EXPECT_EQ(withWriters.events[i].written, alone.events[i].written) << i;
  }
  EXPECT_EQ(ListTree(first.Path()), ListTree(second.Path()));
}

TEST_F(WriterPoolTest, AWriteFailingOnAWriterFailsThatMemberAlone) {
  auto members = Mixed();
  // Small, in one block; large, failing while the inflater is still at it; and a re-install.
  for (const auto& [victim, after] : std::vector<std::pair<std::string, std::uint64_t>>{
           {"parts/p3/f10.dat", 0}, {"parts/p4/f88.dat", 270000}, {"big.bin", 300000}}) {
    TempDir target;
    const bool reinstall = victim == "big.bin";
    if (reinstall) WriteText(target / "big.bin", "installed");
    FailingStorage storage(target.Path(), victim, after);
    Recorder recorder;
    UnzipFailure failure{};
    EXPECT_EQ(ExtractInto(
                  Archive(members), target.Path(),
                  {.recorder = &recorder, .storage = &storage, .writers = 2, .failure = &failure}),
              1)
        << victim;
    EXPECT_GE(storage.Failures(), 1) << victim;
    EXPECT_EQ(failure.Reason, kUnzipFailureWrite) << victim;
    EXPECT_EQ(failure.OsError, kErrDiskFull) << victim;
    EXPECT_STREQ(failure.FileName, victim.c_str());
    auto expected = Expected(members);
    expected.erase(victim);
    if (reinstall) expected["big.bin"] = "installed";
    ExpectFiles(target, expected);
    EXPECT_EQ(storage.Open(), 0);
    EXPECT_EQ(recorder.events.back().code, kUnzipActionEnd);
  }
}

// A writer meets its failure after the inflater has met a later member's damage; the report must
// still name the member that comes first in the archive, and not merely the one noted first.
TEST_F(WriterPoolTest, TheFirstFailureInArchiveOrderIsReportedWhicheverThreadMetIt) {
  const TestMember damaged{.name = "damaged.dat", .content = "damaged", .crc = 0x12345678};
  std::vector<TestMember> writerFirst = {{.name = "large.dat", .content = Content(900000, 7)}};
  for (unsigned i = 0; i < 20; ++i) {
    writerFirst.push_back({.name = "f" + std::to_string(i) + ".dat", .content = Content(50, i)});
  }
  writerFirst.push_back(damaged);
  std::vector<TestMember> damageFirst = writerFirst;
  damageFirst.pop_back();
  damageFirst.insert(damageFirst.begin(), damaged);
  struct Case {
    const char* what;
    std::vector<TestMember> members;
    std::int32_t reason;
    const char* name;
  };
  for (const Case& c :
       {Case{"the writer's first", writerFirst, kUnzipFailureWrite, "large.dat"},
        Case{"the damage first", damageFirst, kUnzipFailureDamaged, "damaged.dat"}}) {
    TempDir target;
    // The large member fails near its end, when its last block reaches the writer.
    FailingStorage storage(target.Path(), "large.dat", 800000);
    storage.SetFailingWriteTakes(std::chrono::milliseconds(200));
    UnzipFailure failure{};
    EXPECT_EQ(ExtractInto(Archive(c.members), target.Path(),
                          {.storage = &storage, .writers = 2, .failure = &failure}),
              2)
        << c.what;
    EXPECT_EQ(failure.Reason, c.reason) << c.what;
    EXPECT_STREQ(failure.FileName, c.name) << c.what;
  }
}

TEST_F(WriterPoolTest, AStopWithWritersBusyFinishesTheMembersBeforeAndNothingElse) {
  const auto members = Mixed();
  const auto archive = Archive(members);
  // Stop on a file start and on progress reports of members large and small, early and late.
  Recorder probe;
  {
    TempDir target;
    ASSERT_EQ(ExtractInto(archive, target.Path(), {.recorder = &probe, .writers = 0}), 0);
  }
  for (std::size_t stopAt = 0; stopAt + 1 < probe.events.size(); stopAt += 23) {
    TempDir target;
    WriteText(target / "big.bin", "installed");
    SlowStorage storage(target.Path());
    Recorder recorder;
    recorder.stopAt = stopAt;
    EXPECT_EQ(ExtractInto(archive, target.Path(),
                          {.recorder = &recorder, .storage = &storage, .writers = 3}),
              kUnzipStopped)
        << stopAt;
    // Exactly the events up to the stop, then the end.
    ASSERT_EQ(recorder.events.size(), stopAt + 2) << stopAt;
    EXPECT_EQ(recorder.events.back().code, kUnzipActionEnd);
    for (std::size_t i = 0; i <= stopAt; ++i) {
      EXPECT_EQ(recorder.events[i].code, probe.events[i].code) << stopAt << " " << i;
    }
    // The members whose start was reported before the one stopped are all there.
    std::vector<TestMember> finished;
    std::size_t started = 0;
    for (std::size_t i = 0; i <= stopAt; ++i) {
      if (recorder.events[i].code == kUnzipActionFileStarts) ++started;
    }
    finished.assign(members.begin(), members.begin() + std::ptrdiff_t(started - 1));
    auto expected = Expected(finished);
    if (!expected.count("big.bin")) expected["big.bin"] = "installed";
    ExpectFiles(target, expected);
    EXPECT_EQ(storage.Open(), 0);
  }
}

// Threads cost more than a small file: a call that writes one file writes it on the calling
// thread, and writers take over from the second file on.
TEST_F(WriterPoolTest, TheFirstFileIsWrittenOnTheCallingThreadAndTheRestByWriters) {
  class ThreadNotingStorage : public PosixStorage {
   public:
    using PosixStorage::PosixStorage;
    Status CreateOutput(const std::string& path, OutputFile& file) override {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        onCaller_.push_back(std::this_thread::get_id() == caller_);
      }
      return PosixStorage::CreateOutput(path, file);
    }
    std::vector<bool> OnCaller() {
      std::lock_guard<std::mutex> lock(mutex_);
      return onCaller_;
    }

   private:
    std::thread::id caller_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::vector<bool> onCaller_;
  };
  for (const std::size_t count : {std::size_t(1), std::size_t(3)}) {
    const std::vector<TestMember> all = Mixed();
    const std::vector<TestMember> members(all.begin(), all.begin() + std::ptrdiff_t(count));
    TempDir target;
    ThreadNotingStorage storage(target.Path());
    ASSERT_EQ(ExtractInto(Archive(members), target.Path(), {.storage = &storage, .writers = 2}), 0);
    ExpectFiles(target, Expected(members));
    std::vector<bool> expected(count, false);
    expected[0] = true;
    EXPECT_EQ(storage.OnCaller(), expected) << count << " members";
  }
}

}  // namespace
}  // namespace unzip::test
