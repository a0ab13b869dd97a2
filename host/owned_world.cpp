#include "host/owned_world.h"

#include <stdexcept>
#include <utility>

OwnedWorld::OwnedWorld(A_long width, A_long height, PixelDepth depth, A_long rowPaddingBytes,
                       std::uint8_t fillByte) {
    const A_long pixelBytes = bytesPerPixel(depth);
    if (width < 0 || height < 0) throw std::invalid_argument("negative world size");
    // Padding that is not a whole number of pixels would misalign the 16-bit
    // channels of every row after the first.
    if (rowPaddingBytes < 0 || rowPaddingBytes % pixelBytes != 0)
        throw std::invalid_argument("row padding must be whole pixels");
    layer_.world_flags = PF_WorldFlag_WRITEABLE;
    if (depth == PixelDepth::Sixteen) layer_.world_flags |= PF_WorldFlag_DEEP;
    layer_.width = width;
    layer_.height = height;
    layer_.extent_hint = PF_Rect{0, 0, width, height};
    layer_.pix_aspect_ratio = PF_RationalScale{1, 1};
    if (width == 0 || height == 0) return;
    layer_.rowbytes = width * pixelBytes + rowPaddingBytes;
    bytes_.assign(std::size_t(layer_.rowbytes) * std::size_t(height), fillByte);
    layer_.data = reinterpret_cast<PF_PixelPtr>(bytes_.data());
}

// The pixel buffer moves with the vector, so the layer's data pointer stays
// valid; the moved-from world is left empty.
OwnedWorld::OwnedWorld(OwnedWorld &&other) noexcept
    : bytes_(std::move(other.bytes_)), layer_(other.layer_) {
    other.bytes_.clear();
    other.layer_ = PF_LayerDef{};
}

OwnedWorld &OwnedWorld::operator=(OwnedWorld &&other) noexcept {
    if (this != &other) {
        bytes_ = std::move(other.bytes_);
        layer_ = other.layer_;
        other.bytes_.clear();
        other.layer_ = PF_LayerDef{};
    }
    return *this;
}

void OwnedWorld::fill(const PF_Pixel &pixel) {
    for (A_long y = 0; y < height(); ++y)
        for (A_long x = 0; x < width(); ++x) *pixel8(x, y) = pixel;
}

void OwnedWorld::fill(const PF_Pixel16 &pixel) {
    for (A_long y = 0; y < height(); ++y)
        for (A_long x = 0; x < width(); ++x) *pixel16(x, y) = pixel;
}
