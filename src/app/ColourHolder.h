#pragma once

#include <QColor>
#include <QLineEdit>

// A hidden edit box whose colour is one of a list window's theme colours;
// the window paints with it and the appearance file keeps it.
class ColourHolder : public QLineEdit {
    Q_OBJECT
public:
    ColourHolder(const QString &objectName, const QString &text, const QColor &colour, QWidget *parent = nullptr);

    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);

signals:
    void colourChanged(const QColor &colour);

private:
    QColor m_colour;
};
