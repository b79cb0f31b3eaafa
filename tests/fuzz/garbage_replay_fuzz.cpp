// The catching game's replay-script parser on any bytes: it never crashes, and reading the script
// as a stream from a file gives exactly what parsing it in memory gives (the same commands, the
// same error), so the lines, their limit and the end of the input are treated alike both ways.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "replay.h"

namespace {

// The commands read from a stream: a count and the error.
std::string ReadStream(const std::string& text, std::size_t* count) {
    std::FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    if (!f) std::abort();
    TReplayReader reader(f, "s.txt");
    *count = 0;
    for (TReplayCommand c; reader.Next(&c);)
        ++*count;
    std::string error = reader.Error();
    std::fclose(f);
    return error;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto commands = ParseReplay(text, "s.txt", &error);
    if (size == 0) return 0;  // fmemopen wants at least one byte
    std::size_t streamed = 0;
    const std::string streamError = ReadStream(text, &streamed);
    if (streamError != error) std::abort();
    if (commands && streamed != commands->size()) std::abort();
    return 0;
}
