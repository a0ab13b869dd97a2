// An image that owns its pixels, with a PF_LayerDef that views them: the
// worlds the host hands out from new_world, and the input and output layers
// that tests and the renderer pass to a render.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "api/effect_api.h"

enum class PixelDepth { Eight, Sixteen };

inline constexpr A_long bytesPerPixel(PixelDepth depth) {
    return depth == PixelDepth::Sixteen ? A_long(sizeof(PF_Pixel16)) : A_long(sizeof(PF_Pixel));
}

// What a new world's memory holds at first. Zeros cost nothing on memory
// fresh from the system, which is zero already; left as it is, pages the
// effect never touches are never faulted in.
enum class WorldStart { Zeros, Unset };

class OwnedWorld {
  public:
    // A world without pixels (data null, size 0).
    OwnedWorld() = default;
    // rowPaddingBytes are added to every row, so rowbytes exceeds width times
    // the pixel size; it must keep rows aligned to the pixel size. Every byte,
    // padding included, starts as fillByte. Throws std::invalid_argument on a
    // negative size or a padding that would misalign rows, std::bad_alloc
    // when the memory is not there.
    OwnedWorld(A_long width, A_long height, PixelDepth depth, A_long rowPaddingBytes = 0,
               std::uint8_t fillByte = 0);
    // The same, with memory that starts as `start` says.
    OwnedWorld(A_long width, A_long height, PixelDepth depth, A_long rowPaddingBytes,
               WorldStart start);

    OwnedWorld(OwnedWorld &&other) noexcept;
    OwnedWorld &operator=(OwnedWorld &&other) noexcept;
    OwnedWorld(const OwnedWorld &) = delete;
    OwnedWorld &operator=(const OwnedWorld &) = delete;

    PF_LayerDef &layer() { return layer_; }
    const PF_LayerDef &layer() const { return layer_; }

    A_long width() const { return layer_.width; }
    A_long height() const { return layer_.height; }
    A_long rowbytes() const { return layer_.rowbytes; }
    bool deep() const { return (layer_.world_flags & PF_WorldFlag_DEEP) != 0; }
    std::size_t byteCount() const { return byteCount_; }

    // No bounds checks, like the effect's own accessors.
    PF_Pixel *pixel8(A_long x, A_long y) { return reinterpret_cast<PF_Pixel *>(row(y)) + x; }
    const PF_Pixel *pixel8(A_long x, A_long y) const {
        return reinterpret_cast<const PF_Pixel *>(row(y)) + x;
    }
    PF_Pixel16 *pixel16(A_long x, A_long y) { return reinterpret_cast<PF_Pixel16 *>(row(y)) + x; }
    const PF_Pixel16 *pixel16(A_long x, A_long y) const {
        return reinterpret_cast<const PF_Pixel16 *>(row(y)) + x;
    }
    std::uint8_t *row(A_long y) { return bytes_.get() + std::size_t(y) * layer_.rowbytes; }
    const std::uint8_t *row(A_long y) const {
        return bytes_.get() + std::size_t(y) * layer_.rowbytes;
    }

    // Sets every pixel (not the row padding) to one value.
    void fill(const PF_Pixel &pixel);
    void fill(const PF_Pixel16 &pixel);
    // Sets every byte, row padding included.
    void fillBytes(std::uint8_t byte) {
        if (byteCount_ > 0) std::memset(bytes_.get(), byte, byteCount_);
    }

  private:
    struct FreeBytes {
        void operator()(std::uint8_t *bytes) const { std::free(bytes); }
    };
    // malloc and calloc rather than a vector, which would write every byte.
    std::unique_ptr<std::uint8_t, FreeBytes> bytes_;
    std::size_t byteCount_ = 0;
    PF_LayerDef layer_{};
};
