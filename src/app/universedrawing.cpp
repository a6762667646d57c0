// What the universe view shows, drawn at any geometry.
#include "universedrawing.h"

#include "messages.h"
#include "placement.h"
#include "planetnames.h"

#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace {

constexpr QRgb Outside = qRgb(0x20, 0x20, 0x24);
constexpr QRgb Space = qRgb(0, 0, 0);
constexpr QRgb Planet = qRgb(0xFF, 0xFF, 0xFF);
constexpr QRgb NameText = qRgb(0xA8, 0xA8, 0xA8);
constexpr QRgb Band = qRgb(0, 0, 0x80); // navy, as on the main map
constexpr QRgb Crosshair = qRgb(0xFF, 0x40, 0x30);
constexpr QRgb Hover = qRgb(0xFF, 0xE0, 0x40);
constexpr int NamePixels = 11; // height of the names' font
constexpr int GridStep = 100;  // light years between grid lines
constexpr QRgb MarkOutline = qRgb(0xE8, 0xE8, 0xE8);

// One colour per group, bright on black; the game has at most 16 players.
constexpr std::array<QRgb, 16> GroupColors = {
    qRgb(0xFF, 0x50, 0x50), qRgb(0x50, 0xC8, 0xFF), qRgb(0x60, 0xFF, 0x60), qRgb(0xFF, 0xD0, 0x40),
    qRgb(0xFF, 0x60, 0xFF), qRgb(0x40, 0xFF, 0xD8), qRgb(0xFF, 0x98, 0x40), qRgb(0xA8, 0x88, 0xFF),
    qRgb(0xC8, 0xFF, 0x40), qRgb(0xFF, 0x88, 0xB0), qRgb(0x88, 0xA8, 0xFF), qRgb(0xFF, 0xFF, 0x90),
    qRgb(0x40, 0xFF, 0x98), qRgb(0xD8, 0xB0, 0x78), qRgb(0xA0, 0xE8, 0xFF), qRgb(0xE8, 0xE8, 0xE8),
};

QFont NameFont(const QFont &Base, bool Bold)
{
    QFont font = Base;
    font.setPixelSize(NamePixels);
    font.setBold(Bold);
    return font;
}

// Side of a planet's dot in view pixels at a scale.
int DotSize(double Scale) { return Scale < 1.5 ? 2 : Scale < 4 ? 3 : 5; }

QPoint PositionOf(const TStarRec &Star) { return {static_cast<int>(Star.X), static_cast<int>(Star.Y)}; }

} // namespace

// Where names are already drawn and where dots are, in square cells of the
// view, so that a name is only put where it covers neither. A plain bucket
// grid: Qt has no spatial index for rectangles.
class TRoom {
public:
    explicit TRoom(QSize Size)
        : FCols(std::max(Size.width(), 1) / Cell + 1), FRows(std::max(Size.height(), 1) / Cell + 1),
          FHead(size_t(FCols) * FRows, -1)
    {
    }
    void AddDot(QPoint P)
    {
        Add(QRect(P, P), true);
    }
    void AddLabel(const QRect &R) { Add(R, false); }
    // No dot but the one at Own within a pixel of R, no label meeting R.
    bool Free(const QRect &R, QPoint Own) const
    {
        const QRect grown = R.adjusted(-1, -1, 1, 1);
        bool free = true;
        ForCells(grown, [&](size_t C) {
            for (int i = FHead[C]; free && i >= 0; i = FEntries[i].Next) {
                const TEntry &e = FEntries[i];
                free = e.Dot ? (e.Rect.topLeft() == Own || !grown.contains(e.Rect.topLeft())) : !e.Rect.intersects(R);
            }
        });
        return free;
    }

private:
    static constexpr int Cell = 32;
    struct TEntry {
        QRect Rect;
        bool Dot;
        int Next;
    };
    template <typename F> void ForCells(const QRect &R, F Each) const
    {
        const int c0 = std::clamp(R.left() / Cell, 0, FCols - 1), c1 = std::clamp(R.right() / Cell, 0, FCols - 1);
        const int r0 = std::clamp(R.top() / Cell, 0, FRows - 1), r1 = std::clamp(R.bottom() / Cell, 0, FRows - 1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                Each(size_t(r) * FCols + c);
    }
    void Add(const QRect &R, bool Dot)
    {
        ForCells(R, [&](size_t C) {
            FEntries.push_back({R, Dot, FHead[C]});
            FHead[C] = int(FEntries.size()) - 1;
        });
    }
    int FCols, FRows;
    std::vector<int> FHead;
    std::vector<TEntry> FEntries;
};

int32_t NearestPlanet(const std::vector<TStarRec> &Stars, QPoint Position)
{
    int32_t best = -1;
    int64_t bestSquare = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < Stars.size(); ++i) {
        const int64_t dx = int64_t(Stars[i].X) - Position.x(), dy = int64_t(Stars[i].Y) - Position.y();
        if (dx * dx + dy * dy < bestSquare) {
            bestSquare = dx * dx + dy * dy;
            best = int32_t(i);
        }
    }
    return best;
}

QRgb TUniverseDrawing::GroupColor(int Group) { return GroupColors[size_t(Group) % GroupColors.size()]; }

void TUniverseDrawing::SetTemplate(const QImage &Template)
{
    FTemplate = Template.isNull() ? QImage() : Template.convertToFormat(QImage::Format_RGB32);
    // Half strength: each channel halved.
    for (int y = 0; y < FTemplate.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(FTemplate.scanLine(y));
        for (int x = 0; x < FTemplate.width(); ++x)
            line[x] = 0xFF000000u | ((line[x] >> 1) & 0x7F7F7Fu);
    }
    FTemplateLayer = QImage();
}

QImage TUniverseDrawing::Picture(QSize Size, const TUniverseScene &S, const QString &Title,
                                 const std::vector<QStringList> &Table) const
{
    QFont text = FFont;
    text.setPixelSize(14);
    QFont bold = text;
    bold.setBold(true);
    const QFontMetrics metrics(text), boldMetrics(bold);
    const int line = boldMetrics.height() + 4, margin = 16, swatch = 14;

    // The legend's lines: a colour (or none) and the words.
    std::vector<std::pair<std::optional<QRgb>, QString>> legend;
    for (size_t g = 0; g < S.Fairness.size(); ++g) {
        QStringList names;
        for (const TGroupPlanet &planet : S.Fairness[g].Planets)
            names << planet.Name;
        legend.emplace_back(GroupColor(int(g)), QStringLiteral("Group #%1: %2").arg(g + 1).arg(names.join(u", ")));
    }
    legend.emplace_back(std::nullopt, QStringLiteral("Dashed circles: the radius, %1 l.y.").arg(S.Radius));
    if (!S.Marks.empty())
        legend.emplace_back(MarkOutline, QStringLiteral("Discs: marks from the main map"));
    if (!S.Moves.empty())
        legend.emplace_back(std::nullopt, QStringLiteral("Dashed lines: the proposed moves"));
    // The table's columns as wide as their widest cell.
    std::vector<int> widths;
    for (const QStringList &row : Table)
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (size_t(c) >= widths.size())
                widths.push_back(0);
            widths[size_t(c)] = std::max(widths[size_t(c)], boldMetrics.horizontalAdvance(row[c]) + 14);
        }
    int panel = boldMetrics.horizontalAdvance(Title);
    for (const auto &[colour, words] : legend)
        panel = std::max(panel, swatch + 8 + metrics.horizontalAdvance(words));
    panel = std::max(panel, std::accumulate(widths.begin(), widths.end(), 0)) + 2 * margin;
    const int contents = margin + line * int(2 + legend.size() + 1 + Table.size()) + margin;

    QImage image(QSize(Size.width() + panel, std::max(Size.height(), contents)), QImage::Format_RGB32);
    if (image.isNull())
        return image; // no memory for it
    image.fill(Qt::white);
    QPainter painter(&image);
    Render(painter, TViewGeometry(S.Square.isNull() ? SizeClassSquare(0) : S.Square, Size), S, false);
    painter.setClipping(false);
    painter.setPen(Qt::black);
    int x = Size.width() + margin, y = margin;
    auto write = [&](int X, const QString &Words, const QFont &Font) {
        painter.setFont(Font);
        painter.drawText(X, y + boldMetrics.ascent(), Words);
    };
    write(x, Title, bold);
    y += 2 * line;
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const auto &[colour, words] : legend) {
        if (colour) {
            painter.setPen(QPen(QColor(*colour).darker(115), 3));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QRectF(x + 1.5, y + 2.5, swatch - 3, swatch - 3));
        }
        painter.setPen(Qt::black);
        write(x + swatch + 8, words, text);
        y += line;
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    y += line;
    for (size_t r = 0; r < Table.size(); ++r) {
        const bool header = r == 0, group = !header && !Table[r].value(0).startsWith(u' ');
        int at = x;
        for (qsizetype c = 0; c < Table[r].size(); ++c) {
            write(at, Table[r][c], header || group ? bold : text);
            at += widths[size_t(c)];
        }
        if (header)
            painter.drawLine(x, y + line - 2, x + panel - 2 * margin, y + line - 2);
        y += line;
    }
    return image;
}

QImage TUniverseDrawing::TextImage(const QString &Text, const QColor &Colour, bool Bold) const
{
    // With a dark halo, so a name stays readable over the template's grey.
    const QFont font = NameFont(FFont, Bold);
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(Text) + 3, metrics.height() + 2, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0, 220));
    for (const QPoint d : {QPoint(0, 1), QPoint(2, 1), QPoint(1, 0), QPoint(1, 2), QPoint(0, 0), QPoint(2, 2),
                           QPoint(0, 2), QPoint(2, 0)})
        painter.drawText(d.x(), d.y() + metrics.ascent(), Text);
    painter.setPen(Colour);
    painter.drawText(1, 1 + metrics.ascent(), Text);
    return image;
}

const QImage &TUniverseDrawing::GroupName(uint32_t NameId, int Group) const
{
    const qint64 key = (qint64(Group) << 32) | NameId;
    auto found = FGroupNames.constFind(key);
    if (found != FGroupNames.constEnd())
        return *found;
    return *FGroupNames.insert(key, TextImage(PlanetName(NameId), QColor(GroupColor(Group)), true));
}

const QImage &TUniverseDrawing::NameImage(uint32_t NameId) const
{
    auto found = FNames.constFind(NameId);
    if (found != FNames.constEnd())
        return *found;
    return *FNames.insert(NameId, TextImage(PlanetName(NameId), QColor(NameText), false));
}

void TUniverseDrawing::Render(QPainter &P, const TViewGeometry &G, const TUniverseScene &S, bool Live) const
{
    const QRect all(QPoint(0, 0), G.ViewSize());
    if (!S.HasUniverse()) {
        P.fillRect(all, QColor(Outside));
        P.setPen(QColor(NameText));
        P.drawText(all, Qt::AlignCenter, LoadStr(TMsg::SelectXYFirst));
        return;
    }
    // Each pixel filled once: the square black, the rest around it grey.
    const QRect square = G.AreaOf(S.Square).toAlignedRect().intersected(all);
    P.fillRect(square, QColor(Space));
    for (const QRect &around : QRegion(all).subtracted(QRegion(square)))
        P.fillRect(around, QColor(Outside));

    if (S.Template && !FTemplate.isNull() && FTemplate.height() > UnsampledRows) {
        // The placement puts template column px at X = Left + trunc(px *
        // (Right - Left) / W) and row py likewise, using the top H = height -
        // 20 rows: the W x H pixels stretched from Left to Right and Top to
        // Bottom. The template is kept at half strength, which over the black
        // square is the same as half transparent, so it is copied, not
        // blended; it is scaled once per zoom and pan.
        const QRectF target(G.ToView(QPointF(S.Square.topLeft())), G.ToView(QPointF(S.Square.bottomRight())));
        const QRect seen = square.intersected(target.toAlignedRect());
        if (!seen.isEmpty()) {
            if (FTemplateLayer.size() != all.size() || FTemplateTarget != target) {
                FTemplateLayer = QImage(all.size(), QImage::Format_RGB32);
                FTemplateLayer.fill(Qt::black);
                QPainter layer(&FTemplateLayer);
                layer.drawImage(target, FTemplate,
                                QRectF(0, 0, FTemplate.width(), FTemplate.height() - UnsampledRows));
                FTemplateTarget = target;
            }
            P.drawImage(seen.topLeft(), FTemplateLayer, seen);
        }
    }

    if (S.Band) {
        QRectF band = G.AreaOf(QRect(QPoint(S.Band->first, S.MinY), QPoint(S.Band->second, S.MaxY)));
        if (band.width() < 1)
            band.adjust(-(1 - band.width()) / 2, 0, (1 - band.width()) / 2, 0);
        P.fillRect(band, QColor(qRed(Band), qGreen(Band), qBlue(Band), 200));
    }

    TRoom room(G.ViewSize());
    if (S.Grid)
        DrawGridLines(P, G, S);

    P.setRenderHint(QPainter::Antialiasing, true);
    // Marks as outlined discs: a light outline shows every colour, navy and
    // maroon too, on the black field; groups are rings, so neither is taken
    // for the other.
    for (const TMarkArea &mark : S.Marks) {
        QColor fill(mark.Color);
        fill.setAlpha(110);
        P.setBrush(fill);
        P.setPen(QPen(QColor(MarkOutline), 1.5));
        P.drawEllipse(QRectF(G.ToView(mark.Area.topLeft()), G.ToView(mark.Area.bottomRight())));
    }
    // The radius of the fairness table around every group's planets.
    const double radius = S.Radius * G.Scale();
    if (radius >= 3) {
        P.setBrush(Qt::NoBrush);
        for (size_t g = 0; g < S.Fairness.size(); ++g) {
            QColor colour(GroupColor(int(g)));
            colour.setAlpha(150);
            // Dashes along a circle far larger than the view would cost
            // thousands of segments: those are drawn solid.
            P.setPen(QPen(colour, 1, radius <= 1500 ? Qt::DashLine : Qt::SolidLine));
            for (const TGroupPlanet &planet : S.Fairness[g].Planets) {
                const QPointF centre = G.ToView(QPointF(planet.Position) + QPointF(0.5, 0.5));
                const QRectF box(centre - QPointF(radius, radius), centre + QPointF(radius, radius));
                if (planet.Star >= 0 && box.intersects(QRectF(all)))
                    P.drawEllipse(centre, radius, radius);
            }
        }
    }
    P.setRenderHint(QPainter::Antialiasing, false);

    DrawPlanets(P, G, S, room);
    // The proposal: a line from each planet to where it would go, and a
    // ring there.
    if (!S.Moves.empty()) {
        P.setRenderHint(QPainter::Antialiasing, true);
        for (const TUniverseScene::TMove &move : S.Moves) {
            const QColor colour(move.Group >= 0 ? GroupColor(move.Group) : Planet);
            const QPointF from = QPointF(G.PixelOf(move.From)) + QPointF(0.5, 0.5);
            const QPointF to = QPointF(G.PixelOf(move.To)) + QPointF(0.5, 0.5);
            P.setPen(QPen(colour, 1.5, Qt::DashLine));
            P.drawLine(from, to);
            P.setPen(QPen(colour, 2));
            P.setBrush(Qt::NoBrush);
            P.drawEllipse(to, 7, 7);
            P.drawEllipse(to, 2, 2);
        }
        P.setRenderHint(QPainter::Antialiasing, false);
    }
    // The grid's numbers give way to the planets and their names.
    if (S.Grid)
        DrawGridLabels(P, G, S, room);

    if (Live && S.Pointer && !S.Stars.empty()) {
        const QPoint at = S.Band ? S.Landing : G.PositionAt(*S.Pointer);
        const QPointF c = QPointF(G.PixelOf(PositionOf(S.Stars[NearestPlanet(S.Stars, at)]))) + QPointF(0.5, 0.5);
        P.setRenderHint(QPainter::Antialiasing, true);
        P.setBrush(Qt::NoBrush);
        P.setPen(QPen(QColor(Hover), 1.5));
        P.drawEllipse(c, 6, 6);
        P.setRenderHint(QPainter::Antialiasing, false);
    }
    if (Live && S.Band) {
        const QPoint c = G.PixelOf(S.Landing);
        P.setPen(QColor(Crosshair));
        if (G.Scale() >= 4)
            P.drawRect(G.AreaOf(QRect(S.Landing, S.Landing)).toAlignedRect().adjusted(0, 0, -1, -1));
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            P.fillRect(QRect(c + d * 5, c + d * 24).normalized(), QColor(Crosshair));
    }

}

void TUniverseDrawing::DrawGridLines(QPainter &P, const TViewGeometry &G, const TUniverseScene &S) const
{
    const QRect seen = G.VisiblePositions();
    if (seen.isEmpty())
        return;
    // Lines as opaque one-pixel fills: plain copies for the raster engine.
    // A translucent fill of a tall line is blended row by row and handed to
    // worker threads.
    const QRect square = G.AreaOf(S.Square).toAlignedRect();
    const QRect area = square.intersected(QRect(QPoint(0, 0), G.ViewSize()));
    const QColor line(0x2C, 0x2C, 0x2C);
    auto first = [](int From) { return (From + GridStep - 1) / GridStep * GridStep; };
    for (int x = first(seen.left()); x <= seen.right(); x += GridStep)
        P.fillRect(QRect(int(std::floor(G.ToView(QPointF(x, 0)).x())), area.top(), 1, area.height()), line);
    for (int y = first(seen.top()); y <= seen.bottom(); y += GridStep)
        P.fillRect(QRect(area.left(), int(std::floor(G.ToView(QPointF(0, y)).y())), area.width(), 1), line);
    const QColor border(0x70, 0x70, 0x70);
    for (const QRect &edge : {QRect(square.left(), square.top(), square.width(), 1),
                              QRect(square.left(), square.bottom(), square.width(), 1),
                              QRect(square.left(), square.top() + 1, 1, square.height() - 2),
                              QRect(square.right(), square.top() + 1, 1, square.height() - 2)})
        P.fillRect(edge.intersected(area), border);
}

void TUniverseDrawing::DrawGridLabels(QPainter &P, const TViewGeometry &G, const TUniverseScene &S, TRoom &Room) const
{
    const QRect seen = G.VisiblePositions();
    if (seen.isEmpty() || GridStep * G.Scale() < 36)
        return;
    // Numbers as pictures drawn once (shaped text costs more than all the
    // planets), each only where it covers no planet and no name.
    const QRect area = G.AreaOf(S.Square).toAlignedRect().intersected(QRect(QPoint(0, 0), G.ViewSize()));
    auto first = [](int From) { return (From + GridStep - 1) / GridStep * GridStep; };
    auto put = [&](QPoint At, int Value) {
        const QImage &label = GridLabel(Value);
        const QRect box(At, label.size());
        if (!Room.Free(box, QPoint(-100, -100)))
            return;
        P.drawImage(At, label);
        Room.AddLabel(box);
    };
    for (int x = first(seen.left()); x <= seen.right(); x += GridStep)
        put(QPoint(int(std::floor(G.ToView(QPointF(x, 0)).x())) + 3, area.top() + 2), x);
    for (int y = first(seen.top()); y <= seen.bottom(); y += GridStep)
        if (y != first(seen.top()))
            put(QPoint(area.left() + 3, int(std::floor(G.ToView(QPointF(0, y)).y())) + 2), y);
}

const QImage &TUniverseDrawing::GridLabel(int Value) const
{
    auto found = FGridLabels.constFind(Value);
    if (found != FGridLabels.constEnd())
        return *found;
    return *FGridLabels.insert(Value, TextImage(QString::number(Value), QColor(255, 255, 255, 90), false));
}

void TUniverseDrawing::DrawPlanets(QPainter &P, const TViewGeometry &G, const TUniverseScene &S, TRoom &room) const
{
    const QRect view(QPoint(0, 0), G.ViewSize());
    const QRect seen = G.VisiblePositions();
    const int d = DotSize(G.Scale());
    std::vector<std::pair<size_t, QPoint>> shown;
    shown.reserve(S.Stars.size());
    std::vector<QRect> dots;
    dots.reserve(S.Stars.size());
    for (size_t i = 0; i < S.Stars.size(); ++i) {
        const QPoint position = PositionOf(S.Stars[i]);
        if (!seen.contains(position))
            continue;
        const QPoint at = G.PixelOf(position);
        shown.emplace_back(i, at);
        room.AddDot(at);
        dots.emplace_back(at.x() - d / 2, at.y() - d / 2, d, d);
    }
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(Planet));
    P.drawRects(dots.data(), int(dots.size()));

    // The groups' planets, marked and named whatever the room.
    for (const auto &[i, at] : shown) {
        const int group = S.GroupOf[i];
        if (group < 0)
            continue;
        const QColor colour(GroupColor(group));
        P.setRenderHint(QPainter::Antialiasing, true);
        P.setPen(QPen(colour, 2.5));
        P.setBrush(Qt::NoBrush);
        P.drawEllipse(QPointF(at) + QPointF(0.5, 0.5), 5.5, 5.5);
        P.setRenderHint(QPainter::Antialiasing, false);
        const QImage &name = GroupName(S.Stars[i].NameId, group);
        const QRect label(QPoint(at.x() + 9, at.y() - name.height() / 2), name.size());
        P.drawImage(label.topLeft(), name);
        room.AddLabel(label);
    }
    // Every other name where it covers neither a planet nor another name.
    for (const auto &[i, at] : shown) {
        if (!S.Names || S.GroupOf[i] >= 0)
            continue;
        const QImage &name = NameImage(S.Stars[i].NameId);
        const QRect label(QPoint(at.x() + d / 2 + 3, at.y() - name.height() / 2), name.size());
        if (!view.contains(label) || !room.Free(label, at))
            continue;
        P.drawImage(label.topLeft(), name);
        room.AddLabel(label);
    }
}
