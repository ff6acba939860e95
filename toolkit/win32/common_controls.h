#pragma once
// Win32: common controls version 6 (the themed look) for the dialog and the message boxes. The
// executable carries no manifest, so a manifest that Windows itself carries is activated on the
// user-interface thread instead; without one the controls keep the classic look.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

// A manifest naming common controls 6: a resource of a system DLL, or a file when resource is
// null.
struct ManifestSource {
  std::wstring file;
  const wchar_t* resource;
};

// Where Windows keeps one, in the order tried: shell32's own (every Windows from XP on), the
// theme library's (Wine's shell32 has none), the shell's manifest file in the Windows folder.
std::vector<ManifestSource> systemManifests();

using UniqueActCtx = UniqueHandle<HANDLE, ::ReleaseActCtx, invalidHandleValue>;

// While it lives, windows created on this thread use common controls 6 when active() is true.
// Made before the first window; the program keeps it until it ends.
class CommonControls6 {
 public:
  explicit CommonControls6(const std::vector<ManifestSource>& sources = systemManifests());
  ~CommonControls6();
  CommonControls6(const CommonControls6&) = delete;
  CommonControls6& operator=(const CommonControls6&) = delete;
  bool active() const { return cookie_ != 0; }

 private:
  // Activates the source's context; true when comctl32 6 then loads.
  bool activate(const ManifestSource& source);
  void deactivate();

  UniqueActCtx context_;
  ULONG_PTR cookie_ = 0;
};

}  // namespace qm::win32
