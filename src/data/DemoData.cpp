#include "data/DemoData.h"

#include "app/MessageBoxes.h"

namespace DemoData {

Counts generate(QSqlDatabase, qint64, const std::function<void(qint64)> &)
{
    throw AppError(QStringLiteral("demo: not built yet"));
}

} // namespace DemoData
