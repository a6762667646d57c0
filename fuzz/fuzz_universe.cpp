// The universe loader with SetStar and saving, on any bytes. Whatever the
// input, loading either refuses it or gives a universe whose saved image has
// the same length and differs only inside the planet words, and that loads
// again with the same counts.
#include "messages.h"
#include "random.h"
#include "starsxy.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

[[noreturn]] void Broken(const char *what)
{
    fprintf(stderr, "invariant broken: %s\n", what);
    abort();
}

const QString &ScratchFile()
{
    // In memory where the system has it: the fuzzer saves on every run.
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/zv-fuzz-XXXXXX")
                                                         : QDir::tempPath() + QStringLiteral("/zv-fuzz-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("u.xy"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    const QByteArray input(reinterpret_cast<const char *>(Data), static_cast<qsizetype>(Size));
    // One input in thirty-two goes through the file on disk, the rest through the
    // image in memory, which is the same code after reading and much faster.
    const bool onDisk = Size % 32 == 0;
    const QString &path = ScratchFile();
    if (onDisk) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
            Broken("scratch file");
    }
    try {
        TStarsXY universe = onDisk ? TStarsXY(path) : TStarsXY::FromImage(input);
        const int planetsStart = universe.PlanetsStart();
        const int end = planetsStart + 4 * universe.StarCount;
        if (end > input.size() - 4 + 2 || planetsStart < 20)
            Broken("planet words outside the file");
        for (int i = 0; i < universe.StarCount; ++i)
            (void)universe.GetStar(i);
        (void)universe.GetSizeIndex();

        // The input's last bytes steer some moves, as a run would make them.
        ProgramRandom().Seed = static_cast<uint32_t>(Size);
        const uint8_t steer = Size ? Data[Size - 1] : 0;
        if (steer & 1)
            universe.SetSizeIndex(static_cast<uint8_t>((steer >> 1) % 5));
        universe.MinDistance = static_cast<uint16_t>(steer % 41);
        const TBounds b = universe.GetBounds();
        for (int n = 0; n < 64 && universe.StarCount > 0; ++n) {
            const int index = static_cast<int>(ProgramRandom().RandomInt(universe.StarCount + 2)) - 1;
            const int width = std::max(b.Right - b.Left + 1, 1), height = std::max(b.Bottom - b.Top + 1, 1);
            const int x = b.Left + static_cast<int>(ProgramRandom().RandomInt(static_cast<uint32_t>(width)));
            const int y = b.Top + static_cast<int>(ProgramRandom().RandomInt(static_cast<uint32_t>(height)));
            try {
                universe.SetStar(index, x, y, -1, (n & 1) != 0);
            } catch (const EZorvane &) {
            }
        }
        QByteArray saved;
        if (onDisk) {
            universe.SaveToFile(path, (steer & 2) != 0);
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                Broken("saved file unreadable");
            saved = file.readAll();
        } else {
            saved = universe.PackImage((steer & 2) != 0);
        }
        if (saved.size() != input.size())
            Broken("length changed");
        if (saved.left(planetsStart) != input.left(planetsStart) || saved.mid(end) != input.mid(end))
            Broken("bytes outside the planet words changed");
        const TStarsXY again = TStarsXY::FromImage(saved);
        if (again.StarCount != universe.StarCount || again.PlayerCount != universe.PlayerCount)
            Broken("counts changed");
    } catch (const EZorvane &) {
        // refused, or a save that could not be encoded: both are fine
    }
    return 0;
}
