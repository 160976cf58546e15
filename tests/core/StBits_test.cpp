#include "core/StBits.h"

#include <gtest/gtest.h>

TEST(StBits, OneBitSetAndIndexErrors) {
    TStBits bits(0);
    EXPECT_EQ(bits.bufferSize(), 1);
    bits.setAll();
    EXPECT_EQ(bits.bitCount(), 1);
    EXPECT_TRUE(bits.isBitSet(0));
    EXPECT_THROW(bits.isBitSet(1), EStContainerError);
    EXPECT_THROW(bits.setBit(-1), EStContainerError);
    EXPECT_THROW(TStBits(-1), EStContainerError);
}

TEST(StBits, SpareBitsAreNeverCounted) {
    TStBits bits(9);
    EXPECT_EQ(bits.bufferSize(), 2);
    bits.setAll();
    EXPECT_EQ(bits.byteAt(1), 0xFF);  // spare bits 10..15 are on after setAll
    TStBits other(9);
    other.setBit(3);
    other.setBit(9);
    EXPECT_EQ(bits.countAnd(&other), 2);
    bits.andWith(&other);
    EXPECT_EQ(bits.bitCount(), 2);
    EXPECT_EQ(bits.byteAt(1), 0x02);

    TStBits all(9);
    all.setAll();
    TStBits copy(9);
    copy.copyFrom(&all);
    EXPECT_EQ(copy.bitCount(), 10);
    EXPECT_EQ(copy.countAnd(&all), 10);  // the spare bits of both are masked
    copy.orWith(&other);
    EXPECT_EQ(copy.bitCount(), 10);
}

TEST(StBits, SetBitCountsOnce) {
    TStBits bits(100);
    bits.setBit(64);
    bits.setBit(64);
    EXPECT_EQ(bits.bitCount(), 1);
    EXPECT_EQ(bits.byteAt(8), 0x01);
    bits.clearAll();
    EXPECT_EQ(bits.bitCount(), 0);
    EXPECT_FALSE(bits.isBitSet(64));
}

TEST(StBits, IncompatibleSetsChangeNothing) {
    TStBits bits(10);
    bits.setBit(2);
    TStBits other(11);
    other.setAll();
    EXPECT_THROW(bits.andWith(&other), EStContainerError);
    EXPECT_THROW(bits.orWith(&other), EStContainerError);
    EXPECT_THROW(bits.copyFrom(&other), EStContainerError);
    EXPECT_THROW(bits.andWith(nullptr), EStContainerError);
    EXPECT_EQ(bits.bitCount(), 1);
    EXPECT_TRUE(bits.isBitSet(2));
}

TEST(StBits, OperationsAgreeWithAPlainModelAcrossWordBoundaries) {
    for (int maxIndex : {62, 63, 64, 127, 200}) {
        TStBits a(maxIndex), b(maxIndex);
        std::vector<bool> ma(maxIndex + 1), mb(maxIndex + 1);
        for (int n = 0; n <= maxIndex; ++n) {
            if (n % 3 == 0) a.setBit(n), ma[n] = true;
            if (n % 5 == 0 || n == maxIndex) b.setBit(n), mb[n] = true;
        }
        int both = 0, either = 0;
        for (int n = 0; n <= maxIndex; ++n)
            both += ma[n] && mb[n], either += ma[n] || mb[n];
        EXPECT_EQ(a.countAnd(&b), both);
        TStBits c(maxIndex);
        c.copyFrom(&a);
        c.orWith(&b);
        EXPECT_EQ(c.bitCount(), either);
        a.andWith(&b);
        EXPECT_EQ(a.bitCount(), both);
        for (int n = 0; n <= maxIndex; ++n)
            EXPECT_EQ(a.isBitSet(n), ma[n] && mb[n]);
    }
}

// The population-count instruction and the portable count agree on every kind of word, and the
// counts of the bit sets go through whichever the processor has.
TEST(StBits, HardwareAndPortableCountsAgree) {
    std::vector<std::uint64_t> a = {0,
                                    ~std::uint64_t{0},
                                    1,
                                    std::uint64_t{1} << 63,
                                    0x5555555555555555ULL,
                                    0x8000000000000001ULL};
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (int k = 0; k < 1000; ++k) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        a.push_back(state ^ (state >> 29));
    }
    std::vector<std::uint64_t> b(a.rbegin(), a.rend());
    std::int64_t expected = 0;
    std::int64_t expectedAnd = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        for (int bit = 0; bit < 64; ++bit) {
            expected += (a[k] >> bit) & 1;
            expectedAnd += ((a[k] & b[k]) >> bit) & 1;
        }
    }
    EXPECT_EQ(bitcount::countBitsPortable(a.data(), a.size()), expected);
    EXPECT_EQ(bitcount::countBitsAndPortable(a.data(), b.data(), a.size()), expectedAnd);
    EXPECT_EQ(bitcount::countBits(a.data(), a.size()), expected);
    EXPECT_EQ(bitcount::countBitsAnd(a.data(), b.data(), a.size()), expectedAnd);
    EXPECT_EQ(bitcount::countBits(a.data(), 0), 0);
    if (bitcount::hardwareCount()) {
        EXPECT_EQ(bitcount::countBitsHardware(a.data(), a.size()), expected);
        EXPECT_EQ(bitcount::countBitsAndHardware(a.data(), b.data(), a.size()), expectedAnd);
    }
}
