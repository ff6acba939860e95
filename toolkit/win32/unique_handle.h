#pragma once
// Win32: one move-only owner for every kind of handle, with names per type.
#include <windows.h>

#include <utility>

namespace qm::win32 {

// Traits give the handle type, its invalid value and how it is released.
template <typename Traits>
class UniqueHandle {
 public:
  using T = typename Traits::Type;
  UniqueHandle() = default;
  explicit UniqueHandle(T handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  T get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::invalid(); }
  T release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(T handle = Traits::invalid()) {
    if (handle_ != Traits::invalid()) Traits::close(handle_);
    handle_ = handle;
  }

 private:
  T handle_ = Traits::invalid();
};

template <typename H, void (*Close)(H)>
struct NullIsInvalid {
  using Type = H;
  static H invalid() { return nullptr; }
  static void close(H h) { Close(h); }
};

inline void closeKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void deleteDc(HDC h) { ::DeleteDC(h); }
inline void closeRegKey(HKEY h) { ::RegCloseKey(h); }
inline void freeModule(HMODULE h) { ::FreeLibrary(h); }
template <typename H>
void deleteGdi(H h) { ::DeleteObject(h); }

struct FindTraits {
  using Type = HANDLE;
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::FindClose(h); }
};

using UniqueHandleObject = UniqueHandle<NullIsInvalid<HANDLE, closeKernelHandle>>;
using UniqueHBitmap = UniqueHandle<NullIsInvalid<HBITMAP, deleteGdi<HBITMAP>>>;
using UniqueHFont = UniqueHandle<NullIsInvalid<HFONT, deleteGdi<HFONT>>>;
using UniqueHBrush = UniqueHandle<NullIsInvalid<HBRUSH, deleteGdi<HBRUSH>>>;
using UniqueHdc = UniqueHandle<NullIsInvalid<HDC, deleteDc>>;
using UniqueHKey = UniqueHandle<NullIsInvalid<HKEY, closeRegKey>>;
using UniqueHModule = UniqueHandle<NullIsInvalid<HMODULE, freeModule>>;
using UniqueFindHandle = UniqueHandle<FindTraits>;

// Selects an object into a DC for one scope and puts the old one back.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() { ::SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint/EndPaint as one scope.
class PaintGuard {
 public:
  explicit PaintGuard(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  PaintGuard(const PaintGuard&) = delete;
  PaintGuard& operator=(const PaintGuard&) = delete;
  ~PaintGuard() { ::EndPaint(window_, &paint_); }
  HDC dc() const { return dc_; }
  const RECT& area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A screen DC for one scope.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() { ::ReleaseDC(nullptr, dc_); }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace qm::win32
