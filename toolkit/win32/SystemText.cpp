#include "toolkit/win32/SystemText.h"

#include <cstddef>
#include <cstring>

#include "toolkit/Utf8.h"

namespace toolkit::win32 {

bool IsNt() {
  static const bool nt = (GetVersion() & 0x80000000) == 0;
  return nt;
}

std::wstring Wide(std::string_view utf8) {
  // wchar_t is UTF-16 on Windows: the portable conversion's units are the system's.
  const std::u16string units = Utf16FromUtf8(utf8);
  return std::wstring(units.begin(), units.end());
}

std::string FromWide(std::wstring_view text) {
  return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::string FromWide(const wchar_t* text) {
  return text == nullptr ? std::string() : FromWide(std::wstring_view(text));
}

namespace {

std::string AnsiOf(const std::wstring& wide, bool* lossy) {
  if (wide.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(std::size_t(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), text.data(), length, nullptr,
                        nullptr);
  }
  if (lossy != nullptr) {
    // Windows best-fits what the page lacks ("L" for "Ł") without saying so on every system
    // (WC_NO_BEST_FIT_CHARS is Windows 2000's): the text is exact when it converts back unchanged.
    const int back = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring again(std::size_t(back > 0 ? back : 0), L'\0');
    if (back > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), again.data(), back);
    *lossy = again != wide;
  }
  return text;
}

}  // namespace

std::string Ansi(std::string_view utf8) { return AnsiOf(Wide(utf8), nullptr); }

std::optional<std::string> ExactAnsi(std::string_view utf8) {
  bool lossy = false;
  std::string text = AnsiOf(Wide(utf8), &lossy);
  if (lossy) return std::nullopt;
  return text;
}

std::string FromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(std::size_t(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), length);
  return FromWide(wide);
}

LRESULT SendText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsNt() ? SendMessageW(window, message, wParam, lParam)
                : SendMessageA(window, message, wParam, lParam);
}

LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsNt() ? DefWindowProcW(window, message, wParam, lParam)
                : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CallProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsNt() ? CallWindowProcW(proc, window, message, wParam, lParam)
                : CallWindowProcA(proc, window, message, wParam, lParam);
}

LONG_PTR SetWindowData(HWND window, int index, LONG_PTR value) {
  return IsNt() ? SetWindowLongPtrW(window, index, value) : SetWindowLongPtrA(window, index, value);
}

LONG_PTR WindowData(HWND window, int index) {
  return IsNt() ? GetWindowLongPtrW(window, index) : GetWindowLongPtrA(window, index);
}

HWND CreateWindowUtf8(DWORD exStyle, const char* windowClass, std::string_view text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HINSTANCE instance) {
  if (IsNt()) {
    return CreateWindowExW(exStyle, Wide(windowClass).c_str(), Wide(text).c_str(), style, x, y,
                           width, height, parent, nullptr, instance, nullptr);
  }
  return CreateWindowExA(exStyle, windowClass, Ansi(text).c_str(), style, x, y, width, height,
                         parent, nullptr, instance, nullptr);
}

void SetWindowTextUtf8(HWND window, std::string_view text) {
  if (IsNt()) {
    SetWindowTextW(window, Wide(text).c_str());
  } else {
    SetWindowTextA(window, Ansi(text).c_str());
  }
}

std::string WindowTextUtf8(HWND window) {
  if (IsNt()) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(std::size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(std::size_t(got > 0 ? got : 0));
    return FromWide(text);
  }
  const int length = GetWindowTextLengthA(window);
  std::string text(std::size_t(length) + 1, '\0');
  const int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(std::size_t(got > 0 ? got : 0));
  return FromAnsi(text);
}

int DrawTextUtf8(HDC dc, std::string_view text, RECT* r, UINT format) {
  if (IsNt()) {
    const std::wstring wide = Wide(text);
    return DrawTextW(dc, wide.c_str(), int(wide.size()), r, format);
  }
  const std::string ansi = Ansi(text);
  return DrawTextA(dc, ansi.c_str(), int(ansi.size()), r, format);
}

void TextOutUtf8(HDC dc, int x, int y, std::string_view text) {
  if (IsNt()) {
    const std::wstring wide = Wide(text);
    TextOutW(dc, x, y, wide.c_str(), int(wide.size()));
  } else {
    const std::string ansi = Ansi(text);
    TextOutA(dc, x, y, ansi.c_str(), int(ansi.size()));
  }
}

SIZE TextExtentUtf8(HDC dc, std::string_view text) {
  SIZE size{};
  if (IsNt()) {
    const std::wstring wide = Wide(text);
    GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &size);
  } else {
    const std::string ansi = Ansi(text);
    GetTextExtentPoint32A(dc, ansi.c_str(), int(ansi.size()), &size);
  }
  return size;
}

HFONT CreateFontUtf8(const LOGFONTA& lf, std::string_view face) {
  if (IsNt()) {
    LOGFONTW wide{};
    // The two forms differ only in the face name, which comes last.
    static_assert(offsetof(LOGFONTW, lfFaceName) == offsetof(LOGFONTA, lfFaceName));
    std::memcpy(&wide, &lf, offsetof(LOGFONTA, lfFaceName));
    lstrcpynW(wide.lfFaceName, Wide(face).c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&wide);
  }
  LOGFONTA ansi = lf;
  lstrcpynA(ansi.lfFaceName, Ansi(face).c_str(), LF_FACESIZE);
  return CreateFontIndirectA(&ansi);
}

LRESULT AnswerGetText(std::string_view text, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsNt()) {
    const std::wstring wide = Wide(text);
    if (message == WM_GETTEXTLENGTH) return LRESULT(wide.size());
    if (wParam == 0) return 0;
    const std::size_t copied = wide.copy(reinterpret_cast<wchar_t*>(lParam), wParam - 1);
    reinterpret_cast<wchar_t*>(lParam)[copied] = L'\0';
    return LRESULT(copied);
  }
  const std::string ansi = Ansi(text);
  if (message == WM_GETTEXTLENGTH) return LRESULT(ansi.size());
  if (wParam == 0) return 0;
  const std::size_t copied = ansi.copy(reinterpret_cast<char*>(lParam), wParam - 1);
  reinterpret_cast<char*>(lParam)[copied] = '\0';
  return LRESULT(copied);
}

}  // namespace toolkit::win32
