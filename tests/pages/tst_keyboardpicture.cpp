// The keyboard drawing every picture shares, the key picture built from an incomplete model, and
// the key picker.

#include "model/KeyHelpers.h"
#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "pages/common/KeyboardLayout.h"
#include "pages/common/KeyTile.h"
#include "pages/common/KeycapPainter.h"
#include "pages/keys/KeySetForm.h"
#include "pages/keys/QCustomLabel.h"
#include "pages/keys/QInputKeyboardWidget.h"
#include "pages/keys/QKeyKeyboardWidget.h"
#include "storage/ProductDataUtil.h"
#include "tests/pages/PageRig.h"
#include "tests/support/TestDataDir.h"

#include <QPushButton>
#include <QSettings>
#include <QtTest>

namespace {
QSharedPointer<KEY_POSITION> position(uchar item, int left, bool drawn = true)
{
    return QSharedPointer<KEY_POSITION>(new KEY_POSITION{item, item, drawn, 0, 0, left, 20, 48, 48});
}

void bind(uchar item, uchar type, uchar hValue, uchar lValue)
{
    gKeyboardConfig->keyboardKeyMap.insert(item, QSharedPointer<KEYBOARD_KEY_INFO>(new KEYBOARD_KEY_INFO{item, type, hValue, lValue}));
}

qreal contrast(const QColor &a, const QColor &b)
{
    return KeycapPainter::contrastRatio(a, b);
}
} // namespace

class TestKeyboardPicture : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestDataDir> dataDir;

private Q_SLOTS:
    void init()
    {
        PageRig::failOnWarnings();
        dataDir.reset(new TestDataDir);
        gSystemConfig.reset(new SystemConfigUtil);
        gKeyboardConfig.reset(new KeyboardConfigUtil);
    }

    void cleanup()
    {
        gToolTipUtil.reset();
        gKeyboardConfig.reset();
        gSystemConfig.reset();
        dataDir.reset();
    }

    void gapsStayEven_data()
    {
        QTest::addColumn<quint16>("serial");
        QTest::addColumn<QSize>("size");
        QTest::newRow("68 keys") << SampleProductDatabase::He68Serial << QSize(865, 290);
        QTest::newRow("104 keys") << SampleProductDatabase::He104Serial << QSize(932, 344);
    }

    void gapsStayEven()
    {
        QFETCH(quint16, serial);
        QFETCH(QSize, size);
        ProductDataUtil products(SampleProductDatabase::path());
        KeyPositionMap positions;
        products.getKeyPosition(serial, positions);
        const KeyboardLayout layout(positions, QRectF(QPointF(0, 0), QSizeF(size)));
        QVERIFY(layout.caseRect().width() <= size.width() + 0.5 && layout.caseRect().height() <= size.height() + 0.5);
        // Rounding the edges, not the sizes, keeps every gap between neighbours in a row within a
        // pixel of the table's gap at this scale.
        int neighbours = 0;
        for (const auto &a : positions) {
            for (const auto &b : positions) {
                const int gap = b->left - a->left - a->width;
                if (!a->flag || !b->flag || a->top != b->top || gap < 0 || gap > 12)
                    continue;
                const int drawn = layout.keyRect(b->keyItem).left() - layout.keyRect(a->keyItem).right() - 1;
                QVERIFY2(qAbs(drawn - gap * layout.scale()) < 1.0,
                         qPrintable(QStringLiteral("keys %1 and %2: %3 px").arg(a->keyItem).arg(b->keyItem).arg(drawn)));
                ++neighbours;
            }
        }
        QVERIFY(neighbours > 40);
    }

    void legendIsTheMoreReadableColour()
    {
        for (int r = 0; r <= 255; r += 51) {
            for (int g = 0; g <= 255; g += 51) {
                for (int b = 0; b <= 255; b += 51) {
                    const QColor face(r, g, b);
                    const QColor chosen = KeycapPainter::legendColorOn(face);
                    const QColor other = chosen == QColor(Qt::black) ? QColor(Qt::white) : QColor(Qt::black);
                    QVERIFY2(contrast(chosen, face) >= contrast(other, face) * 0.97, qPrintable(face.name()));
                }
            }
        }
    }

    void legendsReadOnEveryKeycapOfBothThemes_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::newRow("light") << ":/styles/styles/light.qss";
        QTest::newRow("dark") << ":/styles/styles/dark.qss";
    }

    void legendsReadOnEveryKeycapOfBothThemes()
    {
        QFETCH(QString, sheet);
        QFile file(sheet);
        QVERIFY(file.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        // "W" on the theme's keycap, enabled and locked, and on a blue keycap of its own, locked.
        gKeyboardConfig->keyPositionMap = {{0, position(0, 20)}, {1, position(1, 74)}, {2, position(2, 128)}};
        for (uchar item = 0; item < 3; ++item)
            bind(item, KeyTypeKeyboard, 0, 0x1A);
        QKeyKeyboardWidget picture(0);
        picture.initializeKeyboard();
        picture.show();
        picture.tile(1)->setEnabled(false);
        picture.tile(2)->setEnabled(false);
        picture.tile(2)->setFaceColor(QColor(0, 0, 255));
        for (uchar item = 0; item < 3; ++item) {
            KeyTile *tile = picture.tile(item);
            const QImage image = tile->grab().toImage();
            const QRect face = KeycapPainter::faceRect(tile->rect(), tile->unit()).toRect().adjusted(2, 2, -2, -2);
            const QColor ground = image.pixelColor(face.left(), face.center().y());
            qreal best = 1;
            for (int y = face.top(); y <= face.bottom(); ++y) {
                for (int x = face.left(); x <= face.right(); ++x)
                    best = qMax(best, contrast(image.pixelColor(x, y), ground));
            }
            // Dimmed on a locked key, yet readable.
            QVERIFY2(best >= (item == 0 ? 4.4 : 2.9), qPrintable(QStringLiteral("key %1: %2").arg(item).arg(best)));
        }
        qApp->setStyleSheet(QString());
    }

    void displayKindDecidesTextOrIcon_data()
    {
        QTest::addColumn<int>("isImage");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<int>("kind");
        QTest::newRow("label") << 0 << "key_tgl.png" << int(KeyLegend::Text);
        QTest::newRow("icon") << 1 << "key_tgl.png" << int(KeyLegend::Icon);
        QTest::newRow("label then icon") << 2 << "key_tgl.png" << int(KeyLegend::Icon);
        QTest::newRow("icon without a file") << 2 << "" << int(KeyLegend::Text);
    }

    void displayKindDecidesTextOrIcon()
    {
        QFETCH(int, isImage);
        QFETCH(QString, icon);
        QFETCH(int, kind);
        const KEY_CODE_INFO entry{uchar(isImage), QStringLiteral("TGL"), icon, QString(), 0};
        const KeyLegend legend = KeyLegend::fromEntry(&entry);
        QCOMPARE(int(legend.kind()), kind);
        QCOMPARE(legend.text(), QStringLiteral("TGL"));
    }

    void incompleteModelDrawsWhatExists()
    {
        // Key 1 has a null record, key 2 none at all, key 4 is not drawn; no product record.
        gKeyboardConfig->keyPositionMap = {{0, position(0, 20)}, {1, {}}, {3, position(3, 74)},
                                           {4, position(4, 128, false)}, {5, position(5, 182)}, {6, position(6, 236)}};
        bind(0, KeyTypeKeyboard, 0, 0x04);
        bind(3, KeyTypeKeyboard, 0, 0xA5); // no such key code
        bind(5, KeyTypeHighKey, 0, 9);     // no such advanced-key slot
        QKeyKeyboardWidget picture(0);
        picture.initializeKeyboard();
        picture.show();
        QCOMPARE(picture.tiles().size(), 3);
        QCOMPARE(PageRig::shown(&picture, 0), QStringLiteral("A"));
        QCOMPARE(PageRig::shown(&picture, 3), QString());
        QCOMPARE(PageRig::shown(&picture, 5), QString());
        QVERIFY(picture.tile(6) && !picture.tile(6)->isEnabled()); // drawn, but no binding to change
        QVERIFY(!picture.tile(4));
        QVERIFY(PageRig::clickTile(&picture, 3));
        QCOMPARE(picture.selectedKey(), uchar(3));

        KeySetForm page;
        page.repaintInterface();
        QCOMPARE(page.keyboard()->tiles().size(), 3);
    }

    // A key's tooltip is the tip file's text for it; a key the file has no text for has none.
    void tooltipIsTheTipFileTextOnly()
    {
        QSettings tips(ToolTipUtil::tipFilePath(gSystemConfig->getCurrentLanuage()), QSettings::IniFormat);
        tips.setValue(QStringLiteral("keyboard/key/a"), QStringLiteral("Letter A"));
        tips.sync();
        gToolTipUtil.reset(new ToolTipUtil);
        gKeyboardConfig->keyPositionMap = {{0, position(0, 20)}, {1, position(1, 74)}};
        bind(0, KeyTypeKeyboard, 0, 0x04);
        bind(1, KeyTypeKeyboard, 0, 0x2A);
        QKeyKeyboardWidget picture(0);
        picture.initializeKeyboard();
        QCOMPARE(picture.tile(0)->toolTip(), QStringLiteral("Letter A"));
        QCOMPARE(picture.tile(1)->toolTip(), QString());
    }

    void productPictureReplacesThePaintedCase()
    {
        gKeyboardConfig->keyPositionMap = {{0, position(0, 20)}};
        gKeyboardConfig->productInfo.reset(new PRODUCT_INFO);
        gKeyboardConfig->productInfo->productData = QStringLiteral("QuillTest");
        QImage magenta(40, 20, QImage::Format_RGB32);
        magenta.fill(QColor(255, 0, 255));
        QVERIFY(QDir().mkpath(dataDir->path() + QStringLiteral("/QuillTest/light")));
        for (bool withPicture : {false, true}) {
            if (withPicture)
                QVERIFY(magenta.save(dataDir->path() + QStringLiteral("/QuillTest/light/keyboard_bg.png")));
            QKeyKeyboardWidget picture(0);
            picture.initializeKeyboard();
            const QRect caseRect = picture.keyLayout().caseRect().toRect();
            const QColor corner = picture.grab().toImage().pixelColor(caseRect.topLeft() + QPoint(6, caseRect.height() / 2));
            QCOMPARE(corner == QColor(255, 0, 255), withPicture);
        }
    }

    void pickerEntriesMapToACodeAndBack()
    {
        for (uchar type = 0; type <= 5; ++type) {
            QInputKeyboardWidget picker(type);
            picker.initializeKeyboard();
            const QList<KEYBOARD_LIST_INFO> *list = QInputKeyboardWidget::pickerList(type);
            QCOMPARE(picker.tiles().size(), list ? list->size() : 0);
            QSignalSpy picked(&picker, &QInputKeyboardWidget::input_keyboard_select);
            for (QCustomLabel *tile : picker.tiles()) {
                const KEYBOARD_LIST_INFO &entry = list->at(tile->item());
                QVERIFY2(!tile->legend().isBlank(), qPrintable(entry.label));
                QTest::mouseClick(tile, Qt::LeftButton);
                const QList<QVariant> function = picked.takeFirst();
                const uchar hValue = function[1].value<uchar>();
                const uchar lValue = function[2].value<uchar>();
                QCOMPARE(function[0].value<uchar>(), entry.type);
                const KEY_CODE_INFO *code = global_getKeyLabel(entry.type, hValue, lValue);
                QVERIFY(code);
                QCOMPARE(code->code, entry.type == KeyTypeMedia ? quint16(hValue << 8 | lValue) : lValue);
                if (type == 0)
                    QCOMPARE(global_getNormalKeyboard(entry.type, hValue, lValue)->index, entry.index);
            }
        }
    }

    void resetButtonsOnTheKeyboardKeysPickerOnly()
    {
        QInputKeyboardWidget picker(0);
        picker.resize(1100, 284);
        picker.initializeKeyboard();
        picker.show();
        const QList<QPushButton *> buttons = picker.findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 3);
        for (QPushButton *button : buttons)
            QVERIFY(!button->isVisible());
        picker.openResetAndNullButton();
        QSignalSpy pressed(&picker, &QInputKeyboardWidget::input_keyboard_button);
        QRect corner;
        for (const char *name : {"mResetButton", "mNullButton", "mResetLayerButton"}) {
            auto *button = picker.findChild<QPushButton *>(QString::fromLatin1(name));
            QVERIFY(button->isVisible());
            corner |= button->geometry();
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(corner, QRect(912, 0, 184, 44));
        QCOMPARE(pressed, (QList<QList<QVariant>>{{uchar(0)}, {uchar(1)}, {uchar(2)}}));

        QInputKeyboardWidget media(1);
        media.initializeKeyboard();
        QVERIFY(media.findChildren<QPushButton *>().isEmpty());
    }
};

QTEST_MAIN(TestKeyboardPicture)
#include "tst_keyboardpicture.moc"
