// Reads a fuzzer's bytes as the choices of one case. Every read succeeds:
// once the bytes run out each read gives 0, so any input, the empty one
// included, decodes to a valid case.
#pragma once

#include <cstddef>
#include <cstdint>

class FuzzBytes {
  public:
    FuzzBytes(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return used_ < size_ ? data_[used_++] : 0; }

    std::uint16_t u16() { return std::uint16_t(byte() | (byte() << 8)); }

    std::uint32_t u32() { return std::uint32_t(u16()) | (std::uint32_t(u16()) << 16); }

    bool flag() { return (byte() & 1) != 0; }

    // A value in lo..hi, both inclusive (lo <= hi).
    std::int64_t pick(std::int64_t lo, std::int64_t hi) {
        const std::uint64_t span = std::uint64_t(hi - lo) + 1;
        return lo + std::int64_t(u32() % span);
    }

    // One of the n entries of a table.
    template <typename T, std::size_t N>
    const T &choose(const T (&table)[N]) {
        return table[byte() % N];
    }

    // The bytes not read yet; reading stops here.
    const std::uint8_t *rest(std::size_t &count) {
        const std::uint8_t *start = data_ + used_;
        count = size_ - used_;
        used_ = size_;
        return start;
    }

  private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t used_ = 0;
};
