#include "browse/QueryPanel.h"

#include "app/DbDateEdit.h"
#include "app/DbEdit.h"
#include "app/DbEditors.h"
#include "app/DbMapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "app/base_dbform.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Layout finds the pool by this tag, as the other windows' pools do.
constexpr int kPoolTag = 8;

template <typename W>
W *poolWidget(QWidget *panel, const QString &name)
{
    auto *w = new W(panel);
    w->setObjectName(name);
    w->setProperty("tag", kPoolTag);
    w->hide();
    return w;
}

void place(QWidget *w, int x, int y, int width)
{
    w->setGeometry(x, y, width, w->height());
    w->show();
}

} // namespace

QueryPanel::QueryPanel(QChar table, QWidget *panel, Tfrm_base_dbform *form)
    : QObject(panel)
    , m_table(table.toUpper())
    , m_panel(panel)
    , m_codes(QueryConditions::fieldCodes(table))
{
    setObjectName(QStringLiteral("queryPanel") + m_table);
    createPool(form);
}

QueryPanel::~QueryPanel() = default;

void QueryPanel::createPool(Tfrm_base_dbform *form)
{
    for (const QString &code : std::as_const(m_codes)) {
        Controls c;
        c.label = poolWidget<QLabel>(m_panel, QStringLiteral("lbl") + code);
        c.label->setText(code);
        const QChar type = QueryConditions::typeOf(code);
        QList<QWidget *> inputs;
        if (type == QLatin1Char('C')) {
            c.combo = poolWidget<DbMapListCombo>(m_panel, QStringLiteral("dbcb") + code);
            inputs << c.combo;
        } else if (type == QLatin1Char('D')) {
            c.start = poolWidget<DbDateEdit>(m_panel, QStringLiteral("dbdts") + code);
            c.dash = poolWidget<QLabel>(m_panel, QStringLiteral("lbl") + code + QLatin1Char('3'));
            c.dash->setText(QStringLiteral("-"));
            c.end = poolWidget<DbDateEdit>(m_panel, QStringLiteral("dbdte") + code);
            inputs << c.start << c.end;
        } else {
            c.editor = poolWidget<DbEdit>(m_panel, QStringLiteral("dbed") + code);
            inputs << c.editor;
            if (form && type == QLatin1Char('I'))
                form->installIntegerFilter(c.editor);
            else if (form && type == QLatin1Char('F'))
                form->installFloatFilter(c.editor);
        }
        if (form) {
            for (QWidget *w : std::as_const(inputs))
                form->installKeyP(w);
        }
        m_controls.insert(code, c);
    }
    syncInputHeights();
}

void QueryPanel::syncInputHeights()
{
    // One height for every input, that of the text editor in the current font,
    // so a row's editors, combos and pickers line up.
    const int inputHeight = editor(m_codes.first())->sizeHint().height();
    for (const Controls &c : std::as_const(m_controls)) {
        for (QWidget *w : {static_cast<QWidget *>(c.editor), static_cast<QWidget *>(c.combo),
                           static_cast<QWidget *>(c.start), static_cast<QWidget *>(c.end)}) {
            if (w)
                w->resize(w->width(), inputHeight);
        }
        for (QLabel *l : {c.label, c.dash}) {
            if (l)
                l->resize(l->width(), l->sizeHint().height());
        }
    }
}

QueryPanel::Metrics QueryPanel::metricsFor(int screenWidth)
{
    if (screenWidth < 1360)
        return {65, 160, 77, 6, 230, 918, 92, 2};
    if (screenWidth < 1600)
        return {68, 230, 110, 10, 310, 1230, 120, 4};
    return {85, 240, 115, 10, 340, 1350, 130, 4};
}

int QueryPanel::rowHeight() const
{
    return editor(m_codes.first())->height() + 2;
}

int QueryPanel::BuildQueryPanel(Dataset &scratch, const QString &tableKey, int screenWidth, QPushButton *btnDoQuery,
                                QPushButton *btnClearQuery, int top)
{
    for (QWidget *w : poolWidgets())
        w->hide();
    syncInputHeights();

    const int h = rowHeight();
    const Metrics m = metricsFor(screenWidth);
    QString key = tableKey;
    key.replace(QLatin1Char('\''), QLatin1String("''"));
    if (!OpenSql(scratch, QStringLiteral("select ino, sfield from s_query where stable='%1' order by ino").arg(key)))
        return -1;
    if (scratch.isEmpty())
        return -1;

    for (scratch.first(); !scratch.eof(); scratch.next()) {
        const int p = scratch.value(QStringLiteral("INO")).toInt();
        const QString code = scratch.text(QStringLiteral("SFIELD")).trimmed().toUpper();
        if (p < 1 || p > 8 || !m_controls.contains(code))
            continue; // no place on the panel
        const Controls &c = m_controls[code];
        const int x = LeftMargin + ((p - 1) % 4) * m.columnStep;
        const int y = top + ((p - 1) / 4) * h;

        place(c.label, x, y + LabelDrop, m.labelWidth);
        const QChar type = QueryConditions::typeOf(code);
        if (type == QLatin1Char('D')) {
            place(c.start, x + m.labelWidth, y, m.dateWidth);
            place(c.dash, x + m.labelWidth + m.dateWidth, y + LabelDrop, m.dashWidth);
            place(c.end, x + m.labelWidth + m.dateWidth + m.dashWidth, y, m.dateWidth);
        } else if (type == QLatin1Char('C')) {
            place(c.combo, x + m.labelWidth, y, m.editorWidth);
        } else {
            place(c.editor, x + m.labelWidth, y, m.editorWidth);
        }
    }

    if (btnDoQuery) {
        btnDoQuery->setGeometry(LeftMargin + m.buttonOffset, top + h, m.buttonWidth, h - 2);
        btnDoQuery->setText(QStringLiteral("执行查询"));
        btnDoQuery->setProperty("glyphSpacing", m.glyphSpacing);
    }
    if (btnClearQuery) {
        btnClearQuery->setGeometry(LeftMargin + m.buttonOffset, top, m.buttonWidth, h - 2);
        btnClearQuery->setText(QStringLiteral("清除条件"));
        btnClearQuery->setProperty("glyphSpacing", m.glyphSpacing);
    }
    return 2 * h + top + 2;
}

void QueryPanel::LoadCodeLists(Dataset &scratch)
{
    for (const QString &code : std::as_const(m_codes)) {
        DbMapListCombo *cb = combo(code);
        if (!cb)
            continue;
        const QString chosen = cb->currentCode();
        // A failure is reported by the filler and leaves this combo empty.
        FillComboFromSql(scratch, QStringLiteral("select %1, %1NAME from N_%1 order by %1ORDER").arg(code), true, cb);
        if (!chosen.isEmpty())
            cb->setCurrentCode(chosen);
    }
}

void QueryPanel::ApplyFieldCaptions()
{
    for (const QString &code : std::as_const(m_codes)) {
        const QString caption = shared().caption(code);
        if (!caption.isEmpty())
            label(code)->setText(caption);
    }
}

void QueryPanel::setControlColour(const QColor &colour)
{
    for (const Controls &c : std::as_const(m_controls)) {
        for (QWidget *w : {static_cast<QWidget *>(c.editor), static_cast<QWidget *>(c.combo),
                           static_cast<QWidget *>(c.start), static_cast<QWidget *>(c.end)}) {
            if (!w)
                continue;
            QPalette p = w->palette();
            p.setColor(QPalette::Base, colour);
            if (w == c.combo)
                p.setColor(QPalette::Button, colour); // a drop-down list shows its face, not its base
            w->setPalette(p);
        }
    }
}

QList<QueryConditions::Input> QueryPanel::inputs() const
{
    QList<QueryConditions::Input> list;
    for (const QString &code : std::as_const(m_codes)) {
        const Controls &c = m_controls[code];
        QueryConditions::Input in;
        in.code = code;
        if (c.editor)
            in.text = c.editor->text();
        else if (c.combo)
            in.text = c.combo->currentCode();
        else if (c.start) {
            in.start = c.start->date();
            in.end = c.end->date();
        }
        list.append(in);
    }
    return list;
}

QString QueryPanel::conditionText(const QString &edition)
{
    // A date typed but not yet left counts; text that is no date was reported.
    if (!CommitEditors(m_panel))
        throw SilentAbort();
    try {
        return QueryConditions::conditionText(inputs(), edition);
    } catch (const QueryInputError &e) {
        ShowWarning(e.message());
        if (QWidget *w = inputOf(e.code()); w && w->isVisible())
            w->setFocus(Qt::OtherFocusReason);
        throw SilentAbort();
    }
}

void QueryPanel::clear()
{
    for (QWidget *w : poolWidgets())
        ClearEditor(w);
}

QLabel *QueryPanel::label(const QString &code) const
{
    return m_controls.value(code.toUpper()).label;
}

DbEdit *QueryPanel::editor(const QString &code) const
{
    return m_controls.value(code.toUpper()).editor;
}

DbMapListCombo *QueryPanel::combo(const QString &code) const
{
    return m_controls.value(code.toUpper()).combo;
}

DbDateEdit *QueryPanel::startDate(const QString &code) const
{
    return m_controls.value(code.toUpper()).start;
}

QLabel *QueryPanel::dash(const QString &code) const
{
    return m_controls.value(code.toUpper()).dash;
}

DbDateEdit *QueryPanel::endDate(const QString &code) const
{
    return m_controls.value(code.toUpper()).end;
}

QWidget *QueryPanel::inputOf(const QString &code) const
{
    const Controls c = m_controls.value(code.toUpper());
    if (c.editor)
        return c.editor;
    if (c.combo)
        return c.combo;
    return c.start;
}

QList<QWidget *> QueryPanel::poolWidgets() const
{
    QList<QWidget *> list;
    for (const QString &code : m_codes) {
        const Controls &c = m_controls[code];
        for (QWidget *w : {static_cast<QWidget *>(c.label), static_cast<QWidget *>(c.editor),
                           static_cast<QWidget *>(c.combo), static_cast<QWidget *>(c.start),
                           static_cast<QWidget *>(c.dash), static_cast<QWidget *>(c.end)}) {
            if (w)
                list.append(w);
        }
    }
    return list;
}
