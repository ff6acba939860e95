#pragma once
// Win32: pixels per inch, and the twips in one pixel (1440 / DPI).
namespace qm::win32 {

int screenDpi();
float twipsPerPixel();

}  // namespace qm::win32
