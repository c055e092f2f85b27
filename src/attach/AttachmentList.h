#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QVariant>

class Dataset;
class QAction;
class QActionGroup;
class QIcon;
class QListWidget;
class QListWidgetItem;
class QMenu;

// The attachment list of a document record: drives the host window's list
// widget `lv1` and fills its popup menu `pmBin`. The list holds nothing but
// its items; every refill reads N_BIN again.
class AttachmentList : public QObject {
    Q_OBJECT
public:
    // Image indexes of the two image lists, chosen from the file extension.
    enum Kind { KindWord = 0, KindSpreadsheet, KindPresentation, KindPicture, KindArchive, KindPdf, KindDrawing, KindOther };
    static constexpr int KindCount = 8;
    enum class Arrangement { LargeIcons, SmallIcons, List };

    // Drives lv1 (which must outlive this object; it becomes the parent).
    // pmBin is filled with the commands and the arrangements; without one a
    // menu named "pmBin" is made on lv1. query runs the list statement (the
    // window's scratch query); without one the list uses a query of its own.
    explicit AttachmentList(QListWidget *lv1, QMenu *pmBin = nullptr, Dataset *query = nullptr);
    ~AttachmentList() override;

    QListWidget *lv1() const { return m_lv1; }
    QMenu *pmBin() const { return m_pmBin; }
    Dataset &query() const { return *m_query; }

    // The attachment table; "N_BIN" at every call of the program.
    static QString tableName() { return QStringLiteral("N_BIN"); }

    // Image index for an extension such as ".PDF" (with its dot; letter case
    // ignored).
    static int IconKind(const QString &ext);
    // One image of the two image lists: size 32 (large icons) or 16 (small
    // icons and list). Other sizes are scaled from the nearer one.
    static QPixmap KindImage(int kind, int size);
    // Both sizes of a kind's image, as the items carry them.
    static QIcon KindIcon(int kind);

    // Clears the list and, when biid is an integer, adds one item per
    // attachment of that document in file-name order. A null biid (no
    // document) leaves the list empty, as does a failing statement, which
    // OpenSql reports. Gives false only when the statement failed.
    bool ListAttachments(const QVariant &biid);
    // The same for the current row of a document dataset: empty when the
    // dataset is closed or has no rows.
    bool ListAttachments(Dataset &documents);

    // Refills on every move of the document dataset (its opening included)
    // and empties when it closes, while display is checked (always when
    // display is null); refills when display becomes checked.
    void follow(Dataset *documents, QAction *display);
    Dataset *documents() const;

    // What an item carries: the attachment's IID as text, and its image index.
    static QString itemIid(const QListWidgetItem *item);
    static int itemKind(const QListWidgetItem *item);
    QString currentIid() const; // of the selected item; empty when none

    // --- arrangements ("排列图标") ---------------------------------------------
    // The three radio menu items "大图标", "小图标", "列表"; their check marks
    // are what the host window stores.
    QAction *mniBinIcoB() const { return m_icoB; }
    QAction *mniBinIcoS() const { return m_icoS; }
    QAction *mniBinIcoL() const { return m_icoL; }
    QList<QAction *> arrangementActions() const { return {m_icoB, m_icoS, m_icoL}; }
    // Checks the arrangement's item and sets the list's view to it.
    void setArrangement(Arrangement arrangement);
    Arrangement arrangement() const;
    // Applies the arrangement whose item is checked (after the window has
    // restored the check marks); large icons when none is.
    void applyCheckedArrangement();

    // --- commands ----------------------------------------------------------------
    // "增加附件" actBinAdd, "扫描增加附件" actBinScan, "删除附件" actBinDel,
    // "打开附件" actBinOpen, "另存附件" actBinSave: in pmBin in that order, made
    // disabled; their work comes with the attachment commands.
    QList<QAction *> commandActions() const { return m_commands; }
    QAction *command(const QString &name) const; // by object name; nullptr if none

    void setControlColour(const QColor &colour);
    QColor controlColour() const;

signals:
    // After every refill, with the number of items.
    void listed(int count);

private:
    void buildMenu();
    void applyArrangement(Arrangement arrangement);
    void showPopup(const QPoint &pos);

    QListWidget *m_lv1;
    QMenu *m_pmBin;
    Dataset *m_query;
    QPointer<Dataset> m_documents;
    QPointer<QAction> m_display;
    QList<QMetaObject::Connection> m_followConnections;
    QList<QAction *> m_commands;
    QAction *m_icoB = nullptr, *m_icoS = nullptr, *m_icoL = nullptr;
    QActionGroup *m_icoGroup = nullptr;
};
