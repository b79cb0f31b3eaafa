// Figures for the content scan: ten thousand files in 1,110 nested folders, listed by our walk
// (the four kinds in their order, one pass over the tree) next to one `find` over the same tree
// for the same four kinds, in the same run.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "garbage_files.h"

namespace {

namespace fs = std::filesystem;

// garbage/dA/dB/dC/ with ten files each, of many kinds, some in capitals, some not content.
class ContentTree {
  public:
    ContentTree() {
        char pattern[] = "/tmp/garbage-bench-XXXXXX";
        root_ = mkdtemp(pattern);
        const char* names[] = {"a.bmp", "B.JPG", "c.wav", "d.mp3", "e.txt",
                               "f.jpg", "g.bmp", "h.Wav", "i.MP3", "j.jpeg"};
        for (int a = 0; a < 10; ++a)
            for (int b = 0; b < 10; ++b)
                for (int c = 0; c < 10; ++c) {
                    fs::path dir = root_ / "garbage" / ("d" + std::to_string(a)) /
                                   ("d" + std::to_string(b)) / ("d" + std::to_string(c));
                    fs::create_directories(dir);
                    for (const char* n : names)
                        std::fclose(std::fopen((dir / n).c_str(), "w"));
                }
    }
    ~ContentTree() { fs::remove_all(root_); }
    const fs::path& root() const { return root_; }

  private:
    fs::path root_;
};

const ContentTree& Tree() {
    static ContentTree tree;
    return tree;
}

void BM_ListGarbageFolder(benchmark::State& state) {
    const fs::path old = fs::current_path();
    fs::current_path(Tree().root());
    for (auto _ : state) {
        ListGarbageFolder();
        benchmark::DoNotOptimize(GarbageFiles.data());
    }
    state.counters["files"] = double(GarbageFiles.size());
    fs::current_path(old);
}
BENCHMARK(BM_ListGarbageFolder)->Unit(benchmark::kMillisecond);

void BM_FindSameKinds(benchmark::State& state) {
    const std::string command = "find '" + (Tree().root() / "garbage").string() +
                                "' \\( -iname '*.bmp' -o -iname '*.jpg' -o -iname '*.mp3' -o "
                                "-iname '*.wav' \\)";
    std::size_t lines = 0;
    for (auto _ : state) {
        std::FILE* p = popen(command.c_str(), "r");
        lines = 0;
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, p))
            ++lines;
        pclose(p);
    }
    state.counters["files"] = double(lines);
}
BENCHMARK(BM_FindSameKinds)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
