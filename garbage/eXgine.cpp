// The game's binding to its engine: exInit at start, the interface pointers held until exit,
// and the game's few lines for the engine's log.
#include "eXgine_binding.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "media/OwnFile.h"

IEngineCore* Core = nullptr;
IWindowHost* WindowHost = nullptr;
IRenderer* Renderer = nullptr;
ITextureStore* TextureStore = nullptr;
IAudio* Audio = nullptr;

namespace {
const char* const kLogFile = "log.txt";
std::vector<std::string> pendingLogLines;

// The engine's log starts with these words; a log.txt that does not is not ours to add to (the
// engine then kept its log on standard error, where our lines went too).
const char* const kEngineLogFirstWords = "eXgine started";

void AppendToLog(const std::string& text) {
    const int fd = media::AppendToOwnFile(kLogFile, kEngineLogFirstWords, nullptr);
    if (fd < 0) return;
    const std::string line = "garbage: " + text + "\n";
    if (::write(fd, line.data(), line.size()) != ssize_t(line.size()))
        std::fprintf(stderr, "garbage: cannot add to %s\n",
                     media::DescribeFileError(kLogFile, errno).c_str());
    ::close(fd);
}
}  // namespace

bool BindEngine(int flags) {
    IEngineCore* root = nullptr;
    if (!exInit(&root, kLogFile, flags) || !root) return false;
    Core = root;
    WindowHost = root->WindowHost();
    Renderer = root->Renderer();
    TextureStore = root->TextureStore();
    Audio = root->Audio();
    return true;
}

void UnbindEngine() {
    if (!Core) return;
    exDone();
    Core = nullptr;
    WindowHost = nullptr;
    Renderer = nullptr;
    TextureStore = nullptr;
    Audio = nullptr;
    std::vector<std::string> lines;
    lines.swap(pendingLogLines);
    for (const std::string& line : lines)
        AppendToLog(line);
}

void GameLog(const std::string& text) {
    std::fprintf(stderr, "garbage: %s\n", text.c_str());
    // The engine holds its log open at its own write position, so our lines wait and are added
    // after the engine has closed it.
    if (Core)
        pendingLogLines.push_back(text);
    else
        AppendToLog(text);
}
