// Figures for huge content folders, in a real window (run under xvfb-run): garbage/ as a link to
// the demo content, to a tree of 50,000 files in 1,000 nested folders, or to a folder of 1,000
// photos of 12 megapixels. For each: the scan (the walk), the ids (every picture listed by the
// engine), the game's first frame counted from the end of the walk, the first frame with a piece
// of each kind (its two pictures decoded, uploaded and drawn), the cost of a frame with the
// developer overlay on, and the peak memory of the process. Peak memory only grows, so run one
// content at a time for its own figure:
//   bench_garbage_content --benchmark_filter=Photos
// The trees are made once in /tmp (garbage-bench-nested, garbage-bench-photos) and kept.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>  // needs <cstdio> first
// clang-format on

#include "drawing.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "garbage.h"
#include "garbage_files.h"
#include "media/Picture.h"
#include "random.h"
#include "rules.h"
#include "scene.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kW = 500, kH = 600;

std::string JpegBytes(int width, int height, std::uint8_t shade) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    for (int x = 0; x < width; ++x)
        row[size_t(x) * 3] = JSAMPLE(shade + x / 500 * 16);  // a few flat bands
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

std::string BmpBytes() {
    media::RgbPicture p{8, 8, std::vector<std::uint8_t>(8 * 8 * 3, 160)};
    const std::string file = "/tmp/garbage-bench-8x8.bmp";
    media::SaveBmp(file, p);
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// 1,000 folders three deep, 50 files each: pictures, text, empty sounds and music.
fs::path NestedTree() {
    const fs::path root = "/tmp/garbage-bench-nested/garbage";
    if (fs::exists(root / ".done")) return root;
    const std::string bmp = BmpBytes(), jpg = JpegBytes(16, 16, 90);
    const char* kinds[] = {".bmp", ".jpg", ".txt", ".wav", ".mp3"};
    for (int folder = 0; folder < 1000; ++folder) {
        const fs::path dir = root / ("d" + std::to_string(folder / 100)) /
                             ("d" + std::to_string(folder / 10 % 10)) /
                             ("d" + std::to_string(folder % 10));
        fs::create_directories(dir);
        for (int i = 0; i < 50; ++i) {
            const std::string name = "file" + std::to_string(i) + kinds[i % 5];
            Put(dir / name, i % 5 == 0 ? bmp : i % 5 == 1 ? jpg : std::string());
        }
    }
    Put(root / ".done", "");
    return root;
}

// 1,000 photos of 4000 x 3000 pixels; flat bands, so each file is small.
fs::path PhotoFolder() {
    const fs::path root = "/tmp/garbage-bench-photos";
    if (fs::exists(root / ".done")) return root;
    fs::create_directories(root);
    std::vector<std::string> shades;
    for (int k = 0; k < 8; ++k)
        shades.push_back(JpegBytes(4000, 3000, std::uint8_t(30 * k)));
    for (int i = 0; i < 1000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.jpg", i);
        Put(root / name, shades[size_t(i) % shades.size()]);
    }
    Put(root / ".done", "");
    return root;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void DrawFrame() {
    DrawScene(kW, kH);
    glFinish();
}

// A game in a fresh folder whose garbage/ is a link to `content`, its engine bound and its
// window open, the overlay on, two pieces falling.
class Session {
  public:
    explicit Session(const fs::path& content) {
        char pattern[] = "/tmp/garbage-bench-run-XXXXXX";
        work_ = mkdtemp(pattern);
        fs::create_directory_symlink(content, work_ / "garbage");
        old_ = fs::current_path();
        fs::current_path(work_);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ok_ = BindEngine(0) && WindowHost->CreateWindow("bench", 0, 0, kW, kH);
        if (!ok_) return;
        WindowHost->ShowWindow();
        GameState = TGameState{};
        SetUpBins(kW, kH);
        StartPlay(0);
        SetBinHeights(kH);
        GameState.FontSmall = Renderer->Fonts()->MakeFont("Georgia", 7, 1, 512);
        CreateDiskQuadric();
    }
    ~Session() {
        if (ok_) FreeDiskQuadric();
        UnbindEngine();
        GarbageFiles.clear();
        fs::current_path(old_);
        fs::remove_all(work_);
    }
    bool ok() const { return ok_; }

  private:
    fs::path work_, old_;
    bool ok_ = false;
};

void BM_Content(benchmark::State& state, fs::path (*content)()) {
    Session session(content());
    if (!session.ok()) {
        state.SkipWithError("no window (run under xvfb-run)");
        return;
    }
    const Clock::time_point walk = Clock::now();
    ListGarbageFolder();
    const Clock::time_point walked = Clock::now();
    const double cpuWalked = CpuMs();
    LoadGarbageFiles();
    state.counters["ids_ms"] = MsSince(walked);
    state.counters["ids_cpu_ms"] = CpuMs() - cpuWalked;
    SeedRandom(1);
    ChooseContent();
    if (Audio != nullptr) Audio->StopMusic();  // the frames below are drawing alone
    DrawFrame();                               // the game's first frame: no piece has fallen yet
    state.counters["first_frame_after_scan_ms"] = MsSince(walked);
    // The first piece of each kind: its picture is decoded (timed alone through its size),
    // then uploaded and drawn.
    const Clock::time_point decode = Clock::now();
    int width = 0, height = 0;
    for (int32_t id : GameState.PictureId)
        TextureStore->TextureSize(id, width, height);
    state.counters["decode_two_ms"] = MsSince(decode);
    GameState.Items = {{100, 200, 0, 1}, {300, 250, 1, 1}};
    const Clock::time_point upload = Clock::now();
    DrawFrame();
    state.counters["upload_two_and_draw_ms"] = MsSince(upload);
    state.counters["files"] = double(GarbageFiles.size());
    state.counters["scan_ms"] = std::chrono::duration<double, std::milli>(walked - walk).count();
    for (auto _ : state)
        DrawFrame();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

// BENCH_CONTENT=FOLDER puts any folder in the demo's place.
fs::path DemoFolder() {
    if (const char* folder = std::getenv("BENCH_CONTENT")) return folder;
    return fs::path(GAMES_SOURCE_DIR) / "demo" / "garbage";
}

// Fixed iterations: the set-up above must run once per content, not once per trial.
BENCHMARK_CAPTURE(BM_Content, Demo, DemoFolder)
    ->Iterations(300)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Content, Nested50000, NestedTree)
    ->Iterations(300)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Content, Photos1000, PhotoFolder)
    ->Iterations(300)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
