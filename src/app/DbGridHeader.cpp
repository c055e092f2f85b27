#include "app/DbGridHeader.h"

#include "app/DbGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace {

constexpr int markerSpace = 14; // room at a title's right end for its sort marker

void drawMarker(QPainter *painter, const QRect &rect, Dataset::SortOrder marker, const QColor &colour)
{
    const int w = 8;
    const int h = 5;
    const int x = rect.right() - markerSpace + (markerSpace - w) / 2;
    const int y = rect.center().y() - h / 2;
    QPolygon tri;
    if (marker == Dataset::SortOrder::Descending)
        tri << QPoint(x, y) << QPoint(x + w, y) << QPoint(x + w / 2, y + h);
    else
        tri << QPoint(x, y + h) << QPoint(x + w, y + h) << QPoint(x + w / 2, y);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(Qt::NoPen);
    painter->setBrush(colour);
    painter->drawPolygon(tri);
    painter->restore();
}

} // namespace

DbGridHeader::DbGridHeader(Qt::Orientation orientation, DbGrid *grid)
    : QHeaderView(orientation, grid)
    , m_grid(grid)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    if (orientation == Qt::Vertical) {
        connect(this, &QHeaderView::sectionResized, this, [this](int, int, int newSize) {
            if (m_pressed)
                m_draggedRowSize = newSize;
        });
    }
}

void DbGridHeader::paintFixedCell(QPainter *painter, const QRect &rect, const DbGrid *grid, bool current)
{
    QColor bg = grid->fixedColor();
    if (current)
        bg = bg.darker(112);
    painter->fillRect(rect, bg);
    const bool raised = grid->options().testFlag(DbGrid::Titles3D);
    const QColor light = bg.lighter(135);
    const QColor shadow = bg.darker(150);
    const QRect r = rect;
    if (grid->isFlat()) {
        if (raised) {
            painter->setPen(light);
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawLine(r.topLeft(), r.bottomLeft());
        }
        painter->setPen(raised ? shadow : grid->lineColour());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        return;
    }
    // Raised button: white outer light edge, dark outer shadow; with 3D titles
    // a second, inner edge.
    painter->setPen(QColor(Qt::white));
    painter->drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
    painter->drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
    painter->setPen(QColor(64, 64, 64));
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    if (raised && r.width() > 4 && r.height() > 4) {
        painter->setPen(light);
        painter->drawLine(r.topLeft() + QPoint(1, 1), r.topRight() + QPoint(-2, 1));
        painter->drawLine(r.topLeft() + QPoint(1, 1), r.bottomLeft() + QPoint(1, -2));
        painter->setPen(shadow);
        painter->drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() + QPoint(-1, -1));
        painter->drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1));
    }
}

void DbGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    const bool vertical = orientation() == Qt::Vertical;
    const bool current = vertical && m_grid->currentIndex().isValid() && m_grid->currentIndex().row() == logicalIndex;
    paintFixedCell(painter, rect, m_grid, current);
    const QColor textColour = m_grid->palette().color(QPalette::ButtonText);
    painter->setPen(textColour);
    if (vertical) {
        painter->setFont(m_grid->font());
        painter->drawText(rect.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, QString::number(logicalIndex + 1));
    } else {
        const Dataset::SortOrder marker = m_grid->columnSortMarker(logicalIndex);
        QRect textRect = rect.adjusted(3, 1, -3, -1);
        if (marker != Dataset::SortOrder::None) {
            textRect.setRight(textRect.right() - markerSpace + 3);
            drawMarker(painter, rect.adjusted(0, 0, -2, 0), marker, textColour);
        }
        painter->setFont(m_grid->titleFont());
        const QFontMetrics fm = painter->fontMetrics();
        const QString title = m_grid->columnTitle(logicalIndex);
        // A title row of two or more lines wraps long titles (Chinese has no
        // blanks to break at); a single line elides them.
        if (fm.horizontalAdvance(title) > textRect.width() && textRect.height() >= 2 * fm.height())
            painter->drawText(textRect, Qt::AlignCenter | Qt::TextWrapAnywhere, title);
        else
            painter->drawText(textRect, Qt::AlignCenter, fm.elidedText(title, Qt::ElideRight, textRect.width()));
    }
    painter->restore();
}

QSize DbGridHeader::sizeHint() const
{
    if (orientation() == Qt::Horizontal) {
        int h = m_grid->titleHeight();
        if (h <= 0)
            h = QFontMetrics(m_grid->titleFont()).height() + 8;
        return {length(), h};
    }
    const int digits = QString::number(qMax(count(), 99)).size();
    const QFontMetrics fm(m_grid->font());
    return {fm.horizontalAdvance(QString(digits, QLatin1Char('0'))) + 10, length()};
}

QSize DbGridHeader::sectionSizeFromContents(int logicalIndex) const
{
    if (orientation() == Qt::Vertical)
        return {sizeHint().width(), m_grid->rowHeight()};
    const QFontMetrics fm(m_grid->titleFont());
    return {fm.horizontalAdvance(m_grid->columnTitle(logicalIndex)) + 10 + markerSpace, sizeHint().height()};
}

void DbGridHeader::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QHeaderView::mousePressEvent(event);
}

void DbGridHeader::mouseReleaseEvent(QMouseEvent *event)
{
    QHeaderView::mouseReleaseEvent(event);
    m_pressed = false;
    if (m_draggedRowSize > 0) {
        // The grid has one row height: a row the user resized sets it for all.
        const int h = m_draggedRowSize;
        m_draggedRowSize = -1;
        m_grid->setRowHeight(h);
    }
}
