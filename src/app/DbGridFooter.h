#pragma once

#include <QWidget>

class DbGrid;

// The sum row under a DbGrid's cells: one cell under each shown column, in
// step with the title row's sections (order, widths, hidden columns and the
// horizontal scroll position).
class DbGridFooter : public QWidget {
    Q_OBJECT
public:
    explicit DbGridFooter(DbGrid *grid);

    int preferredHeight() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    DbGrid *m_grid;
};
