#include "edit/N_B_edit.h"

Tfrm_N_B_edit::Tfrm_N_B_edit(QWidget *parent)
    : RecordWindow(QStringLiteral("N_B"), Mode::Edit, parent)
{
    // Its code lists are read when it is made.
    loadPickLists();
}

bool Tfrm_N_B_edit::Execute(const QColor &windowColour, const QColor &editorColour, Dataset *documents,
                            QWidget *parent)
{
    Tfrm_N_B_edit window(parent);
    window.applyColours(windowColour, editorColour);
    window.bindTo(documents);
    window.exec();
    return window.result();
}
