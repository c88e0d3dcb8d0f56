#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// Direct access to an SQLite file beside the program's own connection, for preparing and
// inspecting test databases. Each call opens and closes a connection of its own.
class SqlFile
{
public:
    // Runs the statements in order; false (with the error logged) at the first that fails.
    static bool exec(const QString &path, const QStringList &statements);
    // Every row of the statement's result, each value as text.
    static QList<QStringList> rows(const QString &path, const QString &statement);
};
