#include "attach/AttachmentList.h"

#include "app/AppIcons.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPalette>

namespace {

constexpr int IidRole = Qt::UserRole;
constexpr int KindRole = Qt::UserRole + 1;

// Theme pictures of the kinds; the PDF kind is drawn over a plain document.
const char *const kKindIcons[AttachmentList::KindCount] = {
    "x-office-document", "x-office-spreadsheet", "x-office-presentation", "image-x-generic",
    "package-x-generic", "text-x-generic", "x-office-drawing", "application-x-generic"};

QPixmap themePixmap(const char *name, int size)
{
    QPixmap pm = AppIcon(QLatin1String(name)).pixmap(QSize(size, size));
    pm.setDevicePixelRatio(1.0);
    if (pm.size() != QSize(size, size))
        pm = pm.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return pm;
}

// A red band over a plain page, the way PDF files are recognised at a glance;
// at 32 pixels it carries the letters.
QPixmap pdfPixmap(int size)
{
    QPixmap pm = themePixmap(kKindIcons[AttachmentList::KindPdf], size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Small pictures keep the band inside the page so it still reads as a page.
    const QRectF band = size >= 24 ? QRectF(0, size * 0.52, size, size * 0.36)
                                   : QRectF(size * 0.15, size * 0.55, size * 0.7, size * 0.3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawRoundedRect(band, size / 10.0, size / 10.0);
    if (size >= 24) {
        QFont f;
        f.setPixelSize(int(band.height() * 0.8));
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(band, Qt::AlignCenter, QStringLiteral("PDF"));
    }
    return pm;
}

QPixmap makeKindImage(int kind, int size)
{
    return kind == AttachmentList::KindPdf ? pdfPixmap(size) : themePixmap(kKindIcons[kind], size);
}

} // namespace

AttachmentList::AttachmentList(QListWidget *lv1, QMenu *pmBin, Dataset *query)
    : QObject(lv1), m_lv1(lv1), m_pmBin(pmBin), m_query(query)
{
    if (!m_query)
        m_query = new Dataset(this);
    if (!m_pmBin) {
        m_pmBin = new QMenu(lv1);
        m_pmBin->setObjectName(QStringLiteral("pmBin"));
    }
    m_lv1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lv1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_lv1, &QWidget::customContextMenuRequested, this, &AttachmentList::showPopup);
    connect(m_lv1, &QListWidget::itemDoubleClicked, this, [this] {
        QAction *open = command(QStringLiteral("actBinOpen"));
        if (open && open->isVisible() && open->isEnabled())
            open->trigger();
    });

    buildMenu();
    setArrangement(Arrangement::LargeIcons);
}

AttachmentList::~AttachmentList() = default;

void AttachmentList::buildMenu()
{
    auto make = [this](const char *name, const char *caption, const char *icon) {
        auto *act = new QAction(AppIcon(QLatin1String(icon)), QString::fromUtf8(caption), m_pmBin);
        act->setObjectName(QLatin1String(name));
        return act;
    };
    // The commands themselves come with their own work; until then they stand
    // greyed in the menu.
    m_commands = {make("actBinAdd", "增加附件", "list-add"), make("actBinScan", "扫描增加附件", "scanner"),
                  make("actBinDel", "删除附件", "edit-delete"), make("actBinOpen", "打开附件", "document-open"),
                  make("actBinSave", "另存附件", "document-save-as")};
    for (QAction *act : std::as_const(m_commands))
        act->setEnabled(false);

    m_pmBin->addAction(m_commands[0]);
    m_pmBin->addAction(m_commands[1]);
    m_pmBin->addAction(m_commands[2]);
    m_pmBin->addSeparator();
    m_pmBin->addAction(m_commands[3]);
    m_pmBin->addAction(m_commands[4]);
    m_pmBin->addSeparator();

    QMenu *arrange = m_pmBin->addMenu(QStringLiteral("排列图标"));
    arrange->setObjectName(QStringLiteral("mniBinIco"));
    m_icoGroup = new QActionGroup(m_pmBin);
    m_icoGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    auto radio = [&](const char *name, const char *caption, Arrangement arrangement) {
        auto *act = new QAction(QString::fromUtf8(caption), m_pmBin);
        act->setObjectName(QLatin1String(name));
        act->setCheckable(true);
        m_icoGroup->addAction(act);
        arrange->addAction(act);
        // A user's choice; restoring the check marks leaves the view to
        // applyCheckedArrangement.
        connect(act, &QAction::triggered, this, [this, arrangement] { setArrangement(arrangement); });
        return act;
    };
    m_icoB = radio("mniBinIcoB", "大图标", Arrangement::LargeIcons);
    m_icoS = radio("mniBinIcoS", "小图标", Arrangement::SmallIcons);
    m_icoL = radio("mniBinIcoL", "列表", Arrangement::List);
}

int AttachmentList::IconKind(const QString &ext)
{
    const QString e = ext.toLower();
    if (e == QLatin1String(".doc") || e == QLatin1String(".docx"))
        return KindWord;
    if (e == QLatin1String(".xls") || e == QLatin1String(".xlsx"))
        return KindSpreadsheet;
    if (e == QLatin1String(".ppt") || e == QLatin1String(".pptx"))
        return KindPresentation;
    if (e == QLatin1String(".jpg") || e == QLatin1String(".bmp") || e == QLatin1String(".gif"))
        return KindPicture;
    if (e == QLatin1String(".rar") || e == QLatin1String(".zip"))
        return KindArchive;
    if (e == QLatin1String(".pdf"))
        return KindPdf;
    if (e == QLatin1String(".dwg"))
        return KindDrawing;
    return KindOther;
}

QPixmap AttachmentList::KindImage(int kind, int size)
{
    if (kind < 0 || kind >= KindCount)
        kind = KindOther;
    static QPixmap large[KindCount], small[KindCount];
    QPixmap &base = size > 24 ? large[kind] : small[kind];
    if (base.isNull())
        base = makeKindImage(kind, size > 24 ? 32 : 16);
    if (base.width() == size)
        return base;
    return base.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QIcon AttachmentList::KindIcon(int kind)
{
    QIcon icon;
    icon.addPixmap(KindImage(kind, 16));
    icon.addPixmap(KindImage(kind, 32));
    return icon;
}

bool AttachmentList::ListAttachments(const QVariant &biid)
{
    m_lv1->clear();
    bool isNumber = false;
    const qlonglong id = biid.isNull() ? 0 : biid.toLongLong(&isNumber);
    if (!isNumber) {
        emit listed(0);
        return true;
    }
    const QString sql = QStringLiteral("select iid,sfilename,sfileext from ") + tableName() +
                        QStringLiteral(" where ifid=") + QString::number(id) + QStringLiteral(" order by sfilename");
    if (!OpenSql(*m_query, sql)) {
        emit listed(0);
        return false;
    }
    const int rows = m_query->recordCount();
    for (int pos = 0; pos < rows; ++pos) {
        const int kind = IconKind(m_query->textAt(pos, 2));
        const QString caption = m_query->textAt(pos, 1);
        auto *item = new QListWidgetItem(KindIcon(kind), caption);
        item->setData(IidRole, m_query->textAt(pos, 0));
        item->setData(KindRole, kind);
        item->setToolTip(caption); // long names are cut in the icon views
        m_lv1->addItem(item);
    }
    emit listed(rows);
    return true;
}

bool AttachmentList::ListAttachments(Dataset &documents)
{
    if (!documents.isOpen() || documents.isEmpty())
        return ListAttachments(QVariant());
    return ListAttachments(documents.value(QStringLiteral("BIID")));
}

void AttachmentList::follow(Dataset *documents, QAction *display)
{
    for (const auto &c : std::as_const(m_followConnections))
        disconnect(c);
    m_followConnections.clear();
    m_documents = documents;
    m_display = display;
    if (!documents)
        return;

    auto shown = [this] { return !m_display || m_display->isChecked(); };
    auto refill = [this] {
        if (m_documents)
            RunCommand([this] { ListAttachments(*m_documents); });
    };
    m_followConnections << connect(documents, &Dataset::afterScroll, this, [=] {
        if (shown())
            refill();
    });
    m_followConnections << connect(documents, &Dataset::afterClose, this, [=] {
        if (shown())
            ListAttachments(QVariant());
    });
    if (display)
        m_followConnections << connect(display, &QAction::toggled, this, [=](bool on) {
            if (on)
                refill();
        });
}

Dataset *AttachmentList::documents() const
{
    return m_documents.data();
}

QString AttachmentList::itemIid(const QListWidgetItem *item)
{
    return item ? item->data(IidRole).toString() : QString();
}

int AttachmentList::itemKind(const QListWidgetItem *item)
{
    return item ? item->data(KindRole).toInt() : -1;
}

QString AttachmentList::currentIid() const
{
    const QList<QListWidgetItem *> selected = m_lv1->selectedItems();
    return selected.isEmpty() ? QString() : itemIid(selected.first());
}

void AttachmentList::setArrangement(Arrangement arrangement)
{
    QAction *item = arrangement == Arrangement::LargeIcons ? m_icoB : arrangement == Arrangement::SmallIcons ? m_icoS : m_icoL;
    item->setChecked(true);
    applyArrangement(arrangement);
}

AttachmentList::Arrangement AttachmentList::arrangement() const
{
    if (m_icoS->isChecked())
        return Arrangement::SmallIcons;
    if (m_icoL->isChecked())
        return Arrangement::List;
    return Arrangement::LargeIcons;
}

void AttachmentList::applyCheckedArrangement()
{
    setArrangement(arrangement());
}

void AttachmentList::applyArrangement(Arrangement arrangement)
{
    // The view mode resets flow, wrapping and movement, so it goes first.
    if (arrangement == Arrangement::LargeIcons) {
        m_lv1->setViewMode(QListView::IconMode);
        m_lv1->setIconSize(QSize(32, 32));
        m_lv1->setFlow(QListView::LeftToRight);
        m_lv1->setGridSize(QSize(84, 70));
        m_lv1->setWordWrap(true);
    } else {
        m_lv1->setViewMode(QListView::ListMode);
        m_lv1->setIconSize(QSize(16, 16));
        m_lv1->setGridSize(QSize());
        m_lv1->setWordWrap(false);
        // Small icons run in rows, the list in columns.
        m_lv1->setFlow(arrangement == Arrangement::SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
    }
    m_lv1->setWrapping(true);
    m_lv1->setMovement(QListView::Static);
    m_lv1->setResizeMode(QListView::Adjust);
    m_lv1->setTextElideMode(Qt::ElideMiddle);
}

QAction *AttachmentList::command(const QString &name) const
{
    for (QAction *act : m_commands)
        if (act->objectName() == name)
            return act;
    return nullptr;
}

void AttachmentList::setControlColour(const QColor &colour)
{
    m_lv1->setAutoFillBackground(true);
    QPalette p = m_lv1->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    m_lv1->setPalette(p);
}

QColor AttachmentList::controlColour() const
{
    return m_lv1->palette().color(QPalette::Base);
}

void AttachmentList::showPopup(const QPoint &pos)
{
    m_pmBin->popup(m_lv1->viewport()->mapToGlobal(pos));
}
