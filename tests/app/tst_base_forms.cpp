#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/base_dbform.h"
#include "app/base_form.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A small data window as derived windows build them: two editors and a button.
class EditWindow : public Tfrm_base_dbform {
public:
    QLineEdit *first = new QLineEdit(this);
    QLineEdit *second = new QLineEdit(this);
    QPushButton *ok = new QPushButton(QStringLiteral("确定"), this);
    QList<int> windowKeys;
    bool useWindowKeys = false;

    EditWindow()
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("档号"), this));
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(ok);
        ok->setDefault(true);
        installKeyP(first);
        installKeyP(second);
        resize(300, 200);
    }

protected:
    bool formKeyDown(QKeyEvent *event) override
    {
        windowKeys << event->key();
        return useWindowKeys && (event->key() == Qt::Key_PageDown || event->key() == Qt::Key_PageUp);
    }
};

} // namespace

class TestBaseForms : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    static void showActive(QWidget *w)
    {
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    // --- look ---------------------------------------------------------------

    void systemFont_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("pixelSize");
        const QString fallback = QStringLiteral("WenQuanYi Micro Hei");
        const QString designed = QFontDatabase::hasFamily(QStringLiteral("微软雅黑")) ? QStringLiteral("微软雅黑") : fallback;
        QTest::newRow("none set: designed font") << "" << 0 << designed << -1 << 15;
        QTest::newRow("installed font") << "WenQuanYi Micro Hei Mono" << 12 << "WenQuanYi Micro Hei Mono" << 12 << -1;
        QTest::newRow("missing font") << "NoSuchFontAnywhere" << 10 << fallback << 10 << -1;
        QTest::newRow("name without size") << "WenQuanYi Micro Hei Mono" << 0 << "WenQuanYi Micro Hei Mono" << -1 << 15;
    }
    void systemFont()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(QString, family);
        QFETCH(int, pointSize);
        QFETCH(int, pixelSize);
        shared().sysFontName = name;
        shared().sysFontSize = size;
        Tfrm_base_form form;
        auto *label = new QLabel(QStringLiteral("科技档案"), &form);
        QCOMPARE(form.font().family(), family);
        QCOMPARE(form.font().pointSize(), pointSize);
        QCOMPARE(form.font().pixelSize(), pixelSize);
        // Children take the form's font.
        QCOMPARE(label->font().family(), family);
        QCOMPARE(label->font().pointSize(), pointSize);
        QCOMPARE(QFontInfo(label->font()).family(), family);
    }

    // A window made before a font change keeps its font; the next one takes it.
    void fontIsTakenAtCreation()
    {
        shared().sysFontName = QStringLiteral("WenQuanYi Micro Hei");
        shared().sysFontSize = 9;
        Tfrm_base_form before;
        shared().sysFontSize = 14;
        Tfrm_base_form after;
        QCOMPARE(before.font().pointSize(), 9);
        QCOMPARE(after.font().pointSize(), 14);
    }

    void colours()
    {
        Tfrm_base_form form;
        auto *edit = new QLineEdit(&form);
        QCOMPARE(form.palette().color(QPalette::Window), QColor(188, 213, 236));
        QCOMPARE(form.themeBackground(), QColor(188, 213, 236));
        const QColor bg1(200, 220, 200), bg2(240, 250, 240);
        form.applyThemeColours(bg1, bg2);
        QCOMPARE(form.themeBackground(), bg1);
        QCOMPARE(form.themeControlBackground(), bg2);
        QCOMPARE(edit->palette().color(QPalette::Base), bg2);
        QCOMPARE(edit->palette().color(QPalette::Window), bg1);
        // The window really paints in its colour.
        form.resize(120, 80);
        const QImage shot = form.grab().toImage();
        QCOMPARE(shot.pixelColor(shot.width() - 2, shot.height() - 2), bg1);
    }

    void centredOnScreen()
    {
        Tfrm_base_form form;
        form.resize(320, 200);
        showActive(&form);
        const QRect screen = form.screen()->availableGeometry();
        const QPoint offset = form.frameGeometry().center() - screen.center();
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));

        // Centred on the screen, not over the window that opened it.
        QWidget owner;
        owner.setGeometry(0, 0, 200, 150);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        Tfrm_base_form dialog(&owner);
        dialog.resize(300, 180);
        showActive(&dialog);
        const QPoint dialogOffset = dialog.frameGeometry().center() - screen.center();
        QVERIFY2(dialogOffset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(dialogOffset.x()).arg(dialogOffset.y())));
    }

    // --- scratch query ------------------------------------------------------

    void scratchQueryUsesSharedConnection()
    {
        Tfrm_base_dbform form;
        QCOMPARE(form.Qry().parent(), &form);
        QCOMPARE(form.Qry().objectName(), QStringLiteral("Qry"));
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(OpenSql(form.Qry(), QStringLiteral("select SFIELD from S_FIELD where STABLE='N_A'")));
        QCOMPARE(form.Qry().recordCount(), 38);
    }

    // --- Enter to the next field ------------------------------------------

    void enterMovesToNextControl()
    {
        EditWindow w;
        QSignalSpy clicked(w.ok, &QPushButton::clicked);
        showActive(&w);
        w.first->setFocus();
        QTest::keyClick(w.first, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.second);
        // In the last editor Enter goes on to the button, not to the default
        // button's click and not out of the window.
        QTest::keyClick(w.second, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(QApplication::focusWidget(), w.ok);
        QVERIFY(w.isVisible());
        QCOMPARE(w.result(), 0);
        QCOMPARE(clicked.count(), 0);
        // Other keys reach the editor.
        w.second->setFocus();
        QTest::keyClicks(w.second, QStringLiteral("A-1"));
        QCOMPARE(w.second->text(), QStringLiteral("A-1"));
    }

    // --- number filters ---------------------------------------------------

    void numberFilters_data()
    {
        QTest::addColumn<bool>("isFloat");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("float: 1 2 . 5") << true << "12.5" << "12.5";
        QTest::newRow("float: letters and minus") << true << "a-1b.e2-" << "1.2";
        QTest::newRow("float: point not checked") << true << "1..2." << "1..2.";
        QTest::newRow("float: blank, comma, plus") << true << " 1,0+" << "10";
        QTest::newRow("integer: digits") << false << "0123456789" << "0123456789";
        QTest::newRow("integer: point and minus") << false << "-12.5" << "125";
    }
    void numberFilters()
    {
        QFETCH(bool, isFloat);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        EditWindow w;
        if (isFloat)
            w.installFloatFilter(w.second);
        else
            w.installIntegerFilter(w.second);
        showActive(&w);
        w.second->setFocus();
        QTest::keyClicks(w.second, typed);
        QCOMPARE(w.second->text(), expected);
        // Unfiltered editors take anything.
        w.first->setFocus();
        QTest::keyClicks(w.first, typed);
        QCOMPARE(w.first->text(), typed);
    }

    // Editing and navigation keys and shortcuts keep working in filtered editors.
    void filteredEditorKeepsEditingKeys()
    {
        EditWindow w;
        w.installFloatFilter(w.second);
        showActive(&w);
        w.second->setFocus();
        QTest::keyClicks(w.second, QStringLiteral("123"));
        QTest::keyClick(w.second, Qt::Key_Backspace);
        QCOMPARE(w.second->text(), QStringLiteral("12"));
        QTest::keyClick(w.second, Qt::Key_Home);
        QTest::keyClick(w.second, Qt::Key_Delete);
        QCOMPARE(w.second->text(), QStringLiteral("2"));
        QTest::keyClick(w.second, Qt::Key_Left);
        QTest::keyClick(w.second, Qt::Key_9);
        QCOMPARE(w.second->text(), QStringLiteral("92"));
        QTest::keyClick(w.second, Qt::Key_End);
        QTest::keyClick(w.second, Qt::Key_Period);
        QCOMPARE(w.second->text(), QStringLiteral("92."));
        QTest::keyClick(w.second, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.second->selectedText(), QStringLiteral("92."));
        QTest::keyClick(w.second, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("92."));
        QTest::keyClick(w.second, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(w.second->text(), QString());
        QTest::keyClick(w.second, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(w.second, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.second->text(), QStringLiteral("92.92."));
        // Enter still moves on.
        QTest::keyClick(w.second, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.ok);
    }

    void inputMethodTextIsFiltered()
    {
        EditWindow w;
        w.installIntegerFilter(w.second);
        showActive(&w);
        w.second->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("1a２3"));
        QApplication::sendEvent(w.second, &commit);
        QCOMPARE(w.second->text(), QStringLiteral("13"));
        // Characters no key click can type: Chinese and full-width digits.
        for (const QString &text : {QStringLiteral("一"), QStringLiteral("２"), QStringLiteral("4")}) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, text);
            QApplication::sendEvent(w.second, &key);
        }
        QCOMPARE(w.second->text(), QStringLiteral("134"));
    }

    // --- key-down pass-on -------------------------------------------------

    void keyDownReachesWindow()
    {
        EditWindow w;
        w.installKeyD(w.second);
        showActive(&w);
        w.second->setFocus();
        QTest::keyClick(w.second, Qt::Key_Up);
        QTest::keyClick(w.second, Qt::Key_Down);
        QVERIFY(w.windowKeys.isEmpty());
        QTest::keyClick(w.second, Qt::Key_X);
        QTest::keyClick(w.second, Qt::Key_PageDown);
        QCOMPARE(w.windowKeys, QList<int>({Qt::Key_X, Qt::Key_PageDown}));
        // The editor still gets the keys the window does not use.
        QCOMPARE(w.second->text(), QStringLiteral("x"));
        // An editor without the helper hands nothing on.
        w.first->setFocus();
        QTest::keyClick(w.first, Qt::Key_PageUp);
        QCOMPARE(w.windowKeys.size(), 2);
    }

    void keyUsedByWindowStopsThere()
    {
        EditWindow w;
        w.useWindowKeys = true;
        w.installKeyD(w.second);
        showActive(&w);
        w.second->setFocus();
        QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QVERIFY(w.eventFilter(w.second, &pageDown));
        QKeyEvent letter(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
        QVERIFY(!w.eventFilter(w.second, &letter));
        QCOMPARE(w.windowKeys, QList<int>({Qt::Key_PageDown, Qt::Key_Q}));
    }
};

QTEST_MAIN(TestBaseForms)
#include "tst_base_forms.moc"
