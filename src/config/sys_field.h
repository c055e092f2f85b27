#pragma once

#include "app/base_dbdialog.h"

#include <QString>

class QAction;

// "设置列字段": the field dictionary (S_FIELD) of one table — labels, shown,
// required, default-value rule, quick input and the order of the fields.
class Tfrm_sys_field : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    // table: "N_A" or "N_B".
    Tfrm_sys_field(const QColor &windowColour, const QColor &gridColour, const QString &table,
                   QWidget *parent = nullptr);

    // Shows the window modally for table. Afterwards the field caption cache
    // holds the table's saved labels; callers lay themselves out again.
    static void Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                        QWidget *parent = nullptr);

    QString table() const { return m_table; }
    QAction *tlbUp() const { return m_tlbUp; }
    QAction *tlbDown() const { return m_tlbDown; }

    // The save of "保存" and of closing: posts the row, numbers the fields
    // (displayed ones first), refreshes the caption cache and reopens the
    // grid on the same number. False when a step failed (shown); the row
    // being edited then stays for correction.
    bool SaveAll();

public slots:
    void tlbUpClick();
    void tlbDownClick();

    // Closing saves first; a failed save keeps the window open.
    void reject() override;

private:
    void move(int step);
    void reopenAt(int ino);
    bool postPending();

    QString m_table;
    QAction *m_tlbUp = nullptr;
    QAction *m_tlbDown = nullptr;
};
