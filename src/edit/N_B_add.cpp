#include "edit/N_B_add.h"

Tfrm_N_B_add::Tfrm_N_B_add(QWidget *parent)
    : RecordWindow(QStringLiteral("N_B"), Mode::Add, parent)
{
}

bool Tfrm_N_B_add::Execute(const QColor &windowColour, const QColor &editorColour, const QString &volumeKey,
                           QWidget *parent)
{
    Tfrm_N_B_add window(parent);
    window.applyColours(windowColour, editorColour);
    window.setParentKey(volumeKey);
    window.exec();
    return window.result();
}
