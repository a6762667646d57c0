#include "fairnesstable.h"

#include <QHeaderView>
#include <array>
#include <cmath>

namespace {

// The figures first, so they show in a narrow pane.
enum TColumn { Planet, Distance, Room, Territory, Position, Nearest, Columns };

const QColor WorstColour(0xB0, 0x10, 0x10);
const QColor BestColour(0x10, 0x70, 0x10);

QString PositionText(QPoint P) { return QStringLiteral("%1:%2").arg(P.x()).arg(P.y()); }

QString FigureText(TFigure Figure, double Value)
{
    return Figure == TFigure::Distance ? QString::number(Value, 'f', 1) : QString::number(qRound64(Value));
}

// "12" or "12 -> 15".
QString BeforeAfter(const QString &Before, const QString &After)
{
    return After.isNull() || After == Before ? Before : Before + QStringLiteral(" \u2192 ") + After;
}

const std::array<std::pair<TFigure, int>, 3> Figures = {
    std::pair{TFigure::Distance, Distance}, std::pair{TFigure::Room, Room}, std::pair{TFigure::Territory, Territory}};

} // namespace

TFairnessTable::TFairnessTable(QWidget *Parent) : QTreeWidget(Parent)
{
    setObjectName(QStringLiteral("FairnessTable"));
    setAccessibleName(QStringLiteral("Groups"));
    setColumnCount(Columns);
    QStringList labels(Columns);
    labels[Planet] = QStringLiteral("Planet");
    labels[Distance] = QStringLiteral("l.y.");
    labels[Room] = QStringLiteral("Room");
    labels[Territory] = QStringLiteral("Territory");
    labels[Position] = QStringLiteral("Position");
    labels[Nearest] = QStringLiteral("Nearest other");
    setHeaderLabels(labels);
    const QString notNamed = QStringLiteral("; planets named in any group never count.");
    headerItem()->setToolTip(Nearest, QStringLiteral("The nearest planet of another group"));
    headerItem()->setToolTip(Distance, QStringLiteral("Distance to the nearest planet of another group; for a group, "
                                                      "its smallest"));
    headerItem()->setToolTip(Room, QStringLiteral("The number of different planets within the radius (edge included) "
                                                  "of any of the group's planets") + notNamed);
    headerItem()->setToolTip(Territory, QStringLiteral("The planets nearer to one of the group's planets than to any "
                                                       "planet of another group; a planet at equal distance counts "
                                                       "for neither") + notNamed);
    setToolTip(QStringLiteral("How fairly the groups lie. Room: planets within the radius of a group's planets. "
                              "Territory: planets nearer to the group than to any other. Planets named in any group "
                              "never count. The worst and the best group are marked; Spread is the largest minus the "
                              "smallest."));
    setRootIsDecorated(false);
    setIndentation(10);
    setSelectionMode(QAbstractItemView::NoSelection);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
}

void TFairnessTable::Show(const std::vector<TGroupFairness> &Now, const std::vector<TGroupFairness> *After,
                          int Radius, const std::vector<QRgb> &Colours)
{
    headerItem()->setText(Room, QStringLiteral("Room (%1)").arg(Radius));
    clear();
    // The marks and spreads of the figures as they would be after the
    // proposal, when there is one.
    const std::vector<TGroupFairness> &judged = After ? *After : Now;
    QFont bold = font();
    bold.setBold(true);
    for (size_t g = 0; g < Now.size(); ++g) {
        const TGroupFairness &group = Now[g];
        auto *head = new QTreeWidgetItem(this);
        head->setText(Planet, QStringLiteral("Group #%1").arg(g + 1));
        head->setForeground(Planet, QColor(Colours[g]).darker(130));
        for (int c = 0; c < Columns; ++c)
            head->setFont(c, bold);
        for (const auto &[figure, column] : Figures) {
            if (!group.Placed() || (figure == TFigure::Distance && group.Closest < 0))
                continue;
            const QString after =
                After ? FigureText(figure, FigureOf((*After)[g], figure)) : QString();
            QString text = BeforeAfter(FigureText(figure, FigureOf(group, figure)), after);
            const TFigureSummary summary = Summarize(judged, figure);
            const bool worst = std::count(summary.Worst.begin(), summary.Worst.end(), int(g)) > 0;
            const bool best = std::count(summary.Best.begin(), summary.Best.end(), int(g)) > 0;
            if (worst || best) {
                text += worst ? QStringLiteral(" (worst)") : QStringLiteral(" (best)");
                head->setForeground(column, worst ? WorstColour : BestColour);
            }
            head->setText(column, text);
            head->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
        for (size_t p = 0; p < group.Planets.size(); ++p) {
            const TGroupPlanet &planet = group.Planets[p];
            auto *row = new QTreeWidgetItem(head);
            row->setText(Planet, planet.Name);
            if (planet.Star < 0) {
                row->setText(Position, QStringLiteral("not in this universe"));
                continue;
            }
            const TGroupPlanet *moved = After ? &(*After)[g].Planets[p] : nullptr;
            row->setText(Position, BeforeAfter(PositionText(planet.Position),
                                               moved ? PositionText(moved->Position) : QString()));
            if (planet.Nearest >= 0) {
                row->setText(Nearest, BeforeAfter(planet.NearestName, moved ? moved->NearestName : QString()));
                row->setText(Distance, BeforeAfter(FigureText(TFigure::Distance, planet.NearestDistance),
                                                   moved ? FigureText(TFigure::Distance, moved->NearestDistance)
                                                         : QString()));
                row->setTextAlignment(Distance, Qt::AlignRight | Qt::AlignVCenter);
            }
        }
    }
    if (Now.size() > 1) {
        auto *spread = new QTreeWidgetItem(this);
        spread->setText(Planet, QStringLiteral("Spread"));
        spread->setToolTip(Planet, QStringLiteral("The largest minus the smallest of each figure over the groups"));
        for (const auto &[figure, column] : Figures) {
            const TFigureSummary now = Summarize(Now, figure);
            if (!now.Shown)
                continue;
            spread->setText(column, BeforeAfter(FigureText(figure, now.Spread),
                                                After ? FigureText(figure, Summarize(*After, figure).Spread) : QString()));
            spread->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    expandAll();
}

std::vector<QStringList> TFairnessTable::Rows() const
{
    std::vector<QStringList> rows;
    QStringList header;
    for (int c = 0; c < Columns; ++c)
        header << headerItem()->text(c);
    rows.push_back(header);
    auto add = [&rows](const QTreeWidgetItem *Item, const QString &Indent) {
        QStringList cells;
        for (int c = 0; c < Columns; ++c)
            cells << (c == 0 ? Indent : QString()) + Item->text(c);
        rows.push_back(cells);
    };
    for (int i = 0; i < topLevelItemCount(); ++i) {
        add(topLevelItem(i), QString());
        for (int j = 0; j < topLevelItem(i)->childCount(); ++j)
            add(topLevelItem(i)->child(j), QStringLiteral("  "));
    }
    return rows;
}
