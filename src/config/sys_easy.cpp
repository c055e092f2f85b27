#include "config/sys_easy.h"

#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "config/SettingsDialogLook.h"
#include "data/Dataset.h"


Tfrm_sys_easy::Tfrm_sys_easy(const QColor &windowColour, const QColor &gridColour, const QString &table,
                             const QString &field, QWidget *parent)
    : Tfrm_base_dbdialog(parent)
    , m_table(table)
    , m_startField(field)
{
    setObjectName(QStringLiteral("frm_sys_easy"));
    setWindowTitle(QStringLiteral("设置文本列字段快捷录入"));

    m_pnlTop = AddFieldPickerPanel(this, QStringLiteral("提示:只有在[设置列字段]中,<快捷录入>打钩的才会显示。"),
                                   m_dbcb1);

    DbGrid *grid = dbgrid1();
    grid->setRowHeight(25);
    grid->setTitleHeight(25);
    grid->addColumn(QStringLiteral("SEASY"), QStringLiteral("快捷值"), 100);
    grid->addColumn(QStringLiteral("SVALUE"), QStringLiteral("完整值"), 400);

    ColourSettingsDialog(this, m_pnlTop, windowColour, gridColour);
    ColourControl(m_dbcb1, gridColour);
    resize(580, 480);

    connect(m_dbcb1, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { RunCommand([this] { dbcb1Change(); }); });
    connect(&Qry1(), &Dataset::newRecord, this, [this] { Qry1NewRecord(); });
}

void Tfrm_sys_easy::Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                            const QString &field, QWidget *parent)
{
    Tfrm_sys_easy dialog(windowColour, gridColour, table, field, parent);
    dialog.exec();
}

void Tfrm_sys_easy::FormShow()
{
    // Qry1 stays closed until a field is picked.
    FillFieldPicker(Qry(),
                    QStringLiteral("select SFIELD, SFIELDNAME1 from S_FIELD where stable=%1 and ieasy=1 and idisplay=1 "
                                   "order by SFIELDNAME1")
                        .arg(QuoteSql(m_table)),
                    m_dbcb1, m_startField);
}

void Tfrm_sys_easy::dbcb1Change()
{
    const QString field = m_dbcb1->currentCode();
    if (field.isEmpty() || field == m_field)
        return;
    // A phrase typed for the previous field is stored before its list goes;
    // if that fails the row and the previous pick stay for correction.
    if (!storePendingRow()) {
        const QSignalBlocker block(m_dbcb1);
        m_dbcb1->setCurrentCode(m_field);
        return;
    }
    LoadList(field);
}

bool Tfrm_sys_easy::LoadList(const QString &field)
{
    m_field.clear();
    if (!OpenSql(Qry1(), QStringLiteral("select * from s_easy where stable=%1 and  sfield=%2")
                             .arg(QuoteSql(m_table), QuoteSql(field))))
        return false;
    m_field = field;
    return true;
}

void Tfrm_sys_easy::Qry1NewRecord()
{
    if (m_field.isEmpty())
        return;
    Qry1().setValue(QStringLiteral("STABLE"), m_table);
    Qry1().setValue(QStringLiteral("SFIELD"), m_field);
}
