#include "data/SharedState.h"

#include <QDir>

SharedState &shared()
{
    static SharedState state;
    return state;
}

QString buildEdition()
{
    return QStringLiteral(PELU_EDITION);
}

QString SharedState::networkDbName() const
{
    return networkDbNameOverride.isEmpty() ? QStringLiteral("pelu100") : networkDbNameOverride;
}

void SharedState::setEditionAndFolder(const QString &ed, const QString &dir)
{
    edition = ed;
    appDir = QDir::cleanPath(dir);
    helpDocPath = appDir + QStringLiteral("/mavo120.doc");
    uiIniPath = appDir + QStringLiteral("/mavo120.ini");
}
