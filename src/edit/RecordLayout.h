#pragma once

#include <QList>
#include <QString>

// Where the record windows place the fields the dictionary displays: two
// columns of label, editor and required marker, the long text field three
// rows tall, the buttons in a row below. Pure geometry, so it can be checked
// without a window.
namespace RecordLayout {

constexpr int LabelWidth = 80;
constexpr int EditorWidth = 372;
constexpr int MarkerGap = 32;
constexpr int RightMargin = 8;
constexpr int LeftColumn = 12;
constexpr int RightColumn = 515;
constexpr int TopMargin = 10;
constexpr int LabelDrop = 3;
constexpr int SideButtonWidth = 26;
constexpr int WindowWidth = 2 * (LeftColumn + LabelWidth + EditorWidth + MarkerGap + RightMargin) + 10; // 1018

// One displayed field as the dictionary gives it.
struct Field {
    QString code;   // e.g. "AS01"
    QString type;   // "S", "I", "F", "C", "D"
    bool easy = false;    // IEASY = 1
    bool notNull = false; // INOTNULL = 1
};

struct Placed {
    QString code;
    QString type;
    int slot = 0;
    int row = 1;       // 1-based
    bool left = true;
    int x = 0;         // the column's left edge; the label's left
    int labelTop = 0;
    int editorLeft = 0;
    int editorTop = 0;
    int editorHeight = 0;
    bool hasEditor = false;    // a type with an editor
    bool marker = false;       // required marker shown, at markerLeft
    int markerLeft = 0;
    bool sideButton = false;   // "E" or "…" shown, at sideButtonLeft
    int sideButtonLeft = 0;
    int tabOrder = 0;
    int lastRow = 1;   // the last row the field covers
};

struct Result {
    QList<Placed> fields;
    int lastRow = 0;       // R: 0 when nothing is displayed
    int rowHeight = 0;     // H
    int buttonTop = 0;     // R × H + 30
    int windowWidth = WindowWidth;
    int windowHeight = 0;  // R × H + 110
};

// editorHeight: the height of a single-line editor (28 as designed); the row
// height is two more. tallField: the long text field ("AS50" or "BS50").
Result layOut(const QList<Field> &fields, int editorHeight, const QString &tallField);

} // namespace RecordLayout
