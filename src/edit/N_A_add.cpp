#include "edit/N_A_add.h"

Tfrm_N_A_add::Tfrm_N_A_add(QWidget *parent)
    : RecordWindow(QStringLiteral("N_A"), Mode::Add, parent)
{
}

bool Tfrm_N_A_add::Execute(const QColor &windowColour, const QColor &editorColour, const QList<QStringList> &pickLists,
                           QWidget *parent)
{
    Tfrm_N_A_add window(parent);
    window.applyColours(windowColour, editorColour);
    window.setPickLists(pickLists);
    window.exec();
    return window.result();
}
