#include "TestStore.h"

#include "app/ColourHolder.h"
#include "app/DbGrid.h"
#include "app/GridThemes.h"
#include "app/MessageBoxes.h"
#include "app/PropStorage.h"
#include "app/sys_coldisplay.h"
#include "app/sys_uiset.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QToolButton>

namespace {

using Colours = std::array<QColor, GridThemes::ColourCount>;

// The grid and the three theme holders of a list window, in the designed look.
struct ListLook {
    QWidget window;
    DbGrid *grid = new DbGrid(&window);
    ColourHolder *selected = new ColourHolder(QStringLiteral("edtColorS"), QStringLiteral("表格选中行颜色"),
                                              QColor(220, 234, 245), &window);
    ColourHolder *windowColour = new ColourHolder(QStringLiteral("edtColorbg1"), QStringLiteral("窗体背景颜色"),
                                                  QColor(188, 213, 236), &window);
    ColourHolder *control = new ColourHolder(QStringLiteral("edtColorbg2"), QStringLiteral("窗体控件颜色"),
                                             QColor(235, 242, 250), &window);

    ListLook()
    {
        grid->setObjectName(QStringLiteral("dbgrid1"));
        grid->addColumn(QStringLiteral("ID"), QStringLiteral("编号"));
        grid->addColumn(QStringLiteral("N"), QStringLiteral("数量"));
        grid->setColor(QColor(235, 242, 250));
        grid->setFixedColor(QColor(188, 213, 236));
        grid->setOddRowColor(QColor(235, 242, 250));
        grid->setEvenRowColor(QColor(235, 242, 250));
        grid->setFooterColor(QColor(235, 242, 250));
        grid->setFlat(false);
        grid->setOption(DbGrid::Titles3D, true);
        grid->setOption(DbGrid::RecordNumbers, false);
        grid->setTitleHeight(0);
    }

    // Everything the appearance dialog may change, to compare before and after.
    QStringList snapshot() const
    {
        auto c = [](const QColor &colour) { return colour.name(); };
        return {c(grid->color()), c(grid->fixedColor()), c(grid->oddRowColor()), c(grid->evenRowColor()),
                c(grid->footerColor()), c(selected->colour()), c(windowColour->colour()), c(control->colour()),
                grid->titleFont().toString(), grid->font().toString(), grid->footerFont().toString(),
                QString::number(grid->isFlat()), QString::number(grid->titleHeight()),
                QString::number(grid->footerRowCount()), QString::number(grid->sumsActive()),
                QString::number(int(grid->options()))};
    }
};

QString settingText(const QString &name)
{
    Dataset q;
    q.open(QStringLiteral("select SVALUE from S_SET where SNAME='%1'").arg(name));
    return q.isEmpty() ? QStringLiteral("<no row>") : q.text(QStringLiteral("SVALUE"));
}

// Runs fn on the modal dialog of type Dialog as soon as its event loop runs;
// a dialog still open afterwards is cancelled so no test can hang.
template <typename Dialog>
void whenShown(std::function<void(Dialog *)> fn)
{
    QTimer::singleShot(0, [fn] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *dialog = qobject_cast<Dialog *>(modal);
        if (!dialog) {
            QTest::qFail("the expected dialog is not the modal window", __FILE__, __LINE__);
            if (modal)
                modal->close();
            return;
        }
        fn(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

template <typename T>
T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

void chooseTheme(Tfrm_sys_uiset *dialog, int index)
{
    // As a user does: the keyboard moves the choice and activates it.
    auto *combo = child<QComboBox>(dialog, "cbbTheme");
    combo->setCurrentIndex(index - 1);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), index);
}

void pressOk(QDialog *dialog)
{
    child<QPushButton>(dialog, "btnOK")->click();
}

QColor fieldBackground(Tfrm_sys_uiset *dialog, const char *name)
{
    return child<QLineEdit>(dialog, name)->palette().color(QPalette::Base);
}

// A window with one of each stored kind, in its designed look.
class StoredWindow : public QWidget {
public:
    QAction *actSetDoQuery = new QAction(QStringLiteral("打开窗口执行查询"), this);
    QAction *actPlain = new QAction(QStringLiteral("plain"), this);
    QWidget *panel = new QWidget(this);
    QSplitter *splitter = new QSplitter(this);
    QWidget *tree = new QWidget(splitter);
    DbGrid *grid = new DbGrid(splitter);
    ColourHolder *holder = new ColourHolder(QStringLiteral("edtColorbg1"), QStringLiteral("窗体背景颜色"),
                                            QColor(188, 213, 236), this);
    QComboBox *combo = new QComboBox(this);
    PropStorage *storage;

    explicit StoredWindow(const QString &ini, const QString &section = QStringLiteral("frm_list"))
    {
        setObjectName(section);
        storage = new PropStorage(section, this);
        storage->setIniPath(ini);
        actSetDoQuery->setObjectName(QStringLiteral("actSetDoQuery"));
        actSetDoQuery->setCheckable(true);
        actSetDoQuery->setChecked(true);
        actPlain->setObjectName(QStringLiteral("actPlain"));
        actPlain->setCheckable(true);
        panel->setObjectName(QStringLiteral("pnlToolBar"));
        panel->setFixedHeight(30);
        setPanelColour(QColor(188, 213, 236));
        splitter->setObjectName(QStringLiteral("splitter"));
        tree->setObjectName(QStringLiteral("pnlTree"));
        grid->setObjectName(QStringLiteral("dbgrid1"));
        for (const char *field : {"AS01", "AS02", "AS03"})
            grid->addColumn(QString::fromLatin1(field));
        grid->setFixedColor(QColor(188, 213, 236));
        combo->setObjectName(QStringLiteral("dbcbSB"));
        combo->addItems({"a", "b", "c"});
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(panel);
        layout->addWidget(splitter, 1);
        layout->addWidget(combo);
        splitter->setSizes({200, 400});
        resize(640, 480);

        storage->addAction(actSetDoQuery);
        storage->addAction(actPlain);
        storage->addGrid(grid, DbGrid::StoreColumns | DbGrid::StoreFixedColour);
        storage->addColour(holder);
        storage->addColour(panel);
        storage->addWidth(tree);
        storage->addWidth(this);
        storage->addHeight(this);
        storage->addInt(
            QStringLiteral("dbcbSB"), [this] { return combo->currentIndex(); },
            [this](int i) { combo->setCurrentIndex(i); }, -1, 2);
    }
    void setPanelColour(const QColor &c)
    {
        QPalette p = panel->palette();
        p.setColor(QPalette::Window, c);
        panel->setPalette(p);
        panel->setAutoFillBackground(true);
    }
    bool restore() { return storage->restore(); }
    bool hasDesignedLook()
    {
        return actSetDoQuery->isChecked() && !actPlain->isChecked() && grid->fixedColor() == QColor(188, 213, 236)
            && grid->isColumnVisible(1) && grid->columnAtPosition(0) == 0
            && holder->colour() == QColor(188, 213, 236)
            && panel->palette().color(QPalette::Window) == QColor(188, 213, 236) && combo->currentIndex() == 0
            && width() == 640 && height() == 480;
    }
};

} // namespace

class TestAppearance : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    QString m_fontName;
    int m_fontSize = 0;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void initTestCase() { QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 10)); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        m_fontName = shared().sysFontName;
        m_fontSize = shared().sysFontSize;
        shared().sysFontName = QStringLiteral("宋体");
        shared().sysFontSize = 10;
    }
    void cleanup()
    {
        shared().sysFontName = m_fontName;
        shared().sysFontSize = m_fontSize;
        m_store.reset();
    }

    // --- appearance dialog --------------------------------------------------

    void opensWithTheCallersLook()
    {
        ListLook look;
        look.grid->setOddRowColor(QColor(1, 2, 3));
        look.grid->setFooterColor(QColor(4, 5, 6));
        look.grid->setTitleHeight(33);
        look.grid->setSumsActive(true);
        look.grid->setOption(DbGrid::RecordNumbers, true);
        look.windowColour->setColour(QColor(203, 220, 169));
        Tfrm_sys_uiset dialog(look.grid, look.selected, look.control, look.windowColour);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置主题字体与颜色"));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(203, 220, 169));
        QCOMPARE(fieldBackground(&dialog, "edtColorTitle"), QColor(188, 213, 236));
        QCOMPARE(fieldBackground(&dialog, "edtColorOdd"), QColor(1, 2, 3));
        QCOMPARE(fieldBackground(&dialog, "edtColorFooter"), QColor(4, 5, 6));
        QCOMPARE(fieldBackground(&dialog, "edtColorSelected"), QColor(220, 234, 245));
        QCOMPARE(fieldBackground(&dialog, "edtColorWindow"), QColor(203, 220, 169));
        QCOMPARE(fieldBackground(&dialog, "edtColorControl"), QColor(235, 242, 250));
        QCOMPARE(child<QSpinBox>(&dialog, "spnTitleHeight")->value(), 33);
        QVERIFY(child<QCheckBox>(&dialog, "chkSumRow")->isChecked());
        QVERIFY(child<QCheckBox>(&dialog, "chkRecNo")->isChecked());
        QVERIFY(!child<QCheckBox>(&dialog, "chkFlat")->isChecked());
        QVERIFY(child<QCheckBox>(&dialog, "chkTitle3D")->isChecked());
        QCOMPARE(child<QLineEdit>(&dialog, "edtFontSystem")->text(), QStringLiteral("宋体_10"));
        QCOMPARE(child<QSpinBox>(&dialog, "spnTitleHeight")->maximum(), 80);
        QCOMPARE(child<QComboBox>(&dialog, "cbbTheme")->currentIndex(), -1);
    }

    void themeFillsTheColourFields_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<QColor>>("colours"); // title, odd, even, selected, footer, window, controls
        QTest::newRow("Windows经典") << 0 << "Windows经典"
                                     << QList<QColor>{{240, 240, 240}, {255, 255, 255}, {255, 255, 255}, {240, 240, 240},
                                                      {255, 255, 255}, {240, 240, 240}, {255, 255, 255}};
        QTest::newRow("天空蓝") << 1 << "天空蓝"
                                << QList<QColor>{{188, 213, 236}, {235, 242, 250}, {235, 242, 250}, {220, 234, 245},
                                                 {235, 242, 250}, {188, 213, 236}, {235, 242, 250}};
        QTest::newRow("护眼绿") << 2 << "护眼绿"
                                << QList<QColor>{{203, 220, 169}, {245, 250, 237}, {245, 250, 237}, {223, 234, 202},
                                                 {245, 250, 237}, {203, 220, 169}, {245, 250, 237}};
        QTest::newRow("公主粉") << 3 << "公主粉"
                                << QList<QColor>{{255, 219, 219}, {255, 250, 250}, {255, 250, 250}, {255, 242, 242},
                                                 {255, 250, 250}, {255, 219, 219}, {255, 250, 250}};
        QTest::newRow("蓝灰色") << 4 << "蓝灰色"
                                << QList<QColor>{{220, 226, 241}, {243, 245, 250}, {243, 245, 250}, {230, 230, 255},
                                                 {243, 245, 250}, {220, 226, 241}, {243, 245, 250}};
    }
    void themeFillsTheColourFields()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QList<QColor>, colours);
        QCOMPARE(GridThemes::count(), 5);
        QCOMPARE(GridThemes::indexOf(name), index);

        ListLook look;
        look.grid->setTitleHeight(21);
        look.grid->setOption(DbGrid::RecordNumbers, true);
        Tfrm_sys_uiset dialog(look.grid, look.selected, look.control, look.windowColour);
        QCOMPARE(child<QComboBox>(&dialog, "cbbTheme")->itemText(index), name);
        const QString titleFont = child<QLineEdit>(&dialog, "edtFontTitle")->text();
        chooseTheme(&dialog, index);

        static const char *const fields[] = {"edtColorTitle", "edtColorOdd", "edtColorEven", "edtColorSelected",
                                             "edtColorFooter", "edtColorWindow", "edtColorControl"};
        for (int i = 0; i < GridThemes::ColourCount; ++i) {
            QCOMPARE(fieldBackground(&dialog, fields[i]), colours.at(i));
            QCOMPARE(dialog.colour(GridThemes::Colour(i)), colours.at(i));
        }
        QVERIFY(child<QCheckBox>(&dialog, "chkFlat")->isChecked());
        QVERIFY(!child<QCheckBox>(&dialog, "chkTitle3D")->isChecked());
        // Fonts, height and the row check boxes are not the theme's.
        QCOMPARE(child<QLineEdit>(&dialog, "edtFontTitle")->text(), titleFont);
        QCOMPARE(child<QSpinBox>(&dialog, "spnTitleHeight")->value(), 21);
        QVERIFY(child<QCheckBox>(&dialog, "chkRecNo")->isChecked());
        QVERIFY(!child<QCheckBox>(&dialog, "chkSumRow")->isChecked());
        // The designed list windows wear "天空蓝".
        QCOMPARE(GridThemes::designed().name, QStringLiteral("天空蓝"));
    }

    // The theme only fills the fields when chosen; a later edit stays.
    void themeThenEditedColourKeepsTheEdit()
    {
        ListLook look;
        Tfrm_sys_uiset dialog(look.grid, look.selected, look.control, look.windowColour);
        QColor offered;
        dialog.setColourChooser([&](const QColor &current, QWidget *) {
            offered = current;
            return QColor(10, 20, 30);
        });
        chooseTheme(&dialog, GridThemes::indexOf(QStringLiteral("护眼绿")));
        child<QToolButton>(&dialog, "btnColorOdd")->click();
        QCOMPARE(offered, QColor(245, 250, 237)); // the colour dialog starts at the field's colour
        QCOMPARE(fieldBackground(&dialog, "edtColorOdd"), QColor(10, 20, 30));

        // A cancelled colour dialog leaves the field.
        dialog.setColourChooser([](const QColor &, QWidget *) { return QColor(); });
        child<QToolButton>(&dialog, "btnColorEven")->click();
        QCOMPARE(fieldBackground(&dialog, "edtColorEven"), QColor(245, 250, 237));

        pressOk(&dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(look.grid->oddRowColor(), QColor(10, 20, 30));
        QCOMPARE(look.grid->evenRowColor(), QColor(245, 250, 237));
        QCOMPARE(look.grid->fixedColor(), QColor(203, 220, 169));
        QCOMPARE(look.windowColour->colour(), QColor(203, 220, 169));
        QVERIFY(look.grid->isFlat());
        QVERIFY(!look.grid->options().testFlag(DbGrid::Titles3D));
    }

    void confirmAppliesEverything_data()
    {
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<int>("fontSize");
        QTest::newRow("plain") << "WenQuanYi Micro Hei" << 12;
        QTest::newRow("quote in the name") << "O'Brien Sans" << 9;
    }
    void confirmAppliesEverything()
    {
        QFETCH(QString, fontName);
        QFETCH(int, fontSize);
        ListLook look;
        const QFont titleFont(QStringLiteral("WenQuanYi Micro Hei"), 14, QFont::Bold);
        const QFont cellFont(QStringLiteral("WenQuanYi Micro Hei Mono"), 11);

        bool ran = false;
        whenShown<Tfrm_sys_uiset>([&](Tfrm_sys_uiset *dialog) {
            ran = true;
            QCOMPARE(dialog->palette().color(QPalette::Window), QColor(188, 213, 236));
            QList<QFont> offered;
            dialog->setFontChooser([&](const QFont &current, QWidget *) -> std::optional<QFont> {
                offered << current;
                switch (offered.size()) {
                case 1: return titleFont;
                case 2: return cellFont;
                default: {
                    QFont f;
                    f.setFamily(fontName);
                    f.setPointSize(fontSize);
                    return f;
                }
                }
            });
            child<QToolButton>(dialog, "btnFontTitle")->click();
            child<QToolButton>(dialog, "btnFontCell")->click();
            child<QToolButton>(dialog, "btnFontSystem")->click();
            QCOMPARE(offered.size(), 3);
            QCOMPARE(offered.at(2).family(), QStringLiteral("宋体"));
            QCOMPARE(offered.at(2).pointSize(), 10);
            QCOMPARE(child<QLineEdit>(dialog, "edtFontSystem")->text(), fontName + "_" + QString::number(fontSize));
            QCOMPARE(child<QLineEdit>(dialog, "edtFontTitle")->text(), QStringLiteral("WenQuanYi Micro Hei_14"));

            const QList<QColor> picks = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}, {6, 6, 6}, {7, 7, 7}};
            int next = 0;
            dialog->setColourChooser([&](const QColor &, QWidget *) { return picks.at(next++); });
            for (const char *name : {"btnColorTitle", "btnColorOdd", "btnColorEven", "btnColorSelected",
                                     "btnColorFooter", "btnColorWindow", "btnColorControl"})
                child<QToolButton>(dialog, name)->click();

            child<QCheckBox>(dialog, "chkFlat")->setChecked(true);
            child<QCheckBox>(dialog, "chkTitle3D")->setChecked(false);
            child<QCheckBox>(dialog, "chkRecNo")->setChecked(true);
            child<QCheckBox>(dialog, "chkSumRow")->setChecked(true);
            auto *height = child<QSpinBox>(dialog, "spnTitleHeight");
            height->clear();
            QTest::keyClicks(height, QStringLiteral("456")); // two digits at most
            QCOMPARE(height->cleanText(), QStringLiteral("45"));
            pressOk(dialog);
        });
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(Tfrm_sys_uiset::Execute(look.grid, look.selected, look.control, look.windowColour, &look.window));
        QVERIFY(ran);
        QVERIFY(boxes.shown.isEmpty());

        QCOMPARE(look.grid->fixedColor(), QColor(1, 1, 1));
        QCOMPARE(look.grid->oddRowColor(), QColor(2, 2, 2));
        QCOMPARE(look.grid->evenRowColor(), QColor(3, 3, 3));
        QCOMPARE(look.selected->colour(), QColor(4, 4, 4));
        QCOMPARE(look.grid->footerColor(), QColor(5, 5, 5));
        QCOMPARE(look.windowColour->colour(), QColor(6, 6, 6));
        QCOMPARE(look.control->colour(), QColor(7, 7, 7));
        QCOMPARE(look.grid->color(), QColor(7, 7, 7));
        QCOMPARE(look.grid->titleFont().family(), titleFont.family());
        QCOMPARE(look.grid->titleFont().pointSize(), 14);
        QVERIFY(look.grid->titleFont().bold());
        QCOMPARE(look.grid->font().family(), cellFont.family());
        QCOMPARE(look.grid->font().pointSize(), 11);
        QCOMPARE(look.grid->footerFont().family(), cellFont.family());
        QCOMPARE(look.grid->footerFont().pointSize(), 11);
        QVERIFY(look.grid->isFlat());
        QCOMPARE(look.grid->titleHeight(), 45);
        QCOMPARE(look.grid->footerRowCount(), 1);
        QVERIFY(look.grid->sumsActive());
        QVERIFY(look.grid->options().testFlag(DbGrid::RecordNumbers));
        QVERIFY(!look.grid->options().testFlag(DbGrid::Titles3D));

        QCOMPARE(settingText(QStringLiteral("SYSFONTNAME")), fontName);
        QCOMPARE(sqlValue(QStringLiteral("select SVALUE from S_SET where SNAME='SYSFONTSIZE'")), fontSize);
        QCOMPARE(shared().sysFontName, fontName);
        QCOMPARE(shared().sysFontSize, fontSize);
    }

    void cancelChangesNothing()
    {
        ListLook look;
        const QStringList before = look.snapshot();
        bool ran = false;
        whenShown<Tfrm_sys_uiset>([&](Tfrm_sys_uiset *dialog) {
            ran = true;
            dialog->setColourChooser([](const QColor &, QWidget *) { return QColor(9, 9, 9); });
            dialog->setFontChooser([](const QFont &, QWidget *) -> std::optional<QFont> {
                return QFont(QStringLiteral("WenQuanYi Micro Hei"), 20);
            });
            chooseTheme(dialog, 3);
            child<QToolButton>(dialog, "btnColorTitle")->click();
            child<QToolButton>(dialog, "btnFontSystem")->click();
            child<QToolButton>(dialog, "btnFontCell")->click();
            child<QCheckBox>(dialog, "chkSumRow")->setChecked(true);
            child<QSpinBox>(dialog, "spnTitleHeight")->setValue(60);
            child<QPushButton>(dialog, "btnCancel")->click();
        });
        QVERIFY(!Tfrm_sys_uiset::Execute(look.grid, look.selected, look.control, look.windowColour, &look.window));
        QVERIFY(ran);
        QCOMPARE(look.snapshot(), before);
        QCOMPARE(settingText(QStringLiteral("SYSFONTNAME")), QStringLiteral("宋体"));
        QCOMPARE(settingText(QStringLiteral("SYSFONTSIZE")), QStringLiteral("10"));
        QCOMPARE(shared().sysFontName, QStringLiteral("宋体"));
        QCOMPARE(shared().sysFontSize, 10);
    }

    // An empty title height is refused before anything is applied.
    void emptyTitleHeightRefused()
    {
        ListLook look;
        const QStringList before = look.snapshot();
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_uiset dialog(look.grid, look.selected, look.control, look.windowColour);
        dialog.show();
        dialog.setFontChooser([](const QFont &, QWidget *) -> std::optional<QFont> {
            return QFont(QStringLiteral("WenQuanYi Micro Hei"), 16);
        });
        chooseTheme(&dialog, 2);
        child<QToolButton>(&dialog, "btnFontSystem")->click();
        child<QCheckBox>(&dialog, "chkSumRow")->setChecked(true);
        child<QCheckBox>(&dialog, "chkRecNo")->setChecked(true);
        auto *height = child<QSpinBox>(&dialog, "spnTitleHeight");
        height->findChild<QLineEdit *>()->clear();
        QCOMPARE(height->cleanText(), QString());

        pressOk(&dialog);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Warning);
        QCOMPARE(boxes.shown.at(0).text, QStringLiteral("表格标题高度不能为空！"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(look.snapshot(), before);
        QCOMPARE(settingText(QStringLiteral("SYSFONTNAME")), QStringLiteral("宋体"));
        QCOMPARE(settingText(QStringLiteral("SYSFONTSIZE")), QStringLiteral("10"));
        QCOMPARE(shared().sysFontSize, 10);

        // Filled in, the same choices apply.
        QTest::keyClicks(height, QStringLiteral("30"));
        pressOk(&dialog);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(look.grid->titleHeight(), 30);
        QCOMPARE(look.grid->fixedColor(), QColor(203, 220, 169));
        QVERIFY(look.grid->sumsActive());
        QCOMPARE(settingText(QStringLiteral("SYSFONTSIZE")), QStringLiteral("16"));
        QCOMPARE(shared().sysFontSize, 16);
    }

    void sumRowComesBackAfterReopen()
    {
        PELU_SQL("create table T_NUM (ID integer, N integer)");
        PELU_SQL("insert into T_NUM (ID, N) values (1, 5)");
        PELU_SQL("insert into T_NUM (ID, N) values (2, 7)");
        PELU_SQL("insert into T_NUM (ID, N) values (3, 30)");
        Dataset data;
        data.open(QStringLiteral("select ID, N from T_NUM order by ID"));
        ListLook look;
        look.grid->setDataset(&data);
        look.grid->setColumnFooterSum(1, true);
        look.grid->setFooterRowCount(1);
        look.grid->setSumsActive(true);
        QCOMPARE(look.grid->footerSum(1), 42.0);
        QVERIFY(!look.grid->footerText(1).isEmpty());

        auto confirmWithSumRow = [&](bool expectedTicked, bool tick) {
            Tfrm_sys_uiset dialog(look.grid, look.selected, look.control, look.windowColour);
            auto *box = child<QCheckBox>(&dialog, "chkSumRow");
            QCOMPARE(box->isChecked(), expectedTicked);
            box->setChecked(tick);
            pressOk(&dialog);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        };
        confirmWithSumRow(true, false);
        QVERIFY(!look.grid->sumsActive());
        QCOMPARE(look.grid->footerRowCount(), 0);
        QVERIFY(look.grid->footerText(1).isEmpty());

        confirmWithSumRow(false, true);
        QVERIFY(look.grid->sumsActive());
        QCOMPARE(look.grid->footerRowCount(), 1);
        QCOMPARE(look.grid->footerSum(1), 42.0);
        QVERIFY(!look.grid->footerText(1).isEmpty());
    }

    // A failed store of the font rows shows the error and applies nothing,
    // not even the first of the two rows.
    void failedStoreAppliesNothing_data()
    {
        QTest::addColumn<QStringList>("sqliteSabotage");
        QTest::addColumn<QStringList>("postgresSabotage");
        QTest::addColumn<bool>("rowsReadable");
        const QStringList drop = {QStringLiteral("drop table S_SET")};
        QTest::newRow("table gone") << drop << drop << false;
        QTest::newRow("size row refused")
            << QStringList{QStringLiteral("create trigger T_NOSIZE before update on S_SET when new.SNAME='SYSFONTSIZE' "
                                          "begin select raise(abort, 'size refused'); end")}
            << QStringList{QStringLiteral("create function F_NOSIZE() returns trigger as $$ begin raise exception "
                                          "'size refused'; end $$ language plpgsql"),
                           QStringLiteral("create trigger T_NOSIZE before update on S_SET for each row "
                                          "when (new.SNAME='SYSFONTSIZE') execute function F_NOSIZE()")}
            << true;
    }
    void failedStoreAppliesNothing()
    {
        QFETCH_GLOBAL(int, store);
        QFETCH(QStringList, sqliteSabotage);
        QFETCH(QStringList, postgresSabotage);
        QFETCH(bool, rowsReadable);
        for (const QString &sql : store == TestStore::SQLite ? sqliteSabotage : postgresSabotage)
            PELU_SQL(sql);
        ListLook look;
        const QStringList before = look.snapshot();
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_uiset dialog(look.grid, look.selected, look.control, look.windowColour);
        dialog.show();
        dialog.setFontChooser([](const QFont &, QWidget *) -> std::optional<QFont> {
            return QFont(QStringLiteral("WenQuanYi Micro Hei"), 16);
        });
        child<QToolButton>(&dialog, "btnFontSystem")->click();
        chooseTheme(&dialog, 4);
        child<QCheckBox>(&dialog, "chkSumRow")->setChecked(true);
        pressOk(&dialog);

        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QVERIFY2(boxes.shown.at(0).text.contains(QStringLiteral("update S_SET set SVALUE=")),
                 qPrintable(boxes.shown.at(0).text));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(look.snapshot(), before);
        QCOMPARE(shared().sysFontName, QStringLiteral("宋体"));
        QCOMPARE(shared().sysFontSize, 10);
        if (rowsReadable) { // the name row was written first and is rolled back
            QCOMPARE(settingText(QStringLiteral("SYSFONTNAME")), QStringLiteral("宋体"));
            QCOMPARE(settingText(QStringLiteral("SYSFONTSIZE")), QStringLiteral("10"));
        }
    }

    // --- column display dialog ------------------------------------------------

    void columnDisplay_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("result");
        const QStringList all = {"0", "1", "2", "3"};
        QTest::newRow("全选 ticks every line") << QStringList{"1"} << "all" << true << all;
        QTest::newRow("全选 cleared clears every line") << all << "all" << true << QStringList{};
        QTest::newRow("ticked lines ascending") << QStringList{"3", "0"} << "tick2" << true
                                                << QStringList{"0", "2", "3"};
        QTest::newRow("unticking a line") << all << "untick1" << true << QStringList{"0", "2", "3"};
        QTest::newRow("nonsense positions ignored") << QStringList{"x", "9", " 2"} << "none" << true
                                                    << QStringList{"2"};
        QTest::newRow("cancel keeps the list") << QStringList{"3", "0"} << "cancel" << false
                                               << QStringList{"3", "0"};
    }
    void columnDisplay()
    {
        QFETCH(QStringList, shown);
        QFETCH(QString, action);
        QFETCH(bool, accepted);
        QFETCH(QStringList, result);
        const QStringList captions = {"档号", "题名", "年度", "页数"};
        const QColor window(203, 220, 169), control(245, 250, 237);
        bool ran = false;
        whenShown<Tfrm_sys_coldisplay>([&](Tfrm_sys_coldisplay *dialog) {
            ran = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("设置表格显示列"));
            QCOMPARE(dialog->palette().color(QPalette::Window), window);
            auto *list = child<QListWidget>(dialog, "chklstColumns");
            QCOMPARE(list->palette().color(QPalette::Base), control);
            QCOMPARE(list->count(), captions.size());
            for (int i = 0; i < captions.size(); ++i)
                QCOMPARE(list->item(i)->text(), captions.at(i));
            if (action == "all")
                QTest::mouseClick(child<QCheckBox>(dialog, "chkAll"), Qt::LeftButton);
            else if (action == "tick2")
                list->item(2)->setCheckState(Qt::Checked);
            else if (action == "untick1")
                list->item(1)->setCheckState(Qt::Unchecked);
            if (action == "cancel")
                child<QPushButton>(dialog, "btnCancel")->click();
            else
                pressOk(dialog);
        });
        QCOMPARE(Tfrm_sys_coldisplay::Execute(window, control, captions, shown, nullptr), accepted);
        QVERIFY(ran);
        QCOMPARE(shown, result);
    }

    void gridColumnsFollowTheDialog()
    {
        ListLook look;
        look.grid->clearColumns();
        for (const char *field : {"AS01", "AS02", "AS03", "AS04"})
            look.grid->addColumn(QString::fromLatin1(field), QStringLiteral("标题") + QString::fromLatin1(field));
        // The user moved AS04 to the front and hid AS02.
        look.grid->horizontalHeader()->moveSection(look.grid->horizontalHeader()->visualIndex(3), 0);
        QCOMPARE(look.grid->columnAtPosition(0), 3);
        look.grid->setColumnVisible(1, false);

        // Grid order; untick every line: every column hidden.
        whenShown<Tfrm_sys_coldisplay>([&](Tfrm_sys_coldisplay *dialog) {
            auto *list = child<QListWidget>(dialog, "chklstColumns");
            const QStringList expected = {"标题AS04", "标题AS01", "标题AS02", "标题AS03"};
            QCOMPARE(list->count(), 4);
            for (int pos = 0; pos < 4; ++pos) {
                QCOMPARE(list->item(pos)->text(), expected.at(pos));
                QCOMPARE(list->item(pos)->checkState(), pos == 2 ? Qt::Unchecked : Qt::Checked);
                list->item(pos)->setCheckState(Qt::Unchecked);
            }
            pressOk(dialog);
        });
        QVERIFY(ChooseGridColumns(look.grid, QColor(1, 2, 3), QColor(4, 5, 6), nullptr));
        for (int col = 0; col < 4; ++col)
            QVERIFY(!look.grid->isColumnVisible(col));

        // Positions 0 and 2 (AS04 and AS02) shown, exactly those.
        whenShown<Tfrm_sys_coldisplay>([&](Tfrm_sys_coldisplay *dialog) {
            auto *list = child<QListWidget>(dialog, "chklstColumns");
            list->item(0)->setCheckState(Qt::Checked);
            list->item(2)->setCheckState(Qt::Checked);
            pressOk(dialog);
        });
        QVERIFY(ChooseGridColumns(look.grid, QColor(1, 2, 3), QColor(4, 5, 6), nullptr));
        QVERIFY(look.grid->isColumnVisible(3));
        QVERIFY(look.grid->isColumnVisible(1));
        QVERIFY(!look.grid->isColumnVisible(0));
        QVERIFY(!look.grid->isColumnVisible(2));
        QCOMPARE(look.grid->columnAtPosition(0), 3); // the order is left alone

        // Cancel leaves the grid.
        whenShown<Tfrm_sys_coldisplay>([&](Tfrm_sys_coldisplay *dialog) {
            QTest::mouseClick(child<QCheckBox>(dialog, "chkAll"), Qt::LeftButton);
            child<QPushButton>(dialog, "btnCancel")->click();
        });
        QVERIFY(!ChooseGridColumns(look.grid, QColor(1, 2, 3), QColor(4, 5, 6), nullptr));
        QVERIFY(!look.grid->isColumnVisible(0));
        QVERIFY(look.grid->isColumnVisible(1));
    }

    // --- appearance file --------------------------------------------------------

    void storedLookComesBack()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("mavo120.ini"));
        {
            StoredWindow w(ini);
            QVERIFY(w.restore());
            w.resize(700, 500);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.actSetDoQuery->setChecked(false);
            w.actPlain->setChecked(true);
            w.grid->setFixedColor(QColor(11, 22, 33));
            w.grid->setColumnVisible(1, false);
            w.grid->horizontalHeader()->moveSection(w.grid->horizontalHeader()->visualIndex(2), 0);
            w.grid->horizontalHeader()->resizeSection(0, 140);
            w.holder->setColour(QColor(203, 220, 169));
            w.setPanelColour(QColor(255, 219, 219));
            w.splitter->setSizes({260, w.splitter->width() - 260 - w.splitter->handleWidth()});
            QCOMPARE(w.tree->width(), 260);
            w.combo->setCurrentIndex(2);
            QVERIFY(w.storage->save());
        }
        // The other windows' sections stay apart.
        StoredWindow other(ini, QStringLiteral("frm_other"));
        QVERIFY(other.restore());
        QVERIFY(other.hasDesignedLook());

        StoredWindow w(ini);
        QVERIFY(w.restore());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.actSetDoQuery->isChecked());
        QVERIFY(w.actPlain->isChecked());
        QCOMPARE(w.grid->fixedColor(), QColor(11, 22, 33));
        QVERIFY(!w.grid->isColumnVisible(1));
        QCOMPARE(w.grid->columnAtPosition(0), 2);
        QCOMPARE(w.grid->horizontalHeader()->sectionSize(0), 140);
        QCOMPARE(w.holder->colour(), QColor(203, 220, 169));
        QCOMPARE(w.panel->palette().color(QPalette::Window), QColor(255, 219, 219));
        QVERIFY(w.panel->autoFillBackground());
        QCOMPARE(w.tree->width(), 260);
        QCOMPARE(w.width(), 700);
        QCOMPARE(w.height(), 500);
        QCOMPARE(w.combo->currentIndex(), 2);
    }

    // No file, a deleted one, damaged values or a damaged file: the designed
    // look, and the next save writes a file that reads back.
    void unreadableFileKeepsTheDesignedLook_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<bool>("readable");
        QTest::newRow("no file") << QByteArray() << true;
        QTest::newRow("values that make no sense")
            << QByteArray("[frm_list]\n"
                          "actSetDoQuery=perhaps\nactPlain=2\n"
                          "edtColorbg1.Color=notacolour\npnlToolBar.Color=#12\n"
                          "pnlTree.Width=-40\nfrm_list.Width=99999999999\nfrm_list.Height=abc\n"
                          "dbcbSB=7\n"
                          "[frm_list/dbgrid1]\n")
            << true;
        static const char junk[] = "\x00\xff\xfe[[[=\x01\x02\n]]\x00=\xff\n";
        QTest::newRow("binary junk") << QByteArray(junk, sizeof(junk) - 1) << true;
        QTest::newRow("not text at all") << QByteArray(4096, '\0') << true;
        // Parsable in part only: nothing of it is taken.
        QTest::newRow("broken section")
            << QByteArray("[frm_list]\nactSetDoQuery=false\ndbcbSB=2\n[frm_list\nedtColorbg1.Color=#010203\n") << false;
    }
    void unreadableFileKeepsTheDesignedLook()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, readable);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("mavo120.ini"));
        if (!content.isEmpty()) {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        {
            StoredWindow w(ini);
            QCOMPARE(w.restore(), readable);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QVERIFY(w.hasDesignedLook());
            w.combo->setCurrentIndex(1);
            w.holder->setColour(QColor(1, 2, 3));
            QVERIFY(w.storage->save());
        }
        StoredWindow w(ini);
        QVERIFY(w.restore());
        QCOMPARE(w.combo->currentIndex(), 1);
        QCOMPARE(w.holder->colour(), QColor(1, 2, 3));

        // Deleting the file returns the designed look.
        QVERIFY(QFile::remove(ini));
        StoredWindow fresh(ini);
        QVERIFY(fresh.restore());
        QVERIFY(fresh.hasDesignedLook());
    }

};

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
