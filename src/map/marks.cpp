#include "marks.h"

#include "mapgeometry.h"

int32_t MarkAt(const std::vector<TMarkRec> &Marks, int32_t X, int32_t Y)
{
    for (size_t i = 0; i < Marks.size(); ++i) {
        const TMarkRec &mark = Marks[i];
        if (mark.Color == RemovedMark)
            continue;
        if (PointDistance(QPoint(mark.X, mark.Y), QPoint(X, Y)) <= MarkRadius)
            return static_cast<int32_t>(i);
    }
    return -1;
}

const char *MarkColorName(int32_t Color)
{
    static constexpr const char *Names[] = {"aqua",  "blue",  "grey",   "fuchsia", "grey",   "green",  "silver", "maroon",
                                            "navy",  "olive", "purple", "red",     "silver", "teal",   "yellow"};
    for (size_t k = 0; k < MarkColors.size(); ++k)
        if (MarkColors[k] == Color)
            return Names[k];
    return "";
}

int32_t NextMarkColor(int32_t C)
{
    int i = -1;
    for (int k = 0; k < static_cast<int>(MarkColors.size()); ++k) {
        if (MarkColors[k] == C) {
            i = k;
            break;
        }
    }
    ++i;
    if (i > 14)
        i = 0;
    return MarkColors[i];
}

bool MarksMouseDown(std::vector<TMarkRec> &Marks, bool HaveStars, bool RightButton, bool Shift,
                    int32_t X, int32_t Y)
{
    if (!HaveStars || !RightButton)
        return false;
    const int32_t i = MarkAt(Marks, X, Y);
    if (i == -1)
        Marks.push_back({X, Y, NewMarkColor});
    else if (Shift)
        Marks[i].Color = RemovedMark;
    else
        Marks[i].Color = NextMarkColor(Marks[i].Color);
    return true;
}

void ClearMarks(std::vector<TMarkRec> &Marks) { Marks.clear(); }

namespace {

bool InDisc(int DX, int DY)
{
    if (DX < 0 || DY < 0 || DX >= MarkBox || DY >= MarkBox)
        return false;
    // Twice the offset of the pixel's centre from the box's centre, in whole
    // numbers: (2 DX + 1 - 20), compared with twice the radius.
    const int cx = 2 * DX + 1 - MarkBox;
    const int cy = 2 * DY + 1 - MarkBox;
    return cx * cx + cy * cy <= 4 * MarkRadius * MarkRadius;
}

} // namespace

TDiscPixel MarkDiscPixel(int DX, int DY)
{
    if (!InDisc(DX, DY))
        return TDiscPixel::Outside;
    if (!InDisc(DX - 1, DY) || !InDisc(DX + 1, DY) || !InDisc(DX, DY - 1) || !InDisc(DX, DY + 1))
        return TDiscPixel::Outline;
    return TDiscPixel::Fill;
}
