// WriterPool lets the extractor's thread go on reading and inflating while other threads create,
// write, stamp and close the files. Creating a file is mostly waiting (for the Wine server, for a
// virus scanner that reads each new file at its close), and one thread doing one file after the
// other waits for each in turn; a few writers wait for several at once.
//
// The extractor hands over one member at a time, in archive order: Begin, its content in blocks,
// End. A writer takes the oldest member no writer has yet and writes it through a MemberOutput,
// so a member that fails or is given up leaves nothing under its name. What is handed over and
// not yet written is bounded, in bytes and in members, so memory stays small whatever the
// archive holds; the extractor waits when the writers are that far behind. Two members of the
// same name are never written at once, so the second replaces the first as it would one after
// the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "unzip/Failure.h"
#include "unzip/MemberOutput.h"
#include "unzip/Storage.h"
#include "unzip/Threads.h"

namespace unzip {

class WriterPool {
 public:
  static constexpr unsigned kMaxWriters = 8;
  // Members waiting for a writer before an idle one is woken.
  static constexpr std::size_t kWakeBatch = 8;

  // Starts up to `writers` threads (at most kMaxWriters); see Started.
  WriterPool(Storage& storage, unsigned writers, std::size_t pendingBytes,
             std::size_t pendingMembers);
  // Waits for every member handed over, then ends the threads.
  ~WriterPool();
  WriterPool(const WriterPool&) = delete;
  WriterPool& operator=(const WriterPool&) = delete;

  // False when not one thread could be started: the caller writes on its own.
  bool Started() const { return threadCount_ > 0; }

  // On the extractor's thread, one member at a time. `path` is checked and its folder exists;
  // `order` is the member's place in the archive, for the failure noted if its file fails.
  void Begin(const std::string& path, std::uint32_t order, DosDateTime stamp);
  // Hands over a block of the member's content; false once its file has failed, so the extractor
  // can stop inflating it.
  bool Append(const std::uint8_t* data, std::size_t size);
  // `keep` false: the member failed or was stopped, and its file is removed; the extractor counts
  // it. A kept member whose writing fails is counted by the pool.
  void End(bool keep);

  // Waits until every member handed over is written or removed; returns how many kept members
  // failed to be written since the previous call. The earliest member in the archive whose file
  // failed is noted into `first`.
  std::int32_t Drain(FirstFailure* first = nullptr);

 private:
  struct Task {
    std::string path;
    std::uint32_t order = 0;
    DosDateTime stamp;
    std::deque<std::vector<std::uint8_t>> blocks;
    bool ended = false;
    bool keep = false;
    bool failed = false;  // the file could not be created or written
    bool done = false;    // the writer is through with it
    int writer = -1;      // the writer that took it
  };
  enum class WriterState { kBusy, kIdle, kWaitingForData };
  struct Writer {
    WriterPool* pool = nullptr;
    unsigned index = 0;
    WriterState state = WriterState::kBusy;
    threads::Signal wake;
    threads::Thread thread;
  };

  static void RunWriter(void* context);
  // These run with mutex_ held.
  void Work(Writer& writer);
  void Write(Writer& writer, Task& task, MemberOutput& output);
  void WaitAs(Writer& writer, WriterState state);
  Task* Takeable();
  void Publish(Task& task);
  void WakeIdleWriter();
  void HandOverHeld();
  void EndCurrent(bool keep);
  void Reap();
  void WaitForRoom(std::size_t bytes, std::size_t members);
  bool Busy(const std::string& path) const;
  // The extractor sleeps until at most `members` members are unfinished and at most `bytes`
  // bytes pending; the writers wake it.
  void WaitAsExtractor(std::size_t members, std::size_t bytes);
  void WakeExtractorIfWaiting();

  Storage& storage_;
  const std::size_t pendingLimit_;
  const std::size_t memberLimit_;
  threads::Mutex mutex_;
  std::unique_ptr<Writer> writers_[kMaxWriters];
  unsigned threadCount_ = 0;
  threads::Signal extractorWake_;
  bool extractorWaiting_ = false;
  std::size_t wakeMembers_ = 0;
  std::size_t wakeBytes_ = 0;
  bool closing_ = false;

  // Members handed over and not yet reaped, in archive order. Writers take them in that order,
  // so the ones taken are the first `taken_`.
  std::deque<std::unique_ptr<Task>> tasks_;
  std::size_t taken_ = 0;
  std::size_t unfinished_ = 0;
  std::size_t pendingBytes_ = 0;  // content handed over (or held back) and not yet written
  std::int32_t failures_ = 0;
  FirstFailure firstFailure_;

  // The current member's latest block stays with the extractor until the next one or the end
  // comes, so that a small member reaches a writer whole and the writer never waits for its end.
  Task* current_ = nullptr;
  std::vector<std::uint8_t> held_;
  bool holding_ = false;
};

}  // namespace unzip
