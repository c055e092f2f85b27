#include "app/GridThemes.h"

namespace {

GridThemes::Theme theme(const char *name, QColor title, QColor odd, QColor even, QColor selected, QColor footer,
                        QColor window, QColor controls)
{
    return {QString::fromUtf8(name), {title, odd, even, selected, footer, window, controls}};
}

} // namespace

const QList<GridThemes::Theme> &GridThemes::all()
{
    static const QList<Theme> themes = {
        theme("Windows经典", QColor(240, 240, 240), QColor(255, 255, 255), QColor(255, 255, 255),
              QColor(240, 240, 240), QColor(255, 255, 255), QColor(240, 240, 240), QColor(255, 255, 255)),
        theme("天空蓝", QColor(188, 213, 236), QColor(235, 242, 250), QColor(235, 242, 250),
              QColor(220, 234, 245), QColor(235, 242, 250), QColor(188, 213, 236), QColor(235, 242, 250)),
        theme("护眼绿", QColor(203, 220, 169), QColor(245, 250, 237), QColor(245, 250, 237),
              QColor(223, 234, 202), QColor(245, 250, 237), QColor(203, 220, 169), QColor(245, 250, 237)),
        theme("公主粉", QColor(255, 219, 219), QColor(255, 250, 250), QColor(255, 250, 250),
              QColor(255, 242, 242), QColor(255, 250, 250), QColor(255, 219, 219), QColor(255, 250, 250)),
        theme("蓝灰色", QColor(220, 226, 241), QColor(243, 245, 250), QColor(243, 245, 250),
              QColor(230, 230, 255), QColor(243, 245, 250), QColor(220, 226, 241), QColor(243, 245, 250)),
    };
    return themes;
}

const GridThemes::Theme &GridThemes::at(int index)
{
    return all().at(index);
}

int GridThemes::indexOf(const QString &name)
{
    const QList<Theme> &themes = all();
    for (int i = 0; i < themes.size(); ++i) {
        if (themes.at(i).name == name)
            return i;
    }
    return -1;
}

const GridThemes::Theme &GridThemes::designed()
{
    return all().at(1);
}
