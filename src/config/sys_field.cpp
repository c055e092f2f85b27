#include "config/sys_field.h"

#include "app/AppIcons.h"
#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "config/FieldOrder.h"
#include "data/Dataset.h"
#include "data/base_dm.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QToolBar>

namespace {

// Hands everything to the grid's own cell delegate and then marks the cell:
// a drop-down button on the default-value column, a grey veil on the
// columns the user cannot change.
class FieldCellDelegate : public QStyledItemDelegate {
public:
    enum Mark { DropDown, Grey };
    FieldCellDelegate(QAbstractItemDelegate *inner, Mark mark, QObject *parent)
        : QStyledItemDelegate(parent), m_inner(inner), m_mark(mark)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_inner->paint(painter, option, index);
        if (m_mark == Grey) {
            painter->fillRect(option.rect.adjusted(0, 0, -1, -1), QColor(128, 128, 128, 70));
            return;
        }
        QStyleOptionButton button;
        button.rect = QRect(option.rect.right() - 16, option.rect.top() + 1, 16, option.rect.height() - 2);
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        QStyle *style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_PushButtonBevel, &button, painter, option.widget);
        QStyleOptionButton arrow(button);
        arrow.rect = button.rect.adjusted(3, 3, -3, -3);
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, option.widget);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return m_inner->sizeHint(option, index);
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return m_inner->createEditor(parent, option, index);
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        m_inner->setEditorData(editor, index);
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        m_inner->setModelData(editor, model, index);
    }
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override
    {
        m_inner->updateEditorGeometry(editor, option, index);
    }
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        return m_inner->editorEvent(event, model, option, index);
    }

private:
    QAbstractItemDelegate *m_inner;
    Mark m_mark;
};

} // namespace

Tfrm_sys_field::Tfrm_sys_field(const QColor &windowColour, const QColor &gridColour, const QString &table,
                               QWidget *parent)
    : Tfrm_base_dbdialog(parent), m_table(table)
{
    setObjectName(QStringLiteral("frm_sys_field"));
    setWindowTitle(QStringLiteral("设置列字段"));
    resize(1000, 600);

    // The rows come with the store: no adding, no deleting.
    tlbAdd()->setVisible(false);
    tlbDel()->setVisible(false);
    auto addMove = [this](const QString &name, const QString &caption, const QString &icon, void (Tfrm_sys_field::*slot)()) {
        auto *action = new QAction(AppIcon(icon), caption, this);
        action->setObjectName(name + QStringLiteral("Action"));
        tbmain()->insertAction(tlbSave(), action);
        tbmain()->widgetForAction(action)->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, slot] { RunCommand([&] { (this->*slot)(); }); });
        return action;
    };
    m_tlbUp = addMove(QStringLiteral("tlbUp"), QStringLiteral("上移"), QStringLiteral("go-up"), &Tfrm_sys_field::tlbUpClick);
    m_tlbDown = addMove(QStringLiteral("tlbDown"), QStringLiteral("下移"), QStringLiteral("go-down"),
                        &Tfrm_sys_field::tlbDownClick);
    // Saving here also numbers the fields and refreshes the captions.
    tlbSave()->disconnect(this);
    connect(tlbSave(), &QAction::triggered, this, [this] { SaveAll(); });

    DbGrid *grid = dbgrid1();
    grid->setOptions(grid->options() | DbGrid::RowResize);
    grid->setTitleHeight(44);
    grid->setWordWrap(true);
    const int ino = grid->addColumn(QStringLiteral("INO"), QStringLiteral("显示序号"), 60);
    grid->setColumnVisible(ino, false);
    grid->setColumnReadOnly(ino, true);
    grid->addColumn(QStringLiteral("SFIELDNAME1"), QStringLiteral("字段自定义名称"), 140);
    const QStringList checks{QStringLiteral("IDISPLAY"), QStringLiteral("INOTNULL")};
    for (const QString &field : checks) {
        const QString title = field == QLatin1String("IDISPLAY") ? QStringLiteral("增加修改界面是否显示")
                                                                  : QStringLiteral("内容不能为空");
        grid->setColumnCheckBox(grid->addColumn(field, title, 90), true, 1, 0);
    }
    const int newType = grid->addColumn(QStringLiteral("INEWTYPE"), QStringLiteral("增加记录默认值"), 100);
    grid->setColumnLists(newType, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")},
                         {QStringLiteral("重复"), QStringLiteral("递增"), QStringLiteral("空值")});
    grid->setItemDelegateForColumn(newType, new FieldCellDelegate(grid->itemDelegate(), FieldCellDelegate::DropDown, grid));
    grid->setColumnCheckBox(grid->addColumn(QStringLiteral("IEASY"), QStringLiteral("是否支持快捷录入"), 90), true, 1, 0);
    const QList<QPair<QString, QString>> fixed{
        {QStringLiteral("SFIELDNAME"), QStringLiteral("系统内部名称")},
        {QStringLiteral("SFIELD"), QStringLiteral("打印模板中名称")},
        {QStringLiteral("SREMARK"), QStringLiteral("使用说明（上移与下移可以设置字段在增加与修改中显示顺序）")}};
    for (const auto &column : fixed) {
        const int col = grid->addColumn(column.first, column.second, column.first == QLatin1String("SREMARK") ? 320 : 110);
        grid->setColumnReadOnly(col, true);
        grid->setItemDelegateForColumn(col, new FieldCellDelegate(grid->itemDelegate(), FieldCellDelegate::Grey, grid));
    }

    applyThemeColours(windowColour, gridColour);
    tbmain()->setAutoFillBackground(true);
    QPalette toolbarPalette = tbmain()->palette();
    toolbarPalette.setColor(QPalette::Window, windowColour);
    tbmain()->setPalette(toolbarPalette);
    grid->setFixedColor(windowColour);
    grid->setColor(gridColour);
    grid->setOddRowColor(gridColour);
    grid->setEvenRowColor(gridColour);

    Qry1().setSql(QStringLiteral("select * from S_FIELD where stable=") + QuoteSql(m_table)
                  + QStringLiteral(" order by  ino"));
}

void Tfrm_sys_field::Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                             QWidget *parent)
{
    Tfrm_sys_field dialog(windowColour, gridColour, table, parent);
    dialog.exec();
}

bool Tfrm_sys_field::postPending()
{
    return RunCommand([this] { tlbSaveClick(); });
}

void Tfrm_sys_field::reopenAt(int ino)
{
    if (!OpenSql(Qry1(), Qry1().sql()))
        return;
    Qry1().locate(QStringLiteral("INO"), ino);
}

bool Tfrm_sys_field::SaveAll()
{
    if (!Qry1().isOpen())
        return true;
    if (!postPending())
        return false;
    const int ino = Qry1().isEmpty() ? 0 : Qry1().value(QStringLiteral("INO")).toInt();
    const bool saved = RunCommand([this] { FieldOrder::renumber(Qry(), m_table); });
    // The labels as stored, whether or not the numbering went through.
    Tfrm_base_dm::readCaptions(Qry(), m_table);
    reopenAt(ino);
    return saved;
}

void Tfrm_sys_field::tlbUpClick()
{
    move(-1);
}

void Tfrm_sys_field::tlbDownClick()
{
    move(+1);
}

void Tfrm_sys_field::move(int step)
{
    if (!Qry1().isOpen() || Qry1().isEmpty())
        return;
    // A pending change is written before the rows are renumbered under it.
    if (!postPending())
        return;
    const int moved = FieldOrder::moveField(Qry(), m_table, Qry1().text(QStringLiteral("SFIELD")), step);
    if (moved > 0)
        reopenAt(moved);
}

void Tfrm_sys_field::reject()
{
    // A row the store refused stays for correction; a failed numbering has
    // been shown and changed nothing, so the window may go.
    if (!postPending())
        return;
    SaveAll();
    Tfrm_base_dbdialog::reject();
}
