#include "app/sys_uiset.h"

#include "app/ColourHolder.h"
#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlError>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct ColourField {
    const char *objectName;
    const char *label;
};

// In the order of GridThemes::Colour.
const ColourField colourFields[GridThemes::ColourCount] = {
    {"edtColorTitle", "表格标题颜色"},  {"edtColorOdd", "表格奇行颜色"},    {"edtColorEven", "表格偶行颜色"},
    {"edtColorSelected", "选中记录颜色"}, {"edtColorFooter", "表格求和行颜色"}, {"edtColorWindow", "窗体背景颜色"},
    {"edtColorControl", "窗体控件颜色"},
};

const ColourField fontFields[Tfrm_sys_uiset::FontFieldCount] = {
    {"edtFontTitle", "表格标题字体"},
    {"edtFontCell", "表格内容字体"},
    {"edtFontSystem", "系统字体"},
};

QString buttonName(const char *editName)
{
    // edtColorTitle -> btnColorTitle
    return QStringLiteral("btn") + QString::fromLatin1(editName + 3);
}

} // namespace

Tfrm_sys_uiset::Tfrm_sys_uiset(DbGrid *grid, ColourHolder *selected, ColourHolder *control, ColourHolder *window,
                               QWidget *parent)
    : Tfrm_base_form(parent)
    , m_grid(grid)
    , m_selected(selected)
    , m_control(control)
    , m_window(window)
{
    setObjectName(QStringLiteral("frm_sys_uiset"));
    setWindowTitle(QStringLiteral("设置主题字体与颜色"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (m_window)
        applyThemeColours(m_window->colour(), QColor());

    m_chooseColour = [](const QColor &current, QWidget *parent) {
        return QColorDialog::getColor(current, parent);
    };
    m_chooseFont = [](const QFont &current, QWidget *parent) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, current, parent);
        if (!ok)
            return std::nullopt;
        return font;
    };

    buildUi();
    load();
}

bool Tfrm_sys_uiset::Execute(DbGrid *grid, ColourHolder *selected, ColourHolder *control, ColourHolder *window,
                             QWidget *parent)
{
    Tfrm_sys_uiset dialog(grid, selected, control, window, parent);
    return dialog.exec() == QDialog::Accepted;
}

void Tfrm_sys_uiset::buildUi()
{
    auto *group = new QGroupBox(QStringLiteral(" 界面主题 "), this);
    group->setObjectName(QStringLiteral("grpTheme"));

    m_cbbTheme = new QComboBox(group);
    m_cbbTheme->setObjectName(QStringLiteral("cbbTheme"));
    for (const GridThemes::Theme &theme : GridThemes::all())
        m_cbbTheme->addItem(theme.name);
    m_cbbTheme->setCurrentIndex(-1);
    m_cbbTheme->setMinimumWidth(200);
    // activated also fires when the same theme is picked again, so a theme
    // can be restored after editing one of its colours.
    connect(m_cbbTheme, &QComboBox::activated, this, &Tfrm_sys_uiset::themeChosen);

    auto *themeRow = new QHBoxLayout;
    auto *themeLabel = new QLabel(QStringLiteral("选择界面主题"), group);
    themeLabel->setBuddy(m_cbbTheme);
    themeRow->addWidget(themeLabel);
    themeRow->addWidget(m_cbbTheme);
    themeRow->addStretch(1);

    auto *note1 = new QLabel(QStringLiteral("请选择界面的显示风格，应用不同的主题将会有不同的配置方案，您也可在"), group);
    auto *note2 = new QLabel(QStringLiteral("方案上进行修改。Win10建议设置好窗口标题颜色，系统会更美观。"), group);
    note1->setObjectName(QStringLiteral("lblNote1"));
    note2->setObjectName(QStringLiteral("lblNote2"));

    auto *form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(6);
    form->setColumnMinimumWidth(2, 24);
    form->setColumnStretch(4, 1);

    // Left half: the seven colours.
    for (int i = 0; i < GridThemes::ColourCount; ++i) {
        const auto which = GridThemes::Colour(i);
        auto *edit = new QLineEdit(group);
        edit->setObjectName(QString::fromLatin1(colourFields[i].objectName));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setFixedWidth(90);
        m_colourEdits[i] = edit;
        auto *button = new QToolButton(group);
        button->setObjectName(buttonName(colourFields[i].objectName));
        button->setText(QStringLiteral("..."));
        connect(button, &QToolButton::clicked, this, [this, which] { pickColour(which); });
        auto *field = new QHBoxLayout;
        field->setSpacing(2);
        field->addWidget(edit);
        field->addWidget(button);
        auto *label = new QLabel(QString::fromUtf8(colourFields[i].label), group);
        label->setBuddy(button);
        form->addWidget(label, i, 0, Qt::AlignRight | Qt::AlignVCenter);
        form->addLayout(field, i, 1, Qt::AlignLeft);
    }

    // Right half: fonts, title height, styles.
    int row = 0;
    for (int i = 0; i < FontFieldCount; ++i, ++row) {
        const auto which = FontField(i);
        auto *edit = new QLineEdit(group);
        edit->setObjectName(QString::fromLatin1(fontFields[i].objectName));
        edit->setReadOnly(true);
        edit->setFixedWidth(170);
        m_fontEdits[i] = edit;
        auto *button = new QToolButton(group);
        button->setObjectName(buttonName(fontFields[i].objectName));
        button->setText(QStringLiteral("..."));
        connect(button, &QToolButton::clicked, this, [this, which] { pickFont(which); });
        auto *field = new QHBoxLayout;
        field->setSpacing(2);
        field->addWidget(edit);
        field->addWidget(button);
        auto *label = new QLabel(QString::fromUtf8(fontFields[i].label), group);
        label->setBuddy(button);
        form->addWidget(label, row, 3, Qt::AlignRight | Qt::AlignVCenter);
        form->addLayout(field, row, 4, Qt::AlignLeft);
    }

    m_spnTitleHeight = new QSpinBox(group);
    m_spnTitleHeight->setObjectName(QStringLiteral("spnTitleHeight"));
    m_spnTitleHeight->setRange(0, 80); // two digits at most
    m_spnTitleHeight->setSingleStep(1);
    m_spnTitleHeight->setFixedWidth(70);
    auto *heightLabel = new QLabel(QStringLiteral("表格标题高度"), group);
    heightLabel->setBuddy(m_spnTitleHeight);
    form->addWidget(heightLabel, row, 3, Qt::AlignRight | Qt::AlignVCenter);
    form->addWidget(m_spnTitleHeight, row, 4, Qt::AlignLeft);
    ++row;

    auto addCheck = [&](QCheckBox *&box, const char *name, const char *text) {
        box = new QCheckBox(QString::fromUtf8(text), group);
        box->setObjectName(QString::fromLatin1(name));
        form->addWidget(box, row++, 4, Qt::AlignLeft);
    };
    addCheck(m_chkFlat, "chkFlat", "表格平面风格");
    addCheck(m_chkTitle3D, "chkTitle3D", "表格标题3D风格");
    addCheck(m_chkRecNo, "chkRecNo", "表格显示序号列");
    addCheck(m_chkSumRow, "chkSumRow", "表格显示求和行");

    auto *fontNote = new QLabel(QStringLiteral("注意：系统字体调整后，需要退出软件重新进入才生效！"), group);
    fontNote->setObjectName(QStringLiteral("lblFontNote"));
    QPalette notePalette = fontNote->palette();
    notePalette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    fontNote->setPalette(notePalette);

    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(12, 10, 12, 10);
    groupLayout->setSpacing(6);
    groupLayout->addLayout(themeRow);
    groupLayout->addWidget(note1);
    groupLayout->addWidget(note2);
    groupLayout->addSpacing(8);
    groupLayout->addLayout(form);
    groupLayout->addSpacing(8);
    groupLayout->addWidget(fontNote);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &Tfrm_sys_uiset::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(12, 12, 12, 12);
    main->addWidget(group);
    main->addLayout(buttons);
    // Fixed border: the dialog keeps the size its contents need.
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void Tfrm_sys_uiset::load()
{
    if (m_grid) {
        setColourField(GridThemes::Title, m_grid->fixedColor());
        setColourField(GridThemes::OddRow, m_grid->oddRowColor());
        setColourField(GridThemes::EvenRow, m_grid->evenRowColor());
        setColourField(GridThemes::Footer, m_grid->footerColor());
        m_chkSumRow->setChecked(m_grid->sumsActive());
        m_chkRecNo->setChecked(m_grid->options().testFlag(DbGrid::RecordNumbers));
        setFontField(TitleFont, m_grid->titleFont());
        setFontField(CellFont, m_grid->font());
        m_chkFlat->setChecked(m_grid->isFlat());
        m_chkTitle3D->setChecked(m_grid->options().testFlag(DbGrid::Titles3D));
        m_spnTitleHeight->setValue(m_grid->titleHeight());
    }
    if (m_selected)
        setColourField(GridThemes::Selected, m_selected->colour());
    if (m_control)
        setColourField(GridThemes::Controls, m_control->colour());
    if (m_window)
        setColourField(GridThemes::Window, m_window->colour());

    QFont system;
    system.setFamily(shared().sysFontName.isEmpty() ? QStringLiteral("微软雅黑") : shared().sysFontName);
    if (shared().sysFontSize > 0)
        system.setPointSize(shared().sysFontSize);
    else
        system.setPixelSize(15);
    setFontField(SystemFont, system);
}

void Tfrm_sys_uiset::themeChosen(int index)
{
    if (index < 0 || index >= GridThemes::count())
        return;
    const GridThemes::Theme &theme = GridThemes::at(index);
    for (int i = 0; i < GridThemes::ColourCount; ++i)
        setColourField(GridThemes::Colour(i), theme.colours[i]);
    m_chkFlat->setChecked(true);
    m_chkTitle3D->setChecked(false);
}

void Tfrm_sys_uiset::pickColour(GridThemes::Colour which)
{
    const QColor colour = m_chooseColour(m_colours[which], this);
    if (colour.isValid())
        setColourField(which, colour);
}

void Tfrm_sys_uiset::pickFont(FontField which)
{
    const std::optional<QFont> font = m_chooseFont(m_fonts[which], this);
    if (font)
        setFontField(which, *font);
}

void Tfrm_sys_uiset::setColourField(GridThemes::Colour which, const QColor &colour)
{
    m_colours[which] = colour;
    QLineEdit *edit = m_colourEdits[which];
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, colour);
    edit->setPalette(pal);
}

void Tfrm_sys_uiset::setFontField(FontField which, const QFont &font)
{
    m_fonts[which] = font;
    m_fontEdits[which]->setText(fontText(font));
    m_fontEdits[which]->setCursorPosition(0);
}

int Tfrm_sys_uiset::fontPoints(const QFont &font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    if (font.pixelSize() > 0)
        return qRound(font.pixelSize() * 72.0 / 96.0);
    return 0;
}

QString Tfrm_sys_uiset::fontText(const QFont &font)
{
    return font.family() + QLatin1Char('_') + QString::number(fontPoints(font));
}

void Tfrm_sys_uiset::confirm()
{
    // Checked before anything is applied, so a refused entry leaves the
    // caller exactly as it was.
    if (m_spnTitleHeight->cleanText().trimmed().isEmpty()) {
        ShowWarning(QStringLiteral("表格标题高度不能为空！"));
        m_spnTitleHeight->setFocus();
        return;
    }
    m_spnTitleHeight->interpretText();
    const int titleHeight = m_spnTitleHeight->value();

    const QString fontName = m_fonts[SystemFont].family();
    const int fontSize = fontPoints(m_fonts[SystemFont]);
    if (!storeSystemFont(fontName, fontSize))
        return;
    // Windows created from now on take it; open ones keep their font.
    shared().sysFontName = fontName;
    shared().sysFontSize = fontSize;

    applyToCaller(titleHeight);
    accept();
}

bool Tfrm_sys_uiset::storeSystemFont(const QString &name, int points)
{
    Dataset qry;
    QSqlDatabase db = qry.database();
    // Both rows or neither: a half-stored font would pair a name with the
    // wrong size at the next start.
    const bool ownTransaction = db.isOpen() && db.transaction();
    try {
        ExecSql(qry, QStringLiteral("update S_SET set SVALUE=") + QuoteSql(name)
                         + QStringLiteral("  where SNAME='SYSFONTNAME'"));
        ExecSql(qry, QStringLiteral("update S_SET set SVALUE=") + QString::number(points)
                         + QStringLiteral(" where SNAME='SYSFONTSIZE'"));
    } catch (const AppError &) {
        if (ownTransaction)
            db.rollback();
        return false;
    }
    if (ownTransaction && !db.commit()) {
        const QString message = db.lastError().text();
        db.rollback();
        ShowError(message);
        return false;
    }
    return true;
}

void Tfrm_sys_uiset::applyToCaller(int titleHeight)
{
    if (m_grid) {
        m_grid->setColor(m_colours[GridThemes::Controls]);
        m_grid->setFixedColor(m_colours[GridThemes::Title]);
        m_grid->setOddRowColor(m_colours[GridThemes::OddRow]);
        m_grid->setEvenRowColor(m_colours[GridThemes::EvenRow]);
        m_grid->setTitleFont(m_fonts[TitleFont]);
        m_grid->setFont(m_fonts[CellFont]);
        m_grid->setFooterFont(m_fonts[CellFont]);
        m_grid->setFlat(m_chkFlat->isChecked());
        m_grid->setTitleHeight(titleHeight);
        // The grid paints its selection itself; the holder keeps the colour
        // for the appearance file.
        m_grid->setSelectedRowColor(m_colours[GridThemes::Selected]);
    }
    if (m_selected)
        m_selected->setColour(m_colours[GridThemes::Selected]);
    if (m_control)
        m_control->setColour(m_colours[GridThemes::Controls]);
    if (m_window)
        m_window->setColour(m_colours[GridThemes::Window]);
    if (m_grid) {
        const bool sums = m_chkSumRow->isChecked();
        m_grid->setFooterColor(m_colours[GridThemes::Footer]);
        m_grid->setFooterRowCount(sums ? 1 : 0);
        m_grid->setSumsActive(sums);
        m_grid->setOption(DbGrid::RecordNumbers, m_chkRecNo->isChecked());
        m_grid->setOption(DbGrid::Titles3D, m_chkTitle3D->isChecked());
    }
}
