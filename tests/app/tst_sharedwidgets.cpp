#include "app/CustomToolTip.h"
#include "app/QConfigListDelegate.h"
#include "app/QCustomProgressDialog.h"
#include "app/QSmartScrollArea.h"
#include "app/QToastBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

namespace {
// A content widget of a fixed preferred size.
class SizedContent : public QWidget
{
public:
    explicit SizedContent(const QSize &hint) : mHint(hint) {}
    QSize sizeHint() const override { return mHint; }

private:
    QSize mHint;
};

void appendRows(QStandardItemModel &model, const QStringList &texts)
{
    for (const QString &text : texts)
        model.appendRow(new QStandardItem(text));
}

// True when every pixel of the image has the colour.
bool uniform(const QImage &image, QColor colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != colour)
                return false;
    return true;
}
} // namespace

class TestSharedWidgets : public QObject
{
    Q_OBJECT

    static QScreen *screen() { return QGuiApplication::primaryScreen(); }

    // A top-level window at pos holding a widget of the given size in its top-left corner.
    struct Host
    {
        QWidget window;
        QWidget *target = nullptr;
        Host(const QPoint &pos, const QSize &targetSize)
        {
            window.setWindowFlags(Qt::FramelessWindowHint);
            window.setGeometry(QRect(pos, QSize(qMax(200, targetSize.width()), 100)));
            target = new QWidget(&window);
            target->setGeometry(QRect(QPoint(0, 0), targetSize));
            window.show();
        }
    };

    // A tip of the size the light style sheet gives it (240 x 30, 10 pixels higher).
    struct SizedTip : CustomToolTip
    {
        SizedTip() : CustomToolTip(QStringLiteral("CustomToolTip"))
        {
            setFixedSize(240, 30);
            setBottomOffset(-10);
        }
    };

    // A sized tip shown over the widget of a host.
    struct TipOverWidget
    {
        Host host;
        SizedTip tip;
        TipOverWidget(const QPoint &pos, const QSize &targetSize) : host(pos, targetSize)
        {
            tip.showTip(QStringLiteral("提示"), host.target);
        }
    };

private Q_SLOTS:
    // ---- toast ----

    void toastDeletesItselfAfterItsDuration()
    {
        QWidget parent;
        parent.setGeometry(100, 100, 600, 400);
        parent.show();
        QElapsedTimer clock;
        clock.start();
        QPointer<QToastBox> toast = new QToastBox(&parent, QStringLiteral("保存成功"), 300);
        qint64 goneAfter = -1;
        connect(toast, &QObject::destroyed, this, [&] { goneAfter = clock.elapsed(); });
        toast->show();

        QVERIFY(toast->isVisible());
        QVERIFY(!toast->isModal());
        QVERIFY(toast->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(toast->windowType(), Qt::ToolTip);
        QVERIFY(toast->testAttribute(Qt::WA_TranslucentBackground));
        auto *label = toast->findChild<QLabel *>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("保存成功"));
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QVERIFY(label->styleSheet().contains(QStringLiteral("border: 1px solid rgb(255,105,0)")));

        QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 5000);
        QVERIFY2(goneAfter >= 290, qPrintable(QString::number(goneAfter)));
    }

    void toastIsCentredOverItsParent()
    {
        QWidget parent;
        parent.setGeometry(100, 120, 600, 400);
        parent.show();
        auto *toast = new QToastBox(&parent, QStringLiteral("Done"), 2000);
        toast->show();
        const QPoint offset = toast->geometry().center() - parent.geometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        delete toast;
    }

    void toastGoneWithItsParentIsHarmless()
    {
        auto *parent = new QWidget;
        parent->show();
        QPointer<QToastBox> toast = new QToastBox(parent, QStringLiteral("x"), 50);
        toast->show();
        delete parent;
        QVERIFY(toast.isNull());
        // The timer went with the toast.
        QTest::qWait(100);
    }

    // ---- progress dialog ----

    void progressCancelText_data()
    {
        QTest::addColumn<QString>("cancelText");
        QTest::addColumn<QString>("buttonText");
        QTest::newRow("empty") << QString() << QStringLiteral("取消");
        QTest::newRow("given") << QStringLiteral("停止") << QStringLiteral("停止");
    }

    void progressCancelText()
    {
        QFETCH(QString, cancelText);
        QFETCH(QString, buttonText);
        QCustomProgressDialog dialog(QStringLiteral("连接中"), cancelText, 0, 100, true);
        const QList<QPushButton *> buttons = dialog.findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first()->text(), buttonText);
    }

    void progressBarShownOnlyWhenAsked()
    {
        QCustomProgressDialog withBar(QStringLiteral("下载中"), QString(), 0, 100, true);
        QCustomProgressDialog busy(QStringLiteral("搜索蓝牙"), QStringLiteral("取消"), 0, 0, false);
        withBar.show();
        busy.show();
        auto *bar = withBar.findChild<QProgressBar *>();
        QVERIFY(bar);
        QVERIFY(withBar.isProgressBarVisible());
        QVERIFY(bar->isVisible());
        QVERIFY(bar->isTextVisible());
        QCOMPARE(bar->minimumHeight(), 25);

        auto *busyBar = busy.findChild<QProgressBar *>();
        QVERIFY(busyBar);
        QVERIFY(!busy.isProgressBarVisible());
        QVERIFY(!busyBar->isVisible());

        busy.setProgressBarVisible(true);
        QVERIFY(busy.isProgressBarVisible());
        QVERIFY(busyBar->isVisible());
        withBar.setProgressBarVisible(false);
        QVERIFY(!withBar.isProgressBarVisible());
        QVERIFY(!bar->isVisible());
    }

    void progressValuesArePassedOn()
    {
        QCustomProgressDialog dialog(QStringLiteral("下载中"), QString(), 0, 100, true);
        QSignalSpy values(&dialog, &QCustomProgressDialog::progressValueChanged);
        dialog.setValue(40);
        dialog.setValue(41);
        QCOMPARE(values.count(), 2);
        QCOMPARE(values.at(0).at(0).toInt(), 40);
        QCOMPARE(values.at(1).at(0).toInt(), 41);
    }

    void cancelButtonHidesWithoutCanceledSignal()
    {
        QCustomProgressDialog dialog(QStringLiteral("下载中"), QString(), 0, 100, true);
        dialog.show();
        dialog.setValue(30);
        QSignalSpy canceled(&dialog, &QProgressDialog::canceled);
        QTest::mouseClick(dialog.findChild<QPushButton *>(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.wasCanceled());
        QCOMPARE(canceled.count(), 0);
    }

    void progressLayoutTopToBottom()
    {
        QCustomProgressDialog dialog(QStringLiteral("下载中"), QString(), 0, 100, true);
        dialog.setMinimumWidth(300);
        dialog.show();
        QApplication::processEvents();
        // The base dialog places its parts by hand on every resize.
        dialog.resize(420, 260);
        QApplication::processEvents();

        const auto *label = dialog.findChild<QLabel *>();
        const auto *bar = dialog.findChild<QProgressBar *>();
        const auto *button = dialog.findChild<QPushButton *>();
        const auto rectOf = [&dialog](const QWidget *w) {
            return QRect(w->mapTo(&dialog, QPoint(0, 0)), w->size());
        };
        const QRect labelRect = rectOf(label);
        const QRect barRect = rectOf(bar);
        const QRect buttonRect = rectOf(button);
        QVERIFY(labelRect.bottom() < barRect.top());
        QVERIFY(barRect.bottom() < buttonRect.top());
        QVERIFY(barRect.height() >= 25);
        // The bar spans the dialog inside the 20-pixel margins; label and button are centred.
        QCOMPARE(barRect.left(), 20);
        QCOMPARE(barRect.right(), dialog.width() - 21);
        QVERIFY(qAbs(labelRect.center().x() - dialog.rect().center().x()) <= 1);
        QVERIFY(qAbs(buttonRect.center().x() - dialog.rect().center().x()) <= 1);
        QVERIFY(QRect(QPoint(0, 0), dialog.size()).contains(buttonRect));
    }

    // ---- prompt window ----

    void tipPlacement_data()
    {
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<int>("halfWidth");
        QTest::addColumn<QPoint>("expected");
        const int h = 30;
        QTest::newRow("centred above") << QPoint(500, 300) << 50 << QPoint(430, 300 - h - 10);
        QTest::newRow("top edge") << QPoint(500, 0) << 50 << QPoint(430, 0);
        QTest::newRow("near the top") << QPoint(500, 25) << 50 << QPoint(430, 0);
        QTest::newRow("right edge") << QPoint(1900, 500) << 10 << QPoint(1680, 460);
        QTest::newRow("left edge") << QPoint(0, 500) << 10 << QPoint(0, 460);
        QTest::newRow("below the screen") << QPoint(500, 1200) << 50 << QPoint(430, 1050);
    }

    void tipPlacement()
    {
        QFETCH(QPoint, anchor);
        QFETCH(int, halfWidth);
        QFETCH(QPoint, expected);
        QCOMPARE(CustomToolTip::tipPosition(anchor, halfWidth, QSize(240, 30), -10, QSize(1920, 1080)),
                 expected);
    }

    void tipConstruction()
    {
        CustomToolTip tip(QStringLiteral("CustomToolTip"));
        QCOMPARE(tip.objectName(), QStringLiteral("CustomToolTip"));
        QCOMPARE(tip.windowType(), Qt::ToolTip);
        QVERIFY(tip.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(tip.testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(tip.isHidden());
        QCOMPARE(tip.getRightOffset(), 0);
        QCOMPARE(tip.getBottomOffset(), 0);

        // The style sheet reaches these through the property system.
        QVERIFY(tip.setProperty("bottomOffset", -10));
        QVERIFY(tip.setProperty("rightOffset", 7));
        QVERIFY(tip.setProperty("text", QStringLiteral("提示")));
        QVERIFY(tip.setProperty("alignment", QVariant::fromValue(Qt::Alignment(Qt::AlignLeft))));
        QCOMPARE(tip.getBottomOffset(), -10);
        QCOMPARE(tip.getRightOffset(), 7);
        QCOMPARE(tip.property("text").toString(), QStringLiteral("提示"));
        QCOMPARE(tip.findChild<QLabel *>()->text(), QStringLiteral("提示"));
        QCOMPARE(tip.getAlignment(), Qt::Alignment(Qt::AlignLeft));
    }

    void tipFromStyleSheetOffset()
    {
        CustomToolTip tip(QStringLiteral("CustomToolTip"));
        tip.setStyleSheet(QStringLiteral("#CustomToolTip { qproperty-bottomOffset: -10; }"));
        tip.ensurePolished();
        QCOMPARE(tip.getBottomOffset(), -10);
    }

    void showTipWithoutWidgetDoesNothing()
    {
        CustomToolTip tip(QStringLiteral("CustomToolTip"));
        tip.setText(QStringLiteral("before"));
        tip.showTip(QStringLiteral("after"), nullptr);
        QVERIFY(tip.isHidden());
        QCOMPARE(tip.getText(), QStringLiteral("before"));
        // Not active either: coming back from minimised shows nothing.
        tip.restoreMinimized();
        QVERIFY(tip.isHidden());
    }

    void tipAtTheTopOfTheScreen()
    {
        TipOverWidget shown(QPoint(300, 0), QSize(100, 40));
        QVERIFY(shown.tip.isVisible());
        QCOMPARE(shown.tip.getText(), QStringLiteral("提示"));
        QCOMPARE(shown.tip.pos(), QPoint(300 + 50 - 120, 0));
    }

    void tipAboveAWidget()
    {
        TipOverWidget shown(QPoint(200, 300), QSize(80, 40));
        QCOMPARE(shown.tip.pos(), QPoint(200 + 40 - 120, 300 - 30 - 10));
    }

    void tipAtTheRightOfTheScreen()
    {
        const int screenWidth = screen()->geometry().width();
        TipOverWidget shown(QPoint(screenWidth - 60, 200), QSize(100, 40));
        QCOMPARE(shown.tip.pos(), QPoint(screenWidth - 240, 200 - 40));
    }

    void tipFollowsMinimiseAndRestore()
    {
        TipOverWidget shown(QPoint(200, 300), QSize(80, 40));
        auto &tip = shown.tip;
        const QPoint shownAt = tip.pos();

        tip.changeMinimized();
        QVERIFY(!tip.isVisible());
        tip.restoreMinimized();
        QVERIFY(tip.isVisible());
        QCOMPARE(tip.pos(), shownAt);

        tip.hideTip();
        QVERIFY(!tip.isVisible());
        tip.restoreMinimized();
        tip.windowsChange();
        QVERIFY(!tip.isVisible());
    }

    void tipReanchorsWhenTheWindowChanges()
    {
        TipOverWidget shown(QPoint(200, 300), QSize(80, 40));
        auto &tip = shown.tip;
        auto &host = shown.host;
        host.window.move(250, 400);
        host.target->resize(120, 40);
        QTRY_COMPARE(host.target->mapToGlobal(QPoint(0, 0)), QPoint(250, 400));
        // Only a window change re-anchors; a restore keeps the remembered place.
        tip.restoreMinimized();
        QCOMPARE(tip.pos(), QPoint(200 + 40 - 120, 300 - 40));
        tip.windowsChange();
        QCOMPARE(tip.pos(), QPoint(250 + 60 - 120, 400 - 40));
    }

    void tipOutlivesItsWidget()
    {
        TipOverWidget shown(QPoint(200, 300), QSize(80, 40));
        auto &tip = shown.tip;
        auto &host = shown.host;
        const QPoint shownAt = tip.pos();
        delete host.target;
        tip.windowsChange();
        QVERIFY(tip.isVisible());
        QCOMPARE(tip.pos(), shownAt);
    }

    void resizedTipIsPlacedAnew()
    {
        TipOverWidget shown(QPoint(200, 300), QSize(80, 40));
        auto &tip = shown.tip;
        tip.setFixedSize(300, 50);
        QTRY_COMPARE(tip.pos(), QPoint(200 + 40 - 150, 300 - 50 - 10));
    }

    void tipAtAGivenAnchor()
    {
        SizedTip tip;
        tip.showTip(QPoint(400, 200), 30);
        QVERIFY(tip.isVisible());
        QCOMPARE(tip.pos(), QPoint(400 + 30 - 120, 200 - 40));
    }

    // ---- scroll area ----

    void scrollAreaStretchesOnlyWhenThereIsRoom_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("resizable");
        QTest::newRow("tall window") << 500 << true;
        QTest::newRow("exactly room") << 310 << true;
        QTest::newRow("one pixel short") << 309 << false;
        QTest::newRow("short window") << 150 << false;
    }

    void scrollAreaStretchesOnlyWhenThereIsRoom()
    {
        QFETCH(int, height);
        QFETCH(bool, resizable);
        QSmartScrollArea area;
        area.setWidget(new SizedContent(QSize(100, 300)));
        area.setWidgetResizable(false);
        area.resize(400, height);
        area.show();
        QTRY_COMPARE(area.viewport()->height(), height);
        QCOMPARE(area.widgetResizable(), resizable);
        if (resizable)
            QCOMPARE(area.widget()->height(), height);
    }

    // ---- profile name delegate ----

    void profileNameEditor()
    {
        QStandardItemModel model;
        appendRows(model, {QStringLiteral("配置1"), QStringLiteral("配置2")});
        QListView view;
        QConfigListDelegate delegate;
        view.setItemDelegate(&delegate);
        view.setModel(&model);
        view.show();

        const QModelIndex first = model.index(0, 0);
        view.edit(first);
        auto *editor = view.findChild<QLineEdit *>();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("配置1"));
        QVERIFY(!editor->hasFrame());
        QCOMPARE(editor->maxLength(), 28);

        editor->clear();
        QTest::keyClicks(editor, QString(28, QLatin1Char('a')));
        QCOMPARE(editor->text().size(), 28);
        QTest::keyClicks(editor, QStringLiteral("b"));
        QCOMPARE(editor->text(), QString(28, QLatin1Char('a')));

        // Return commits the name once control is back in the event loop.
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(model.data(first, Qt::EditRole).toString(), QString(28, QLatin1Char('a')));
        QCOMPARE(model.data(model.index(1, 0), Qt::EditRole).toString(), QStringLiteral("配置2"));
        QTRY_VERIFY(!view.findChild<QLineEdit *>());
    }

    void editedItemIsPaintedEmpty()
    {
        QStandardItemModel model;
        appendRows(model, {QStringLiteral("WWWWWWWW"), QStringLiteral("WWWWWWWW")});
        QConfigListDelegate delegate;
        QWidget parent;

        const QColor base(0, 200, 0);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 120, 24);
        option.palette.setBrush(QPalette::Base, base);
        option.palette.setBrush(QPalette::Text, Qt::black);
        option.state = QStyle::State_Enabled;
        const auto paintItem = [&](const QModelIndex &index) {
            QImage image(option.rect.size(), QImage::Format_RGB32);
            image.fill(base);
            QPainter painter(&image);
            delegate.paint(&painter, option, index);
            painter.end();
            return image;
        };

        QVERIFY(!uniform(paintItem(model.index(0, 0)), base));
        QWidget *editor = delegate.createEditor(&parent, option, model.index(0, 0));
        QVERIFY(uniform(paintItem(model.index(0, 0)), base));
        QVERIFY(!uniform(paintItem(model.index(1, 0)), base));
        delegate.destroyEditor(editor, model.index(0, 0));
        QVERIFY(!uniform(paintItem(model.index(0, 0)), base));
    }

    void delegateCopiesEditRoleBothWays()
    {
        QStandardItemModel model;
        auto *item = new QStandardItem(QStringLiteral("shown"));
        item->setData(QStringLiteral("edited"), Qt::EditRole);
        model.appendRow(item);
        QConfigListDelegate delegate;
        QWidget parent;
        QWidget *editor = delegate.createEditor(&parent, QStyleOptionViewItem(), model.index(0, 0));
        delegate.setEditorData(editor, model.index(0, 0));
        auto *lineEdit = qobject_cast<QLineEdit *>(editor);
        QVERIFY(lineEdit);
        QCOMPARE(lineEdit->text(), QStringLiteral("edited"));
        lineEdit->setText(QStringLiteral("新名字"));
        delegate.setModelData(editor, &model, model.index(0, 0));
        QCOMPARE(model.data(model.index(0, 0), Qt::EditRole).toString(), QStringLiteral("新名字"));
        delegate.destroyEditor(editor, model.index(0, 0));
    }
};

QTEST_MAIN(TestSharedWidgets)
#include "tst_sharedwidgets.moc"
