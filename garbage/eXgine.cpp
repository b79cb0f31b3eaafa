// The game's binding to its engine: exInit at start, the interface pointers held until exit,
// and the game's few lines for the engine's log.
#include "eXgine.h"

#include <cstdio>

IEngineCore* Core = nullptr;
IWindowHost* WindowHost = nullptr;
IRenderer* Renderer = nullptr;
ITextureStore* TextureStore = nullptr;
IAudio* Audio = nullptr;

namespace {
const char* const kLogFile = "log.txt";
}

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
}

void GameLog(const std::string& text) {
    std::fprintf(stderr, "garbage: %s\n", text.c_str());
    // The engine keeps its log open for appending; a line of ours lands after its last one.
    if (std::FILE* log = std::fopen(kLogFile, "a")) {
        std::fprintf(log, "garbage: %s\n", text.c_str());
        std::fclose(log);
    }
}
