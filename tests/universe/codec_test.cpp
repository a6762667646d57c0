#include "starsxy.h"

#include <gtest/gtest.h>

TEST(Codec, BitHelpers)
{
    struct Row {
        uint32_t value;
        int pos, count;
        uint32_t extracted;
    };
    const Row rows[] = {
        {0x01D2C005u, 0, 10, 5},       {0x01D2C005u, 10, 12, 1200}, {0x01D2C005u, 22, 10, 7},
        {0xFFFFFFFFu, 0, 32, 0xFFFFFFFFu}, {0x80000000u, 31, 1, 1},  {0x2010u, 10, 6, 8},
    };
    for (const Row &r : rows)
        EXPECT_EQ(ExtractBits(r.value, r.pos, r.count), r.extracted) << r.pos << "," << r.count;

    EXPECT_EQ(InsertBits(0xFFFFFFFFu, 10, 12, 0), 0xFFC003FFu);
    EXPECT_EQ(InsertBits(0, 0, 10, 1024 + 5), 5u); // bits above the width are dropped
    EXPECT_EQ(InsertBits(0, 0, 32, 0xDEADBEEFu), 0xDEADBEEFu);
    const uint8_t bytes[] = {0x05, 0xC0, 0xD2, 0x01};
    EXPECT_EQ(ReadBits(bytes, 10, 12, 4), 1200u);
    EXPECT_EQ(ReadBits(bytes, 0, 16, 2), 0xC005u);
}

TEST(Codec, PlanetWordExampleRoundTrips)
{
    // X delta 5, Y 1200, name id 7: the bytes 05 C0 D2 01.
    const uint8_t bytes[] = {0x05, 0xC0, 0xD2, 0x01};
    const TStarRec rec = UnpackPlanet(bytes);
    EXPECT_EQ(rec, (TStarRec{5, 1200, 7}));
    EXPECT_EQ(PackPlanet(rec), 0x01D2C005u);
    // Each field is cut to its width.
    EXPECT_EQ(PackPlanet({1023 + 1024, 4095 + 4096, 1023 + 1024}), 0xFFFFFFFFu);
}

TEST(Codec, Headers)
{
    const uint8_t first[] = {0x10, 0x20};
    EXPECT_EQ(ReadBlockHeader(first).Size, 16);
    EXPECT_EQ(ReadBlockHeader(first).Type, 8);
    const uint8_t last[] = {0x02, 0x00};
    EXPECT_EQ(ReadBlockHeader(last).Size, 2);
    EXPECT_EQ(ReadBlockHeader(last).Type, 0);

    const uint8_t body[16] = {'J', '3', 'J', '3', 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF,
                              0x34, 0x12, 0x21, 0x00, 0x05, 0xFF};
    const TFileHeader h = ReadFileHeader(body);
    EXPECT_EQ(h.MagicText(), QByteArray("J3J3"));
    EXPECT_EQ(h.Magic[0], 4);
    EXPECT_EQ(h.Value4, 0x12345678u);
    EXPECT_EQ(h.W8Bits0, 31);
    EXPECT_EQ(h.W8Bits5, 127);
    EXPECT_EQ(h.W8Bits12, 15);
    EXPECT_EQ(h.Value10, 0x1234);
    EXPECT_EQ(h.W12Bits0, 1);
    EXPECT_EQ(h.W12Bits5, 1);
    EXPECT_EQ(h.FileType, 5);
    EXPECT_EQ(h.Flag8 + h.Flag9 + h.Flag10 + h.Flag11 + h.Flag12, 5);
    EXPECT_EQ(h.W14Bits13, 7);
}
