#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The error of the bit set: a size below 0, an index outside 0..maxIndex, or a missing or
// differently sized other set.
class EStContainerError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Population counts of 64-bit words. The processor's population-count instruction is used where it
// has one (checked once at run time), else a portable count; both give the same numbers.
namespace bitcount {
// The number of one bits in words[0..count).
std::int64_t countBits(const std::uint64_t* words, std::size_t count);
// The number of one bits in (a[k] AND b[k]) over k in 0..count-1.
std::int64_t countBitsAnd(const std::uint64_t* a, const std::uint64_t* b, std::size_t count);
// Whether the instruction is used.
bool hardwareCount();
// The two paths themselves, for tests. The hardware one requires hardwareCount().
std::int64_t countBitsPortable(const std::uint64_t* words, std::size_t count);
std::int64_t countBitsHardware(const std::uint64_t* words, std::size_t count);
std::int64_t countBitsAndPortable(const std::uint64_t* a, const std::uint64_t* b,
                                  std::size_t count);
std::int64_t countBitsAndHardware(const std::uint64_t* a, const std::uint64_t* b,
                                  std::size_t count);
}  // namespace bitcount

// The counting part of the container family: the number of items held.
class TStContainer {
  public:
    virtual ~TStContainer() = default;
    // The number of items (for a bit set: the bits that are on).
    int32_t count() const { return m_count; }
    // Empties the container.
    virtual void clearAll() = 0;

  protected:
    int32_t m_count = 0;
};

// A fixed-size set of bits 0..maxIndex with a maintained count of the bits that are on. Bit n is
// bit (n mod 8) of byte (n div 8), least significant first; the bits of the last byte above
// maxIndex are spare: they may be on after setAll and copyFrom but are never read or counted.
// The buffer is stored in 64-bit words; its byte layout is the little-endian view of them.
class TStBits : public TStContainer {
  public:
    // A set of the bits 0..maxIndex, all off; with `withBuffer` false, a set that holds no bits
    // yet (see hasBuffer). Throws EStContainerError when maxIndex < 0.
    explicit TStBits(int32_t maxIndex, bool withBuffer = true);

    // The highest bit index.
    int32_t maxIndex() const { return m_maxIndex; }
    // The number of bits that are on.
    int32_t bitCount() const { return m_count; }
    // The size of the buffer in bytes: (maxIndex + 8) div 8.
    int32_t bufferSize() const { return (m_maxIndex + 8) / 8; }
    // Byte k of the buffer, spare bits included. Requires: 0 <= k < bufferSize().
    uint8_t byteAt(int32_t k) const;

    // All bits off.
    void clearAll() override;
    // Every bit of the buffer on, spare bits included; bitCount = maxIndex + 1.
    void setAll();
    // Turns bit n on. Throws EStContainerError when n is outside 0..maxIndex.
    void setBit(int32_t n);
    // Whether bit n is on. Throws EStContainerError when n is outside 0..maxIndex.
    bool isBitSet(int32_t n) const;
    // Bit n without the range check. Requires: 0 <= n <= maxIndex.
    bool testBit(int32_t n) const { return (m_words[n >> 6] >> (n & 63)) & 1; }

    // This set AND other. Throws EStContainerError (nothing changed) unless other has the same
    // maxIndex.
    void andWith(const TStBits* other);
    // This set OR other, with the same condition.
    void orWith(const TStBits* other);
    // A copy of other's buffer and count, with the same condition.
    void copyFrom(const TStBits* other);

    // The number of bits on in both this set and other, without building a set.
    // Throws EStContainerError unless other has the same maxIndex.
    int32_t countAnd(const TStBits* other) const;

    // Turns on the bits of `bits` in word k (bits 64k .. 64k+63) without counting them, for filling
    // many sets in one pass; recountBits() makes the count right again. Requires: k below the
    // number of words and no bit above maxIndex.
    void orWordUncounted(size_t k, uint64_t bits) { m_words[k] |= bits; }
    // Counts the bits that are on anew (after orWordUncounted).
    void recountBits() { recount(); }

    // The raw words, for fast combined counts by the statistics. Empty without a buffer.
    const std::vector<uint64_t>& words() const { return m_words; }

    // Whether the set holds its bits. A set without them knows only its count: the operations
    // that read or change bits throw EStContainerError on it (testBit and orWordUncounted,
    // which check nothing, require a buffer), except clearAll and setAll, which give it one.
    // Large tables keep the bits of most sets only while they are used.
    bool hasBuffer() const { return !m_words.empty(); }
    // Gives a set without its bits a buffer with every bit off and count 0, to be filled with
    // orWordUncounted and recountBits; nothing for a set that has one.
    void allocateBuffer();
    // Frees the bits; the count stays what it was.
    void releaseBuffer();
    // The count of a set without its bits, known from elsewhere. Requires !hasBuffer().
    void setCountWithoutBuffer(int32_t count) { m_count = count; }
    // The bytes of a buffer of a set of this size.
    size_t bufferBytes() const { return (static_cast<size_t>(m_maxIndex) / 64 + 1) * 8; }

  private:
    void checkIndex(int32_t n) const;
    void checkBuffer(const char* operation) const;
    void checkCompatible(const TStBits* other, const char* operation) const;
    // Clears the spare bits and counts the bits that are on.
    void recount();

    int32_t m_maxIndex;
    std::vector<uint64_t> m_words;
};
