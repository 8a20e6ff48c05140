// MemberName turns a member's stored name into a path that stays inside the current folder, or
// refuses it. An archive is input from outside, so a name that is absolute, carries a drive or a
// stream (':'), climbs with "..", names a device (CON, NUL, COM1, ...) or holds characters Windows
// cannot store is never written, in any form: the member fails instead of being renamed.
#pragma once

#include <string>
#include <string_view>

namespace unzip {

struct SafePath {
  std::string path;     // '/'-separated, relative; empty parts dropped
  bool folder = false;  // the name ended with a separator
};

// False when the name must not be written.
bool MakeSafePath(std::string_view name, SafePath& out);

// A name the archive flags as UTF-8 (general purpose bit 11), in the installer's code page 1252,
// the one its file calls use. False for bytes that are not UTF-8 or a character 1252 cannot hold:
// each becomes a '?', which no file name may hold, so the member is refused by its name and the
// installer can still show that name.
bool Utf8ToCodePage1252(std::string& name);

// True for a Windows device name (CON, AUX, COM1, LPT¹, CONIN$, ...), with or without extension.
bool IsDeviceName(std::string_view part);

}  // namespace unzip
