// Writes the demo universe that lies beside the program, so that Zorvane can
// be tried without creating a game first:
//
//     zv_make_demo <file.xy>
//
// The universe is made from scratch by this tool: a Medium universe of 300
// planets with distinct names and 4 players. It is always the same file: the
// tool draws from its own generator with a fixed seed. After writing, the file
// is read back through TStarsXY and checked; any difference ends the tool
// with a message and exit code 1 (2 for a wrong command line).
#include "messages.h"
#include "random.h"
#include "starsxy.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int PlanetCount = 300;
constexpr int PlayerCount = 4;
constexpr uint32_t Seed = 20260301;
// Both axes span a Medium universe: X and Y from 1000 to 2198.
constexpr uint32_t Low = 1000;
constexpr uint32_t High = 2198;
constexpr uint32_t Spacing = 3; // no two planets closer on both axes
constexpr int NameCount = 999;  // ids 0..998 of the planet name table
// The game encrypts the body of the planets block; we do not interpret it,
// and Zorvane carries it through unchanged. Here it is 64 arbitrary bytes.
constexpr int PlanetsBodySize = 64;
constexpr int ExpectedSizeIndex = 2; // "Medium"

struct TPlanet {
    uint32_t X, Y, NameId;
};

[[noreturn]] void Fail(const std::string &Message) { throw std::runtime_error(Message); }

std::vector<TPlanet> MakePlanets(TRandom &Random)
{
    // Distinct names: the first PlanetCount ids of a shuffled table.
    std::vector<uint32_t> ids(NameCount);
    std::iota(ids.begin(), ids.end(), 0u);
    for (uint32_t i = NameCount - 1; i > 0; --i)
        std::swap(ids[i], ids[Random.RandomInt(i + 1)]);

    std::vector<TPlanet> planets;
    while (static_cast<int>(planets.size()) < PlanetCount) {
        const uint32_t x = Low + Random.RandomInt(High - Low + 1);
        const uint32_t y = Low + Random.RandomInt(High - Low + 1);
        const bool crowded = std::any_of(planets.begin(), planets.end(), [&](const TPlanet &p) {
            return (p.X > x ? p.X - x : x - p.X) < Spacing && (p.Y > y ? p.Y - y : y - p.Y) < Spacing;
        });
        if (!crowded)
            planets.push_back({x, y, ids[planets.size()]});
    }
    // The file lists the planets by X, then Y.
    std::sort(planets.begin(), planets.end(),
              [](const TPlanet &a, const TPlanet &b) { return a.X < b.X || (a.X == b.X && a.Y < b.Y); });
    return planets;
}

void Put16(QByteArray &Image, uint32_t Value)
{
    Image.append(char(Value & 0xFF));
    Image.append(char((Value >> 8) & 0xFF));
}

void Put32(QByteArray &Image, uint32_t Value)
{
    Put16(Image, Value & 0xFFFF);
    Put16(Image, Value >> 16);
}

uint32_t BlockHeader(uint32_t Type, uint32_t Size) { return (Type << 10) | Size; }

QByteArray MakeImage(const std::vector<TPlanet> &Planets, TRandom &Random)
{
    QByteArray image;
    // File header block: type 8, 16 bytes. Besides the magic and the file
    // type (0, a universe) Zorvane reads nothing of it; the game id is drawn,
    // the other fields stay zero.
    Put16(image, BlockHeader(8, 16));
    image.append("J3J3", 4);
    Put32(image, Random.NextSeed()); // game id
    Put16(image, 0);
    Put16(image, 0);
    Put16(image, 0);
    Put16(image, 0); // file type 0 and flags
    // Planets block, type 7, with its opaque body.
    Put16(image, BlockHeader(7, PlanetsBodySize));
    for (int i = 0; i < PlanetsBodySize; ++i)
        image.append(char(Random.RandomInt(256)));
    // The planet words: X as the difference to the previous planet (the
    // first to 1000), Y absolute, the name id.
    uint32_t previousX = 1000;
    for (const TPlanet &p : Planets) {
        const uint32_t delta = p.X - previousX;
        if (delta > 1023)
            Fail("a planet's X does not fit the delta encoding");
        previousX = p.X;
        Put32(image, PackPlanet({delta, p.Y, p.NameId}));
    }
    // Last block: type 0, size 2, the player count.
    Put16(image, BlockHeader(0, 2));
    Put16(image, PlayerCount);
    return image;
}

void WriteFile(const QString &Path, const QByteArray &Image)
{
    QFile file(Path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail("cannot create " + Path.toStdString() + ": " + file.errorString().toStdString());
    if (file.write(Image) != Image.size() || !file.flush())
        Fail("cannot write " + Path.toStdString() + ": " + file.errorString().toStdString());
}

void Expect(const char *What, long long Got, long long Wanted)
{
    if (Got != Wanted)
        Fail(std::string(What) + " is " + std::to_string(Got) + ", expected " + std::to_string(Wanted));
}

// Reads the file back as Zorvane does and compares everything it sees.
void Check(const QString &Path, const std::vector<TPlanet> &Planets, const QByteArray &Image)
{
    TStarsXY universe(Path);
    if (universe.FileImage() != Image)
        Fail("the file read back differs from the image written");
    Expect("the planet count", universe.StarCount, static_cast<long long>(Planets.size()));
    Expect("the player count", universe.PlayerCount, PlayerCount);
    Expect("the size class", universe.GetSizeIndex(), ExpectedSizeIndex);

    // The model mirrors Y between the smallest and the largest Y of the file.
    uint32_t minY = Planets.front().Y, maxY = minY;
    for (const TPlanet &p : Planets) {
        minY = std::min(minY, p.Y);
        maxY = std::max(maxY, p.Y);
    }
    const TBounds bounds = universe.GetBounds();
    Expect("the top bound", bounds.Top, minY);
    Expect("the bottom bound", bounds.Bottom, maxY);
    for (int i = 0; i < PlanetCount; ++i) {
        const TStarRec star = universe.GetStar(i);
        const TPlanet &p = Planets[i];
        if (star.X != p.X || star.Y != maxY - p.Y + minY || star.NameId != p.NameId)
            Fail("planet " + std::to_string(i) + " reads back as (" + std::to_string(star.X) + ", " +
                 std::to_string(star.Y) + ", " + std::to_string(star.NameId) + ")");
    }
    if (universe.PackImage(true) != Image)
        Fail("saving the universe unchanged does not give the same bytes");
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.xy>\n", argc > 0 ? argv[0] : "zv_make_demo");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    try {
        TRandom random;
        random.Seed = Seed;
        const std::vector<TPlanet> planets = MakePlanets(random);
        const QByteArray image = MakeImage(planets, random);
        WriteFile(path, image);
        Check(path, planets, image);
    } catch (const EZorvane &e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(e.Message()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
