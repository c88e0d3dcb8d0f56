// The prompt window: where the style sheets place it, and how it follows the main window. The
// toast: it goes by itself.

#include "widgets/CustomToolTip.h"
#include "widgets/QToastBox.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QtTest>

namespace {
// A window that tells the tip of its maximizing and restoring when it hears of them, as the main
// window does: before it has its new size.
class MaximizingWindow : public QWidget
{
public:
    CustomToolTip *tip = nullptr;

protected:
    void changeEvent(QEvent *event) override
    {
        if (event->type() == QEvent::WindowStateChange && tip)
            tip->windowsChange();
        QWidget::changeEvent(event);
    }
};
} // namespace

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
        QVERIFY(QTest::qWaitForWindowActive(&window));
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

    void tipStaysOnItsWidget_data()
    {
        QTest::addColumn<bool>("maximizeFirst");
        QTest::newRow("maximized") << false;
        QTest::newRow("restored from maximized") << true;
    }

    // Maximized or restored, the tip ends where a tip shown then for its widget would stand,
    // though the window has its new size and layout only after the change is told.
    void tipStaysOnItsWidget()
    {
        QFETCH(bool, maximizeFirst);
        MaximizingWindow window;
        auto *layout = new QHBoxLayout(&window);
        layout->addStretch();
        auto *target = new QWidget;
        target->setFixedSize(40, 20);
        layout->addWidget(target);
        layout->addStretch();
        window.setGeometry(100, 200, 300, 100);
        window.setWindowState(maximizeFirst ? Qt::WindowMaximized : Qt::WindowNoState);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_COMPARE(window.isMaximized(), maximizeFirst);
        CustomToolTip tip(QStringLiteral("CustomToolTip"));
        window.tip = &tip;
        const auto freshPlace = [&] {
            CustomToolTip fresh(QStringLiteral("CustomToolTip"));
            fresh.resize(tip.size());
            fresh.showTip(QStringLiteral("提示"), target);
            return fresh.pos();
        };
        QTRY_COMPARE(layout->geometry(), window.rect());
        tip.showTip(QStringLiteral("提示"), target);
        const QPoint before = tip.pos();
        const QSize oldSize = window.size();
        window.setWindowState(maximizeFirst ? Qt::WindowNoState : Qt::WindowMaximized);
        QTRY_VERIFY(window.size() != oldSize);
        QTRY_COMPARE(layout->geometry(), window.rect());
        QVERIFY(freshPlace() != before);
        QTRY_COMPARE(tip.pos(), freshPlace());
        QVERIFY(tip.isVisible());
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
