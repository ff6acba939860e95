#pragma once
// The Exif Orientation tag of a JPEG: how its stored pixels are turned to stand upright. Read
// from untrusted bytes, so every read is bounded by the block it belongs to.
#include <cstddef>
#include <cstdint>

namespace qm {

// Orientation values as the Exif standard numbers them: 1 upright as stored, 2 mirrored left to
// right, 3 turned half round, 4 mirrored top to bottom, 5 mirrored along the main diagonal,
// 6 to be turned a quarter clockwise, 7 mirrored along the other diagonal, 8 to be turned a
// quarter anticlockwise. 0 means the picture says nothing (or nothing readable).
constexpr int kNoOrientation = 0;

// The Orientation of the primary image (IFD0) of an APP1 payload, which starts "Exif\0\0" and
// holds a TIFF structure in either byte order. kNoOrientation for a block that is not Exif, is
// cut short, points outside itself, or holds the tag with a wrong type, count or value.
int exifBlockOrientation(const uint8_t* block, size_t size);

// True when an APP1 Exif payload says its picture is in Adobe RGB (1998), as cameras set to it
// say when they embed no profile: ColorSpace 0xFFFF (uncalibrated) in the Exif IFD, and the
// interoperability index "R03".
bool exifSaysAdobeRgb(const uint8_t* block, size_t size);

// The Orientation of a JPEG file from its first bytes (any prefix of the file): the marker
// segments from the start of the image are walked up to the first Exif APP1 block, which is
// read as above. kNoOrientation when there is none before the image data or the prefix ends
// first.
int jpegOrientation(const uint8_t* data, size_t size);

// True for the orientations that stand a picture on its side, so width and height swap.
inline bool swapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

}  // namespace qm
