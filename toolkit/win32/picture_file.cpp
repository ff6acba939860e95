#include "toolkit/win32/picture_file.h"

#include <algorithm>
#include <cstring>

#include "toolkit/failure.h"

namespace qm::win32 {

namespace {

// Reads at an offset, whole or not at all.
bool readAt(HANDLE file, uint64_t offset, size_t length, uint8_t* out) {
  while (length > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1u << 24));
    DWORD got = 0;
    if (!::ReadFile(file, out, chunk, &got, &at) || got == 0) return false;
    offset += got;
    out += got;
    length -= got;
  }
  return true;
}

// The header reader's many small reads go through one window of the file.
class FileBytes : public ByteSource {
 public:
  FileBytes(HANDLE file, uint64_t size) : file_(file), size_(size) {}
  uint64_t size() const override { return size_; }
  bool read(uint64_t offset, size_t length, uint8_t* out) override {
    if (length > kWindow) return readAt(file_, offset, length, out);
    if (offset < start_ || offset + length > start_ + window_.size()) {
      window_.resize(static_cast<size_t>(std::min<uint64_t>(kWindow, size_ - offset)));
      if (!readAt(file_, offset, window_.size(), window_.data())) {
        window_.clear();
        return false;
      }
      start_ = offset;
    }
    std::memcpy(out, window_.data() + (offset - start_), length);
    return true;
  }

 private:
  static constexpr size_t kWindow = 64 * 1024;
  HANDLE file_;
  uint64_t size_;
  uint64_t start_ = 0;
  std::vector<uint8_t> window_;
};

}  // namespace

PictureFile::PictureFile(IWICImagingFactory& factory, const std::wstring& wide,
                         const std::string& path) {
  auto refuse = [&path](const char* why) {
    throw Failure(ErrorCode::kInvalidPicture, path + " (" + why + ")");
  };
  file_.reset(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file_ || !::GetFileSizeEx(file_.get(), &size)) refuse("cannot be read");
  FileBytes bytes(file_.get(), static_cast<uint64_t>(size.QuadPart));
  header_ = readPictureHeader(bytes);
  if (!header_.accepted()) refuse(describe(header_.refusal));
  colour_ = readEmbeddedColour(bytes, header_.format);

  if (FAILED(factory.CreateStream(&stream_))) refuse("no stream");
  HRESULT result;
  if (header_.format == PictureFormat::kGif) {
    firstFrame_ = gifFirstFrame(bytes, header_);
    if (firstFrame_.empty()) refuse("cannot be read");
    result =
        stream_->InitializeFromMemory(firstFrame_.data(), static_cast<DWORD>(firstFrame_.size()));
  } else {
    result = stream_->InitializeFromFilename(wide.c_str(), GENERIC_READ);
  }
  if (FAILED(result)) refuse("cannot be read");
}

std::vector<uint8_t> PictureFile::head(DWORD bytes) const {
  std::vector<uint8_t> out(bytes);
  OVERLAPPED start{};  // from offset 0, wherever the decoder has read to
  DWORD got = 0;
  if (!::ReadFile(file_.get(), out.data(), bytes, &got, &start)) got = 0;
  out.resize(got);
  return out;
}

const GUID& PictureFile::container() const {
  switch (header_.format) {
    case PictureFormat::kBmp:
      return GUID_ContainerFormatBmp;
    case PictureFormat::kJpeg:
      return GUID_ContainerFormatJpeg;
    case PictureFormat::kGif:
      return GUID_ContainerFormatGif;
  }
  return GUID_ContainerFormatBmp;
}

}  // namespace qm::win32
