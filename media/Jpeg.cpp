// JPEG pictures through libjpeg: every libjpeg error comes back here through longjmp, so a
// broken photo never ends the game; a photo that ends early is refused as corrupt.
//
// Only trivially destructible locals live in the frame that calls setjmp (DecodeGuarded): the
// C++ objects the decoder fills belong to the caller, so a longjmp skips no destructor.

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>
// clang-format off
#include <jpeglib.h>  // needs <cstdio> first
#include <jerror.h>
// clang-format on

#include "PictureIo.h"
#include "PictureRows.h"
#include "media/Picture.h"

namespace media {
namespace {

// Progressive files may split a picture into any number of scans; each scan makes libjpeg run
// over the whole picture again, so a few kilobytes could keep the game busy for minutes.
// Real encoders use about ten.
constexpr int kMaxScans = 500;
constexpr int kRowsPerRead = 16;
// Huffman coding spends at least one bit on every 8 x 8 block, so a file of n bytes describes
// at most 512 n pixels; twice that is the most a truthful header can claim. Arithmetic coding
// has no such floor (a flat photo fits in a few hundred bytes) and is held to the size cap only.
constexpr long long kMaxPixelsPerByte = 1024;
// A file of several scans is held whole as DCT coefficients (128 bytes per 8 x 8 block of each
// component, at the declared size whatever the output's), and every scan runs over the blocks of
// its components again. Arithmetic coding lets a few hundred bytes declare 64 megapixels of such
// blocks, so both are held to what a file of its size can mean: a 48-megapixel progressive photo
// of a few megabytes needs about 150 MB and ten scans, a lie of a few kilobytes is refused.
constexpr long long kCoefficientBytesBase = 64LL << 20;
constexpr long long kCoefficientBytesPerFileByte = 128;
constexpr long long kBlockVisitsBase = 16LL << 20;
constexpr long long kBlockVisitsPerFileByte = 16;

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is a pointer to us
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegJob {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    std::FILE* file = nullptr;
    std::uintmax_t fileBytes = 0;
    RgbPicture* out = nullptr;
    std::vector<JSAMPLE>* cmykRows = nullptr;  // scratch for four-channel photos
    // Set when even 1/8 leaves a side above kMaxPictureSide: rows go through the area average.
    detail::RowWriter* reducer = nullptr;
    std::vector<JSAMPLE>* band = nullptr;  // rows on their way to the reducer
    bool reducing = false;
    int lastScan = 0;
    long long blockVisits = 0;
};

[[noreturn]] void Refuse(j_common_ptr cinfo, const char* why) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "%s", why);
    std::longjmp(err->jump, 1);
}

[[noreturn]] void Abort(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings: a premature end of file means the rest of the picture is made up (libjpeg fills it
// with grey), so the photo is refused. Other warnings, such as stray bytes before a marker,
// are harmless and only counted. Nothing is printed.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace output
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) Abort(cinfo);
    cinfo->err->num_warnings++;
}

// Called before each row of blocks is read: a new scan is counted before its work is done.
void OnProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* job = static_cast<JpegJob*>(cinfo->client_data);
    if (d->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
        std::longjmp(err->jump, 1);
    }
    if (d->input_scan_number == job->lastScan) return;
    job->lastScan = d->input_scan_number;
    for (int i = 0; i < d->comps_in_scan; ++i) {
        const jpeg_component_info* c = d->cur_comp_info[i];
        job->blockVisits += static_cast<long long>(c->width_in_blocks) * c->height_in_blocks;
    }
    const auto bytes = static_cast<long long>(job->fileBytes);
    if (job->blockVisits > kBlockVisitsBase + kBlockVisitsPerFileByte * bytes)
        Refuse(cinfo, "its scans are far too many for its size");
}

bool IsFourChannel(J_COLOR_SPACE space) {
    return space == JCS_CMYK || space == JCS_YCCK;
}

// Adobe writes CMYK inverted (255 means no ink); others write it straight.
void CmykToRgb(const JSAMPLE* cmyk, std::uint8_t* rgb, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const int ink = inverted ? cmyk[c] : 255 - cmyk[c];
            rgb[c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
    }
}

// Reads the scanlines straight into the picture's rows (four-channel photos through the
// scratch rows), several rows per call.
void ReadRows(JpegJob& job) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    const std::size_t rowBytes = static_cast<std::size_t>(cinfo.output_width) * 3;
    const bool fourChannel = cinfo.out_color_space == JCS_CMYK;
    const std::size_t scratchRow = static_cast<std::size_t>(cinfo.output_width) * 4;
    std::array<JSAMPROW, kRowsPerRead> rows{};
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(kRowsPerRead, cinfo.output_height - first);
        // Where row i of this read ends up as RGB: the picture itself, or the band.
        auto rgbRow = [&](JDIMENSION i) {
            return job.reducing ? job.band->data() + i * rowBytes
                                : job.out->rgb.data() + (first + i) * rowBytes;
        };
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = fourChannel ? job.cmykRows->data() + i * scratchRow : rgbRow(i);
        const JDIMENSION got = jpeg_read_scanlines(&cinfo, rows.data(), count);
        for (JDIMENSION i = 0; fourChannel && i < got; ++i)
            CmykToRgb(rows[i], rgbRow(i), cinfo.output_width, cinfo.saw_Adobe_marker);
        for (JDIMENSION i = 0; job.reducing && i < got; ++i) {
            job.reducer->BeginRow(first + i);
            job.reducer->Pixels(0, rgbRow(i), cinfo.output_width);
            job.reducer->EndRow();
        }
        if (got == 0) ERREXIT(&cinfo, JERR_INPUT_EOF);  // cannot happen with a file source
    }
    if (job.reducing) job.reducer->Finish();
}

// Sizes a buffer; false when the memory is not there (no exception may cross libjpeg's frames).
bool SizeForPicture(std::vector<std::uint8_t>& rgb, std::size_t bytes) {
    try {
        SizePixelBuffer(rgb, bytes);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Refuses sizes a game must not allocate for, before libjpeg allocates anything image-sized.
bool DeclaredSizeIsSane(JpegJob& job) {
    const jpeg_decompress_struct& cinfo = job.cinfo;
    const long long pixels = static_cast<long long>(cinfo.image_width) * cinfo.image_height;
    const char* problem = nullptr;
    if (pixels == 0 || pixels > kMaxPicturePixels) {
        problem = "refused";
    } else if (!cinfo.arith_code &&
               pixels > kMaxPixelsPerByte * static_cast<long long>(job.fileBytes)) {
        problem = "is more than the file can hold";
    }
    if (problem) {
        std::snprintf(job.err.message, sizeof job.err.message, "declared size %u x %u %s",
                      cinfo.image_width, cinfo.image_height, problem);
    }
    return problem == nullptr;
}

// A file of several scans keeps all its coefficients: refused when that is absurd for its size.
bool CoefficientsAreSane(JpegJob& job) {
    const jpeg_decompress_struct& cinfo = job.cinfo;
    if (!cinfo.progressive_mode && cinfo.comps_in_scan >= cinfo.num_components) return true;
    long long blocks = 0;
    for (int ci = 0; ci < cinfo.num_components; ++ci) {
        const jpeg_component_info& c = cinfo.comp_info[ci];
        const long long wide = (c.width_in_blocks + c.h_samp_factor - 1) / c.h_samp_factor;
        const long long high = (c.height_in_blocks + c.v_samp_factor - 1) / c.v_samp_factor;
        blocks += wide * c.h_samp_factor * high * c.v_samp_factor;
    }
    const long long bytes = blocks * static_cast<long long>(sizeof(JBLOCK));
    if (bytes <= kCoefficientBytesBase +
                     kCoefficientBytesPerFileByte * static_cast<long long>(job.fileBytes))
        return true;
    std::snprintf(job.err.message, sizeof job.err.message,
                  "its scans would need %lld MB for a file of %llu bytes", bytes >> 20,
                  static_cast<unsigned long long>(job.fileBytes));
    return false;
}

// A side above kMaxPictureSide: the largest scaling M/8 that brings the longer side within it.
void ChooseScale(jpeg_decompress_struct& cinfo) {
    const long long longer = std::max(cinfo.image_width, cinfo.image_height);
    if (longer <= kMaxPictureSide) return;
    cinfo.scale_num = static_cast<unsigned>(std::max(1LL, 8LL * kMaxPictureSide / longer));
    cinfo.scale_denom = 8;
}

bool SizeOutput(JpegJob& job) {
    const jpeg_decompress_struct& cinfo = job.cinfo;
    const std::size_t row = cinfo.output_width;
    job.reducing = std::max(cinfo.output_width, cinfo.output_height) >
                   static_cast<JDIMENSION>(kMaxPictureSide);
    bool ok = true;
    if (job.reducing) {
        ok = SizeForPicture(*job.band, row * 3 * kRowsPerRead) &&
             job.reducer->Start(*job.out, cinfo.output_width, cinfo.output_height, false);
    } else {
        job.out->width = static_cast<int>(cinfo.output_width);
        job.out->height = static_cast<int>(cinfo.output_height);
        ok = SizeForPicture(job.out->rgb, row * cinfo.output_height * 3);
    }
    ok = ok && (cinfo.out_color_space != JCS_CMYK ||
                SizeForPicture(*job.cmykRows, row * 4 * kRowsPerRead));
    if (!ok) std::snprintf(job.err.message, sizeof job.err.message, "out of memory");
    return ok;
}

// Runs libjpeg under the error trap. Returns false with job.err.message filled on any failure.
bool DecodeGuarded(JpegJob& job) {
    if (setjmp(job.err.jump)) return false;
    jpeg_decompress_struct& cinfo = job.cinfo;
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &job.progress;
    jpeg_stdio_src(&cinfo, job.file);
    jpeg_read_header(&cinfo, TRUE);
    if (!DeclaredSizeIsSane(job) || !CoefficientsAreSane(job)) return false;
    cinfo.out_color_space = IsFourChannel(cinfo.jpeg_color_space) ? JCS_CMYK : JCS_RGB;
    ChooseScale(cinfo);
    jpeg_start_decompress(&cinfo);
    if (!SizeOutput(job)) return false;
    ReadRows(job);
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

bool LoadJpeg(const std::string& path, RgbPicture& out, std::string* error) {
    // The buffer keeps its bytes until it is sized: a decode that succeeds has written every
    // row, and a caller decoding photo after photo of one size neither zero-fills nor faults in
    // tens of megabytes again for each.
    out.width = out.height = 0;
    std::uintmax_t size = 0;
    std::FILE* file = nullptr;
    if (detail::StatPictureFile(path, size, error)) {
        file = std::fopen(path.c_str(), "rb");
        if (!file) detail::Fail(error, path, "cannot open");
    }
    if (!file) {
        out.rgb.clear();
        return false;
    }
    std::vector<JSAMPLE> cmykRows, band;
    detail::RowWriter reducer;
    auto job = std::make_unique<JpegJob>();
    job->reducer = &reducer;
    job->band = &band;
    job->cinfo.client_data = job.get();
    job->file = file;
    job->fileBytes = size;
    job->out = &out;
    job->cmykRows = &cmykRows;
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = Abort;
    job->err.pub.emit_message = OnMessage;
    job->progress.progress_monitor = OnProgress;
    const bool ok = DecodeGuarded(*job);
    jpeg_destroy_decompress(&job->cinfo);
    std::fclose(file);
    if (!ok) {
        out = RgbPicture{};
        return detail::Fail(error, path, job->err.message);
    }
    return true;
}

}  // namespace media
