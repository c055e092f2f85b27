#pragma once

#include <QHeaderView>

class DbGrid;

// The title row (horizontal) and the record-number column (vertical) of a
// DbGrid, drawn by the grid's own rules: the fixed colour, flat or raised
// cells, the title font and the sort markers.
class DbGridHeader : public QHeaderView {
    Q_OBJECT
public:
    DbGridHeader(Qt::Orientation orientation, DbGrid *grid);

    QSize sizeHint() const override;

    // A fixed cell (title, record number, corner, the footer's left end).
    static void paintFixedCell(QPainter *painter, const QRect &rect, const DbGrid *grid, bool current = false);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    DbGrid *m_grid;
    bool m_pressed = false;
    int m_draggedRowSize = -1; // a row the user is resizing: applied to all rows on release
};
