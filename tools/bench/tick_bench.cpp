// Benchmark (not a test) of the show on large photos, run under Wine by scripts/bench.sh. One run
// is one show over one folder: the real show window, timers, banner and loader, with the banner
// in a greeting hour. It reports WIC's bare decode of the folder's first picture, the time of each
// Timer1 tick, the memory the process holds just before each tick, and the longest gap between
// two banner moves, and the time each stage of a picture's load takes.
// Usage: tick_bench FOLDER\ prepared|direct TICKS
// clang-format off
#include <windows.h>  // before psapi.h, which needs its types
#include <psapi.h>
// clang-format on
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/slide.h"
#include "toolkit/file_names.h"
#include "toolkit/win32/application.h"
#include "toolkit/win32/folders.h"
#include "toolkit/win32/picture.h"
#include "toolkit/win32/picture_pixels.h"
#include "toolkit/win32/preparing_loader.h"
#include "toolkit/win32/text.h"
#include "toolkit/win32/toolkit.h"

namespace {

using Clock = std::chrono::steady_clock;
using Microsoft::WRL::ComPtr;
using namespace qm;
using namespace qm::win32;

double millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

PROCESS_MEMORY_COUNTERS memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

double megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// WIC alone: decode the whole first frame to 32-bit pixels, nothing else.
double bareDecodeMillis(const std::wstring& path, UINT& width, UINT& height) {
  ComPtr<IWICImagingFactory> factory;
  ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                     IID_PPV_ARGS(&factory));
  const Clock::time_point start = Clock::now();
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  if (!factory ||
      FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) ||
      FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return -1;
  std::vector<BYTE> pixels(size_t{width} * height * 4);
  if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()),
                                   pixels.data())))
    return -1;
  return millis(Clock::now() - start);
}

// The saver in show mode at five in the afternoon, when the banner scrolls.
class BenchApplication : public Win32Application {
 public:
  std::string commandLine() const override { return "/s"; }
  int localHour() const override { return 17; }
};

class FolderSettings : public SettingsStore {
 public:
  explicit FolderSettings(std::string folder) : folder_(std::move(folder)) {}
  std::string read(const std::string&, const std::string&, const std::string& key,
                   const std::string& defaultValue) override {
    return key == "path" ? folder_ : defaultValue;
  }
  void write(const std::string&, const std::string&, const std::string&,
             const std::string&) override {}

 private:
  std::string folder_;
};

struct Record {
  int ticksWanted = 0;
  std::vector<double> tickMillis;
  std::vector<double> memoryBeforeTick;  // working set, MB; one more than ticks, at the end
  std::vector<Clock::time_point> bannerMoves;
};

// Timer1 timed: memory just before its tick, the tick's duration. The show ends when the tick
// after the last one wanted comes: a whole interval of banner and worker after the last.
class TimedTimer : public Timer {
 public:
  TimedTimer(std::unique_ptr<Timer> timer, Record* record)
      : timer_(std::move(timer)), record_(record) {}
  void setTick(std::function<void()> tick) override {
    if (!record_) return timer_->setTick(std::move(tick));
    timer_->setTick([this, tick] {
      record_->memoryBeforeTick.push_back(megabytes(memory().WorkingSetSize));
      if (static_cast<int>(record_->tickMillis.size()) == record_->ticksWanted) {
        ::PostQuitMessage(0);
        return;
      }
      const Clock::time_point start = Clock::now();
      tick();
      record_->tickMillis.push_back(millis(Clock::now() - start));
    });
  }
  int32_t interval() const override { return timer_->interval(); }
  void setInterval(int32_t milliseconds) override { timer_->setInterval(milliseconds); }
  bool enabled() const override { return timer_->enabled(); }
  void setEnabled(bool enabled) override { timer_->setEnabled(enabled); }

 private:
  std::unique_ptr<Timer> timer_;
  Record* record_;
};

// A banner label that notes when it moves.
class WatchedLabel : public Label {
 public:
  WatchedLabel(std::unique_ptr<Label> label, Record& record)
      : label_(std::move(label)), record_(record) {}
  bool visible() const override { return label_->visible(); }
  void setVisible(bool visible) override { label_->setVisible(visible); }
  std::string caption() const override { return label_->caption(); }
  void setCaption(const std::string& caption) override { label_->setCaption(caption); }
  float left() const override { return label_->left(); }
  void setLeft(float twips) override {
    record_.bannerMoves.push_back(Clock::now());
    label_->setLeft(twips);
  }
  float top() const override { return label_->top(); }
  void setTop(float twips) override { label_->setTop(twips); }

 private:
  std::unique_ptr<Label> label_;
  Record& record_;
};

class BenchToolkit : public Win32Toolkit {
 public:
  BenchToolkit(Win32Application& app, std::string folder, bool prepares, Record& record)
      : Win32Toolkit(app), settings_(std::move(folder)), prepares_(prepares), record_(record) {}
  SettingsStore& settings() override { return settings_; }
  PictureLoader& pictures() override {
    return prepares_ ? static_cast<PictureLoader&>(preparing_) : direct_;
  }
  std::unique_ptr<Timer> createTimer(Window& owner) override {
    return std::make_unique<TimedTimer>(Win32Toolkit::createTimer(owner),
                                        timers_++ == 0 ? &record_ : nullptr);
  }
  std::unique_ptr<Label> createLabel(Window& owner, const LabelStyle& style) override {
    return std::make_unique<WatchedLabel>(Win32Toolkit::createLabel(owner, style), record_);
  }

 private:
  FolderSettings settings_;
  bool prepares_;
  Record& record_;
  int timers_ = 0;
  WicPictureLoader direct_;
  PreparingLoader preparing_{direct_, wicPreparingPlatform()};
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tick_bench FOLDER\\ prepared|direct TICKS\n");
    return 2;
  }
  ::SetProcessDPIAware();
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::string folder = argv[1];
  const bool prepares = std::string(argv[2]) == "prepared";
  Record record;
  record.ticksWanted = std::atoi(argv[3]);

  std::vector<std::string> names = visibleEntries(widen(folder), false);
  orderForList(names);
  if (names.empty()) return 2;
  static BenchApplication app;
  static BenchToolkit toolkit(app, folder, prepares, record);
  static std::unique_ptr<Slide> slide;
  dispatchEvent(app, [] {
    slide = std::make_unique<Slide>(toolkit, [] {});
    startProgram(toolkit, *slide);
  });
  runMessageLoop();
  // The show's own peak, before WIC's bare decode of the same file adds its full-size pixels.
  const double peak = megabytes(memory().PeakWorkingSetSize);
  UINT width = 0, height = 0;
  const double bare = bareDecodeMillis(widen(folder + names[0]), width, height);

  std::printf("%s: %u x %u JPEGs (%.1f MP), %s\n", folder.c_str(), width, height,
              width * static_cast<double>(height) / 1e6,
              prepares ? "next picture prepared while the show waits" : "nothing prepared");
  std::printf("  WIC bare decode of %s: %.0f ms\n", names[0].c_str(), bare);
  for (size_t i = 0; i < record.tickMillis.size(); ++i) {
    std::printf("  tick %zu: %7.1f ms   working set before it %6.1f MB\n", i + 1,
                record.tickMillis[i], record.memoryBeforeTick[i]);
  }
  std::printf("  an interval after the last tick:   working set %6.1f MB\n",
              record.memoryBeforeTick.back());
  double longest = 0;
  size_t over = 0;
  for (size_t i = 1; i < record.bannerMoves.size(); ++i) {
    const double gap = millis(record.bannerMoves[i] - record.bannerMoves[i - 1]);
    longest = std::max(longest, gap);
    if (gap > 150) ++over;
  }
  std::vector<double> ticks = record.tickMillis;
  std::sort(ticks.begin(), ticks.end());
  const double memoryMax =
      *std::max_element(record.memoryBeforeTick.begin(), record.memoryBeforeTick.end());
  std::printf(
      "  tick median %.1f ms, longest %.1f ms; memory between ticks at most %.1f MB"
      " (the show's peak working set %.1f MB)\n",
      ticks[ticks.size() / 2], ticks.back(), memoryMax, peak);
  const StageTimes stages = stageTimes();
  const double pictures = stages.pictures > 0 ? stages.pictures : 1;
  std::printf(
      "  stages per picture (%d loads): decode %.1f ms, shrink %.1f ms, turn %.1f ms,"
      " colour %.1f ms\n",
      stages.pictures, stages.decode / pictures, stages.shrink / pictures, stages.turn / pictures,
      stages.colour / pictures);
  std::printf("  banner: %zu moves, longest gap between two %.0f ms, %zu gaps over 150 ms\n",
              record.bannerMoves.size(), longest, over);
  std::fflush(stdout);
  ::ExitProcess(0);  // as the saver ends: nothing waits for the worker
}
