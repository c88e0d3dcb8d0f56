// The prompt window follows the main window.

#include "app/CustomToolTip.h"

#include <QtTest>

class TestSharedWidgets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^(?!This plugin does not support (propagateSizeHints|raise)\\(\\)$)")));
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
};

QTEST_MAIN(TestSharedWidgets)
#include "tst_sharedwidgets.moc"
