#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// Direct access to an SQLite file beside the program's own connection, for preparing and
// inspecting test databases. Each call opens and closes a connection of its own.
class SqlFile
{
public:
    // Runs the statements in order; the rows of the last one's result, each value as text. ok
    // (when given) turns false, with the error logged, at the first statement that fails.
    static QList<QStringList> run(const QString &path, const QStringList &statements, bool *ok = nullptr);
    static bool exec(const QString &path, const QStringList &statements)
    {
        bool ok = false;
        run(path, statements, &ok);
        return ok;
    }
};
