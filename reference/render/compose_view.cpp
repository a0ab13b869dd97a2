#include "reference/render/compose_view.h"

#include <algorithm>

#include "render/render_settings.h"

namespace reference {
namespace {

A_u_short saturatingAlpha(A_u_short inAlpha, A_u_short fillAmount) {
    return static_cast<A_u_short>(std::min<A_long>(FULL_SCALE, A_long{inAlpha} + fillAmount));
}

PF_Pixel16 withAlpha(PF_Pixel16 p, A_u_short alpha) {
    p.alpha = alpha;
    return p;
}

struct FillPixel {
    A_u_short amount;   // b, after the taper
    PF_Pixel16 colour;  // P, decontaminated
    PF_Pixel16 mask;
};

FillPixel prepareFillPixel(const ComposeSources &s, A_long x, A_long y) {
    FillPixel f;
    f.mask = *getPixel16(*s.redMask, x, y);
    f.amount = taperedFillAmount(f.mask);
    f.colour = decontaminatedPatchColour(*getPixel16(*s.patch, x, y), s.decontamColour, f.amount);
    return f;
}

PF_Pixel16 compositePixel(const ComposeSources &s, A_long x, A_long y) {
    const PF_Pixel16 in = readInputPixel16(s.input, x, y);
    const FillPixel f = prepareFillPixel(s, x, y);
    const A_u_short b = f.amount;
    if (b == 0) return in;
    if (b == FULL_SCALE || in.alpha >= BACKGROUND_ALPHA) {
        return withAlpha(avg2Pixel16Weighted(in, f.colour, in.alpha, b),
                         saturatingAlpha(in.alpha, b));
    }
    // Feathered fill that spilled onto the transparent background is dropped there.
    if (f.mask.red > 0) return withAlpha(f.colour, saturatingAlpha(in.alpha, b));
    return in;
}

PF_Pixel16 onlyChangesPixel(const ComposeSources &s, A_long x, A_long y) {
    const FillPixel f = prepareFillPixel(s, x, y);
    const A_u_short b = f.amount;
    if (b == 0) return TRANSPARENT_BLACK;
    if (b == FULL_SCALE) return withAlpha(f.colour, FULL_SCALE);
    if (readInputAlpha16(s.input, x, y) < BACKGROUND_ALPHA && f.mask.red == 0)
        return TRANSPARENT_BLACK;
    return withAlpha(f.colour, b);
}

PF_Pixel16 alphaViewPixel(const ComposeSources &s, A_long x, A_long y) {
    const A_u_short a = compositePixel(s, x, y).alpha;
    return PF_Pixel16{FULL_SCALE, a, a, a};
}

// The mask codes as colours; absorbed chaff carries blue above full scale.
PF_Pixel16 infoPixel(const ComposeSources &s, A_long x, A_long y) {
    const PF_Pixel16 m = *getPixel16(*s.redMask, x, y);
    auto clamp = [](A_u_short v) { return std::min(v, FULL_SCALE); };
    return PF_Pixel16{FULL_SCALE, clamp(m.red), clamp(m.green), clamp(m.blue)};
}

template <typename Within>
void writeView(const PF_LayerDef &output, const ComposeSources &s, A_long width, A_long height,
               const PF_Pixel16 &outside, Within within) {
    for (A_long y = 0; y < height; ++y) {
        for (A_long x = 0; x < width; ++x) {
            *getPixel16(output, x, y) = isWithinLimits(*s.limits, x, y) ? within(s, x, y) : outside;
        }
    }
}

}  // namespace

PF_Pixel16 decontaminatedPatchColour(const PF_Pixel16 &patch, const PF_Pixel16 &decontam,
                                     A_u_short fillAmount) {
    const float strength =
        std::min(1.0f, 0.5f + static_cast<float>(fillAmount) * (1.0f / FULL_SCALE));
    auto channel = [strength](A_u_short p, A_u_short d) {
        float v = static_cast<float>(p) - strength * (static_cast<float>(d) - 16384.0f);
        v = std::clamp(v, 0.0f, static_cast<float>(FULL_SCALE));
        return static_cast<A_u_short>(static_cast<A_long>(v));
    };
    return PF_Pixel16{patch.alpha, channel(patch.red, decontam.red),
                      channel(patch.green, decontam.green), channel(patch.blue, decontam.blue)};
}

void compose_OutputView(const PF_LayerDef &output, const ComposeSources &s, A_long viewMode,
                        A_long width, A_long height) {
    switch (viewMode) {
        case VIEW_SHOW_ONLY_CHANGES:
            writeView(output, s, width, height, TRANSPARENT_BLACK, onlyChangesPixel);
            break;
        case VIEW_SHOW_ALPHA:
            writeView(output, s, width, height, OPAQUE_BLACK, alphaViewPixel);
            break;
        case VIEW_SHOW_INFO:
            writeView(output, s, width, height, OPAQUE_BLUE, infoPixel);
            break;
        default:
            writeView(output, s, width, height, TRANSPARENT_BLACK, compositePixel);
            break;
    }
}

}  // namespace reference
