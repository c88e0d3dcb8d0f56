// Builds an SQLite database from an SQL text: quill_makedb <statements.sql> <database.db3>
// The statements run in one transaction into a fresh file, which replaces the output only when
// every statement succeeded.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

namespace {

// Splits the text at semicolons outside quoted strings and drops "--" comments.
QStringList splitStatements(const QString &text)
{
    QStringList statements;
    QString current;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quoted && c == u'-' && i + 1 < text.size() && text.at(i + 1) == u'-') {
            while (i < text.size() && text.at(i) != u'\n')
                ++i;
            continue;
        }
        if (c == u'\'')
            quoted = !quoted; // a doubled quote toggles twice
        if (!quoted && c == u';') {
            if (!current.trimmed().isEmpty())
                statements.append(current.trimmed());
            current.clear();
            continue;
        }
        current.append(c);
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

bool build(const QString &sqlPath, const QString &databasePath, QTextStream &err)
{
    QFile sqlFile(sqlPath);
    if (!sqlFile.open(QIODevice::ReadOnly)) {
        err << "cannot read " << sqlPath << "\n";
        return false;
    }
    const QStringList statements = splitStatements(QString::fromUtf8(sqlFile.readAll()));

    bool ok = true;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("makedb"));
        database.setDatabaseName(databasePath);
        if (!database.open()) {
            err << "cannot create " << databasePath << ": " << database.lastError().text() << "\n";
            ok = false;
        } else {
            database.transaction();
            QSqlQuery query(database);
            for (const QString &statement : statements) {
                if (!query.exec(statement)) {
                    err << "failed: " << statement << "\n  " << query.lastError().text() << "\n";
                    ok = false;
                    break;
                }
            }
            ok = ok ? database.commit() : (database.rollback(), false);
            query.finish();
            database.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("makedb"));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: quill_makedb <statements.sql> <database.db3>\n";
        return 2;
    }
    const QString output = QFileInfo(args.at(2)).absoluteFilePath();
    const QString partial = output + QStringLiteral(".part");
    QDir().mkpath(QFileInfo(output).absolutePath());
    QFile::remove(partial);
    if (!build(args.at(1), partial, err)) {
        QFile::remove(partial);
        return 1;
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        err << "cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
