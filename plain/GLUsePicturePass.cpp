// GLUse, the texture pass: every pixel's channels times a factor that rises toward the centre of
// the inscribed ellipse, and the pixels outside the ellipse made transparent.
//
// It runs on twelve-megapixel photos while the game waits, so it is built to cost little next to
// the JPEG decode: the factor depends only on the pixel's position, and the picture is symmetric
// about its centre pixel, so one row of factors (half of it worked out, half mirrored) serves a
// row and its mirror row; transparency is two spans per row. On processors with AVX2 and FMA the
// distances and the multiplications run eight at a time, with results equal to the plain rule
// bit for bit (the distance is checked against float rounding boundaries, the product's
// truncation against its exact remainder).
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "GLUsePicture.h"
#include "GeomUse.h"

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

void ExpandRowScalar(const std::uint8_t* src, std::uint8_t* dst, int from, int to,
                     std::uint8_t alpha) {
    for (int l = from; l < to; ++l) {
        dst[4 * l] = src[3 * l];
        dst[4 * l + 1] = src[3 * l + 1];
        dst[4 * l + 2] = src[3 * l + 2];
        dst[4 * l + 3] = alpha;
    }
}

__attribute__((target("avx2,fma"))) void PlanColumnsVector(PassJob& job, float v, int from,
                                                           int to) {
    const __m256d vv = _mm256_set1_pd(static_cast<double>(v) * v);
    const __m256d half = _mm256_set1_pd(0.5), tolerance = _mm256_set1_pd(0x1p-50);
    const __m256d sign = _mm256_set1_pd(-0.0), zero = _mm256_setzero_pd();
    const __m128i one = _mm_set1_epi32(1);
    int l = from;
    for (; l + 4 <= to; l += 4) {
        const __m256d s = _mm256_add_pd(_mm256_loadu_pd(&job.uu[l]), vv);
        const __m256d r = _mm256_sqrt_pd(s);
        const __m128 f = _mm256_cvtpd_ps(r);
        const __m256d g = _mm256_cvtps_pd(f);
        const __m128i bits = _mm_castps_si128(f);
        const __m256d up = _mm256_cvtps_pd(_mm_castsi128_ps(_mm_add_epi32(bits, one)));
        const __m256d down = _mm256_cvtps_pd(_mm_castsi128_ps(_mm_sub_epi32(bits, one)));
        const __m256d neighbour = _mm256_blendv_pd(down, up, _mm256_cmp_pd(r, g, _CMP_GE_OQ));
        const __m256d midpoint = _mm256_mul_pd(_mm256_add_pd(g, neighbour), half);
        const __m256d gap = _mm256_andnot_pd(sign, _mm256_sub_pd(r, midpoint));
        const __m256d unsure =
            _mm256_or_pd(_mm256_cmp_pd(gap, _mm256_mul_pd(r, tolerance), _CMP_LE_OQ),
                         _mm256_cmp_pd(s, zero, _CMP_EQ_OQ));
        if (_mm256_movemask_pd(unsure) != 0) {
            // Near a rounding boundary (or the centre): these four the exact way.
            PlanColumnsScalar(job, v, l, l + 4);
            continue;
        }
        const __m128 inside = _mm_cmple_ps(f, _mm_set1_ps(1.0f));
        const __m256d b = _mm256_sub_pd(_mm256_set1_pd(2.4), _mm256_mul_pd(_mm256_set1_pd(1.6), g));
        _mm_storeu_ps(&job.factor[l], _mm_blendv_ps(_mm_set1_ps(1.0f), _mm256_cvtpd_ps(b), inside));
    }
    PlanColumnsScalar(job, v, l, to);
}

// value = min(255, floor(x * f)) for eight channels, exactly: the float product can round up to
// a whole number the exact product stays below; the fused remainder tells.
__attribute__((target("avx2,fma"))) inline __m256i ScaleEight(const std::uint8_t* src, __m256 f) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src));
    const __m256 x = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
    __m256 t = _mm256_floor_ps(_mm256_mul_ps(x, f));
    const __m256 below = _mm256_cmp_ps(_mm256_fmsub_ps(x, f, t), _mm256_setzero_ps(), _CMP_LT_OQ);
    t = _mm256_add_ps(t, _mm256_and_ps(below, _mm256_set1_ps(-1.0f)));
    return _mm256_cvttps_epi32(_mm256_min_ps(t, _mm256_set1_ps(255.0f)));
}

__attribute__((target("avx2,fma"))) void MultiplyRowVector(const std::uint8_t* src,
                                                           const float* factor, std::uint8_t* dst,
                                                           int from, int to) {
    // Eight pixels are 24 channels: three groups of eight, each with its pixels' factors.
    const __m256i group0 = _mm256_setr_epi32(0, 0, 0, 1, 1, 1, 2, 2);
    const __m256i group1 = _mm256_setr_epi32(2, 3, 3, 3, 4, 4, 4, 5);
    const __m256i group2 = _mm256_setr_epi32(5, 5, 6, 6, 6, 7, 7, 7);
    int l = from;
    for (; l + 8 <= to; l += 8) {
        const __m256 f = _mm256_loadu_ps(factor + l);
        const std::uint8_t* s = src + 3 * l;
        const __m256i v0 = ScaleEight(s, _mm256_permutevar8x32_ps(f, group0));
        const __m256i v1 = ScaleEight(s + 8, _mm256_permutevar8x32_ps(f, group1));
        const __m256i v2 = ScaleEight(s + 16, _mm256_permutevar8x32_ps(f, group2));
        const __m256i w01 = _mm256_permute4x64_epi64(_mm256_packus_epi32(v0, v1), 0xD8);
        const __m256i w22 = _mm256_permute4x64_epi64(_mm256_packus_epi32(v2, v2), 0xD8);
        const __m256i b = _mm256_packus_epi16(w01, w22);  // [v0 v2 | v1 v2] as bytes
        const __m128i low = _mm256_castsi256_si128(b);
        std::uint8_t* d = dst + 3 * l;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 8), _mm256_extracti128_si256(b, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm_unpackhi_epi64(low, low));
    }
    MultiplyRowScalar(src, factor, dst, l, to);
}

__attribute__((target("avx2,fma"))) void ExpandRowVector(const std::uint8_t* src, std::uint8_t* dst,
                                                         int from, int to, std::uint8_t alpha) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i alphas =
        _mm_set1_epi32(static_cast<int>(static_cast<std::uint32_t>(alpha) << 24));
    int l = from;
    // Sixteen bytes are read for four pixels' twelve: stop while a whole load fits the segment.
    for (; l + 6 <= to; l += 4) {
        const __m128i rgb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * l));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * l),
                         _mm_or_si128(_mm_shuffle_epi8(rgb, spread), alphas));
    }
    ExpandRowScalar(src, dst, l, to, alpha);
}

bool VectorPass() {
    static const bool supported = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return supported && vectorAllowed;
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
}

void Expand(const std::uint8_t* src, std::uint8_t* dst, int from, int to, std::uint8_t alpha) {
    if (VectorPass())
        ExpandRowVector(src, dst, from, to, alpha);
    else
        ExpandRowScalar(src, dst, from, to, alpha);
}

// Outside [first, last] the pixels keep their colour (factor 1) and, when cropping, lose their
// alpha; inside they are multiplied by their factor when brightening.
void ApplyRow(PassJob& job, const std::uint8_t* src, std::uint8_t* dst, bool crop, int first,
              int last) {
    const std::uint8_t outside = crop ? 0 : 255;
    const std::uint8_t* inside = src;
    if (job.brighten) {
        if (VectorPass())
            MultiplyRowVector(src, job.factor.data(), job.scaled.data(), first, last + 1);
        else
            MultiplyRowScalar(src, job.factor.data(), job.scaled.data(), first, last + 1);
        inside = job.scaled.data();
    }
    Expand(src, dst, 0, first, outside);
    Expand(inside, dst, first, last + 1, 255);
    Expand(src, dst, last + 1, job.width, outside);
}

}  // namespace

void SetVectorPicturePass(bool allowed) {
    vectorAllowed = allowed;
}

void ProcessPicture(const std::uint8_t* rgb, int width, int height, bool brighten,
                    bool cropToCircle, std::vector<std::uint8_t>& rgba) {
    rgba.resize(static_cast<size_t>(width) * height * 4);
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
}
