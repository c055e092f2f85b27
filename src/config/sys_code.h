#pragma once

#include "app/base_dbdialog.h"

#include <QColor>
#include <QString>

class MapListCombo;
class QWidget;

// "设置选择下拉列字段内容": the entries of one code field's list table
// (N_AC01 for AC01 ...), picked from the displayed code fields of a table.
class Tfrm_sys_code : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    // table: "N_A" or "N_B"; field: the code field to open on, or empty.
    // withCodeColumn: the short-code column of volume lists can be edited.
    Tfrm_sys_code(const QColor &windowColour, const QColor &gridColour, const QString &table,
                  const QString &field, bool withCodeColumn, QWidget *parent = nullptr);

    // Shows the window modally. Callers that show the list reload it
    // themselves afterwards.
    static void Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                        const QString &field, bool withCodeColumn, QWidget *parent = nullptr);

    MapListCombo *dbcb1() const { return m_dbcb1; }
    QWidget *pnlTop() const { return m_pnlTop; }
    // The field whose list is shown; empty while none is.
    QString currentField() const { return m_field; }

protected:
    void FormShow() override;

private:
    void dbcb1Change();
    // Opens the list of field; false when it could not be opened.
    bool LoadList(const QString &field);
    void Qry1NewRecord();

    QString m_table;
    QString m_startField;
    bool m_withCode;
    QString m_field;
    QWidget *m_pnlTop;
    MapListCombo *m_dbcb1;
};
