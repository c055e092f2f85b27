#pragma once

#include "app/base_dbdialog.h"

#include <QColor>
#include <QString>

class QWidget;

// "设置表格排序方式": up to five sort fields and directions of a grid
// (S_ORDER). The five rows are fixed: delete clears a step.
class Tfrm_sys_order : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    // table: "N_A", "N_B" or the combined "N_AB".
    Tfrm_sys_order(const QColor &windowColour, const QColor &gridColour, const QString &table,
                   QWidget *parent = nullptr);

    // Shows the window modally. The caller rebuilds its sort clause
    // afterwards (the main window: SortSettingsClosed(table)).
    static void Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                        QWidget *parent = nullptr);

    // The key column that "录入顺序" stands for: AIID or BIID.
    static QString EntryOrderField(const QString &table);

    QWidget *pnlTop() const { return m_pnlTop; }

    // Empties the current step's field and direction and stores the row.
    void ClearCurrentRow();

protected:
    void FormShow() override;

private:
    QString m_table;
    QWidget *m_pnlTop;
};
