// The universe every benchmark works on: 999 stars spread over a Huge map,
// x rising by 2 from star to star, y at random; built in memory.
#pragma once

#include "random.h"

#include <QByteArray>
#include <cstdint>

inline QByteArray HugeImage()
{
    QByteArray image;
    auto put16 = [&](uint16_t v) {
        image.append(char(v & 0xFF));
        image.append(char(v >> 8));
    };
    put16(0x2010);                   // first block: type 8, size 16
    image.append("J3J3", 4);
    image.append(QByteArray(12, '\0'));
    put16(uint16_t((7 << 10) | 64)); // planets block with a 64-byte body
    image.append(QByteArray(64, char(0x5A)));
    TRandom r;
    for (int i = 0; i < 999; ++i) {
        const uint32_t delta = i == 0 ? 0 : 2;
        const uint32_t y = 1000 + r.RandomInt(1999);
        const uint32_t word = delta | (y << 10) | (uint32_t(i) << 22);
        put16(uint16_t(word & 0xFFFF));
        put16(uint16_t(word >> 16));
    }
    put16(0x0002); // last block, then the player count
    put16(8);
    return image;
}
