#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <array>

// The colour themes offered by the appearance dialog, in the order of its
// combo. Each sets the seven theme colours of a list window.
class GridThemes {
public:
    enum Colour {
        Title,    // grid titles (fixed cells)
        OddRow,
        EvenRow,
        Selected, // selected row
        Footer,   // sum row
        Window,   // window, toolbar panel and toolbars
        Controls, // grid cells and other controls
        ColourCount
    };

    struct Theme {
        QString name;
        std::array<QColor, ColourCount> colours;
        QColor colour(Colour which) const { return colours[which]; }
    };

    static const QList<Theme> &all();
    static int count() { return int(all().size()); }
    static const Theme &at(int index);
    // -1 when no theme has that name.
    static int indexOf(const QString &name);
    // The theme the list windows are designed with ("天空蓝").
    static const Theme &designed();
};
