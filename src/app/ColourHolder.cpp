#include "app/ColourHolder.h"

ColourHolder::ColourHolder(const QString &objectName, const QString &text, const QColor &colour, QWidget *parent)
    : QLineEdit(text, parent)
{
    setObjectName(objectName);
    setReadOnly(true);
    hide();
    setColour(colour);
}

void ColourHolder::setColour(const QColor &colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
    emit colourChanged(colour);
}
