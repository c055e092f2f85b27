#pragma once

#include "app/base_dbdialog.h"

#include <QColor>
#include <QString>

class MapListCombo;
class QWidget;

// "设置文本列字段快捷录入": the quick-input phrases (S_EASY) of one text
// field, picked from the fields of a table marked for quick input.
class Tfrm_sys_easy : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    // table: "N_A" or "N_B"; field: the field to open on, or empty.
    Tfrm_sys_easy(const QColor &windowColour, const QColor &gridColour, const QString &table, const QString &field,
                  QWidget *parent = nullptr);

    // Shows the window modally. Phrases are read at each expansion, so
    // nobody reloads anything afterwards.
    static void Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                        const QString &field, QWidget *parent = nullptr);

    MapListCombo *dbcb1() const { return m_dbcb1; }
    QWidget *pnlTop() const { return m_pnlTop; }
    // The field whose phrases are shown; empty while none is.
    QString currentField() const { return m_field; }

protected:
    void FormShow() override;

private:
    void dbcb1Change();
    bool LoadList(const QString &field);
    void Qry1NewRecord();

    QString m_table;
    QString m_startField;
    QString m_field;
    QWidget *m_pnlTop;
    MapListCombo *m_dbcb1;
};
