#include "app/DbGridFooter.h"

#include "app/DbGrid.h"
#include "app/DbGridHeader.h"

#include <QHeaderView>
#include <QPainter>

DbGridFooter::DbGridFooter(DbGrid *grid)
    : QWidget(grid)
    , m_grid(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int DbGridFooter::preferredHeight() const
{
    return qMax(m_grid->rowHeight(), QFontMetrics(m_grid->footerFont()).height() + 6);
}

void DbGridFooter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_grid->color());
    const QHeaderView *rowHeader = m_grid->verticalHeader();
    const int left = rowHeader->isHidden() ? 0 : rowHeader->width();
    if (left > 0)
        DbGridHeader::paintFixedCell(&painter, QRect(0, 0, left, height()), m_grid);

    painter.setClipRect(QRect(left, 0, width() - left, height()));
    painter.setFont(m_grid->footerFont());
    const QHeaderView *header = m_grid->horizontalHeader();
    const QColor line = m_grid->lineColour();
    const QColor text = m_grid->palette().color(QPalette::Text);
    for (int v = 0; v < header->count(); ++v) {
        const int col = header->logicalIndex(v);
        if (header->isSectionHidden(col))
            continue;
        const int x = left + header->sectionViewportPosition(col);
        const int w = header->sectionSize(col);
        if (x + w <= left || x >= width())
            continue;
        const QRect cell(x, 0, w, height());
        painter.fillRect(cell, m_grid->footerColor());
        painter.setPen(line);
        painter.drawLine(cell.topRight(), cell.bottomRight());
        painter.drawLine(cell.topLeft(), cell.topRight());
        painter.drawLine(cell.bottomLeft(), cell.bottomRight());
        const QString s = m_grid->footerText(col);
        if (!s.isEmpty()) {
            painter.setPen(text);
            painter.drawText(cell.adjusted(3, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(s, Qt::ElideLeft, w - 7));
        }
    }
}
