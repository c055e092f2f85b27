#include "app/ProgramPicture.h"

#include "app/base_form.h"
#include "data/SharedState.h"

#include <QLinearGradient>
#include <QPainter>

QPixmap ProgramPicture()
{
    QPixmap pm(500, 310);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 310);
    sky.setColorAt(0.0, QColor(34, 86, 150));
    sky.setColorAt(0.55, QColor(120, 168, 214));
    sky.setColorAt(0.56, QColor(220, 234, 245));
    sky.setColorAt(1.0, QColor(188, 213, 236));
    p.fillRect(pm.rect(), sky);

    // A row of archive boxes, the emblem of the program.
    const QColor spines[] = {QColor(196, 142, 72), QColor(176, 120, 58), QColor(210, 160, 90), QColor(186, 132, 66)};
    for (int i = 0; i < 4; ++i) {
        const QRectF box(32 + i * 26, 30 + (i % 2) * 6, 22, 92 - (i % 2) * 6);
        p.setPen(QPen(QColor(90, 60, 30), 1.2));
        p.setBrush(spines[i]);
        p.drawRoundedRect(box, 2, 2);
        p.setBrush(QColor(245, 240, 225));
        p.drawRect(QRectF(box.left() + 4, box.top() + 14, box.width() - 8, 18));
    }

    QFont title = Tfrm_base_form::systemFont();
    title.setFamilies({QStringLiteral("WenQuanYi Micro Hei")});
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    const QString sys = shared().sysTitle.isEmpty() ? QStringLiteral("科技档案管理") : shared().sysTitle;
    p.drawText(QRect(150, 40, 340, 40), Qt::AlignLeft | Qt::AlignVCenter, sys);
    QFont sub = title;
    sub.setPixelSize(15);
    sub.setBold(false);
    p.setFont(sub);
    p.setPen(QColor(225, 236, 248));
    p.drawText(QRect(150, 84, 340, 24), Qt::AlignLeft | Qt::AlignVCenter,
               shared().modName.isEmpty() ? QStringLiteral("科技档案管理") : shared().modName);
    p.end();
    return pm;
}
