// The Win32 handles the backend owns, each through the one move-only template, and the small
// RAII pairs that must be undone in order.
#pragma once

#include <windows.h>

#include "toolkit/UniqueHandle.h"

namespace toolkit::win32 {

inline void CloseWindowHandle(HWND window) { DestroyWindow(window); }
inline void CloseGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void CloseModule(HMODULE module) { FreeLibrary(module); }
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void CloseMemoryDc(HDC dc) { DeleteDC(dc); }
inline void CloseFind(HANDLE search) { FindClose(search); }

using UniqueWindow = Unique<HWND, CloseWindowHandle>;
using UniqueFont = Unique<HFONT, CloseGdiObject>;
using UniqueBrush = Unique<HBRUSH, CloseGdiObject>;
using UniqueBitmap = Unique<HBITMAP, CloseGdiObject>;
using UniqueModule = Unique<HMODULE, CloseModule>;
using UniqueHandle = Unique<HANDLE, CloseKernelHandle>;
using UniqueKey = Unique<HKEY, CloseKey>;
using UniqueMemoryDc = Unique<HDC, CloseMemoryDc>;
using UniquePen = Unique<HPEN, CloseGdiObject>;
using UniqueFind = Unique<HANDLE, CloseFind>;

// File and search handles report failure as INVALID_HANDLE_VALUE; the owners hold null instead.
inline HANDLE NullIfInvalid(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// Selects an object into a DC and puts the previous one back when it goes.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Restores a device context's origin, clipping and selections on leaving a scope.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
  ~SavedDc() { RestoreDC(dc_, id_); }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;

 private:
  HDC dc_;
  int id_;
};

// BeginPaint and EndPaint as one object.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(window_, &paint_); }
  HDC Dc() const { return dc_; }
  const RECT& Dirty() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A window's client DC, released when it goes.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() { ReleaseDC(window_, dc_); }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace toolkit::win32
