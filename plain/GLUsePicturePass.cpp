// GLUse, the texture pass: every pixel's channels times a factor that rises toward the centre of
// the inscribed ellipse, and the pixels outside the ellipse made transparent.
//
// It runs on twelve-megapixel photos while the game waits, so it is built to cost little next to
// the JPEG decode: the factor depends only on the pixel's position, and the picture is symmetric
// about its centre pixel, so one row of factors (half of it worked out, half mirrored) serves a
// row and its mirror row; transparency is two spans per row. On processors with AVX2 the
// distances run four at a time and the multiplications sixteen channels at a time, with results
// equal to the plain rule bit for bit (the distance is checked against float rounding
// boundaries, and the product is worked out in whole numbers).
#if defined(__x86_64__) || defined(__i386__)
#define ZODAV_VECTOR_PASS 1
#include <immintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "GLUsePicture.h"
#include "GeomUse.h"
#include "media/Picture.h"

namespace {

bool vectorAllowed = true;

// Column or row k around the centre c, as a float quotient. A picture one pixel wide or high has
// c = 0: its only column (or row) counts as the centre, so no NaN reaches the pixels.
float Normalised(int centre, int k) {
    if (centre == 0) return 0.0f;
    return static_cast<float>(static_cast<double>(centre - k) / centre);
}

// The distance of (u, v) from the centre as the geometry kit computes it (long double, stored as
// float). Done in double first; only when the double result lies too close to a rounding boundary
// of float to be sure of the stored value is the exact routine asked.
float CentreDistance(float u, float v) {
    const double s = static_cast<double>(u) * u + static_cast<double>(v) * v;
    if (s == 0) return 1e-7f;
    const double r = std::sqrt(s);
    const float f = static_cast<float>(r);
    const double g = f;
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(f);
    const double neighbour = std::bit_cast<float>(r >= g ? bits + 1 : bits - 1);
    const double midpoint = (g + neighbour) / 2;
    if (std::fabs(r - midpoint) > r * 0x1p-50) return f;
    return Distance(TVec2{0, 0}, TVec2{u, v});
}

float Brightened(float d) {
    return static_cast<float>(2.4 - 1.6 * static_cast<double>(d));
}

struct PassJob {
    int width = 0;
    int hw = 0;
    bool brighten = false;
    std::vector<float> u;              // columns 0..hw
    std::vector<double> uu;            // their squares
    std::vector<float> factor;         // one row, all columns
    std::vector<std::uint8_t> scaled;  // one row of RGB after the factor
    // The factor as a whole number F = factor * 2^24 (a factor of at least 0.8 is a whole number
    // of 2^-24 steps), split per channel into F >> 10 and F & 1023 for 16-bit arithmetic.
    std::vector<std::uint16_t> high;
    std::vector<std::uint16_t> low;
};

// Factors of columns [from, to) for the row at v.
void PlanColumnsScalar(PassJob& job, float v, int from, int to) {
    for (int l = from; l < to; ++l) {
        const float d = CentreDistance(job.u[l], v);
        job.factor[l] = d <= 1 ? Brightened(d) : 1.0f;
    }
}

// The first of columns 0..hw inside the ellipse on the row at v. The distance falls as the column
// nears the centre column (which is always inside), so a binary search finds it.
int FirstInside(const PassJob& job, float v) {
    int low = 0, high = std::min(job.hw, job.width - 1);
    while (low < high) {
        const int mid = (low + high) / 2;
        if (CentreDistance(job.u[mid], v) <= 1)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

void MultiplyRowScalar(const std::uint8_t* src, const float* factor, std::uint8_t* dst, int from,
                       int to) {
    for (int l = from; l < to; ++l)
        for (int c = 0; c < 3; ++c) {
            const double value = std::trunc(static_cast<double>(src[3 * l + c]) * factor[l]);
            dst[3 * l + c] = static_cast<std::uint8_t>(value >= 255 ? 255 : value);
        }
}

// Where RGB becomes RGBA: a span of columns [first, last] is opaque, the rest gets `outside`.
struct AlphaSpan {
    int first;
    int last;
    std::uint8_t outside;
};

void ExpandRowScalar(const std::uint8_t* src, std::uint8_t* dst, int from, int to,
                     const AlphaSpan& span) {
    for (int l = from; l < to; ++l) {
        dst[4 * l] = src[3 * l];
        dst[4 * l + 1] = src[3 * l + 1];
        dst[4 * l + 2] = src[3 * l + 2];
        dst[4 * l + 3] = l >= span.first && l <= span.last ? 255 : span.outside;
    }
}

#ifdef ZODAV_VECTOR_PASS

// Factors of columns [from, to) for the row at v, four at a time.
//
// Converting the double root to float rounds on the 29 mantissa bits float drops; the geometry
// kit's long double root rounds the same way unless those bits sit within a few units of the
// half-way point, and then the exact routine decides.
__attribute__((target("avx2,fma"))) void PlanColumnsVector(PassJob& job, float v, int from,
                                                           int to) {
    const __m256d vv = _mm256_set1_pd(static_cast<double>(v) * v);
    const __m256i dropped = _mm256_set1_epi64x((1 << 29) - 1);
    const __m256i nearHalf = _mm256_set1_epi64x((1 << 28) - 8);
    const __m256i window = _mm256_set1_epi64x(17);
    const __m256d zero = _mm256_setzero_pd();
    int l = from;
    for (; l + 4 <= to; l += 4) {
        const __m256d s = _mm256_add_pd(_mm256_loadu_pd(&job.uu[l]), vv);
        const __m256d r = _mm256_sqrt_pd(s);
        // 0 to 16 when the dropped bits lie within 8 units of the tie.
        const __m256i offset =
            _mm256_sub_epi64(_mm256_and_si256(_mm256_castpd_si256(r), dropped), nearHalf);
        const __m256i tie = _mm256_andnot_si256(_mm256_cmpgt_epi64(_mm256_setzero_si256(), offset),
                                                _mm256_cmpgt_epi64(window, offset));
        const __m256d unsure =
            _mm256_or_pd(_mm256_castsi256_pd(tie), _mm256_cmp_pd(s, zero, _CMP_EQ_OQ));
        if (_mm256_movemask_pd(unsure) != 0) {
            // Near a rounding boundary (or the centre): these four the exact way.
            PlanColumnsScalar(job, v, l, l + 4);
            continue;
        }
        const __m128 f = _mm256_cvtpd_ps(r);
        const __m128 inside = _mm_cmple_ps(f, _mm_set1_ps(1.0f));
        const __m256d b = _mm256_sub_pd(_mm256_set1_pd(2.4),
                                        _mm256_mul_pd(_mm256_set1_pd(1.6), _mm256_cvtps_pd(f)));
        _mm_storeu_ps(&job.factor[l], _mm_blendv_ps(_mm_set1_ps(1.0f), _mm256_cvtpd_ps(b), inside));
    }
    PlanColumnsScalar(job, v, l, to);
}

// The factors of columns [from, to) as per-channel multiplier halves, four columns at a time.
__attribute__((target("avx2,fma"))) void SpreadMultipliers(PassJob& job, int from, int to) {
    const __m128i highFirst = _mm_setr_epi8(0, 1, 0, 1, 0, 1, 2, 3, 2, 3, 2, 3, 4, 5, 4, 5);
    const __m128i highRest = _mm_setr_epi8(4, 5, 6, 7, 6, 7, 6, 7, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i lowFirst = _mm_add_epi8(highFirst, _mm_set1_epi8(8));
    const __m128i lowRest =
        _mm_setr_epi8(12, 13, 14, 15, 14, 15, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128 unit = _mm_set1_ps(0x1p24f);
    int l = from;
    for (; l + 4 <= to; l += 4) {
        const __m128i whole = _mm_cvtps_epi32(_mm_mul_ps(_mm_loadu_ps(&job.factor[l]), unit));
        const __m128i halves =
            _mm_packus_epi32(_mm_srli_epi32(whole, 10), _mm_and_si128(whole, _mm_set1_epi32(1023)));
        std::uint16_t* high = &job.high[3 * l];
        std::uint16_t* low = &job.low[3 * l];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(high), _mm_shuffle_epi8(halves, highFirst));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(high + 8), _mm_shuffle_epi8(halves, highRest));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(low), _mm_shuffle_epi8(halves, lowFirst));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(low + 8), _mm_shuffle_epi8(halves, lowRest));
    }
    for (; l < to; ++l) {
        const auto whole = static_cast<std::uint32_t>(job.factor[l] * 0x1p24f);
        for (int c = 0; c < 3; ++c) {
            job.high[3 * l + c] = static_cast<std::uint16_t>(whole >> 10);
            job.low[3 * l + c] = static_cast<std::uint16_t>(whole & 1023);
        }
    }
}

// value = min(255, floor(x * F / 2^24)) for sixteen channels, exactly, in 16-bit lanes:
// x * (F >> 10) = hi * 2^16 + lo, and the low part x * (F & 1023) / 2^10 is added to lo before
// the last shift, in two pieces so that nothing overflows.
__attribute__((target("avx2,fma"))) void MultiplyRowVector(const std::uint8_t* src,
                                                           const PassJob& job, std::uint8_t* dst,
                                                           int from, int to) {
    const __m256i lowMask = _mm256_set1_epi16(0x3FFF), top = _mm256_set1_epi16(255);
    int j = 3 * from;
    const int end = 3 * to;
    for (; j + 16 <= end; j += 16) {
        const __m256i x =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + j)));
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&job.high[j]));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&job.low[j]));
        const __m256i hi = _mm256_mulhi_epu16(x, a);
        const __m256i lo = _mm256_mullo_epi16(x, a);
        const __m256i carry = _mm256_mulhi_epu16(_mm256_slli_epi16(x, 6), b);
        const __m256i rest =
            _mm256_srli_epi16(_mm256_add_epi16(_mm256_and_si256(lo, lowMask), carry), 14);
        __m256i value = _mm256_add_epi16(_mm256_slli_epi16(hi, 2), _mm256_srli_epi16(lo, 14));
        value = _mm256_min_epu16(_mm256_add_epi16(value, rest), top);
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(value, value), 0xD8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + j), _mm256_castsi256_si128(bytes));
    }
    // The rest, from the pixel the last group ended in.
    MultiplyRowScalar(src, job.factor.data(), dst, j / 3, to);
}

__attribute__((target("avx2,fma"))) void ExpandRowVector(const std::uint8_t* src, std::uint8_t* dst,
                                                         int width, const AlphaSpan& span) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i outside =
        _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(span.outside) << 24));
    const __m128i before = _mm_set1_epi32(span.first - 1), after = _mm_set1_epi32(span.last + 1);
    int l = 0;
    // Up to a pixel on a 16-byte boundary one by one, then four at a time straight to memory
    // (the whole picture is written once and not read again here).
    while (l < width && (reinterpret_cast<std::uintptr_t>(dst + 4 * l) & 15) != 0) {
        ExpandRowScalar(src, dst, l, l + 1, span);
        ++l;
    }
    // Sixteen bytes are read for four pixels' twelve: stop while a whole load fits the row.
    for (; l + 6 <= width; l += 4) {
        const __m128i rgb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * l));
        const __m128i column = _mm_add_epi32(_mm_set1_epi32(l), _mm_setr_epi32(0, 1, 2, 3));
        const __m128i inside =
            _mm_and_si128(_mm_cmpgt_epi32(column, before), _mm_cmpgt_epi32(after, column));
        const __m128i alpha = _mm_blendv_epi8(outside, opaque, inside);
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + 4 * l),
                         _mm_or_si128(_mm_shuffle_epi8(rgb, spread), alpha));
    }
    ExpandRowScalar(src, dst, l, width, span);
}

// The rows were written past the caches; make them visible before anyone reads them.
__attribute__((target("avx2,fma"))) void StoreFence() {
    _mm_sfence();
}

#else

// Elsewhere the plain loops do all the work.
void PlanColumnsVector(PassJob&, float, int, int) {}
void SpreadMultipliers(PassJob&, int, int) {}
void MultiplyRowVector(const std::uint8_t*, const PassJob&, std::uint8_t*, int, int) {}
void ExpandRowVector(const std::uint8_t*, std::uint8_t*, int, const AlphaSpan&) {}
void StoreFence() {}

#endif

bool VectorPass() {
#ifdef ZODAV_VECTOR_PASS
    static const bool supported = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return supported && vectorAllowed;
#else
    return false;
#endif
}

// The row at v inside the ellipse is columns [first, last]; inside it, with brightening, the
// factors of columns first..hw are worked out and mirrored onto the columns right of hw.
void PlanRow(PassJob& job, float v, int& first, int& last) {
    first = FirstInside(job, v);
    last = std::min(job.width - 1, 2 * job.hw - first);
    if (!job.brighten) return;
    const int to = std::min(job.hw + 1, job.width);
    if (VectorPass())
        PlanColumnsVector(job, v, first, to);
    else
        PlanColumnsScalar(job, v, first, to);
    for (int l = first; l < job.hw; ++l)
        if (2 * job.hw - l < job.width) job.factor[2 * job.hw - l] = job.factor[l];
    if (VectorPass()) SpreadMultipliers(job, first, last + 1);
}

// Inside [first, last] the pixels are multiplied by their factor when brightening; outside they
// keep their colour (factor 1) and, when cropping, lose their alpha.
void ApplyRow(PassJob& job, const std::uint8_t* src, std::uint8_t* dst, bool crop, int first,
              int last) {
    const AlphaSpan span{first, last, static_cast<std::uint8_t>(crop ? 0 : 255)};
    if (job.brighten) {
        std::uint8_t* scaled = job.scaled.data();
        if (VectorPass())
            MultiplyRowVector(src, job, scaled, first, last + 1);
        else
            MultiplyRowScalar(src, job.factor.data(), scaled, first, last + 1);
        std::copy(src, src + 3 * first, scaled);
        std::copy(src + 3 * (last + 1), src + 3 * job.width, scaled + 3 * (last + 1));
        src = scaled;
    }
    if (VectorPass())
        ExpandRowVector(src, dst, job.width, span);
    else
        ExpandRowScalar(src, dst, 0, job.width, span);
}

}  // namespace

void SetVectorPicturePass(bool allowed) {
    vectorAllowed = allowed;
}

void ProcessPicture(const std::uint8_t* rgb, int width, int height, bool brighten,
                    bool cropToCircle, std::vector<std::uint8_t>& rgba) {
    media::SizePixelBuffer(rgba, static_cast<size_t>(width) * height * 4);
    PassJob job;
    job.width = width;
    job.hw = width / 2;
    job.brighten = brighten;
    job.u.resize(job.hw + 1);
    job.uu.resize(job.hw + 1);
    for (int l = 0; l <= job.hw; ++l) {
        job.u[l] = Normalised(job.hw, l);
        job.uu[l] = static_cast<double>(job.u[l]) * job.u[l];
    }
    job.factor.assign(width, 1.0f);
    job.scaled.resize(static_cast<size_t>(width) * 3);
    job.high.resize(static_cast<size_t>(width) * 3);
    job.low.resize(static_cast<size_t>(width) * 3);
    const size_t inRow = static_cast<size_t>(width) * 3, outRow = static_cast<size_t>(width) * 4;
    const bool planned = brighten || cropToCircle;
    const int hh = height / 2;
    // Row 2hh - i lies as far below the centre row as row i lies above it: one plan for both.
    for (int i = 0; i <= hh && i < height; ++i) {
        int first = 0, last = width - 1;
        if (planned) PlanRow(job, Normalised(hh, i), first, last);
        ApplyRow(job, rgb + i * inRow, rgba.data() + i * outRow, cropToCircle, first, last);
        const int mirror = 2 * hh - i;
        if (mirror != i && mirror < height)
            ApplyRow(job, rgb + mirror * inRow, rgba.data() + mirror * outRow, cropToCircle, first,
                     last);
    }
    if (VectorPass()) StoreFence();
}
