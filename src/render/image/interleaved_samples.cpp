#include "render/image/interleaved_samples.h"

#include <cstddef>

#include "platform/cpu/processor.h"

namespace
{

// The loops are written for the compiler to vectorise, and built for the x86-64 baseline and again
// for AVX2 (three samples a pixel need byte shuffles the baseline lacks); the best the processor
// runs is chosen once.
template <size_t kStride>
inline __attribute__((always_inline)) void SplitColour(const BYTE *__restrict samples, size_t width,
                                                       BYTE *__restrict red, BYTE *__restrict green,
                                                       BYTE *__restrict blue)
{
    for (size_t x = 0; x < width; ++x) {
        red[x] = samples[kStride * x];
        green[x] = samples[kStride * x + 1];
        blue[x] = samples[kStride * x + 2];
    }
}

inline __attribute__((always_inline)) void SplitAll(const BYTE *__restrict samples, size_t width, BYTE *__restrict red,
                                                    BYTE *__restrict green, BYTE *__restrict blue,
                                                    BYTE *__restrict alpha)
{
    for (size_t x = 0; x < width; ++x) {
        red[x] = samples[4 * x];
        green[x] = samples[4 * x + 1];
        blue[x] = samples[4 * x + 2];
        alpha[x] = samples[4 * x + 3];
    }
}

struct Kernels {
    void (*Three)(const BYTE *, size_t, BYTE *, BYTE *, BYTE *);
    void (*FourDroppingLast)(const BYTE *, size_t, BYTE *, BYTE *, BYTE *);
    void (*Four)(const BYTE *, size_t, BYTE *, BYTE *, BYTE *, BYTE *);
};

#define ZN_SPLIT_KERNELS(name, attributes)                                                                             \
    attributes void name##Three(const BYTE *s, size_t w, BYTE *r, BYTE *g, BYTE *b)                                    \
    {                                                                                                                  \
        SplitColour<3>(s, w, r, g, b);                                                                                 \
    }                                                                                                                  \
    attributes void name##FourDroppingLast(const BYTE *s, size_t w, BYTE *r, BYTE *g, BYTE *b)                         \
    {                                                                                                                  \
        SplitColour<4>(s, w, r, g, b);                                                                                 \
    }                                                                                                                  \
    attributes void name##Four(const BYTE *s, size_t w, BYTE *r, BYTE *g, BYTE *b, BYTE *a)                            \
    {                                                                                                                  \
        SplitAll(s, w, r, g, b, a);                                                                                    \
    }                                                                                                                  \
    constexpr Kernels k##name = {name##Three, name##FourDroppingLast, name##Four};

ZN_SPLIT_KERNELS(Baseline, )
#if defined(__x86_64__) || defined(__i386__)
ZN_SPLIT_KERNELS(Avx2, __attribute__((target("avx2"))))
#endif
#undef ZN_SPLIT_KERNELS

const Kernels &ChooseKernels()
{
#if defined(__x86_64__) || defined(__i386__)
    if (ZnHasAvx2())
        return kAvx2;
#endif
    return kBaseline;
}

} // namespace

void ZnSplitSamples(const BYTE *samples, DWORD channels, DWORD width, BYTE *const *planes, DWORD step)
{
    static const Kernels &kernels = ChooseKernels();
    const bool colour = step == 1 && channels >= 3 && planes[0] && planes[1] && planes[2];
    if (colour && channels == 3) {
        kernels.Three(samples, width, planes[0], planes[1], planes[2]);
        return;
    }
    if (colour && channels == 4) {
        if (planes[3])
            kernels.Four(samples, width, planes[0], planes[1], planes[2], planes[3]);
        else
            kernels.FourDroppingLast(samples, width, planes[0], planes[1], planes[2]);
        return;
    }
    for (DWORD c = 0; c < channels; ++c) {
        BYTE *plane = planes[c];
        if (!plane)
            continue;
        for (size_t x = 0; x < width; ++x)
            plane[x * step] = samples[x * channels + c];
    }
}
