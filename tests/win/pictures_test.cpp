// Pictures decoded by WIC: sizes, failures, palettes, Exif orientation, decoded ahead, a bomb.
#include "tests/common/picture_files.h"
#include "tests/win/helpers.h"

namespace qm::win32 {
namespace {

using namespace qm::test_files;

// A picture's natural size in HIMETRIC, and the one a picture of these pixels has.
using Size = std::pair<int32_t, int32_t>;
Size himetric(const Picture& p) { return {p.widthHimetric(), p.heightHimetric()}; }
Size himetric(int width, int height) {
  return {std::lround(width * 2540.0 / screenDpi()), std::lround(height * 2540.0 / screenDpi())};
}

// Within a few levels per channel: JPEG and resampling are not exact.
bool closeTo(COLORREF got, COLORREF want) {
  for (int shift : {0, 8, 16})
    if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > 12) return false;
  return true;
}

// "quadrants 3000x1500.jpg" as stored: red, green / blue, white.
constexpr COLORREF kRed = RGB(220, 0, 0), kGreen = RGB(0, 200, 0), kBlue = RGB(0, 0, 230),
                   kWhite = RGB(255, 255, 255);
using Quadrants = std::array<COLORREF, 4>;  // top left, top right, bottom left, bottom right

// An 8-bit BMP of 8 x 2 pixels: index 1 red, 2 green (a palette entry is blue, green, red, 0).
Bytes indexedBmp(const Bytes& indices) {
  return bmpFile(bmpInfo(8, 2, 8), patched(Bytes(1024), 4, {0, 0, 200, 0, 0, 180}), indices);
}

class Pictures : public ::testing::Test {
 protected:
  std::string write(const std::wstring& name, const Bytes& bytes) {
    writeFile(root_ + L"\\" + name, bytes);
    return narrow(root_ + L"\\" + name);
  }
  std::string root() const { return narrow(root_) + "\\"; }
  // The picture drawn at these pixels of the cleared window, painted with a margin around it.
  Canvas drawn(const Picture& picture, RECT at) {
    const float pixel = window_.twipsPerPixel();
    window_.clear();
    window_.drawPicture(picture, at.left * pixel, at.top * pixel, (at.right - at.left) * pixel,
                        (at.bottom - at.top) * pixel);
    Canvas painted(at.right + 30, at.bottom + 30);
    window_.paint(painted.dc.get(), RECT{0, 0, at.right + 30, at.bottom + 30});
    return painted;
  }
  // Draws the picture and checks the centre of each quarter, its corners and what lies beside.
  void expectQuadrants(const Picture& picture, RECT at, const Quadrants& want) {
    const LONG w = at.right - at.left, h = at.bottom - at.top;
    const Canvas painted = drawn(picture, at);
    for (int i = 0; i < 4; ++i) {
      const COLORREF got =
          painted.pixel(at.left + w / 4 + i % 2 * w / 2, at.top + h / 4 + i / 2 * h / 2);
      EXPECT_TRUE(closeTo(got, want[i])) << "quarter " << i << ": " << std::hex << got;
    }
    EXPECT_TRUE(closeTo(painted.pixel(at.left + 2, at.top + 2), want[0])) << "its corner";
    EXPECT_TRUE(closeTo(painted.pixel(at.right - 3, at.bottom - 3), want[3])) << "its corner";
    for (auto [x, y] : {std::pair{at.left - 1, at.top + h / 2},
                        {at.right, at.top + h / 2},
                        {at.left + w / 2, at.bottom}})
      EXPECT_EQ(painted.pixel(x, y), RGB(0, 0, 0)) << "background at " << x << "," << y;
  }

  ScratchFolder scratch_{L"qm-pictures-"};
  std::wstring root_ = scratch_.path;
  ComScope com_;  // before the loader, which needs it when it is made
  WicPictureLoader loader_;
  Win32Application app_;
  Win32ShowWindow window_{app_};
};

TEST_F(Pictures, AnyFileNameLoadsAndOnlyAMissingFolderIsPathNotFound) {
  const std::string meadow = write(L"\x041A\x0430\x0440\x0442\x0438\x043D\x0430 \x5199\x771F.bmp",
                                   readFile(sourcePath("tests/data/02 meadow.bmp")));
  EXPECT_EQ(himetric(*loader_.load(meadow)), himetric(400, 250));  // a name not in the ANSI page

  EXPECT_EQ(errorOf([&] { loader_.load(root() + "no such folder\\a.jpg"); }), 76);
  // A missing file, and a folder (an empty entry of the list names one).
  for (const std::string& path : {root() + "missing.jpg", root()}) {
    const int code = errorOf([&] { loader_.load(path); });
    EXPECT_TRUE(code != 0 && code != 76) << path << ": " << code;
  }
}

// Indexed pictures drawn at their natural size keep their indices and palette.
TEST_F(Pictures, AGifShowsItsFirstFrameAndAnEightBitBmpStandsTheRightWayUp) {
  // The first frame is red, the second blue.
  PictureRef gif = loader_.load(sourcePath("tests/data/two frames.gif"));
  EXPECT_EQ(himetric(*gif), himetric(40, 30));
  EXPECT_EQ(drawn(*gif, {0, 0, 40, 30}).pixel(20, 15), RGB(255, 0, 0));
  // Neither a global nor a local palette, and a long comment: index 1 of the default is white.
  const Bytes bare =
      gifFile(30, 20, gifExtension(0xFE, Bytes(1 << 20, 'c')) + gifSolid(30, 20, 1), false);
  const Canvas grey = drawn(*loader_.load(write(L"bare.gif", bare)), {0, 0, 30, 20});
  EXPECT_EQ(grey.pixel(15, 10), RGB(255, 255, 255));

  // Stored bottom row first: a red row under a green one.
  const Canvas rows =
      drawn(*loader_.load(write(L"rows.bmp", indexedBmp(Bytes(8, 1) + Bytes(8, 2)))), {0, 0, 8, 2});
  EXPECT_EQ(rows.pixel(3, 0), RGB(0, 180, 0));
  EXPECT_EQ(rows.pixel(3, 1), RGB(200, 0, 0));
}

// Either byte order, sides kept or swapped, shrunk by the decoder or by GDI: whole and upright.
// Tagged ones show as Little CMS converts their stored quarters to sRGB:
//   printf '%s\n' '220 0 0' '0 200 0' '0 0 230' '255 255 255' |
//     transicc -t1 -s -n -i PROFILE -o '*sRGB'
// (Adobe RGB: colord's AdobeRGB1998.icc). A profile that is sRGB leaves them as stored.
TEST_F(Pictures, LargePhotosStandAsTheirExifSaysShowInSrgbAndShrinkWhole) {
  const Bytes jpeg = readFile(sourcePath("tests/data/quadrants 3000x1500.jpg"));
  auto exif = [](const Bytes& block) { return jpegSegment(0xE1, block); };
  const std::vector<Bytes> p3 = iccChunks(displayP3(), 2);
  Colourants swapped = kSrgbColourants;
  std::swap_ranges(swapped.begin(), swapped.begin() + 3, swapped.begin() + 3);
  // Without segments it is decoded at its natural size and shrunk as it is drawn.
  const struct {
    Bytes segments;
    Quadrants shown;
    bool onItsSide = false;  // shown 1500 x 3000
  } cases[] = {
      {{}, {kRed, kGreen, kBlue, kWhite}},
      {exif(exifWithOrientation(3)), {kWhite, kBlue, kGreen, kRed}},  // turned half round
      // Mirrored along the other diagonal, in big-endian Exif.
      {exif(exifWithOrientation(7, true)), {kWhite, kGreen, kBlue, kRed}, true},
      // Display P3 in two chunks, second first; red and green swapped; Adobe RGB by Exif; sRGB.
      {p3[1] + p3[0], {RGB(241, 0, 0), RGB(0, 204, 0), RGB(0, 0, 240), kWhite}},
      {iccChunk(1, 1, matrixProfile(swapped, {kSrgbCurve})),
       {RGB(1, 220, 0), RGB(200, 0, 0), RGB(0, 0, 230), kWhite}},
      {exif(exifColourSpace(0xFFFF, "R03")),
       {RGB(255, 0, 0), RGB(0, 201, 0), RGB(0, 0, 235), kWhite}},
      {iccChunk(1, 1, matrixProfile(kSrgbColourants, {kSrgbCurve})), {kRed, kGreen, kBlue, kWhite}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    const int width = c.onItsSide ? 1500 : 3000, height = c.onItsSide ? 3000 : 1500;
    Extent asked{};
    PictureRef picture =
        loader_.load(write(L"photo.jpg", withSegments(jpeg, {c.segments})),
                     [&asked, shrink = !c.segments.empty()](Extent natural) {
                       asked = natural;
                       return shrink ? Extent{natural.width / 10, natural.height / 10} : natural;
                     });
    EXPECT_EQ(std::tuple(himetric(*picture), std::lround(asked.width), std::lround(asked.height)),
              std::tuple(himetric(width, height), std::lround(width * twipsPerPixel()),
                         std::lround(height * twipsPerPixel())));
    for (int draw = 0; draw < 2; ++draw)
      expectQuadrants(*picture, {20, 20, 20 + width / 10, 20 + height / 10}, c.shown);
  }
}

// A picture decoded ahead is used while no one else can read the file; one replaced by another of
// the same size with its last-write time put back, as copy tools do, shows as it is now.
TEST_F(Pictures, ADecodedAheadPictureIsUsedOnlyWhileTheFileIsTheSame) {
  // This thread's COM is single-threaded, so the worker's multithreaded COM is refused: without
  // it the worker's loader refuses to be made, and the show's own thread loads every picture.
  EXPECT_THROW(wicPreparingPlatform().workerLoader(), Failure);
  const std::string path = write(L"a.bmp", indexedBmp(Bytes(16, 1)));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data));
  PreparingLoader preparing(loader_, wicPreparingPlatform());
  preparing.prepare(path, {});
  preparing.waitUntilIdle();
  {
    UniqueFileHandle locked(
        ::CreateFileW(widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    EXPECT_EQ(errorOf([&] { preparing.load(path); }), 0) << "a fresh load could not read it";
  }
  write(L"a.bmp", indexedBmp(Bytes(16, 2)));
  UniqueFileHandle file(::CreateFileW(widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file && ::SetFileTime(file.get(), nullptr, nullptr, &data.ftLastWriteTime));
  file.reset();
  EXPECT_EQ(drawn(*preparing.load(path), {0, 0, 8, 2}).pixel(3, 1), RGB(0, 180, 0));
}

// Refused before any decoder allocates: the peak the process holds stays within 100 MB of what it
// held before (or below an earlier peak). An animation's later frames never reach a decoder:
// the palette-less GIF above shows that the decoder gets the rebuilt first frame.
TEST_F(Pictures, ABombIsRefusedBeforeAnyDecoderSeesIt) {
  const std::string bomb = write(L"bomb.bmp", bmpFile(bmpInfo(11000, 11000, 8, kBmpRle8),
                                                      Bytes(1024), bmpRle8Rows(11000, 1, 7)));
  PROCESS_MEMORY_COUNTERS memory{};
  ASSERT_TRUE(::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory)));
  const SIZE_T bound =
      std::max<SIZE_T>(memory.PeakWorkingSetSize, memory.WorkingSetSize + (100 << 20));
  EXPECT_EQ(errorOf([&] { loader_.load(bomb); }), 481);
  ASSERT_TRUE(::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory)));
  EXPECT_LE(memory.PeakWorkingSetSize, bound);
}

}  // namespace
}  // namespace qm::win32
