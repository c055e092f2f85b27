#include "app/base_form.h"

#include "data/SharedState.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace {

const QString &fallbackFamily()
{
    static const QString family = QStringLiteral("WenQuanYi Micro Hei");
    return family;
}

} // namespace

Tfrm_base_form::Tfrm_base_form(QWidget *parent)
    : QDialog(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, defaultBackground());
    setPalette(pal);
    // Children inherit the form's font unless they set their own.
    setFont(systemFont());
}

QFont Tfrm_base_form::systemFont()
{
    QString family = QStringLiteral("微软雅黑");
    if (!shared().sysFontName.isEmpty())
        family = shared().sysFontName;
    // A name missing on this machine would leave Chinese text to chance.
    if (!QFontDatabase::hasFamily(family) && QFontDatabase::hasFamily(fallbackFamily()))
        family = fallbackFamily();

    QFont font;
    font.setFamilies({family, fallbackFamily()});
    if (shared().sysFontSize > 0)
        font.setPointSize(shared().sysFontSize);
    else
        font.setPixelSize(15);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

void Tfrm_base_form::applyThemeColours(const QColor &background, const QColor &controlBackground)
{
    QPalette pal = palette();
    if (background.isValid())
        pal.setColor(QPalette::Window, background);
    if (controlBackground.isValid())
        pal.setColor(QPalette::Base, controlBackground);
    setPalette(pal);
}

QColor Tfrm_base_form::themeBackground() const
{
    return palette().color(QPalette::Window);
}

QColor Tfrm_base_form::themeControlBackground() const
{
    return palette().color(QPalette::Base);
}

void Tfrm_base_form::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        centreOnScreen();
    }
}

void Tfrm_base_form::centreOnScreen()
{
    if (!isWindow() || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
}
