#include "writehistory.h"

#include "gamefile.h"

void TWriteHistory::Clear()
{
    FWrites.clear();
    FDone = 0;
}

uint64_t TWriteHistory::Record(TWrite Write)
{
    Write.Id = ++FLastId;
    FWrites.resize(FDone);
    FWrites.push_back(std::move(Write));
    if (FWrites.size() > MaxSteps)
        FWrites.pop_front();
    FDone = FWrites.size();
    return FLastId;
}

bool TWriteHistory::InEffect(uint64_t Id) const
{
    for (size_t i = 0; i < FDone; ++i)
        if (FWrites[i].Id == Id)
            return true;
    return false;
}

QString TWriteHistory::Undo(const QString &FileName)
{
    const TWrite &last = FWrites.at(FDone - 1);
    try {
        WriteGameFile(FileName, last.After, last.Before);
    } catch (const EWrittenWithError &) {
        --FDone; // the file holds Before all the same
        throw;
    }
    --FDone;
    return last.What;
}

QString TWriteHistory::Redo(const QString &FileName)
{
    const TWrite &next = FWrites.at(FDone);
    try {
        WriteGameFile(FileName, next.Before, next.After);
    } catch (const EWrittenWithError &) {
        ++FDone;
        throw;
    }
    ++FDone;
    return next.What;
}

QByteArray TWriteHistory::Current() const
{
    if (FWrites.empty())
        return {};
    return FDone > 0 ? FWrites[FDone - 1].After : FWrites.front().Before;
}
