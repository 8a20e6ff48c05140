// A steady clock of microseconds from the system's performance counter. std::chrono::steady_clock
// reads the same counter, but its library code asks for clock_gettime of the POSIX threads
// library, which would come into INSTALL.EXE whole for it.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>

namespace toolkit::win32 {

struct TickClock {
  using rep = std::int64_t;
  using period = std::micro;
  using duration = std::chrono::duration<rep, period>;
  using time_point = std::chrono::time_point<TickClock>;
  static constexpr bool is_steady = true;

  static time_point now() {
    static const rep frequency = [] {
      LARGE_INTEGER value{};
      return QueryPerformanceFrequency(&value) ? rep(value.QuadPart) : rep(0);
    }();
    LARGE_INTEGER counter{};
    // Without a performance counter (some very old machines), the tick count in milliseconds.
    if (frequency == 0 || !QueryPerformanceCounter(&counter)) {
      return time_point(duration(rep(GetTickCount()) * 1000));
    }
    const rep ticks = counter.QuadPart;
    return time_point(
        duration(ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency));
  }
};

}  // namespace toolkit::win32
