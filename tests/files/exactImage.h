// File images for the format tests, each in a heap block of exactly its size.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// A vector may keep spare capacity behind its last byte, where a read past the end goes
// unnoticed; a block of exactly the image's size makes the address sanitizer report it.
class ExactImage {
  public:
    explicit ExactImage(const std::vector<uint8_t>& image)
        : bytes_(new uint8_t[image.size()]), size_(image.size()) {
        if (size_) std::memcpy(bytes_.get(), image.data(), size_);
    }
    // The first size bytes only, as a file cut short would arrive.
    ExactImage(const std::vector<uint8_t>& image, size_t size)
        : ExactImage(std::vector<uint8_t>(image.begin(), image.begin() + size)) {}

    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    // Whether [p, p + n) lies inside the image.
    bool holds(const void* p, size_t n) const {
        const uintptr_t at = reinterpret_cast<uintptr_t>(p);
        const uintptr_t start = reinterpret_cast<uintptr_t>(data());
        return at >= start && n <= size_ && at - start <= size_ - n;
    }
    size_t offsetOf(const void* p) const { return size_t(static_cast<const uint8_t*>(p) - data()); }

  private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_;
};

// A copy of image with the 32-bit little-endian field at offset set to value.
inline std::vector<uint8_t> withField(std::vector<uint8_t> image, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        image[offset + i] = uint8_t(value >> 8 * i);
    return image;
}
