#include "app/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

int QtMessageBoxes::show(MsgIcon icon, const QString &title, const QString &text, MsgButtons buttons)
{
    QMessageBox::Icon qicon = QMessageBox::Information;
    switch (icon) {
    case MsgIcon::Information: qicon = QMessageBox::Information; break;
    case MsgIcon::Warning: qicon = QMessageBox::Warning; break;
    case MsgIcon::Critical: qicon = QMessageBox::Critical; break;
    case MsgIcon::Question: qicon = QMessageBox::Question; break;
    }
    QMessageBox box(qicon, title, text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton *ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    QPushButton *cancel = nullptr;
    if (buttons == MsgButtons::OkCancel)
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.exec();
    // Closing the box counts as Cancel.
    return box.clickedButton() == ok ? MsgResultOk : MsgResultCancel;
}
