#include "tests/support/SqlFile.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

QList<QStringList> SqlFile::run(const QString &path, const QStringList &statements, bool *ok)
{
    const QString connection = QStringLiteral("test_sql_file");
    QList<QStringList> rows;
    bool done = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        database.setDatabaseName(path);
        done = database.open();
        QSqlQuery query(database);
        for (const QString &statement : statements) {
            if (done && !query.exec(statement)) {
                qWarning().noquote() << statement << query.lastError().text();
                done = false;
            }
        }
        while (done && query.next()) {
            rows << QStringList();
            for (int i = 0; i < query.record().count(); ++i)
                rows.last() << query.value(i).toString();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (ok)
        *ok = done;
    return rows;
}
