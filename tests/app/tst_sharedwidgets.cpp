// The prompt window: where the style sheets place it, and how it follows the main window. The
// toast: it goes by itself.

#include "widgets/CustomToolTip.h"
#include "widgets/QToastBox.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QtTest>

class TestSharedWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support (propagateSizeHints|raise)\\(\\)$)")));
    }

    void tipStandsAboveItsWidgetInsideTheScreen_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("windowY");
        QTest::addColumn<QString>("text");
        const QString longText = QStringLiteral("Select a key on the keyboard, then choose its new function below");
        QTest::newRow("light, top edge") << ":/styles/styles/light.qss" << 0 << longText;
        QTest::newRow("light, lower") << ":/styles/styles/light.qss" << 200 << QStringLiteral("提示");
        QTest::newRow("dark, lower") << ":/styles/styles/dark.qss" << 200 << longText;
    }

    // The tip is 240 x 30 and stands 10 px above its widget; a widget at the screen's top edge
    // keeps it inside the screen. A long text stays whole in it.
    void tipStandsAboveItsWidgetInsideTheScreen()
    {
        QFETCH(QString, sheet);
        QFETCH(int, windowY);
        QFETCH(QString, text);
        QFile file(sheet);
        QVERIFY(file.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        const auto unstyled = qScopeGuard([] { qApp->setStyleSheet(QString()); });
        QWidget window;
        window.setGeometry(100, windowY, 300, 100);
        auto *target = new QWidget(&window);
        target->setGeometry(0, 0, 300, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CustomToolTip tip(QStringLiteral("CustomToolTip"));
        tip.showTip(text, target);
        QCOMPARE(tip.size(), QSize(240, 30));
        const int top = target->mapToGlobal(QPoint(0, 0)).y();
        QCOMPARE(tip.y(), qMax(0, top - 10 - tip.height()));
        QVERIFY(tip.screen()->geometry().contains(tip.geometry()));
        const auto *label = tip.findChild<QLabel *>();
        QVERIFY(label->heightForWidth(tip.width()) <= tip.height());
    }

    // Shown above its widget, the tip follows the window: hidden while it is minimised, back at its
    // place when restored, anchored anew when it changes; once hidden, nothing brings it back.
    void tipFollowsTheWindow()
    {
        QWidget window;
        window.setGeometry(200, 300, 200, 100);
        auto *target = new QWidget(&window);
        window.show();
        CustomToolTip tip(QStringLiteral("CustomToolTip"));
        tip.showTip(QStringLiteral("提示"), target);
        const QPoint shownAt = tip.pos();
        const QPoint anchor = target->mapToGlobal(QPoint(0, 0));
        tip.changeMinimized();
        QVERIFY(!tip.isVisible());
        window.move(250, 400);
        QTRY_VERIFY(target->mapToGlobal(QPoint(0, 0)) != anchor);
        tip.restoreMinimized();
        QVERIFY(tip.isVisible() && tip.pos() == shownAt);
        tip.windowsChange();
        QCOMPARE(tip.pos() - shownAt, target->mapToGlobal(QPoint(0, 0)) - anchor);
        tip.hideTip();
        tip.restoreMinimized();
        tip.windowsChange();
        QVERIFY(!tip.isVisible());
    }

    // A toast shows its text over its parent and closes and deletes itself after its duration.
    void toastClosesItselfAfterItsDuration()
    {
        QWidget window;
        window.show();
        QPointer<QToastBox> toast = new QToastBox(&window, QStringLiteral("已保存"), 300);
        toast->show();
        QVERIFY(toast->isVisible());
        QCOMPARE(toast->findChild<QLabel *>()->text(), QStringLiteral("已保存"));
        QTRY_VERIFY_WITH_TIMEOUT(!toast, 5000);
    }
};

QTEST_MAIN(TestSharedWidgets)
#include "tst_sharedwidgets.moc"
