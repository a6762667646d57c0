// The universe view's table of how fairly the groups lie: each group's
// smallest distance to another group, its room and its territory, each
// planet's position and nearest planet of another group, the worst and the
// best group marked for each figure, and the spread of each figure. With a
// proposal, every figure reads "before -> after".
#pragma once

#include "fairness.h"

#include <QStringList>
#include <QTreeWidget>
#include <vector>

class TFairnessTable final : public QTreeWidget {
public:
    explicit TFairnessTable(QWidget *Parent);

    // Now: the figures as they are (or with a waiting planet at its landing
    // point); After: as a proposal would make them, or null. Colours gives
    // each group's colour.
    void Show(const std::vector<TGroupFairness> &Now, const std::vector<TGroupFairness> *After, int Radius,
              const std::vector<QRgb> &Colours);
    // What the table shows, a row a list of cells, the header first: for
    // the saved picture.
    std::vector<QStringList> Rows() const;
};
