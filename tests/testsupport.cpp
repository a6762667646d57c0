#include "testsupport.h"

#include "messages.h"
#include "random.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

const std::vector<TRealXY> &RealXYFiles()
{
    static const std::vector<TRealXY> files = {
        {"tiny-32planets-2players.xy", 32, 2, 0},
        {"small-128planets-1player.xy", 128, 1, 1},
        {"small-128planets-3players.xy", 128, 3, 1},
        {"large-640planets-2players.xy", 640, 2, 3},
    };
    return files;
}

QString RealXYPath(const QString &FileName)
{
    return QStringLiteral(ZV_TEST_DATA "/real-xy/") + FileName;
}

QByteArray ReadBytes(const QString &Path)
{
    QFile file(Path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << Path.toStdString();
    return file.readAll();
}

void WriteBytes(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << Path.toStdString();
    ASSERT_EQ(file.write(Bytes), Bytes.size());
}

TScratch::TScratch() { EXPECT_TRUE(FDir.isValid()); }

QString TScratch::Path(const QString &Name) const { return FDir.filePath(Name); }

QString TScratch::CopyReal(const QString &FileName, const QString &As)
{
    const QString target = Path(As.isEmpty() ? FileName : As);
    WriteBytes(target, ReadBytes(RealXYPath(FileName)));
    return target;
}

uint32_t Word(uint32_t Delta, uint32_t Y, uint32_t NameId)
{
    return Delta | (Y << 10) | (NameId << 22);
}

QByteArray MakeImage(const std::vector<uint32_t> &Words, uint16_t Players, int BodySize)
{
    QByteArray image;
    auto put16 = [&](uint16_t v) {
        image.append(char(v & 0xFF));
        image.append(char(v >> 8));
    };
    put16(0x2010);            // first block: type 8, size 16
    image.append("J3J3", 4);  // magic
    image.append(QByteArray(12, '\0'));
    put16(uint16_t((7 << 10) | BodySize)); // planets block, type 7
    image.append(QByteArray(BodySize, char(0xA5)));
    for (uint32_t w : Words) {
        put16(uint16_t(w & 0xFFFF));
        put16(uint16_t(w >> 16));
    }
    put16(0x0002); // last block: type 0, size 2
    put16(Players);
    return image;
}

std::vector<TStarRec> FileStars(const QByteArray &Image)
{
    const TStarsXY universe = TStarsXY::FromImage(Image);
    std::vector<TStarRec> stars;
    uint32_t x = 1000;
    for (int i = 0; i < universe.StarCount; ++i) {
        const TStarRec word =
            UnpackPlanet(reinterpret_cast<const uint8_t *>(Image.constData()) + universe.PlanetsStart() + 4 * i);
        x += word.X;
        stars.push_back({x, word.Y, word.NameId});
    }
    return stars;
}

uint32_t SeedAfter(uint32_t Seed, int64_t Steps)
{
    TRandom r;
    r.Seed = Seed;
    for (int64_t i = 0; i < Steps; ++i)
        r.NextSeed();
    return r.Seed;
}

QString MessageOf(const std::function<void()> &F)
{
    try {
        F();
    } catch (const EZorvane &e) {
        return e.Message();
    }
    return QStringLiteral("<no failure>");
}

TLockHolder::TLockHolder(const QString &Path, int HeldMs, int Command, short Type)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return;
    FPid = ::fork();
    if (FPid == 0) {
        const int fd = ::open(QFile::encodeName(Path).constData(), O_RDWR);
        struct flock lock {};
        lock.l_type = Type < 0 ? F_WRLCK : Type;
        if (::fcntl(fd, Command < 0 ? F_SETLK : Command, &lock) == 0 && ::write(ready[1], "r", 1) == 1)
            ::usleep(useconds_t(HeldMs) * 1000);
        ::_exit(0);
    }
    char byte = 0;
    if (FPid < 0 || ::read(ready[0], &byte, 1) != 1)
        ADD_FAILURE() << "the lock could not be taken";
    ::close(ready[0]);
    ::close(ready[1]);
}

TLockHolder::~TLockHolder()
{
    if (FPid > 0) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
    }
}
