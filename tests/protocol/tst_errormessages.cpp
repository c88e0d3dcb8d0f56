#include "protocol/ErrorMessageTable.h"

#include <QCoreApplication>
#include <QSet>
#include <QTranslator>
#include <QtTest>

#include <climits>

class TestErrorMessages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void knownCodes()
    {
        QCOMPARE(ErrorMessageTable::getErrorMessage(-1), QString("指定帧没收到"));
        QCOMPARE(ErrorMessageTable::getErrorMessage(-5), QString("协议TAG"));
        QCOMPARE(ErrorMessageTable::getErrorMessage(-19), QString("协议未知错误"));
        QCOMPARE(ErrorMessageTable::getErrorMessage(-20), QString("读取USB超时"));
        QCOMPARE(ErrorMessageTable::getErrorMessage(-23), QString("产品型号不匹配"));
        QCOMPARE(ErrorMessageTable::getErrorMessage(-53), QString("添加配置表失败"));
        QCOMPARE(ErrorMessageTable::getErrorMessage(-57), QString("接收数据失败"));
    }

    void codesWithoutText()
    {
        const QString other = QStringLiteral("其他错误");
        for (int code = -18; code <= -6; ++code)
            QCOMPARE(ErrorMessageTable::getErrorMessage(code), other);
        for (int code : {0, 1, 5, 200, -58, -200, INT_MIN, INT_MAX})
            QCOMPARE(ErrorMessageTable::getErrorMessage(code), other);
    }

    // Every code with a row has a text of its own.
    void textsAreDistinct()
    {
        QSet<QString> texts;
        int rows = 0;
        for (int code = -1; code >= -57; --code) {
            if (code <= -6 && code >= -18)
                continue;
            const QString text = ErrorMessageTable::getErrorMessage(code);
            QVERIFY2(text != QStringLiteral("其他错误"), qPrintable(QString::number(code)));
            texts.insert(text);
            ++rows;
        }
        QCOMPARE(rows, 44);
        QCOMPARE(texts.size(), rows);
    }

    void textsAreNotTranslated()
    {
        QTranslator translator;
        QVERIFY(translator.load(":/i18n/languages/Quillomatrix_en_US.qm"));
        QCoreApplication::installTranslator(&translator);
        QCOMPARE(ErrorMessageTable::getErrorMessage(-21), QString("打开数据库失败"));
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_GUILESS_MAIN(TestErrorMessages)
#include "tst_errormessages.moc"
