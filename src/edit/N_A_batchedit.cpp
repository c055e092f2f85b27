#include "edit/N_A_batchedit.h"

#include "app/DbDateEdit.h"
#include "app/DbMapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "data/Schema.h"
#include "data/SharedState.h"
#include "edit/BatchEditStatement.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The three value editors share one place; the field's type shows one.
const QRect kValueRect(153, 165, 403, 29);

} // namespace

Tfrm_N_A_batchedit::Tfrm_N_A_batchedit(const QString &conditionText, QWidget *parent)
    : Tfrm_base_dbform(parent)
    , m_conditionText(conditionText)
{
    setObjectName(QStringLiteral("frm_N_A_batchedit"));
    setWindowTitle(QStringLiteral("表格字段内容批量修改"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(601, 298);

    auto label = [this](const char *name, const QString &caption, const QRect &place) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(place);
        return l;
    };
    m_label4 = label("Label4", QStringLiteral("批量修改范围：主界面表格内所有显示的记录。"), QRect(48, 30, 508, 29));
    m_label1 = label("Label1", QStringLiteral("要修改字段"), QRect(48, 100, 100, 29));
    m_label3 = label("Label3", QStringLiteral("内容修改为"), QRect(48, 165, 100, 29));

    m_dbcb1 = new DbMapListCombo(this);
    m_dbcb1->setObjectName(QStringLiteral("dbcb1"));
    m_dbcb1->setGeometry(153, 100, 403, 29);

    m_dbcb3 = new DbMapListCombo(this);
    m_dbcb3->setObjectName(QStringLiteral("dbcb3"));
    m_dbcb3->setGeometry(kValueRect);
    m_dbed3 = new QLineEdit(this);
    m_dbed3->setObjectName(QStringLiteral("dbed3"));
    m_dbed3->setGeometry(kValueRect);
    m_dbdtp3 = new DbDateEdit(this);
    m_dbdtp3->setObjectName(QStringLiteral("dbdtp3"));
    m_dbdtp3->setGeometry(kValueRect);
    // Until a field is chosen the window looks as designed: one plain editor.
    m_dbcb3->hide();
    m_dbdtp3->hide();

    m_btn1 = new QPushButton(QStringLiteral("修改"), this);
    m_btn1->setObjectName(QStringLiteral("btn1"));
    m_btn1->setGeometry(190, 235, 100, 34);
    m_btn2 = new QPushButton(QStringLiteral("关闭"), this);
    m_btn2->setObjectName(QStringLiteral("btn2"));
    m_btn2->setGeometry(330, 235, 100, 34);
    // Enter in an editor must not change every volume: only a click applies.
    m_btn1->setAutoDefault(false);
    m_btn2->setAutoDefault(false);

    setTabOrder(m_dbcb1, m_dbcb3);
    setTabOrder(m_dbcb3, m_dbed3);
    setTabOrder(m_dbed3, m_dbdtp3);
    setTabOrder(m_dbdtp3, m_btn1);
    setTabOrder(m_btn1, m_btn2);

    connect(m_dbcb1, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        RunCommand([this] { dbcb1Change(); });
    });
    // Refusals and database failures are shown inside; the result is for callers.
    connect(m_btn1, &QPushButton::clicked, this, [this] { RunCommand([this] { btn1Click(); }); });
    connect(m_btn2, &QPushButton::clicked, this, &Tfrm_N_A_batchedit::btn2Click);

    LoadFields();
    m_dbcb1->setFocus();
}

void Tfrm_N_A_batchedit::Execute(const QColor &windowColour, const QColor &editorColour,
                                 const QString &conditionText, QWidget *parent)
{
    Tfrm_N_A_batchedit dialog(conditionText, parent);
    dialog.applyColours(windowColour, editorColour);
    dialog.exec();
}

void Tfrm_N_A_batchedit::applyColours(const QColor &windowColour, const QColor &colour)
{
    applyThemeColours(windowColour, colour);
    for (QWidget *w : {static_cast<QWidget *>(m_dbcb1), static_cast<QWidget *>(m_dbcb3),
                       static_cast<QWidget *>(m_dbed3), static_cast<QWidget *>(m_dbdtp3)})
        ColourControl(w, colour);
}

bool Tfrm_N_A_batchedit::LoadFields()
{
    return FillComboFromSql(Qry(),
                            QStringLiteral("select SFIELD, SFIELDNAME1 from S_FIELD where stable='N_A' and  idisplay=1  "
                                           "order by ino"),
                            true, m_dbcb1);
}

QString Tfrm_N_A_batchedit::fieldCode() const
{
    return m_dbcb1->currentCode().trimmed().toUpper();
}

void Tfrm_N_A_batchedit::dbcb1Change()
{
    const QString field = fieldCode();
    if (field.isEmpty())
        return;
    const QChar type = Schema::fieldType(field);
    m_dbcb3->setVisible(type == QLatin1Char('C'));
    m_dbdtp3->setVisible(type == QLatin1Char('D'));
    m_dbed3->setVisible(type != QLatin1Char('C') && type != QLatin1Char('D'));
    if (type == QLatin1Char('C')) {
        FillComboFromSql(Qry(),
                         QStringLiteral("select   b.") + field + QStringLiteral(",b.") + field
                             + QStringLiteral("NAME from  N_") + field + QStringLiteral(" b  order by  b.") + field
                             + QStringLiteral("ORDER"),
                         true, m_dbcb3);
        m_dbcb3->addListItem(BatchEditStatement::blankItem());
        m_dbcb3->clearSelection();
    } else if (type == QLatin1Char('D')) {
        m_dbdtp3->setDate(QDate::currentDate());
    } else {
        m_dbed3->clear();
        // Longer text than the column holds would only be refused by the store.
        const TableDef *table = Schema::table(QStringLiteral("N_A"));
        const ColumnDef *column = table ? table->column(field) : nullptr;
        m_dbed3->setMaxLength(type == QLatin1Char('S') && column && column->width > 0 ? column->width : 32767);
    }
}

bool Tfrm_N_A_batchedit::btn1Click()
{
    const QString field = fieldCode();
    if (field.isEmpty())
        return false;
    BatchEditStatement::Input input;
    input.field = field;
    input.caption = m_dbcb1->currentText();
    const QChar type = Schema::fieldType(field);
    QWidget *editor = m_dbed3;
    if (type == QLatin1Char('C')) {
        editor = m_dbcb3;
        input.text = m_dbcb3->currentCode();
    } else if (type == QLatin1Char('D')) {
        editor = m_dbdtp3;
        // Text that is no date must not turn into null.
        if (!m_dbdtp3->isTextValid()) {
            ShowWarning(DbDateEdit::badDateMessage(m_dbdtp3->text()));
            m_dbdtp3->setFocus();
            return false;
        }
        input.date = m_dbdtp3->date();
    } else {
        input.text = m_dbed3->text();
    }

    const BatchEditStatement::Result result = BatchEditStatement::build(input, m_conditionText, shared().edition);
    if (!result.ok()) {
        ShowWarning(result.message);
        editor->setFocus();
        return false;
    }
    try {
        ExecSql(Qry(), result.statement);
    } catch (const SqlError &) {
        return false; // shown with the statement; the choices stay for a correction
    }
    ShowInfo(QStringLiteral("批量修改成功！"));
    clearChoices();
    return true;
}

void Tfrm_N_A_batchedit::clearChoices()
{
    m_dbcb1->clearSelection();
    m_dbcb3->clear();
    m_dbcb3->clearSelection();
    m_dbed3->clear();
    m_dbdtp3->setDate(QDate());
}

void Tfrm_N_A_batchedit::btn2Click()
{
    close();
}
