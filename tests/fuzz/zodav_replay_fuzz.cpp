// The ball game's replay-script parser on any bytes: it never crashes, and a script read from a
// file as a stream is judged exactly as the same bytes parsed in memory (the same error, the same
// seed and screen), so the lines, their limit and the end of the input are treated alike.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Replay.h"

namespace {

// The input as a plain file of its own (the parser reads scripts from files).
std::string AsFile(const std::string& text) {
    static const std::string path = "/tmp/zodav-replay-fuzz-" + std::to_string(getpid()) + ".txt";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
        std::abort();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string path = AsFile(text);
    ReplayScript inMemory, streamed;
    std::string memoryError, streamError;
    const bool parsed = ParseReplayText(path, text, inMemory, memoryError);
    const bool read = ParseReplay(path, streamed, streamError);
    if (parsed != read || memoryError != streamError) std::abort();
    if (parsed && (inMemory.hasSeed != streamed.hasSeed || inMemory.seed != streamed.seed ||
                   inMemory.screenWidth != streamed.screenWidth ||
                   inMemory.screenHeight != streamed.screenHeight))
        std::abort();
    streamed = ReplayScript{};
    std::remove(path.c_str());
    return 0;
}
