#include "toolkit/win32/FolderListing.h"

#include "toolkit/win32/Handles.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit::win32 {
namespace {

FolderEntry EntryOf(const WIN32_FIND_DATAW& found) {
  return {FromWide(found.cFileName), FromWide(found.cAlternateFileName), found.dwFileAttributes};
}

FolderEntry EntryOf(const WIN32_FIND_DATAA& found) {
  return {FromAnsi(found.cFileName), FromAnsi(found.cAlternateFileName), found.dwFileAttributes};
}

template <typename Data, typename Next>
std::uint32_t Walk(HANDLE search, Data& found, Next next,
                   const std::function<bool(const FolderEntry&)>& visit) {
  if (search == INVALID_HANDLE_VALUE) return GetLastError();
  UniqueFind searching(search);
  do {
    if (!visit(EntryOf(found))) return 0;
  } while (next(search, &found));
  return GetLastError();
}

}  // namespace

std::uint32_t ListFolder(const std::string& pattern,
                         const std::function<bool(const FolderEntry&)>& visit) {
  if (IsNt()) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(pattern).c_str(), &found);
    return Walk(search, found, FindNextFileW, visit);
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(Ansi(pattern).c_str(), &found);
  return Walk(search, found, FindNextFileA, visit);
}

}  // namespace toolkit::win32
