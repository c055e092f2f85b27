#pragma once

#include "app/base_dbdialog.h"

#include <QColor>
#include <QString>

class QWidget;

// "设置显示查询条件": the fields of the eight positions of a query panel
// (S_QUERY). Rows are added and deleted freely; two rows may share a place.
class Tfrm_sys_query : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    Tfrm_sys_query(const QColor &windowColour, const QColor &gridColour, const QString &table,
                   QWidget *parent = nullptr);

    // Shows the window modally. The caller lays its panel out again
    // afterwards (the main window: QuerySettingsClosed()).
    static void Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                        QWidget *parent = nullptr);

    QWidget *pnlTop() const { return m_pnlTop; }

protected:
    void FormShow() override;

private:
    QString m_table;
    QWidget *m_pnlTop;
};
