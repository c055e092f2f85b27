#pragma once

#include "app/base_form.h"

#include <QStringList>

class DbGrid;
class QCheckBox;
class QListWidget;

// "设置表格显示列": which columns of a grid are shown, one checkable line per
// column caption in grid order.
class Tfrm_sys_coldisplay : public Tfrm_base_form {
    Q_OBJECT
public:
    Tfrm_sys_coldisplay(const QColor &windowColour, const QColor &controlColour, const QStringList &captions,
                        const QStringList &shown, QWidget *parent = nullptr);

    // shown: 0-based positions as decimal texts. On "确定" (true) it becomes
    // the positions of the ticked lines in ascending order; otherwise it is
    // left alone.
    static bool Execute(const QColor &windowColour, const QColor &controlColour, const QStringList &captions,
                        QStringList &shown, QWidget *parent);

    // The positions of the ticked lines, ascending.
    QStringList checkedPositions() const;

private:
    void setAllChecked(bool checked);

    QListWidget *m_list = nullptr;
    QCheckBox *m_chkAll = nullptr;
};

// The list windows' column display command: offers the grid's column titles
// in grid order and on "确定" shows exactly the ticked columns.
bool ChooseGridColumns(DbGrid *grid, const QColor &windowColour, const QColor &controlColour, QWidget *parent);
