// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Little-endian 16-bit values, the only unit of the binary data files. Readers never go past the
// end of their bytes: a value that is not there reads as 0 and leaves the reader at the end, so a
// caller that checks Has() first never sees one.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZapModule {

class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size, size_t position = 0)
        : data_(data), size_(size), position_(position < size ? position : size) {}
    explicit ByteReader(const std::vector<uint8_t>& bytes, size_t position = 0)
        : ByteReader(bytes.data(), bytes.size(), position) {}

    // Whether `count` more 16-bit values lie before the end.
    bool Has(size_t count) const { return count <= (size_ - position_) / 2; }
    int16_t Read16() {
        if (!Has(1)) {
            position_ = size_;
            return 0;
        }
        const auto value = static_cast<uint16_t>(data_[position_] | (data_[position_ + 1] << 8));
        position_ += 2;
        return static_cast<int16_t>(value);
    }
    // Moves past `count` values, or to the end when fewer are left.
    void Skip16(size_t count) {
        if (Has(count)) {
            position_ += 2 * count;
        } else {
            position_ = size_;
        }
    }
    size_t Position() const { return position_; }
    size_t Remaining() const { return size_ - position_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_;
};

inline void Append16(std::vector<uint8_t>& out, int16_t value) {
    const auto bits = static_cast<uint16_t>(value);
    out.push_back(static_cast<uint8_t>(bits & 0xFF));
    out.push_back(static_cast<uint8_t>(bits >> 8));
}

// A score or level too large for the file's 16 bits keeps the nearest value that fits.
inline int16_t Saturate16(int32_t value) {
    if (value > INT16_MAX) return INT16_MAX;
    if (value < INT16_MIN) return INT16_MIN;
    return static_cast<int16_t>(value);
}

}  // namespace ZapModule
