#include "core/StBits.h"

#include <bit>

TStBits::TStBits(int32_t maxIndex) : m_maxIndex(maxIndex) {
    if (maxIndex < 0) {
        throw EStContainerError("Bit set size error: the highest bit index " +
                                std::to_string(maxIndex) +
                                " is below 0 (a record set needs at least one record)");
    }
    m_words.assign(static_cast<size_t>(maxIndex) / 64 + 1, 0);
    clearAll();
}

uint8_t TStBits::byteAt(int32_t k) const {
    return static_cast<uint8_t>(m_words[k / 8] >> (8 * (k % 8)));
}

void TStBits::clearAll() {
    std::fill(m_words.begin(), m_words.end(), 0);
    m_count = 0;
}

void TStBits::setAll() {
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
}

void TStBits::setBit(int32_t n) {
    checkIndex(n);
    uint64_t& word = m_words[n >> 6];
    const uint64_t mask = uint64_t{1} << (n & 63);
    if ((word & mask) == 0) {
        word |= mask;
        ++m_count;
    }
}

bool TStBits::isBitSet(int32_t n) const {
    checkIndex(n);
    return testBit(n);
}

void TStBits::recount() {
    const int32_t usedBits = (m_maxIndex % 64) + 1;
    if (usedBits < 64) m_words.back() &= (uint64_t{1} << usedBits) - 1;
    int32_t total = 0;
    for (uint64_t word : m_words)
        total += std::popcount(word);
    m_count = total;
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
    int32_t total = 0;
    for (size_t k = 0; k < last; ++k)
        total += std::popcount(m_words[k] & other->m_words[k]);
    const int32_t usedBits = (m_maxIndex % 64) + 1;
    const uint64_t mask = usedBits < 64 ? (uint64_t{1} << usedBits) - 1 : ~uint64_t{0};
    total += std::popcount(m_words[last] & other->m_words[last] & mask);
    return total;
}
