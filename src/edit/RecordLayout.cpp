#include "edit/RecordLayout.h"

namespace RecordLayout {

Result layOut(const QList<Field> &fields, int editorHeight, const QString &tallField)
{
    Result result;
    const int H = editorHeight + 2;
    result.rowHeight = H;
    int slot = 0;
    int sinceTall = -1; // fields placed since the tall one; -1 before it
    for (int n = 0; n < fields.size(); ++n) {
        const Field &f = fields.at(n);
        // The second and third field after the tall one step over its column
        // in the two rows it reaches down into.
        if (sinceTall >= 0) {
            ++sinceTall;
            if (sinceTall == 2 || sinceTall == 3)
                ++slot;
        }
        Placed p;
        p.code = f.code;
        p.type = f.type.toUpper();
        p.slot = slot;
        p.row = (slot + 2) / 2;
        p.left = slot % 2 == 0;
        p.x = p.left ? LeftColumn : RightColumn;
        p.labelTop = (p.row - 1) * H + TopMargin + LabelDrop;
        p.editorLeft = p.x + LabelWidth;
        p.editorTop = (p.row - 1) * H + TopMargin;
        p.editorHeight = editorHeight;
        p.marker = f.notNull;
        p.markerLeft = p.x + LabelWidth + EditorWidth + MarkerGap;
        p.tabOrder = n;
        p.sideButtonLeft = p.x + LabelWidth + EditorWidth;
        const QString &t = p.type;
        p.hasEditor = t == QLatin1String("S") || t == QLatin1String("I") || t == QLatin1String("F")
                      || t == QLatin1String("D") || t == QLatin1String("C");
        p.sideButton = (t == QLatin1String("S") && f.easy) || t == QLatin1String("C");
        p.lastRow = p.row;
        if (f.code.compare(tallField, Qt::CaseInsensitive) == 0) {
            p.editorHeight = editorHeight + 2 * H;
            p.lastRow = p.row + 2;
            sinceTall = 0;
        }
        result.lastRow = qMax(result.lastRow, p.lastRow);
        result.fields << p;
        ++slot;
    }
    result.buttonTop = result.lastRow * H + 30;
    result.windowHeight = result.lastRow * H + 110;
    return result;
}

} // namespace RecordLayout
