#include "app/DbEditors.h"

#include "app/DataLink.h"
#include "app/DbDateEdit.h"
#include "app/DbEdit.h"
#include "app/DbMapListCombo.h"

#include <QComboBox>
#include <QLineEdit>

bool ClearEditor(QWidget *editor)
{
    if (!editor)
        return false;
    if (auto *e = qobject_cast<DbEdit *>(editor)) {
        e->clearValue();
    } else if (auto *d = qobject_cast<DbDateEdit *>(editor)) {
        d->clearValue();
    } else if (auto *c = qobject_cast<DbMapListCombo *>(editor)) {
        c->clearValue();
    } else if (auto *c = qobject_cast<MapListCombo *>(editor)) {
        c->clearSelection();
    } else if (auto *c = qobject_cast<QComboBox *>(editor)) {
        c->setCurrentIndex(-1);
        if (c->isEditable())
            c->clearEditText();
    } else if (auto *e = qobject_cast<QLineEdit *>(editor)) {
        e->clear();
    } else {
        return false;
    }
    return true;
}

void ClearQueryEditors(QWidget *panel)
{
    if (!panel)
        return;
    const QObjectList children = panel->children();
    for (int i = children.size() - 1; i >= 0; --i) {
        auto *w = qobject_cast<QWidget *>(children.at(i));
        if (w && w->isEnabled())
            ClearEditor(w);
    }
}

bool CommitEditors(QWidget *container)
{
    if (!container)
        return true;
    const QList<DataLink *> links = container->findChildren<DataLink *>();
    for (DataLink *link : links) {
        if (link->isModified() && !link->commit())
            return false;
    }
    return true;
}

bool CommitEditors(Dataset *dataset)
{
    return DataLink::commitAll(dataset);
}
