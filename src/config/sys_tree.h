#pragma once

#include "app/base_dbdialog.h"

#include <QColor>
#include <QString>

class QWidget;

// "设置树层次显示顺序": the field of each of the five levels of the
// navigation tree (S_TREE). The five rows are fixed: delete clears a level.
class Tfrm_sys_tree : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    Tfrm_sys_tree(const QColor &windowColour, const QColor &gridColour, const QString &table,
                  QWidget *parent = nullptr);

    // Shows the window modally. The caller re-reads the levels afterwards
    // (the main window: TreeSettingsClosed()).
    static void Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                        QWidget *parent = nullptr);

    QWidget *pnlTop() const { return m_pnlTop; }

    // Empties the current level's field and stores the row.
    void ClearCurrentRow();

protected:
    void FormShow() override;

private:
    QString m_table;
    QWidget *m_pnlTop;
};
