#include "app/sys_bakdoc.h"

#include "data/SharedState.h"

#include <QDir>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

Tfrm_sys_bakdoc::Tfrm_sys_bakdoc(QWidget *parent)
    : Tfrm_base_form(parent)
{
    setObjectName(QStringLiteral("frm_sys_bakdoc"));
    setWindowTitle(QStringLiteral("备份恢复数据"));

    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("memo1"));
    m_text->setOpenLinks(false);
    m_text->setHtml(instructions());

    auto *close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(640, 520);
}

QString Tfrm_sys_bakdoc::instructions()
{
    const QString dir = QDir::toNativeSeparators(shared().appDir.isEmpty() ? QDir::currentPath() : shared().appDir);
    QString html = QStringLiteral("<h3>备份数据</h3><p>备份前请先退出本软件（所有电脑上的本软件都要退出），然后把下列内容复制到移动硬盘、光盘或其他电脑上保存：</p><ul>");
    if (shared().isNetwork()) {
        html += QStringLiteral("<li>数据库服务器上的数据库 <b>%1</b>：由数据库管理员用 pg_dump 导出，例如 <code>pg_dump -Fc %1 &gt; %1.dump</code>；</li>")
                    .arg(shared().networkDbName());
        html += QStringLiteral("<li>FTP 服务器上的附件目录 <b>/N_UPFILE</b>（扫描件和各类附件文件）；</li>");
        html += QStringLiteral("<li>程序目录 %1 下的 <b>N_PRINT</b> 目录（打印模板）；</li>").arg(dir.toHtmlEscaped());
        html += QStringLiteral("<li>程序目录下的 <b>CliCfg.ini</b>（服务器地址）和 <b>mavo120.ini</b>（界面设置）。</li>");
    } else {
        html += QStringLiteral("<li>程序目录 %1 下的数据文件 <b>data100.dbf</b>（全部案卷、文件、借阅记录和系统设置）；</li>").arg(dir.toHtmlEscaped());
        html += QStringLiteral("<li>程序目录下的 <b>N_UPFILE</b> 目录（扫描件和各类附件文件）；</li>");
        html += QStringLiteral("<li>程序目录下的 <b>N_PRINT</b> 目录（打印模板）；</li>");
        html += QStringLiteral("<li>程序目录下的 <b>mavo120.ini</b>（界面设置）。</li>");
    }
    html += QStringLiteral("</ul><p>建议定期备份，并保留多份不同日期的备份。</p>");
    html += QStringLiteral("<h3>恢复数据</h3><p>退出本软件，把备份的内容按原来的位置复制回去（覆盖现有文件），再启动本软件。");
    if (shared().isNetwork())
        html += QStringLiteral("数据库由数据库管理员用 pg_restore 恢复。");
    html += QStringLiteral("数据文件和附件目录要用同一次的备份，否则附件可能对不上。</p>");
    html += QStringLiteral("<h3>恢复界面的原始样式</h3><p>界面的主题颜色、字体、表格列的显示和宽度等保存在程序目录下的 <b>mavo120.ini</b> 中。"
                           "退出本软件后删除该文件，再次启动时所有窗口即恢复为原始样式，数据不受影响。</p>");
    return html;
}

void Tfrm_sys_bakdoc::Execute(const QColor &windowColour, const QColor &controlColour, QWidget *parent)
{
    Tfrm_sys_bakdoc dlg(parent);
    dlg.applyThemeColours(windowColour, controlColour);
    dlg.exec();
}
