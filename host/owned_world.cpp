#include "host/owned_world.h"

#include <new>
#include <stdexcept>
#include <utility>

OwnedWorld::OwnedWorld(A_long width, A_long height, PixelDepth depth, A_long rowPaddingBytes,
                       std::uint8_t fillByte)
    : OwnedWorld(width, height, depth, rowPaddingBytes,
                 fillByte == 0 ? WorldStart::Zeros : WorldStart::Unset) {
    if (fillByte != 0) fillBytes(fillByte);
}

OwnedWorld::OwnedWorld(A_long width, A_long height, PixelDepth depth, A_long rowPaddingBytes,
                       WorldStart start) {
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
    const std::size_t count = std::size_t(layer_.rowbytes) * std::size_t(height);
    void *bytes = start == WorldStart::Zeros ? std::calloc(count, 1) : std::malloc(count);
    if (bytes == nullptr) throw std::bad_alloc();
    bytes_.reset(static_cast<std::uint8_t *>(bytes));
    byteCount_ = count;
    layer_.data = reinterpret_cast<PF_PixelPtr>(bytes_.get());
}

// The pixel buffer moves with its owner, so the layer's data pointer stays
// valid; the moved-from world is left empty.
OwnedWorld::OwnedWorld(OwnedWorld &&other) noexcept
    : bytes_(std::move(other.bytes_)), byteCount_(other.byteCount_), layer_(other.layer_) {
    other.byteCount_ = 0;
    other.layer_ = PF_LayerDef{};
}

OwnedWorld &OwnedWorld::operator=(OwnedWorld &&other) noexcept {
    if (this != &other) {
        bytes_ = std::move(other.bytes_);
        byteCount_ = other.byteCount_;
        layer_ = other.layer_;
        other.byteCount_ = 0;
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
