// The catching game's config.txt reader on any bytes: it never crashes, never changes a file that
// exists, and a value it returns obeys the integer rules (the parser agrees with the reader).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "g_cfg.h"

namespace {

std::string ReadBack(const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            text.push_back(char(c));
        std::fclose(f);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/garbage-config-fuzz-" + std::to_string(getpid()) + ".txt";
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
        std::abort();
    for (const char* key : {"developer", "size", ""}) {
        std::string error;
        const std::string value = ReadConfigString(path, key, "10", &error);
        const int32_t number = ReadConfigInt(path, key, 10, &error);
        if (number != ParseConfigInt(value).value_or(0)) std::abort();
    }
    ParseConfigInt(text);
    if (ReadBack(path) != text) std::abort();  // a file that exists is never written
    std::remove(path.c_str());
    return 0;
}
