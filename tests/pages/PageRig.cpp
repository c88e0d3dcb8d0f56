#include "tests/pages/PageRig.h"

#include "model/KeyboardConfigUtil.h"
#include "model/SystemConfigUtil.h"
#include "model/ToolTipUtil.h"
#include "pages/common/KeyTile.h"
#include "pages/common/KeyboardPicture.h"
#include "pages/common/PageDialogs.h"
#include "storage/ProductDataUtil.h"
#include "storage/SyncConfigUtil.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestDataDir.h"
#include "widgets/QToastBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>

namespace {
// Reply timer: room for a loaded machine; a test that waits for a time-out sets the short one.
constexpr int kReplyIntervalMs = UsbCommunicateUtil::DefaultReplyInterval;
constexpr int kShortReplyIntervalMs = 100;
constexpr int kReadTimeoutMs = 15000;
} // namespace

PageRig::PageRig(quint16 serialNumber, const std::function<void(EmulatedKeyboardState &)> &prepare, int frameSize)
    : mDataDir(new TestDataDir), mFrameSize(frameSize)
{
    EmulatedHidBus::instance().reset();
    SampleProductDatabase::installInto(mDataDir->path());
    gSystemConfig.reset(new SystemConfigUtil);
    gToolTipUtil.reset(new ToolTipUtil);
    gProductDataUtil.reset(new ProductDataUtil);
    gKeyboardConfig.reset(new KeyboardConfigUtil);
    gUsbCommunicateUtil.reset(new UsbCommunicateUtil);
    gUsbCommunicateUtil->setReplyInterval(kReplyIntervalMs);
    mProtocol = gUsbCommunicateUtil.data();

    // The pages' style: the light theme's style sheet gives the pictures their colours.
    QFile sheet(QStringLiteral(":/styles/styles/light.qss"));
    if (sheet.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));

    PageDialogs::setDialogRunner([this](QDialog *dialog) {
        mShown.append(dialog->windowTitle());
        if (mDialogAct) {
            dialog->show();
            const int result = mDialogAct(dialog);
            dialog->hide();
            return result;
        }
        return mDialogAnswers.isEmpty() ? int(QDialog::Rejected) : mDialogAnswers.takeFirst();
    });
    PageDialogs::setMessagePrompter([this](QWidget *, QMessageBox::Icon, const QString &title, const QString &text,
                                           QMessageBox::StandardButtons) {
        mShown.append(title);
        mMessages.append(text);
        return mMessageAnswers.isEmpty() ? QMessageBox::Cancel : mMessageAnswers.takeFirst();
    });
    PageDialogs::setFilePrompter([this](QWidget *, bool, const QString &caption, const QString &, const QString &) {
        mShown.append(caption);
        return mFileAnswers.isEmpty() ? QString() : mFileAnswers.takeFirst();
    });

    EmulatedKeyboardState state;
    QString why;
    if (!EmulatedKeyboardState::fromProductDatabase(SampleProductDatabase::path(), serialNumber, &state, &why)) {
        mError = why;
        return;
    }
    if (prepare)
        prepare(state);
    mKeyboard = std::make_shared<EmulatedKeyboard>(std::move(state));
    mPath = EmulatedHidBus::instance().attachKeyboard(mKeyboard, {frameSize}).value(0);
    gUsbCommunicateUtil->openCommunicate(0);
    gUsbCommunicateUtil->communicateDevice();

    SyncConfigUtil read(SyncConfigUtil::TypeKeyboard, SyncConfigUtil::ScopeProductInfo, 0, QString());
    int result = 1;
    QObject context;
    QObject::connect(&read, &SyncConfigUtil::sync_config_result, &context, [&result](bool status, int value) {
        if (!status || value == 100)
            result = status ? 0 : value;
    });
    read.startSync();
    if (!EventWait::until([&result] { return result != 1; }, kReadTimeoutMs))
        mError = QStringLiteral("configuration read did not end");
    else if (result != 0)
        mError = QStringLiteral("configuration read ended with %1").arg(result);
    else if (!gKeyboardConfig->initializeKeyboardConfig(serialNumber))
        mError = QStringLiteral("product 0x%1 not loaded").arg(serialNumber, 0, 16);

    mStack = new QStackedWidget;
    mStack->resize(1400, 900);
}

PageRig::~PageRig()
{
    delete mStack;
    // A rig built while this one still lived owns the shared objects now: they stay as they are.
    if (gUsbCommunicateUtil.data() != mProtocol)
        return;
    PageDialogs::setDialogRunner({});
    PageDialogs::setMessagePrompter({});
    PageDialogs::setFilePrompter({});
    gUsbCommunicateUtil->closeCommunicate();
    gUsbCommunicateUtil.reset();
    gKeyboardConfig.reset();
    gProductDataUtil.reset();
    gToolTipUtil.reset();
    gSystemConfig.reset();
    mKeyboard.reset();
    EmulatedHidBus::instance().reset();
}

void PageRig::placePage(QWidget *page, int index)
{
    while (mStack->count() < index)
        mStack->addWidget(new QWidget);
    mStack->insertWidget(index, page);
    mStack->setCurrentIndex(index);
    mStack->show();
}

void PageRig::expectTimeouts()
{
    gUsbCommunicateUtil->setReplyInterval(kShortReplyIntervalMs);
}

void PageRig::failOnWarnings()
{
    QTest::failOnWarning(
        QRegularExpression(QStringLiteral("^(?!This plugin does not support (propagateSizeHints|raise)\\(\\)).*")));
}

int PageRig::mark() const
{
    return int(mKeyboard->requests().size());
}

QList<QByteArray> PageRig::payloads(uchar order, int since) const
{
    QList<QByteArray> out;
    const QList<KeyboardRequest> all = mKeyboard->requests();
    for (qsizetype i = since; i < all.size(); ++i) {
        if (all[i].order() == order)
            out.append(all[i].payload());
    }
    return out;
}

void PageRig::setFaults(const EmulatedHidFaults &faults)
{
    EmulatedHidBus::instance().setFaults(mPath, faults);
}

void PageRig::sendInput(const QList<QByteArray> &frames)
{
    for (const QByteArray &frame : frames)
        EmulatedHidBus::instance().pushInputReport(mPath, frame);
}

QString PageRig::layerDifferences(uchar layer) const
{
    const QMap<uchar, KEYBOARD_KEY_INFO> &keys = layer ? mKeyboard->state().profile().fnLayer
                                                       : mKeyboard->state().profile().normalLayer;
    const KeyInfoMap &model = layer ? gKeyboardConfig->keyboardFn1KeyMap : gKeyboardConfig->keyboardKeyMap;
    if (model.keys() != keys.keys())
        return QStringLiteral("the model holds %1 keys, the keyboard %2").arg(model.size()).arg(keys.size());
    for (const KEYBOARD_KEY_INFO &key : keys) {
        const auto held = model.value(key.keyItem);
        if (held->type != key.type || held->hValue != key.hValue || held->lValue != key.lValue)
            return QStringLiteral("key %1: model %2,%3,%4, keyboard %5,%6,%7")
                .arg(key.keyItem).arg(held->type).arg(held->hValue).arg(held->lValue)
                .arg(key.type).arg(key.hValue).arg(key.lValue);
    }
    return QString();
}

QList<QByteArray> PageRig::hex(std::initializer_list<const char *> frames)
{
    QList<QByteArray> out;
    for (const char *frame : frames)
        out.append(QByteArray::fromHex(frame));
    return out;
}

bool PageRig::clickTile(KeyboardPicture *picture, uchar item)
{
    KeyTile *tile = picture ? picture->tile(item) : nullptr;
    if (!tile || !tile->isVisible() || !tile->isEnabled())
        return false;
    QTest::mouseClick(tile, Qt::LeftButton);
    return true;
}

bool PageRig::clickButton(QWidget *root, const QString &objectName)
{
    for (auto *button : root->findChildren<QAbstractButton *>(objectName)) {
        if (button->isVisible() && button->isEnabled()) {
            QTest::mouseClick(button, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

QStringList PageRig::toasts(QWidget *page)
{
    QStringList texts;
    for (const QToastBox *toast : page->findChildren<QToastBox *>()) {
        for (const QLabel *label : toast->findChildren<QLabel *>())
            texts.append(label->text());
    }
    return texts;
}

QString PageRig::shown(KeyboardPicture *picture, uchar item)
{
    const KeyTile *tile = picture ? picture->tile(item) : nullptr;
    if (!tile)
        return QStringLiteral("(no tile)");
    const KeyLegend &legend = tile->legend();
    return legend.kind() == KeyLegend::Icon ? QFileInfo(legend.iconPath()).fileName() : legend.text();
}
