#include "config/sys_code.h"

#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "config/SettingsDialogLook.h"
#include "data/Dataset.h"

#include <QRegularExpression>

namespace {

// The field code becomes part of table and column names: only a plain name
// may go into the statement.
bool isFieldCode(const QString &field)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*$"));
    return plain.match(field).hasMatch();
}

} // namespace

Tfrm_sys_code::Tfrm_sys_code(const QColor &windowColour, const QColor &gridColour, const QString &table,
                             const QString &field, bool withCodeColumn, QWidget *parent)
    : Tfrm_base_dbdialog(parent)
    , m_table(table)
    , m_startField(field)
    , m_withCode(withCodeColumn)
{
    setObjectName(QStringLiteral("frm_sys_code"));
    setWindowTitle(QStringLiteral("设置选择下拉列字段内容"));

    m_pnlTop = AddFieldPickerPanel(
        this, QStringLiteral("提示:只有在[设置列字段]功能中,<是否显示>打钩的选择类字段才会显示。"), m_dbcb1);

    DbGrid *grid = dbgrid1();
    grid->setRowHeight(25);
    grid->setTitleHeight(25);

    ColourSettingsDialog(this, m_pnlTop, windowColour, gridColour);
    ColourControl(m_dbcb1, gridColour);
    resize(m_withCode ? 600 : 420, 480);

    connect(m_dbcb1, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { RunCommand([this] { dbcb1Change(); }); });
    connect(&Qry1(), &Dataset::newRecord, this, [this] { Qry1NewRecord(); });
}

void Tfrm_sys_code::Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                            const QString &field, bool withCodeColumn, QWidget *parent)
{
    Tfrm_sys_code dialog(windowColour, gridColour, table, field, withCodeColumn, parent);
    dialog.exec();
}

void Tfrm_sys_code::FormShow()
{
    // The grid stays empty until a field is picked: the base's open of Qry1
    // has nothing to run here.
    FillFieldPicker(Qry(),
                    QStringLiteral("select SFIELD, SFIELDNAME1 from S_FIELD where stable=%1 and SFIELDTYPE='C' "
                                   "and idisplay=1 order by SFIELDNAME1")
                        .arg(QuoteSql(m_table)),
                    m_dbcb1, m_startField);
}

void Tfrm_sys_code::dbcb1Change()
{
    const QString field = m_dbcb1->currentCode();
    if (field.isEmpty() || field == m_field)
        return;
    // A row typed for the previous field is stored before its list goes; if
    // that fails the row and the previous pick stay for correction.
    if (!storePendingRow()) {
        const QSignalBlocker block(m_dbcb1);
        m_dbcb1->setCurrentCode(m_field);
        return;
    }
    LoadList(field);
}

bool Tfrm_sys_code::LoadList(const QString &field)
{
    Qry1().close();
    m_field.clear();
    DbGrid *grid = dbgrid1();
    grid->clearColumns();
    if (!isFieldCode(field))
        return false;

    const QString label = m_dbcb1->currentText();
    grid->addColumn(field + QStringLiteral("NAME"), label + QStringLiteral("下拉项内容"), 200);
    grid->setColumnAlignment(grid->addColumn(field + QStringLiteral("ORDER"), QStringLiteral("下拉排序(数字)"), 120), Qt::AlignHCenter);
    const int codeCol = grid->addColumn(field + QStringLiteral("CODE"), label + QStringLiteral("代码"), 200);
    grid->setColumnAlignment(codeCol, Qt::AlignHCenter);
    grid->setColumnVisible(codeCol, false);
    grid->setColumnReadOnly(codeCol, !m_withCode);

    if (!OpenSql(Qry1(), QStringLiteral("select * from N_%1 order by %1ORDER").arg(field)))
        return false;
    m_field = field;
    // Document lists have no code column, whatever the caller asked for.
    grid->setColumnVisible(codeCol, m_withCode && Qry1().hasField(field + QStringLiteral("CODE")));
    return true;
}

void Tfrm_sys_code::Qry1NewRecord()
{
    if (m_field.isEmpty())
        return;
    // The new entry goes to the end of the drop-down list.
    if (!OpenSql(Qry(), QStringLiteral("select max(%1ORDER)+1 from N_%1").arg(m_field)))
        return;
    const QVariant next = Qry().isEmpty() ? QVariant() : Qry().value(0);
    Qry1().setValue(m_field + QStringLiteral("ORDER"), next.isNull() ? QVariant(1) : next);
}
