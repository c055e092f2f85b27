#include "app/MessageBoxes.h"
#include "app/PeluApplication.h"
#include "app/QtMessageBoxes.h"
#include "app/base_form.h"
#include "data/Connection.h"
#include "data/SharedState.h"

#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace {

QString readSetting(const QString &name)
{
    QSqlQuery q(Connection::database());
    q.prepare(QStringLiteral("select SVALUE from S_SET where SNAME=?"));
    q.addBindValue(name);
    if (q.exec() && q.next())
        return q.value(0).toString();
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    PeluApplication app(argc, argv);
    app.setApplicationDisplayName(QString());
    QtMessageBoxes boxes;
    setMessageBoxes(&boxes);

    SharedState &st = shared();
    st.setEditionAndFolder(buildEdition(), QCoreApplication::applicationDirPath());
    const bool opened = RunCommand([&] {
        if (st.isNetwork())
            Connection::openNetwork(QStringLiteral("127.0.0.1"));
        else
            Connection::openSingleUser(st.appDir);
        st.sysTitle = readSetting(QStringLiteral("N_SYS"));
        st.modName = readSetting(QStringLiteral("N_MOD"));
    });
    if (!opened)
        return 1;
    app.setApplicationDisplayName(st.sysTitle);

    // The start window until the login and the main window take its place.
    Tfrm_base_form window;
    window.setWindowTitle(st.sysTitle);
    auto *layout = new QVBoxLayout(&window);
    auto *module = new QLabel(st.modName, &window);
    module->setAlignment(Qt::AlignCenter);
    layout->addWidget(module);
    auto *close = new QPushButton(QStringLiteral("关闭"), &window);
    layout->addWidget(close);
    QObject::connect(close, &QPushButton::clicked, &window, &QDialog::accept);
    window.resize(480, 240);
    window.show();
    return app.exec();
}
