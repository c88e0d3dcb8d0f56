#include "tests/support/SqlFile.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString kConnection = QStringLiteral("test_sql_file");
}

bool SqlFile::exec(const QString &path, const QStringList &statements)
{
    bool ok = false;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        database.setDatabaseName(path);
        ok = database.open();
        QSqlQuery query(database);
        for (const QString &statement : statements) {
            if (ok && !query.exec(statement)) {
                qWarning().noquote() << statement << query.lastError().text();
                ok = false;
            }
        }
        query.finish();
        database.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return ok;
}

QList<QStringList> SqlFile::rows(const QString &path, const QString &statement)
{
    QList<QStringList> rows;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        database.setDatabaseName(path);
        if (database.open()) {
            QSqlQuery query(statement, database);
            while (query.next()) {
                QStringList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row << query.value(i).toString();
                rows << row;
            }
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(kConnection);
    return rows;
}
