#include "toolkit/win32/common_controls.h"

#include <commctrl.h>

#include "toolkit/win32/folders.h"

namespace qm::win32 {

namespace {

using InitCommonControlsExCall = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// True when the active context sends comctl32 somewhere: its manifest names common controls.
bool redirectsCommonControls() {
  ACTCTX_SECTION_KEYED_DATA found{};
  found.cbSize = sizeof(found);
  return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                    L"comctl32.dll", &found) != FALSE;
}

// Asks a button a question that only version 6 answers. (Wine's version 6 reports itself as 5
// through DllGetVersion, so the version number cannot tell.)
bool buttonsAreVersion6() {
  UniqueHwnd probe(::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 40, 20, HWND_MESSAGE,
                                     nullptr, ::GetModuleHandleW(nullptr), nullptr));
  SIZE ideal{};
  return probe && ::SendMessageW(probe.get(), BCM_GETIDEALSIZE, 0,
                                 reinterpret_cast<LPARAM>(&ideal)) != FALSE;
}

}  // namespace

std::vector<ManifestSource> systemManifests() {
  std::vector<ManifestSource> sources;
  const std::wstring system = systemFolder();
  if (!system.empty()) {
    sources.push_back({system + L"\\shell32.dll", MAKEINTRESOURCEW(124)});
    sources.push_back({system + L"\\uxtheme.dll", MAKEINTRESOURCEW(1)});
  }
  const std::wstring windows = windowsFolder();
  if (!windows.empty()) sources.push_back({windows + L"\\WindowsShell.Manifest", nullptr});
  return sources;
}

CommonControls6::CommonControls6(const std::vector<ManifestSource>& sources) {
  for (const ManifestSource& source : sources) {
    if (activate(source)) return;
  }
}

CommonControls6::~CommonControls6() { deactivate(); }

bool CommonControls6::activate(const ManifestSource& source) {
  ACTCTXW description{};
  description.cbSize = sizeof(description);
  description.lpSource = source.file.c_str();
  if (source.resource) {
    description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.lpResourceName = source.resource;
  }
  UniqueActCtx context(::CreateActCtxW(&description));
  ULONG_PTR cookie = 0;
  if (!context || !::ActivateActCtx(context.get(), &cookie)) return false;
  // A manifest that names no common controls (Wine's shell32 carries one) is no use. The
  // library is loaded by name, not path, so that the active context sends it to version 6.
  UniqueHModule comctl32(redirectsCommonControls() ? ::LoadLibraryW(L"comctl32.dll") : nullptr);
  // Pinned: its classes and hooks outlive any window of ours, so it must never be unloaded.
  if (comctl32) pinModuleOf(comctl32.get());
  if (auto initialise =
          bindFunction<InitCommonControlsExCall>(comctl32.get(), "InitCommonControlsEx")) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof(classes);
    classes.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    initialise(&classes);
  }
  if (!comctl32 || !buttonsAreVersion6()) {
    ::DeactivateActCtx(0, cookie);
    return false;
  }
  context_ = std::move(context);
  cookie_ = cookie;
  return true;
}

void CommonControls6::deactivate() {
  if (cookie_ != 0) ::DeactivateActCtx(0, cookie_);
  cookie_ = 0;
}

}  // namespace qm::win32
