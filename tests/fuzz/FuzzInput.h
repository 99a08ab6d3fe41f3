// A small reader over a fuzz input: bytes, flags and integers taken from the
// front, the rest as text. Running out yields zeros, so every input is usable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zelk::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    size_t left() const { return size_ - pos_; }

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t word()
    {
        const uint16_t hi = byte();
        return static_cast<uint16_t>(hi << 8 | byte());
    }
    bool flag() { return (byte() & 1) != 0; }

    // The next n bytes (fewer at the end) as text.
    std::string_view text(size_t n)
    {
        if (n > left())
            n = left();
        std::string_view s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    std::string_view rest() { return text(left()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A property that must hold for every input; a broken one stops the run
// like a crash, so the fuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

} // namespace zelk::fuzz
