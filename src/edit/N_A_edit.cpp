#include "edit/N_A_edit.h"

Tfrm_N_A_edit::Tfrm_N_A_edit(QWidget *parent)
    : RecordWindow(QStringLiteral("N_A"), Mode::Edit, parent)
{
}

bool Tfrm_N_A_edit::Execute(const QColor &windowColour, const QColor &editorColour, Dataset *volumes,
                            const QList<QStringList> &pickLists, QWidget *parent)
{
    Tfrm_N_A_edit window(parent);
    window.applyColours(windowColour, editorColour);
    window.setPickLists(pickLists);
    window.bindTo(volumes);
    window.exec();
    return window.result();
}
