#include "TestHelpers.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "unzip/Extract.h"

namespace unzip::test {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/unzip-test-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::optional<std::string> ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    std::string name = std::filesystem::relative(entry.path(), root).generic_string();
    if (entry.is_directory()) name += '/';
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::int32_t UNZIP_STDCALL Recorder::Callback(UnzipCallbackInfo* info) {
  auto* self = static_cast<Recorder*>(info->Caller);
  Event event;
  event.code = info->ActionCode;
  event.caller = info->Caller;
  if (info->ActionCode == kUnzipActionFileStarts) {
    event.name = info->FileName;
    event.size = info->FileSize;
  }
  event.written = info->BytesWritten;
  self->events.push_back(event);
  return self->stopAt && *self->stopAt == self->events.size() - 1 ? -1 : 0;
}

std::size_t Recorder::Count(std::int32_t code) const {
  return std::size_t(std::count_if(events.begin(), events.end(),
                                   [code](const Event& e) { return e.code == code; }));
}

Status FullDiskStorage::WriteOutput(OutputFile file, const void* data, std::size_t size) {
  if (written_ + size > limit_) {
    // Like a real disk: what fits is written, then the write fails.
    const std::size_t fits = std::size_t(limit_ - written_);
    if (fits > 0) PosixStorage::WriteOutput(file, data, fits);
    written_ = limit_;
    return kErrDiskFull;
  }
  written_ += size;
  return PosixStorage::WriteOutput(file, data, size);
}

std::int32_t ExtractInto(const std::string& archive, const std::string& folder,
                         const ExtractCall& call) {
  // The record is 16 KiB; the installer keeps it in its dialog object, a test on the heap.
  auto params = std::make_unique<UnzipParams>();
  params->Caller = call.recorder;
  params->Constant8 = 140;
  params->Callback = call.recorder ? &Recorder::Callback : nullptr;
  params->Flags28[3] = UNZIP_TRUE;
  params->Flags28[8] = UNZIP_TRUE;
  params->Constant72 = 7;
  params->ArchiveName = archive.c_str();
  params->FileSpecCount = std::int32_t(call.specs.size());
  for (std::size_t i = 0; i < call.specs.size(); ++i) params->FileSpecs[i] = call.specs[i].c_str();
  PosixStorage storage(folder);
  ExtractOptions options;
  if (call.writers) options.writers = *call.writers;
  return Extract(*params, call.storage ? *call.storage : storage, options, call.failure);
}

}  // namespace unzip::test
