// The backend's one place where the program's UTF-8 meets the system's texts. On the NT family
// every call that takes or gives a text is the wide one, with UTF-16; Windows 9x has the ANSI
// calls only (its wide ones fail, where they exist at all), so there the text is converted to the
// system's ANSI code page, which is all 9x's file system and windows can hold. Which family runs
// is asked once, at run time, so one program serves both.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace toolkit::win32 {

// True on the NT family (NT 4, 2000 and later), false on Windows 95, 98 and ME.
bool IsNt();

std::wstring Wide(std::string_view utf8);
std::string FromWide(std::wstring_view text);
// A zero-terminated wide text, or nothing for a null pointer.
std::string FromWide(const wchar_t* text);

// For the ANSI calls of Windows 9x: the text in the ANSI code page, with what it cannot hold
// best-fitted or '?' as Windows makes it, and back.
std::string Ansi(std::string_view utf8);
std::string FromAnsi(std::string_view text);

// The text in the ANSI code page only when that page holds every character of it.
std::optional<std::string> ExactAnsi(std::string_view utf8);

// The calls on windows and device contexts that carry a text, or whose meaning depends on whether
// the window is a wide one: on the NT family every window of the program is (its classes are
// registered and its windows created with the wide calls), on Windows 9x none is.
LRESULT SendText(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallProc(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LONG_PTR SetWindowData(HWND window, int index, LONG_PTR value);
LONG_PTR WindowData(HWND window, int index);
HWND CreateWindowUtf8(DWORD exStyle, const char* windowClass, std::string_view text, DWORD style,
                      int x, int y, int width, int height, HWND parent, HINSTANCE instance);
void SetWindowTextUtf8(HWND window, std::string_view text);
std::string WindowTextUtf8(HWND window);
int DrawTextUtf8(HDC dc, std::string_view text, RECT* r, UINT format);
void TextOutUtf8(HDC dc, int x, int y, std::string_view text);
SIZE TextExtentUtf8(HDC dc, std::string_view text);
// The font `lf` describes, with `face` as its face name.
HFONT CreateFontUtf8(const LOGFONTA& lf, std::string_view face);
// Answers WM_GETTEXT and WM_GETTEXTLENGTH for a window whose text is `text`, in the window's
// form: UTF-16 units on the NT family, ANSI bytes on Windows 9x.
LRESULT AnswerGetText(std::string_view text, UINT message, WPARAM wParam, LPARAM lParam);

// A function of a system DLL the program is linked with, looked up by name at run time: for the
// calls that some systems the program starts on lack, whose import would keep it from starting.
template <typename Function>
Function SystemFunction(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  if (loaded == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}

}  // namespace toolkit::win32
