#include "unzip/WriterPool.h"

#include <algorithm>
#include <limits>

namespace unzip {
namespace {

// Windows folds the case of names, so "README" and "readme" are one file. Bytes above ASCII
// fold by the code page; any two of them count as alike here, which can only make a member
// wait for one it did not have to.
bool SameFile(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    if (x == y || (x >= 0x80 && y >= 0x80)) continue;
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(x) != lower(y)) return false;
  }
  return true;
}

}  // namespace

WriterPool::WriterPool(Storage& storage, unsigned writers, std::size_t pendingBytes,
                       std::size_t pendingMembers)
    : storage_(storage),
      pendingLimit_(std::max<std::size_t>(pendingBytes, 1)),
      memberLimit_(std::max<std::size_t>(pendingMembers, 1)) {
  writers = std::min(writers, kMaxWriters);
  for (unsigned i = 0; i < writers; ++i) {
    auto writer = std::make_unique<Writer>();
    writer->pool = this;
    writer->index = i;
    if (!writer->thread.Start(&RunWriter, writer.get())) break;
    writers_[threadCount_++] = std::move(writer);
  }
}

WriterPool::~WriterPool() {
  Drain();
  {
    threads::Locked lock(mutex_);
    closing_ = true;
    for (unsigned i = 0; i < threadCount_; ++i) {
      writers_[i]->state = WriterState::kBusy;
      writers_[i]->wake.Set();
    }
  }
  for (unsigned i = 0; i < threadCount_; ++i) writers_[i]->thread.Join();
}

void WriterPool::RunWriter(void* context) {
  Writer& writer = *static_cast<Writer*>(context);
  threads::Locked lock(writer.pool->mutex_);
  writer.pool->Work(writer);
}

void WriterPool::Work(Writer& writer) {
  MemberOutput output(storage_);
  for (;;) {
    Task* task = Takeable();
    if (task == nullptr) {
      if (closing_) return;
      WaitAs(writer, WriterState::kIdle);
      continue;
    }
    ++taken_;
    task->writer = int(writer.index);
    Write(writer, *task, output);
  }
}

void WriterPool::Write(Writer& writer, Task& task, MemberOutput& output) {
  Status status = kOk;
  // A member given up before any writer reached it costs no file at all.
  if (!(task.ended && !task.keep)) {
    mutex_.Unlock();
    status = output.Create(task.path);
    mutex_.Lock();
    if (status != kOk) task.failed = true;
  }
  for (;;) {
    if (!task.blocks.empty()) {
      std::vector<std::uint8_t> block = std::move(task.blocks.front());
      task.blocks.pop_front();
      const bool write = !task.failed && !(task.ended && !task.keep);
      mutex_.Unlock();
      if (write) status = output.Write(block.data(), block.size());
      const std::size_t size = block.size();
      std::vector<std::uint8_t>().swap(block);
      mutex_.Lock();
      if (write && status != kOk) task.failed = true;
      pendingBytes_ -= size;
      WakeExtractorIfWaiting();
      continue;
    }
    if (task.ended) break;
    WaitAs(writer, WriterState::kWaitingForData);
  }
  const bool keep = task.keep && !task.failed;
  mutex_.Unlock();
  if (keep) {
    status = output.Finish(task.stamp);
  } else {
    output.Discard();
  }
  mutex_.Lock();
  if (keep && status != kOk) task.failed = true;
  // Nothing is tried after a failure, so `status` still holds its code.
  if (task.failed) firstFailure_.Note(task.order, kUnzipFailureWrite, task.path, status);
  if (task.keep && task.failed && failures_ < std::numeric_limits<std::int32_t>::max()) {
    ++failures_;
  }
  task.done = true;
  --unfinished_;
  WakeExtractorIfWaiting();
}

void WriterPool::WaitAs(Writer& writer, WriterState state) {
  writer.state = state;
  mutex_.Unlock();
  writer.wake.Wait();
  mutex_.Lock();
  writer.state = WriterState::kBusy;
}

WriterPool::Task* WriterPool::Takeable() {
  if (taken_ >= tasks_.size()) return nullptr;
  Task& task = *tasks_[taken_];
  return task.ended || !task.blocks.empty() ? &task : nullptr;
}

void WriterPool::Publish(Task& task) {
  if (task.writer >= 0) {
    Writer& owner = *writers_[task.writer];
    if (owner.state == WriterState::kWaitingForData) {
      owner.state = WriterState::kBusy;
      owner.wake.Set();
    }
    return;
  }
  // Busy writers come back for more by themselves. An idle one is woken for a batch of members
  // or of bytes, not for each: under Wine a wake costs two round trips to the server, about what
  // creating a small file costs. Whatever is left is handed over before the extractor waits.
  if (tasks_.size() - taken_ >= kWakeBatch || pendingBytes_ >= pendingLimit_ / 4) WakeIdleWriter();
}

void WriterPool::WakeIdleWriter() {
  if (Takeable() == nullptr) return;
  for (unsigned i = 0; i < threadCount_; ++i) {
    if (writers_[i]->state == WriterState::kIdle) {
      writers_[i]->state = WriterState::kBusy;
      writers_[i]->wake.Set();
      return;
    }
  }
}

void WriterPool::WakeExtractorIfWaiting() {
  if (extractorWaiting_ && unfinished_ <= wakeMembers_ && pendingBytes_ <= wakeBytes_) {
    extractorWaiting_ = false;
    extractorWake_.Set();
  }
}

void WriterPool::WaitAsExtractor(std::size_t members, std::size_t bytes) {
  // Every member handed over must have a writer on it, or nobody would wake the extractor.
  for (unsigned i = 0; i < threadCount_; ++i) WakeIdleWriter();
  wakeMembers_ = members;
  wakeBytes_ = bytes;
  extractorWaiting_ = true;
  mutex_.Unlock();
  extractorWake_.Wait();
  mutex_.Lock();
  extractorWaiting_ = false;
}

void WriterPool::WaitForRoom(std::size_t bytes, std::size_t members) {
  // The extractor waits until the writers are well below the limits rather than just below
  // them, so that it is woken once for many members instead of once for each.
  // The current member is unfinished until its end, so a wait for bytes alone must not wait for
  // members too.
  const std::size_t wakeMembers = members == 0 ? std::numeric_limits<std::size_t>::max()
                                               : std::min(memberLimit_ / 2, memberLimit_ - members);
  const std::size_t wakeBytes =
      bytes >= pendingLimit_ ? 0 : std::min(pendingLimit_ / 2, pendingLimit_ - bytes);
  while (unfinished_ + members > memberLimit_ ||
         (pendingBytes_ > 0 && pendingBytes_ + bytes > pendingLimit_)) {
    WaitAsExtractor(wakeMembers, wakeBytes);
  }
}

bool WriterPool::Busy(const std::string& path) const {
  for (const auto& task : tasks_) {
    if (!task->done && SameFile(task->path, path)) return true;
  }
  return false;
}

void WriterPool::Reap() {
  while (!tasks_.empty() && tasks_.front()->done) {
    tasks_.pop_front();
    --taken_;
  }
}

void WriterPool::Begin(const std::string& path, std::uint32_t order, DosDateTime stamp) {
  threads::Locked lock(mutex_);
  if (current_ != nullptr) EndCurrent(false);
  Reap();
  // The earlier member of that name must be in place or gone before this one is created.
  while (Busy(path)) WaitAsExtractor(unfinished_ - 1, std::numeric_limits<std::size_t>::max());
  WaitForRoom(0, 1);
  auto task = std::make_unique<Task>();
  task->path = path;
  task->order = order;
  task->stamp = stamp;
  current_ = task.get();
  tasks_.push_back(std::move(task));
  ++unfinished_;
}

void WriterPool::HandOverHeld() {
  if (!holding_) return;
  current_->blocks.push_back(std::move(held_));
  held_ = std::vector<std::uint8_t>();
  holding_ = false;
  Publish(*current_);
}

bool WriterPool::Append(const std::uint8_t* data, std::size_t size) {
  {
    threads::Locked lock(mutex_);
    HandOverHeld();
    if (current_->failed) return false;
    WaitForRoom(size, 0);
    pendingBytes_ += size;
  }
  held_.assign(data, data + size);
  holding_ = true;
  return true;
}

void WriterPool::End(bool keep) {
  threads::Locked lock(mutex_);
  if (current_ != nullptr) EndCurrent(keep);
}

void WriterPool::EndCurrent(bool keep) {
  if (keep) {
    HandOverHeld();
  } else if (holding_) {
    pendingBytes_ -= held_.size();
    held_ = std::vector<std::uint8_t>();
    holding_ = false;
  }
  current_->ended = true;
  current_->keep = keep;
  Publish(*current_);
  current_ = nullptr;
}

std::int32_t WriterPool::Drain(FirstFailure* first) {
  threads::Locked lock(mutex_);
  if (current_ != nullptr) EndCurrent(false);
  while (unfinished_ > 0) WaitAsExtractor(0, std::numeric_limits<std::size_t>::max());
  Reap();
  const std::int32_t failures = failures_;
  failures_ = 0;
  if (first != nullptr) first->Note(firstFailure_);
  return failures;
}

}  // namespace unzip
