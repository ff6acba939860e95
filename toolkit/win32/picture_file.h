#pragma once
// Win32: a picture file opened for its decoder once its header has been read and judged. The
// decoder is the one for the format the header names, and it reads what it may decode: the file
// itself, or for a GIF its first frame alone, rebuilt in memory with a palette and without the
// file's other extensions, so that a long animation or a long comment costs nothing.
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "toolkit/colour_profile.h"
#include "toolkit/picture_header.h"
#include "toolkit/win32/unique_handle.h"

namespace qm::win32 {

class PictureFile {
 public:
  // Throws Failure 481 (invalid picture) when the file cannot be read or its header is refused;
  // path names the file in the failure.
  PictureFile(IWICImagingFactory& factory, const std::wstring& wide, const std::string& path);
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;

  const PictureHeader& header() const { return header_; }
  // The colours the file declares (read with its header).
  const EmbeddedColour& colour() const { return colour_; }
  // The container format of the decoder to create.
  const GUID& container() const;
  // What that decoder is to read; valid for as long as this object lives.
  IStream* stream() const { return stream_.Get(); }
  // The first bytes of the file (fewer when it is shorter), read through the handle kept open.
  std::vector<uint8_t> head(DWORD bytes) const;

 private:
  // Kept open, sharing reading only, so that the file cannot change between the check of its
  // header and its decoding.
  UniqueFileHandle file_;
  PictureHeader header_;
  EmbeddedColour colour_;
  std::vector<uint8_t> firstFrame_;
  Microsoft::WRL::ComPtr<IWICStream> stream_;
};

}  // namespace qm::win32
