#pragma once
// Win32: one move-only owner for every kind of handle, the guards that put a DC back as it was,
// and the typed binding of a function by name from a DLL.
#include <windows.h>

#include <utility>

namespace qm::win32 {

template <typename H>
H nullHandle() {
  return nullptr;
}
inline HANDLE invalidHandleValue() { return INVALID_HANDLE_VALUE; }

// Owns a handle and releases it with the API's own Close function. put() hands the address of
// an empty owner to an API that returns the handle through an out-parameter.
template <typename H, auto Close, H (*Invalid)() = nullHandle<H>>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  H get() const { return handle_; }
  explicit operator bool() const { return handle_ != Invalid(); }
  H release() { return std::exchange(handle_, Invalid()); }
  void reset(H handle = Invalid()) {
    if (handle_ != Invalid()) Close(handle_);
    handle_ = handle;
  }
  H* put() {
    reset();
    return &handle_;
  }

 private:
  H handle_ = Invalid();
};

using UniqueHandleObject = UniqueHandle<HANDLE, ::CloseHandle>;
using UniqueFindHandle = UniqueHandle<HANDLE, ::FindClose, invalidHandleValue>;
// CreateFile answers INVALID_HANDLE_VALUE, not null, when it fails.
using UniqueFileHandle = UniqueHandle<HANDLE, ::CloseHandle, invalidHandleValue>;
using UniqueHBitmap = UniqueHandle<HBITMAP, ::DeleteObject>;
using UniqueHFont = UniqueHandle<HFONT, ::DeleteObject>;
using UniqueHBrush = UniqueHandle<HBRUSH, ::DeleteObject>;
using UniqueHdc = UniqueHandle<HDC, ::DeleteDC>;
using UniqueHKey = UniqueHandle<HKEY, ::RegCloseKey>;
using UniqueHModule = UniqueHandle<HMODULE, ::FreeLibrary>;
using UniqueHwnd = UniqueHandle<HWND, ::DestroyWindow>;

// Selects an object into a DC and puts the old one back when it goes; it can move, so an owner
// can keep an object selected for as long as it lives.
class SelectGuard {
 public:
  SelectGuard() = default;
  SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  SelectGuard(SelectGuard&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), old_(other.old_) {}
  SelectGuard& operator=(SelectGuard&& other) noexcept {
    if (this != &other) {
      restore();
      dc_ = std::exchange(other.dc_, nullptr);
      old_ = other.old_;
    }
    return *this;
  }
  ~SelectGuard() { restore(); }

 private:
  void restore() {
    if (dc_) ::SelectObject(dc_, old_);
    dc_ = nullptr;
  }
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
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

// A function of a DLL by name, typed; null when the DLL lacks it. F must be a WINAPI pointer.
template <typename F>
F bindFunction(HMODULE module, const char* name) {
  // FARPROC goes through void* so that no function-type cast warning hides a real mismatch.
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                : nullptr;
}

// Keeps the DLL that holds this address loaded until the process ends.
inline void pinModuleOf(const void* address) {
  HMODULE pinned = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       static_cast<LPCWSTR>(address), &pinned);
}

}  // namespace qm::win32
