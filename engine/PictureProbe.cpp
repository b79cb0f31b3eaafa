// The quick look at a picture file that lets the texture store hand out an id when a picture is
// listed and decode its pixels only when it is first drawn: the format by its first bytes, then
// the header the decoder checks before it reads a pixel. A folder of thousands of photos so costs
// one small read per file at start instead of gigabytes of pixels.
#include <sys/stat.h>

#include <array>
#include <csetjmp>
#include <cstdio>
#include <memory>
// clang-format off
#include <jpeglib.h>  // needs <cstdio> first
// clang-format on

#include "EngineParts.h"
#include "media/Picture.h"

namespace exg {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t Le16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}
std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool HasPixels(long long width, long long height, std::string& why) {
    if (width <= 0 || height <= 0) {
        why = "picture has no pixels";
        return false;
    }
    if (width * height > media::kMaxPicturePixels) {
        why = "declared size " + std::to_string(width) + " x " + std::to_string(height) +
              " is too large";
        return false;
    }
    return true;
}

bool KnownInfoSize(std::uint32_t size) {
    // Core (12), OS/2 2.x (16 or 64), Windows v1/v2/v3 (40/52/56), v4 (108), v5 (124).
    for (std::uint32_t known : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u})
        if (size == known) return true;
    return false;
}

// The file header and enough of the info header for the size; `fileBytes` bounds the rest.
bool ProbeBmp(std::FILE* f, std::uintmax_t fileBytes, std::string& why) {
    constexpr std::size_t kFileHeader = 14;
    std::array<unsigned char, kFileHeader + 12> b{};
    if (std::fread(b.data(), 1, b.size(), f) < b.size()) {
        why = "too short for a BMP header";
        return false;
    }
    const std::uint32_t dataOffset = Le32(&b[10]);
    const std::uint32_t infoSize = Le32(&b[14]);
    if (!KnownInfoSize(infoSize)) {
        why = "unknown BMP info header size " + std::to_string(infoSize);
        return false;
    }
    if (fileBytes < kFileHeader + infoSize) {
        why = "BMP header is cut short";
        return false;
    }
    if (dataOffset < kFileHeader + infoSize || dataOffset >= fileBytes) {
        why = "BMP pixel data offset lies outside the file";
        return false;
    }
    const unsigned char* info = &b[kFileHeader];
    const bool core = infoSize == 12;
    const long long width = core ? static_cast<std::int16_t>(Le16(info + 4))
                                 : static_cast<std::int32_t>(Le32(info + 4));
    const long long height = core ? static_cast<std::int16_t>(Le16(info + 6))
                                  : static_cast<std::int32_t>(Le32(info + 8));
    return HasPixels(width, height < 0 ? -height : height, why);
}

struct JpegProbe {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

[[noreturn]] void ProbeFailed(j_common_ptr cinfo) {
    auto* probe = static_cast<JpegProbe*>(cinfo->client_data);
    (*cinfo->err->format_message)(cinfo, probe->message);
    std::longjmp(probe->jump, 1);
}

void Silent(j_common_ptr, int) {}

// Only trivially destructible locals here: libjpeg's errors arrive by longjmp.
bool ReadJpegHeader(JpegProbe& probe, std::FILE* f) {
    if (setjmp(probe.jump)) return false;
    jpeg_stdio_src(&probe.cinfo, f);
    jpeg_read_header(&probe.cinfo, TRUE);
    return true;
}

// libjpeg reads the markers up to the first scan: sizes, tables, colour space.
bool ProbeJpeg(std::FILE* f, std::string& why) {
    auto probe = std::make_unique<JpegProbe>();
    probe->cinfo.err = jpeg_std_error(&probe->err);
    probe->err.error_exit = ProbeFailed;
    probe->err.emit_message = Silent;
    probe->cinfo.client_data = probe.get();
    jpeg_create_decompress(&probe->cinfo);
    bool ok = ReadJpegHeader(*probe, f);
    if (!ok)
        why = probe->message;
    else
        ok = HasPixels(probe->cinfo.image_width, probe->cinfo.image_height, why);
    jpeg_destroy_decompress(&probe->cinfo);
    return ok;
}

}  // namespace

bool ProbePicture(const std::string& path, std::string& why) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "cannot be opened";
        return false;
    }
    FilePtr f(std::fopen(path.c_str(), "rb"));
    unsigned char magic[2] = {0, 0};
    if (!f || std::fread(magic, 1, 2, f.get()) != 2) {
        why = f ? "neither a BMP nor a JPEG picture" : "cannot be opened";
        return false;
    }
    std::rewind(f.get());
    if (magic[0] == 'B' && magic[1] == 'M')
        return ProbeBmp(f.get(), static_cast<std::uintmax_t>(st.st_size), why);
    if (magic[0] == 0xFF && magic[1] == 0xD8) return ProbeJpeg(f.get(), why);
    why = "neither a BMP nor a JPEG picture";
    return false;
}

}  // namespace exg
