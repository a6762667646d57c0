// Helpers shared by the tests: the real universe files and scratch folders.
#pragma once

#include "starsxy.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <ostream>
#include <vector>

// Readable QString values in test failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

struct TRealXY {
    const char *FileName;
    int Planets;
    int Players;
    int SizeIndex;
};

// The game-written universe files in tests/data/real-xy, with the facts of
// that folder's README.
const std::vector<TRealXY> &RealXYFiles();
QString RealXYPath(const QString &FileName);

QByteArray ReadBytes(const QString &Path);
void WriteBytes(const QString &Path, const QByteArray &Bytes);

// A scratch folder that holds a writable copy of one real file.
class TScratch {
public:
    TScratch();
    QString Path(const QString &Name) const;
    // Copies a real file in and returns the copy's path.
    QString CopyReal(const QString &FileName, const QString &As = {});
    QString Dir() const { return FDir.path(); }

private:
    QTemporaryDir FDir;
};

// A minimal, valid universe image built from scratch: planets block body of
// BodySize bytes, the given planet words, player count Players.
QByteArray MakeImage(const std::vector<uint32_t> &Words, uint16_t Players = 2, int BodySize = 8);
// A planet word from its fields.
uint32_t Word(uint32_t Delta, uint32_t Y, uint32_t NameId);

// The planets as the file stores them, in file order: absolute X (the deltas
// summed from 1000), the file's own Y and the name id.
std::vector<TStarRec> FileStars(const QByteArray &Image);

// The seed after Steps draws from Seed.
uint32_t SeedAfter(uint32_t Seed, int64_t Steps);

// The message of the EZorvane that F throws, or "<no failure>".
QString MessageOf(const std::function<void()> &F);

// Another program holding a lock on the whole of Path: a child process
// takes it (Command F_SETLK, a classic lock, or F_OFD_SETLK; Type F_WRLCK
// or F_RDLCK) before the constructor returns and keeps it for HeldMs, or
// until the object goes.
class TLockHolder {
public:
    TLockHolder(const QString &Path, int HeldMs, int Command = -1, short Type = -1);
    ~TLockHolder();
    TLockHolder(const TLockHolder &) = delete;
    TLockHolder &operator=(const TLockHolder &) = delete;
    int Pid() const { return FPid; }

private:
    int FPid = -1;
};
