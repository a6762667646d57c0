#include "writehistory.h"

#include "gamefile.h"

void TWriteHistory::Clear()
{
    FWrites.clear();
    FDone = 0;
}

void TWriteHistory::Record(TWrite Write)
{
    FWrites.resize(FDone);
    FWrites.push_back(std::move(Write));
    if (FWrites.size() > MaxSteps)
        FWrites.pop_front();
    FDone = FWrites.size();
}

QString TWriteHistory::Undo(const QString &FileName)
{
    const TWrite &last = FWrites.at(FDone - 1);
    WriteGameFile(FileName, last.After, last.Before);
    --FDone;
    return last.What;
}

QString TWriteHistory::Redo(const QString &FileName)
{
    const TWrite &next = FWrites.at(FDone);
    WriteGameFile(FileName, next.Before, next.After);
    ++FDone;
    return next.What;
}
