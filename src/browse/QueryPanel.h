#pragma once

#include "browse/QueryConditions.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QString>

class Dataset;
class DbDateEdit;
class DbEdit;
class DbMapListCombo;
class QLabel;
class QPushButton;
class QWidget;
class Tfrm_base_dbform;

// The query controls of one table letter ('A' volumes, 'B' documents) on a
// query panel: for each of the 38 field codes a label lbl<code> and
// dbed<code> (S, I, F), dbcb<code> (C) or dbdts<code>, lbl<code>3 "-" and
// dbdte<code> (D). They are children of the panel, unbound, hidden until the
// layout shows them, and carry the property "tag" = 8. Values stay in hidden
// controls and keep filtering until the panel is cleared.
class QueryPanel : public QObject {
    Q_OBJECT
public:
    // form gives the editors its key helpers (Enter to the next control,
    // number filters on I and F fields); it may be null.
    QueryPanel(QChar table, QWidget *panel, Tfrm_base_dbform *form = nullptr);
    ~QueryPanel() override;

    QChar table() const { return m_table; }
    QWidget *panel() const { return m_panel; }
    // The 38 codes in condition order.
    QStringList codes() const { return m_codes; }

    // Metrics of one screen-width tier.
    struct Metrics {
        int labelWidth, editorWidth, dateWidth, dashWidth, columnStep, buttonOffset, buttonWidth, glyphSpacing;
    };
    static Metrics metricsFor(int screenWidth);
    static constexpr int LeftMargin = 3;
    static constexpr int TopMargin = 4;
    static constexpr int LabelDrop = 3;

    // Hides the whole pool, then shows and places the fields that
    // "select ino, sfield from s_query where stable='<tableKey>' order by ino"
    // lists (positions 1..4 the first row, 5..8 the second, from top). A
    // field listed twice ends up at its later position; positions outside
    // 1..8 and unknown codes show nothing. When there is at least one row the
    // buttons (either may be null) are placed and captioned and the result is
    // the panel height 2 * rowHeight() + top + 2; with no row (or a failing
    // statement, which is reported) -1, and the buttons stay as they were.
    int BuildQueryPanel(Dataset &scratch, const QString &tableKey, int screenWidth, QPushButton *btnDoQuery,
                        QPushButton *btnClearQuery, int top = TopMargin);
    // Height of one panel row: the text editor's height + 2.
    int rowHeight() const;

    // Fills the ten code combos from "select XC01, XC01NAME from N_XC01
    // order by XC01ORDER" (mapped). A failing list is reported and left
    // empty; the others are still filled. A chosen code stays chosen while
    // it is still in its list.
    void LoadCodeLists(Dataset &scratch);
    // Label captions from the field caption cache (a code without a caption
    // keeps its label text).
    void ApplyFieldCaptions();
    // Background of every editor, combo and date picker of the pool.
    void setControlColour(const QColor &colour);

    // The values of every pool control, shown or hidden, as they stand (text
    // still being typed into a date picker counts once it is a date).
    QList<QueryConditions::Input> inputs() const;
    // The condition text of every pool control, shown or hidden. Typed text
    // is committed first (CommitEditors on the panel). A date picker holding
    // text that is no date or a number field holding no number gets its
    // message (the latter "“页数”中的内容不是有效的整数！"), takes the cursor,
    // and the caller is unwound by SilentAbort: nothing must run.
    QString conditionText(const QString &edition);

    // Empties every pool control (text, chosen code, dates), hidden ones too.
    void clear();

    // --- controls by code (nullptr when the code has no such control) ------
    QLabel *label(const QString &code) const;
    DbEdit *editor(const QString &code) const;
    DbMapListCombo *combo(const QString &code) const;
    DbDateEdit *startDate(const QString &code) const;
    QLabel *dash(const QString &code) const;
    DbDateEdit *endDate(const QString &code) const;
    // The control that takes the cursor for a code (editor, combo or start picker).
    QWidget *inputOf(const QString &code) const;
    // Every widget of the pool.
    QList<QWidget *> poolWidgets() const;

private:
    struct Controls {
        QLabel *label = nullptr;
        DbEdit *editor = nullptr;
        DbMapListCombo *combo = nullptr;
        DbDateEdit *start = nullptr;
        QLabel *dash = nullptr;
        DbDateEdit *end = nullptr;
    };
    void createPool(Tfrm_base_dbform *form);
    void syncInputHeights();

    QChar m_table;
    QWidget *m_panel;
    QStringList m_codes;
    QHash<QString, Controls> m_controls;
};
