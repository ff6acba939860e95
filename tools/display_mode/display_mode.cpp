// Changes the primary display's mode as a Windows program does, so that Windows (or Wine) sends
// every top-level window WM_DISPLAYCHANGE; a change made outside Wine (xrandr) sends none. The
// two-monitor end-to-end run changes the mode during the show with it.
// Usage: display_mode.exe WIDTH HEIGHT; prints ChangeDisplaySettingsExW's answer.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = static_cast<DWORD>(std::atoi(argv[1]));
  mode.dmPelsHeight = static_cast<DWORD>(std::atoi(argv[2]));
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  const LONG answer = ::ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
  std::printf("%ld\n", answer);
  return answer == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}
