// The engine's WAV check on any bytes: the header is read from the file (chunks in any order,
// any sizes) and its declared sound judged against the mixer's limits. A header that is read
// must say why when its size is refused, and nothing may crash, hang or overrun.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "EngineParts.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exg::WavHeader header;
    std::string why;
    if (!exg::ReadWavHeader(InputAsFile(data, size), header, why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    for (const int mixFrameBytes : {2, 4, 8}) {
        std::string refused;
        if (!exg::WavSizeAcceptable(header, 44100, mixFrameBytes, refused) && refused.empty())
            std::abort();
    }
    return 0;
}
