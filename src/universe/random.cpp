#include "random.h"

TRandom &ProgramRandom()
{
    static TRandom generator;
    return generator;
}
