#include "core/StBits.h"

#include <bit>

// The core is built for baseline x86-64, where std::popcount is a sequence of shifts and masks.
// The hardware path is compiled for the population-count instruction and chosen when the processor
// reports it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TAV_POPCNT_TARGET __attribute__((target("popcnt")))
#define TAV_HAVE_POPCNT_PATH 1
#else
#define TAV_POPCNT_TARGET
#define TAV_HAVE_POPCNT_PATH 0
#endif

namespace bitcount {

std::int64_t countBitsPortable(const std::uint64_t* words, std::size_t count) {
    std::int64_t total = 0;
    for (std::size_t k = 0; k < count; ++k)
        total += std::popcount(words[k]);
    return total;
}

std::int64_t countBitsAndPortable(const std::uint64_t* a, const std::uint64_t* b,
                                  std::size_t count) {
    std::int64_t total = 0;
    for (std::size_t k = 0; k < count; ++k)
        total += std::popcount(a[k] & b[k]);
    return total;
}

TAV_POPCNT_TARGET std::int64_t countBitsHardware(const std::uint64_t* words, std::size_t count) {
    std::int64_t total = 0;
    for (std::size_t k = 0; k < count; ++k)
        total += __builtin_popcountll(words[k]);
    return total;
}

TAV_POPCNT_TARGET std::int64_t countBitsAndHardware(const std::uint64_t* a, const std::uint64_t* b,
                                                    std::size_t count) {
    std::int64_t total = 0;
    for (std::size_t k = 0; k < count; ++k)
        total += __builtin_popcountll(a[k] & b[k]);
    return total;
}

bool hardwareCount() {
#if TAV_HAVE_POPCNT_PATH
    static const bool available = __builtin_cpu_supports("popcnt");
    return available;
#else
    return false;
#endif
}

std::int64_t countBits(const std::uint64_t* words, std::size_t count) {
    return hardwareCount() ? countBitsHardware(words, count) : countBitsPortable(words, count);
}

std::int64_t countBitsAnd(const std::uint64_t* a, const std::uint64_t* b, std::size_t count) {
    return hardwareCount() ? countBitsAndHardware(a, b, count) : countBitsAndPortable(a, b, count);
}

}  // namespace bitcount

TStBits::TStBits(int32_t maxIndex, bool withBuffer) : m_maxIndex(maxIndex) {
    if (maxIndex < 0) {
        throw EStContainerError("Bit set size error: the highest bit index " +
                                std::to_string(maxIndex) +
                                " is below 0 (a record set needs at least one record)");
    }
    if (withBuffer) m_words.assign(static_cast<size_t>(maxIndex) / 64 + 1, 0);
    m_count = 0;
}

void TStBits::allocateBuffer() {
    if (hasBuffer()) return;
    m_words.assign(static_cast<size_t>(m_maxIndex) / 64 + 1, 0);
    m_count = 0;
}

void TStBits::releaseBuffer() {
    std::vector<uint64_t>().swap(m_words);
}

void TStBits::checkBuffer(const char* operation) const {
    if (!hasBuffer()) {
        throw EStContainerError(std::string("Bit set ") + operation +
                                ": the set does not hold its records now");
    }
}

uint8_t TStBits::byteAt(int32_t k) const {
    checkBuffer("byte");
    return static_cast<uint8_t>(m_words[k / 8] >> (8 * (k % 8)));
}

void TStBits::clearAll() {
    allocateBuffer();
    std::fill(m_words.begin(), m_words.end(), 0);
    m_count = 0;
}

void TStBits::setAll() {
    allocateBuffer();
    // Whole bytes of the buffer are set; bytes beyond it in the last word stay 0.
    std::fill(m_words.begin(), m_words.end(), ~uint64_t{0});
    const int32_t bytesInLastWord = bufferSize() - 8 * (static_cast<int32_t>(m_words.size()) - 1);
    if (bytesInLastWord < 8) m_words.back() = (uint64_t{1} << (8 * bytesInLastWord)) - 1;
    m_count = m_maxIndex + 1;
}

void TStBits::checkIndex(int32_t n) const {
    if (n < 0 || n > m_maxIndex) {
        throw EStContainerError("Bit index " + std::to_string(n) + " is outside 0.." +
                                std::to_string(m_maxIndex));
    }
}

void TStBits::checkCompatible(const TStBits* other, const char* operation) const {
    if (other == nullptr) {
        throw EStContainerError(std::string("Bit set ") + operation + ": the other set is missing");
    }
    if (other->m_maxIndex != m_maxIndex) {
        throw EStContainerError(
            std::string("Bit set ") + operation + ": incompatible sets (highest indexes " +
            std::to_string(m_maxIndex) + " and " + std::to_string(other->m_maxIndex) + ")");
    }
    checkBuffer(operation);
    other->checkBuffer(operation);
}

void TStBits::setBit(int32_t n) {
    checkIndex(n);
    checkBuffer("set");
    uint64_t& word = m_words[n >> 6];
    const uint64_t mask = uint64_t{1} << (n & 63);
    if ((word & mask) == 0) {
        word |= mask;
        ++m_count;
    }
}

bool TStBits::isBitSet(int32_t n) const {
    checkIndex(n);
    checkBuffer("test");
    return testBit(n);
}

void TStBits::recount() {
    if (!hasBuffer()) return;
    const int32_t usedBits = (m_maxIndex % 64) + 1;
    if (usedBits < 64) m_words.back() &= (uint64_t{1} << usedBits) - 1;
    m_count = static_cast<int32_t>(bitcount::countBits(m_words.data(), m_words.size()));
}

void TStBits::andWith(const TStBits* other) {
    checkCompatible(other, "AND");
    for (size_t k = 0; k < m_words.size(); ++k)
        m_words[k] &= other->m_words[k];
    recount();
}

void TStBits::orWith(const TStBits* other) {
    checkCompatible(other, "OR");
    for (size_t k = 0; k < m_words.size(); ++k)
        m_words[k] |= other->m_words[k];
    recount();
}

void TStBits::copyFrom(const TStBits* other) {
    checkCompatible(other, "copy");
    m_words = other->m_words;
    m_count = other->m_count;
}

int32_t TStBits::countAnd(const TStBits* other) const {
    checkCompatible(other, "count");
    // Spare bits may be on in both after setAll, so the last word is masked.
    const size_t last = m_words.size() - 1;
    int32_t total =
        static_cast<int32_t>(bitcount::countBitsAnd(m_words.data(), other->m_words.data(), last));
    const int32_t usedBits = (m_maxIndex % 64) + 1;
    const uint64_t mask = usedBits < 64 ? (uint64_t{1} << usedBits) - 1 : ~uint64_t{0};
    total += std::popcount(m_words[last] & other->m_words[last] & mask);
    return total;
}
