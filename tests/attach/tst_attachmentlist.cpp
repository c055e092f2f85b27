#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "attach/AttachmentList.h"
#include "data/Dataset.h"

#include <QAction>
#include <QActionGroup>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(AttachmentList::Arrangement)

class TestAttachmentList : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    static void addAttachment(int ifid, const QString &name, const QString &ext)
    {
        QVERIFY(sqlExec(QStringLiteral("insert into N_BIN(ifid,sfilename,sfileext) values(%1,'%2','%3')")
                            .arg(ifid)
                            .arg(name, ext)));
    }

    static QStringList captions(const QListWidget &lv)
    {
        QStringList out;
        for (int i = 0; i < lv.count(); ++i)
            out << lv.item(i)->text();
        return out;
    }

    // A document per call (in N_B), returning its BIID.
    static int addDocument(const QString &title)
    {
        if (!sqlExec(QStringLiteral("insert into N_B(AIID,BS01) values(1,'%1')").arg(title)))
            return -1;
        return sqlValue(QStringLiteral("select max(BIID) from N_B"));
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    // --- icon kinds ----------------------------------------------------------

    void iconKind_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("kind");
        QTest::newRow(".doc") << ".doc" << int(AttachmentList::KindWord);
        QTest::newRow(".DOCX") << ".DOCX" << int(AttachmentList::KindWord);
        QTest::newRow(".xls") << ".xls" << int(AttachmentList::KindSpreadsheet);
        QTest::newRow(".Xlsx") << ".Xlsx" << int(AttachmentList::KindSpreadsheet);
        QTest::newRow(".ppt") << ".ppt" << int(AttachmentList::KindPresentation);
        QTest::newRow(".pptx") << ".pptx" << int(AttachmentList::KindPresentation);
        QTest::newRow(".JPG") << ".JPG" << int(AttachmentList::KindPicture);
        QTest::newRow(".bmp") << ".bmp" << int(AttachmentList::KindPicture);
        QTest::newRow(".gif") << ".gif" << int(AttachmentList::KindPicture);
        QTest::newRow(".rar") << ".rar" << int(AttachmentList::KindArchive);
        QTest::newRow(".ZIP") << ".ZIP" << int(AttachmentList::KindArchive);
        QTest::newRow(".PDF") << ".PDF" << int(AttachmentList::KindPdf);
        QTest::newRow(".dwg") << ".dwg" << int(AttachmentList::KindDrawing);
        // Only the listed extensions have their own picture.
        QTest::newRow(".jpeg") << ".jpeg" << int(AttachmentList::KindOther);
        QTest::newRow(".png") << ".png" << int(AttachmentList::KindOther);
        QTest::newRow(".txt") << ".txt" << int(AttachmentList::KindOther);
        QTest::newRow("no dot") << "pdf" << int(AttachmentList::KindOther);
        QTest::newRow("empty") << "" << int(AttachmentList::KindOther);
        QTest::newRow(".docm") << ".docm" << int(AttachmentList::KindOther);
    }
    void iconKind()
    {
        QFETCH(QString, ext);
        QFETCH(int, kind);
        QCOMPARE(AttachmentList::IconKind(ext), kind);
    }

    // Two image lists of eight pictures, one per kind, all different.
    void kindImages()
    {
        for (int size : {32, 16}) {
            QList<QImage> seen;
            for (int kind = 0; kind < AttachmentList::KindCount; ++kind) {
                const QPixmap pm = AttachmentList::KindImage(kind, size);
                QCOMPARE(pm.size(), QSize(size, size));
                const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
                QVERIFY2(!seen.contains(img), qPrintable(QStringLiteral("kind %1 at %2 repeats another").arg(kind).arg(size)));
                seen << img;
            }
        }
    }

    // --- filling -------------------------------------------------------------

    void listsDocumentAttachmentsInNameOrder()
    {
        // Inserted out of order, with another document's rows in between.
        addAttachment(7, QStringLiteral("h-notes.txt"), QStringLiteral(".txt"));
        addAttachment(7, QStringLiteral("d-photo.JPG"), QStringLiteral(".JPG"));
        addAttachment(8, QStringLiteral("c-other.doc"), QStringLiteral(".doc"));
        addAttachment(7, QStringLiteral("a-plan.DOC"), QStringLiteral(".DOC"));
        addAttachment(7, QStringLiteral("f-scan.PDF"), QStringLiteral(".PDF"));
        addAttachment(7, QStringLiteral("b-cost.xlsx"), QStringLiteral(".xlsx"));
        addAttachment(7, QStringLiteral("g-site.dwg"), QStringLiteral(".dwg"));
        addAttachment(7, QStringLiteral("e-pack.rar"), QStringLiteral(".rar"));
        addAttachment(7, QStringLiteral("c-talk.pptx"), QStringLiteral(".pptx"));

        QListWidget lv;
        AttachmentList list(&lv);
        QSignalSpy listed(&list, &AttachmentList::listed);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(list.ListAttachments(QVariant(7)));
        QCOMPARE(boxes.shown.size(), 0);
        QCOMPARE(captions(lv), QStringList({"a-plan.DOC", "b-cost.xlsx", "c-talk.pptx", "d-photo.JPG", "e-pack.rar",
                                            "f-scan.PDF", "g-site.dwg", "h-notes.txt"}));
        for (int i = 0; i < lv.count(); ++i) {
            QListWidgetItem *item = lv.item(i);
            QCOMPARE(AttachmentList::itemKind(item), i); // the names were chosen in kind order
            const int iid = sqlValue(QStringLiteral("select iid from N_BIN where ifid=7 and sfilename='%1'").arg(item->text()));
            QCOMPARE(AttachmentList::itemIid(item), QString::number(iid));
            QVERIFY(!item->icon().isNull());
        }
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().first().toInt(), 8);

        // A refill replaces the items; a biid held as text works the same.
        QVERIFY(list.ListAttachments(QVariant(QStringLiteral("8"))));
        QCOMPARE(captions(lv), QStringList({"c-other.doc"}));

        // Selecting gives the identity the commands use.
        QCOMPARE(list.currentIid(), QString());
        lv.item(0)->setSelected(true);
        QCOMPARE(list.currentIid(), QString::number(sqlValue("select iid from N_BIN where ifid=8")));
    }

    // Two attachments of one name both show, each with its own identity.
    void sameNameTwice()
    {
        addAttachment(3, QStringLiteral("scan.jpg"), QStringLiteral(".jpg"));
        addAttachment(3, QStringLiteral("scan.jpg"), QStringLiteral(".jpg"));
        QListWidget lv;
        AttachmentList list(&lv);
        QVERIFY(list.ListAttachments(3));
        QCOMPARE(captions(lv), QStringList({"scan.jpg", "scan.jpg"}));
        QVERIFY(AttachmentList::itemIid(lv.item(0)) != AttachmentList::itemIid(lv.item(1)));
    }

    void noDocumentEmptiesList_data()
    {
        QTest::addColumn<QVariant>("biid");
        QTest::newRow("no document") << QVariant();
        QTest::newRow("document without attachments") << QVariant(99);
        QTest::newRow("not a number") << QVariant(QStringLiteral("5 or 1=1"));
    }
    void noDocumentEmptiesList()
    {
        QFETCH(QVariant, biid);
        addAttachment(5, QStringLiteral("x.doc"), QStringLiteral(".doc"));
        QListWidget lv;
        AttachmentList list(&lv);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(list.ListAttachments(5));
        QCOMPARE(lv.count(), 1);
        QVERIFY(list.ListAttachments(biid));
        QCOMPARE(lv.count(), 0);
        QCOMPARE(boxes.shown.size(), 0);
    }

    // The list follows the document dataset's moves while the display
    // command is checked, and catches up when it is checked again.
    void followsDocuments()
    {
        const int d1 = addDocument(QStringLiteral("one"));
        const int d2 = addDocument(QStringLiteral("two"));
        const int d3 = addDocument(QStringLiteral("three"));
        QVERIFY(d1 > 0 && d2 > 0 && d3 > 0);
        addAttachment(d1, QStringLiteral("one.pdf"), QStringLiteral(".pdf"));
        addAttachment(d2, QStringLiteral("two-a.zip"), QStringLiteral(".zip"));
        addAttachment(d2, QStringLiteral("two-b.doc"), QStringLiteral(".doc"));

        QListWidget lv;
        AttachmentList list(&lv);
        QAction display;
        display.setCheckable(true);
        display.setChecked(true);
        Dataset docs;
        list.follow(&docs, &display);

        ScopedScriptedMessageBoxes boxes;
        docs.open(QStringLiteral("select BIID from N_B order by BIID"));
        QCOMPARE(captions(lv), QStringList({"one.pdf"}));
        docs.next();
        QCOMPARE(captions(lv), QStringList({"two-a.zip", "two-b.doc"}));
        docs.next();
        QCOMPARE(lv.count(), 0);

        // Hidden: moves leave the list alone.
        display.setChecked(false);
        docs.first();
        QCOMPARE(lv.count(), 0);
        display.setChecked(true);
        QCOMPARE(captions(lv), QStringList({"one.pdf"}));

        // Closing, and a dataset without rows, empty it.
        docs.close();
        QCOMPARE(lv.count(), 0);
        docs.open(QStringLiteral("select BIID from N_B where BIID=%1").arg(d2));
        QCOMPARE(lv.count(), 2);
        docs.open(QStringLiteral("select BIID from N_B where 1<>1"));
        QCOMPARE(lv.count(), 0);
        QCOMPARE(boxes.shown.size(), 0);

        // Following nothing stops the refills.
        list.follow(nullptr, nullptr);
        docs.open(QStringLiteral("select BIID from N_B order by BIID"));
        QCOMPARE(lv.count(), 0);
    }

    void failingStatementShowsErrorAndEmpties()
    {
        addAttachment(4, QStringLiteral("a.doc"), QStringLiteral(".doc"));
        QListWidget lv;
        AttachmentList list(&lv);
        QVERIFY(list.ListAttachments(4));
        QCOMPARE(lv.count(), 1);

        PELU_SQL("drop table N_BIN");
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(!list.ListAttachments(4));
        QCOMPARE(lv.count(), 0);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QVERIFY2(boxes.shown.first().text.contains("select iid,sfilename,sfileext from N_BIN where ifid=4 order by sfilename"),
                 qPrintable(boxes.shown.first().text));
    }

    // --- arrangements and menu ----------------------------------------------

    void arrangement_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<AttachmentList::Arrangement>("arrangement");
        QTest::addColumn<int>("viewMode");
        QTest::addColumn<int>("iconSize");
        QTest::addColumn<int>("flow");
        QTest::newRow("大图标") << "mniBinIcoB" << AttachmentList::Arrangement::LargeIcons << int(QListView::IconMode) << 32
                              << int(QListView::LeftToRight);
        QTest::newRow("小图标") << "mniBinIcoS" << AttachmentList::Arrangement::SmallIcons << int(QListView::ListMode) << 16
                              << int(QListView::LeftToRight);
        QTest::newRow("列表") << "mniBinIcoL" << AttachmentList::Arrangement::List << int(QListView::ListMode) << 16
                            << int(QListView::TopToBottom);
    }
    void arrangement()
    {
        QFETCH(QString, item);
        QFETCH(AttachmentList::Arrangement, arrangement);
        QFETCH(int, viewMode);
        QFETCH(int, iconSize);
        QFETCH(int, flow);

        auto check = [&](const QListWidget &lv, const AttachmentList &list) {
            QCOMPARE(int(lv.viewMode()), viewMode);
            QCOMPARE(lv.iconSize(), QSize(iconSize, iconSize));
            QCOMPARE(int(lv.flow()), flow);
            QVERIFY(lv.isWrapping());
            QCOMPARE(list.arrangement(), arrangement);
            int checked = 0;
            for (QAction *a : list.arrangementActions())
                checked += a->isChecked() ? 1 : 0;
            QCOMPARE(checked, 1);
        };

        // Chosen from the menu, starting from each arrangement.
        for (const char *start : {"mniBinIcoB", "mniBinIcoS", "mniBinIcoL"}) {
            QListWidget lv;
            AttachmentList list(&lv);
            list.pmBin()->findChild<QAction *>(QLatin1String(start))->trigger();
            QAction *act = list.pmBin()->findChild<QAction *>(item);
            QVERIFY(act);
            act->trigger();
            QVERIFY(act->isChecked());
            check(lv, list);
            // Triggering the checked item again keeps it.
            act->trigger();
            check(lv, list);
        }

        // Restored check marks take effect when the window applies them.
        QListWidget lv;
        AttachmentList list(&lv);
        list.pmBin()->findChild<QAction *>(item)->setChecked(true);
        list.applyCheckedArrangement();
        check(lv, list);
    }

    // Restoring may leave no item checked: the default, large icons, applies.
    void noArrangementCheckedMeansLargeIcons()
    {
        QListWidget lv;
        AttachmentList list(&lv);
        list.setArrangement(AttachmentList::Arrangement::List);
        list.mniBinIcoL()->setChecked(false);
        list.applyCheckedArrangement();
        QVERIFY(list.mniBinIcoB()->isChecked());
        QCOMPARE(lv.viewMode(), QListView::IconMode);
        QCOMPARE(lv.iconSize(), QSize(32, 32));
    }

    void popupMenu()
    {
        QListWidget lv;
        QMenu host;
        host.setObjectName(QStringLiteral("pmBin"));
        AttachmentList list(&lv, &host);
        QCOMPARE(list.pmBin(), &host);

        QStringList entries;
        for (QAction *a : host.actions()) {
            if (a->isSeparator()) {
                entries << QStringLiteral("-");
            } else if (a->menu()) {
                entries << a->text();
            } else {
                entries << a->objectName() + QLatin1Char('=') + a->text();
                QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
            }
        }
        QCOMPARE(entries, QStringList({"actBinAdd=增加附件", "actBinScan=扫描增加附件", "actBinDel=删除附件", "-",
                                       "actBinOpen=打开附件", "actBinSave=另存附件", "-", "排列图标"}));
        QCOMPARE(list.commandActions().size(), 5);
        QCOMPARE(list.command(QStringLiteral("actBinSave")), host.actions().at(5));
        QCOMPARE(list.command(QStringLiteral("actBinIcoB")), nullptr);

        QMenu *arrange = host.actions().last()->menu();
        QStringList items;
        for (QAction *a : arrange->actions()) {
            items << a->objectName() + QLatin1Char('=') + a->text();
            QVERIFY(a->isCheckable());
            QVERIFY(a->actionGroup() && a->actionGroup()->isExclusive());
        }
        QCOMPARE(items, QStringList({"mniBinIcoB=大图标", "mniBinIcoS=小图标", "mniBinIcoL=列表"}));
        // Large icons by default.
        QVERIFY(list.mniBinIcoB()->isChecked());

        // Without a host menu the list makes its own.
        QListWidget lv2;
        AttachmentList own(&lv2);
        QCOMPARE(own.pmBin()->objectName(), QStringLiteral("pmBin"));
        QCOMPARE(own.pmBin()->actions().size(), host.actions().size());
    }

    // A double click runs the open command only while it is visible and enabled.
    void doubleClickOpens()
    {
        addAttachment(6, QStringLiteral("a.pdf"), QStringLiteral(".pdf"));
        QListWidget lv;
        AttachmentList list(&lv);
        QVERIFY(list.ListAttachments(6));
        QAction *open = list.command(QStringLiteral("actBinOpen"));
        QSignalSpy triggered(open, &QAction::triggered);
        emit lv.itemDoubleClicked(lv.item(0));
        QCOMPARE(triggered.size(), 0); // disabled until the command is there
        open->setEnabled(true);
        emit lv.itemDoubleClicked(lv.item(0));
        QCOMPARE(triggered.size(), 1);
        open->setVisible(false);
        emit lv.itemDoubleClicked(lv.item(0));
        QCOMPARE(triggered.size(), 1);
    }
};

QTEST_MAIN(TestAttachmentList)
#include "tst_attachmentlist.moc"
