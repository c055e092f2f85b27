#pragma once

#include <QSqlDatabase>

#include <functional>

// Realistic, deterministic sample records for a store made by StoreBuilder:
// volumes whose texts come from per-caption vocabularies and whose codes
// exist in the code lists, 5 to 15 documents per volume, and lendings whose
// BC10 state matches their ISTATE.
namespace DemoData {

struct Counts {
    qint64 volumes = 0;
    qint64 documents = 0;
    qint64 lendings = 0;
};

// Adds `volumes` volumes (with their documents and lendings) in transactions.
// progress (optional) is called now and then with the volumes written so far.
// Throws SqlError on failure.
Counts generate(QSqlDatabase db, qint64 volumes, const std::function<void(qint64)> &progress = {});

} // namespace DemoData
