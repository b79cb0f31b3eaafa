// The ball game's checks of WAV and MP3 headers on any bytes: the decoded size is judged from the
// headers alone, and a file the checks accept is mended only where the WAV decoder would trip
// (its data size); the checks must never read past the bytes they are given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "BassFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that any read past the end is an overflow the sanitizer sees.
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::uint64_t decoded = 0;
    EstimateDecodedBytes(bytes.data(), bytes.size(), 44100, 2, decoded);
    DeclaredRate(bytes);
    for (const int mixRate : {22050, 44100, 48000}) {
        std::vector<std::uint8_t> prepared = bytes;
        if (PrepareSoundFile(prepared, mixRate, 2) && prepared.size() != bytes.size())
            std::abort();  // mending rewrites a header field, it never cuts or pads the file
    }
    return 0;
}
