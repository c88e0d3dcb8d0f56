#include "app/SystemSetForm.h"

#include "app/AppInstaller.h"
#include "app/AutoStart.h"
#include "app/MainWindow.h"
#include "app/ProcessRunner.h"
#include "model/SystemConfigUtil.h"
#include "storage/DownloadLimits.h"
#include "storage/DownloadManager.h"
#include "storage/UpdateServer.h"
#include "widgets/QModalProgressDialog.h"
#include "widgets/QToastBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

const char *const SystemSetForm::AppVersion = "1.1.2.2";
const char *const SystemSetForm::EditionTag = "NOR";

namespace {
constexpr int kToastMs = 2000;

// What a check box's new state does to a stored flag: a ticked box turns it on, an empty one off;
// nothing when the flag already has that value (or for the partly ticked state).
std::optional<bool> flagChange(int state, bool current)
{
    if (state == Qt::Checked && !current)
        return true;
    if (state == Qt::Unchecked && current)
        return false;
    return std::nullopt;
}

QString autoStartName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Quillomatrix") : name;
}

// The page's progress dialogs: application-modal, frameless, no cancel button, at 0; a maximum of
// 0 makes a busy bar.
QProgressDialog *newProgressDialog(const QString &label, int maximum)
{
    auto *dialog = new QProgressDialog(label, QString(), 0, maximum, nullptr);
    dialog->setCancelButton(nullptr);
    dialog->setMinimumWidth(300);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::FramelessWindowHint);
    dialog->setMinimumDuration(0);
    dialog->setValue(0);
    return dialog;
}

void closeDialog(QPointer<QProgressDialog> &pointer)
{
    if (!pointer)
        return;
    QProgressDialog *dialog = pointer;
    pointer = nullptr;
    dialog->close();
    dialog->deleteLater();
}
} // namespace

SystemSetForm::SystemSetForm(QWidget *parent) : QWidget(parent)
{
    qInfo() << "=== 系统设置页面初始化 ===";
    setObjectName(QStringLiteral("SystemSetForm"));
    buildForm();
    loadSettings();
    mBackButton->setFocusPolicy(Qt::NoFocus);
    // A click on the page's ground gives it the focus back.
    setFocusPolicy(Qt::ClickFocus);

    mRunner = std::make_shared<ProcessRunner>();
    mUpdateChecker = new UpdateChecker(this);
    mDownloadManager = new DownloadManager(this);
    connect(mUpdateChecker, &UpdateChecker::updateAvailable, this, &SystemSetForm::onUpdateAvailable);
    connect(mUpdateChecker, &UpdateChecker::checkError, this, &SystemSetForm::onCheckError);
    connect(mDownloadManager, &DownloadManager::error, this, &SystemSetForm::onDownloadError);
    connect(mDownloadManager, &DownloadManager::progress, this, &SystemSetForm::onDownloadProgress);
    connect(mDownloadManager, &DownloadManager::finished, this, &SystemSetForm::onDownloadFinished);

    mFirewareRow->hide();
    retranslate();
    // The handlers are connected by object name, after the controls took the stored values.
    QMetaObject::connectSlotsByName(this);
}

SystemSetForm::~SystemSetForm()
{
    mUpdateChecker->disconnect(this);
    mDownloadManager->disconnect(this);
    mUpdateChecker->deleteLater();
    mDownloadManager->deleteLater();
    if (mInstallThread) {
        // The installation is not broken off halfway: its steps are bounded in time.
        mInstallThread->disconnect(this);
        mInstallThread->wait();
        delete mInstallThread;
    }
    closeDownloadDialog();
    closeDialog(mInstallDialog);
    qInfo() << "=== 系统设置页面销毁 ===";
}

void SystemSetForm::buildForm()
{
    resize(1260, 900);
    auto *outer = new QVBoxLayout(this);
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("system_widget"));
    outer->addWidget(column);
    outer->addStretch();
    auto *rows = new QVBoxLayout(column);
    rows->setSpacing(20);

    const auto addRow = [column, rows](const char *name) {
        auto *row = new QWidget(column);
        row->setObjectName(QString::fromLatin1(name));
        new QHBoxLayout(row);
        rows->addWidget(row);
        return row;
    };
    const auto label = [](QWidget *row, const char *name) {
        auto *widget = new QLabel(row);
        widget->setObjectName(QString::fromLatin1(name));
        row->layout()->addWidget(widget);
        return widget;
    };
    const auto checkBox = [](QWidget *row, const char *name) {
        auto *widget = new QCheckBox(row);
        widget->setObjectName(QString::fromLatin1(name));
        widget->setMinimumSize(60, 24);
        row->layout()->addWidget(widget);
        return widget;
    };
    const auto comboBox = [](QWidget *row, const char *name, int items) {
        auto *widget = new QComboBox(row);
        widget->setObjectName(QString::fromLatin1(name));
        widget->setMinimumSize(120, 30);
        for (int i = 0; i < items; ++i)
            widget->addItem(QString());
        row->layout()->addWidget(widget);
        return widget;
    };
    const auto endRow = [](QWidget *row) { static_cast<QHBoxLayout *>(row->layout())->addStretch(); };

    QWidget *row = addRow("systemBackWidget");
    mBackButton = new QToolButton(row);
    mBackButton->setObjectName(QStringLiteral("backButton"));
    mBackButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    mBackButton->setMinimumSize(40, 30);
    row->layout()->addWidget(mBackButton);
    endRow(row);

    row = addRow("systemAppWidget");
    mAppTitleLabel = label(row, "appTitleLabel");
    mAppTitleLabel->setMinimumSize(400, 40);
    mAppCheckBtn = new QPushButton(row);
    mAppCheckBtn->setObjectName(QStringLiteral("appCheckBtn"));
    mAppCheckBtn->setMinimumSize(80, 40);
    row->layout()->addWidget(mAppCheckBtn);
    endRow(row);

    row = addRow("systemAutoWidget");
    mAutoTitleLabel = label(row, "autoTitleLabel");
    mAutoCheckBox = checkBox(row, "autoCheckBox");
    mAutoPromptLabel = label(row, "autoPromptLabel");
    endRow(row);

    row = addRow("systemCloseWidget");
    mCloseTitleLabel = label(row, "closeTitleLabel");
    mCloseCheckBox = checkBox(row, "closeCheckBox");
    mClosePromptLabel = label(row, "closePromptLabel");
    endRow(row);

    row = addRow("systemLanguageWidget");
    mLangTitleLabel = label(row, "langTitleLabel");
    mLangComboBox = comboBox(row, "langComboBox", 4);
    mLangPromptLabel = label(row, "langPromptLabel");
    endRow(row);

    mThemeRow = addRow("systemThemeWidget");
    mThemeTitleLabel = label(mThemeRow, "themeTitleLabel");
    mThemeComboBox = comboBox(mThemeRow, "themeComboBox", 2);
    mThemePromptLabel = label(mThemeRow, "themePromptLabel");
    endRow(mThemeRow);

    mFirewareRow = addRow("systemFirewareWidget");
    mFirewareLabel = label(mFirewareRow, "firewareLabel");
    mFirewareCheckBox = checkBox(mFirewareRow, "firewareCheckBox");
    mFirewarePromptLabel = label(mFirewareRow, "firewareePromptLabel");
    endRow(mFirewareRow);
}

void SystemSetForm::loadSettings()
{
    if (gSystemConfig) {
        mAutoCheckBox->setChecked(gSystemConfig->getPowerAuto());
        mCloseCheckBox->setChecked(gSystemConfig->getCloseMin());
        mFirewareCheckBox->setChecked(gSystemConfig->getFirewareFlag());
        mThemeComboBox->setCurrentIndex(gSystemConfig->getTheme() == 1 ? 1 : 0);
        const int language = gSystemConfig->getLanuage();
        mLangComboBox->setCurrentIndex(language >= 1 && language <= 3 ? language : 0);
    }
    mThemeRow->hide();
}

void SystemSetForm::retranslate()
{
    setWindowTitle(tr("Form"));
    mBackButton->setText(tr("返回"));
    mAppCheckBtn->setText(tr("检测版本"));
    mAutoTitleLabel->setText(tr("开机自动启动："));
    mAutoPromptLabel->setText(tr("开机后自动启动磁性键盘软件"));
    mCloseTitleLabel->setText(tr("关闭时最小化到托盘："));
    mClosePromptLabel->setText(tr("磁性键盘关闭时，最小化到系统托盘"));
    mLangTitleLabel->setText(tr("语言："));
    mLangComboBox->setItemText(0, tr("跟随系统"));
    mLangComboBox->setItemText(1, tr("简体中文"));
    mLangComboBox->setItemText(2, tr("English"));
    mLangComboBox->setItemText(3, tr("越南语"));
    mLangPromptLabel->setText(tr("设置磁性软件的语言"));
    mThemeTitleLabel->setText(tr("主题："));
    mThemeComboBox->setItemText(0, tr("亮色主题"));
    mThemeComboBox->setItemText(1, tr("暗色主题"));
    mThemePromptLabel->setText(tr("设置磁性软件的主题"));
    mFirewareLabel->setText(tr("固件工具："));
    mFirewarePromptLabel->setText(tr("开启后可以强制升级产品固件，不对固件校验产品类型"));
    refreshVersionText();
}

void SystemSetForm::refreshVersionText()
{
    mAppTitleLabel->setText(tr("磁性键盘软件版本-") + QLatin1String(EditionTag) + tr("-V") +
                            QLatin1String(AppVersion));
}

void SystemSetForm::repaintInterface(int index)
{
    mFromIndex = index;
    refreshVersionText();
}

void SystemSetForm::exitInterface()
{
}

int SystemSetForm::fromIndex() const
{
    return mFromIndex;
}

VersionInfo SystemSetForm::offeredUpdate() const
{
    return mOfferedUpdate;
}

QProgressDialog *SystemSetForm::downloadDialog() const
{
    return mDownloadDialog;
}

QProgressDialog *SystemSetForm::installDialog() const
{
    return mInstallDialog;
}

void SystemSetForm::setProcessRunner(std::shared_ptr<ProcessRunner> runner)
{
    mRunner = std::move(runner);
}

void SystemSetForm::refreshLanguageUi()
{
    retranslate();
}

void SystemSetForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_F12) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    gBootFirewareScreenFlag = true;
    if (gStackedWidget) {
        gStackedWidget->setCurrentIndex(MainWindow::FirewarePage);
        gStackedWidget->show();
    }
}

void SystemSetForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(window()->focusWidget()))
        setFocus(Qt::OtherFocusReason);
}

void SystemSetForm::on_backButton_clicked()
{
    if (!gStackedWidget)
        return;
    const bool keyboardPage = mFromIndex >= MainWindow::KeyPage && mFromIndex <= MainWindow::OtherPage;
    gStackedWidget->setCurrentIndex(keyboardPage ? mFromIndex : int(MainWindow::DevicePage));
}

void SystemSetForm::on_langComboBox_currentIndexChanged(int index)
{
    if (!gSystemConfig || index < 0 || index > 3 || index == gSystemConfig->getLanuage())
        return;
    gSystemConfig->setLanuage(index, qobject_cast<QApplication *>(QCoreApplication::instance()));
}

void SystemSetForm::on_themeComboBox_currentIndexChanged(int index)
{
    if (!gSystemConfig || index < 0 || index > 1 || index == gSystemConfig->getTheme())
        return;
    gSystemConfig->setTheme(index);
    restartApplication();
}

void SystemSetForm::restartApplication()
{
    startInPlace(QCoreApplication::applicationFilePath());
}

bool SystemSetForm::startInPlace(const QString &program)
{
    // The new program starts while this one is still on its way out: were this one still the
    // running instance, the new one would hand over to it and end, leaving no program running.
    auto *mainWindow = qobject_cast<MainWindow *>(window());
    if (mainWindow)
        mainWindow->releaseRunningInstance();
    if (!mRunner->startDetached(program, {})) {
        qWarning() << "=== 无法启动" << program << "===";
        if (mainWindow)
            mainWindow->claimRunningInstance();
        return false;
    }
    QCoreApplication::quit();
    return true;
}

void SystemSetForm::on_autoCheckBox_stateChanged(int state)
{
    if (!gSystemConfig)
        return;
    const std::optional<bool> on = flagChange(state, gSystemConfig->getPowerAuto());
    if (!on)
        return;
    AutoStart entry(autoStartName());
    if (!(*on ? entry.enable(QCoreApplication::applicationFilePath()) : entry.disable()))
        qWarning() << "=== 无法更改开机启动项" << entry.entryPath() << "===";
    gSystemConfig->setPowerAuto(*on);
}

void SystemSetForm::on_closeCheckBox_stateChanged(int state)
{
    if (!gSystemConfig)
        return;
    if (const std::optional<bool> on = flagChange(state, gSystemConfig->getCloseMin()))
        gSystemConfig->setCloseMin(*on);
}

void SystemSetForm::on_firewareCheckBox_stateChanged(int state)
{
    if (!gSystemConfig)
        return;
    if (const std::optional<bool> on = flagChange(state, gSystemConfig->getFirewareFlag()))
        gSystemConfig->setFirewareFlag(*on);
}

void SystemSetForm::on_appCheckBtn_clicked()
{
    // One check, download and installation at a time: the button is back when the job has ended.
    if (!mAppCheckBtn->isEnabled())
        return;
    mAppCheckBtn->setEnabled(false);
    mUpdateChecker->checkForUpdate(UpdateServer::versionUrl());
}

void SystemSetForm::onUpdateAvailable(VersionInfo info)
{
    if (UpdateChecker::compareVersions(info.version, QLatin1String(AppVersion)) <= 0) {
        showInformation(tr("提示"), tr("没有新版本"));
        endUpdateJob();
        return;
    }
    mOfferedUpdate = info;
    const QString text = tr("发现新版本 %1\n\n更新内容:\n%2\n\n是否立即下载更新?").arg(info.version, info.description);
    if (!askQuestion(tr("发现新版本"), text)) {
        endUpdateJob();
        return;
    }

    closeDownloadDialog();
    // A private folder: a file of a fixed name in the shared temporary folder could be made or
    // swapped by another user between the download and the installation.
    mUpdateDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Quillomatrix-XXXXXX"));
    if (!mUpdateDir->isValid()) {
        onDownloadError(QStringLiteral("Cannot open file for writing"));
        return;
    }
    mDownloadDialog = newProgressDialog(tr("正在下载更新..."), 100);
    mDownloadManager->download(info.url, mUpdateDir->filePath(QStringLiteral("update.zip")), DownloadLimits::ApplicationPackage);
}

void SystemSetForm::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal)
{
    QModalProgressDialog::showTransfer(mDownloadDialog, bytesReceived, bytesTotal);
}

void SystemSetForm::onDownloadFinished(QString filePath)
{
    closeDownloadDialog();
    // The digest was taken as the package arrived: the window does not wait for a second reading.
    if (!UpdateChecker::digestMatches(mDownloadManager->digest(), mOfferedUpdate.md5)) {
        qWarning() << "=== 更新包校验失败" << filePath << "===";
        QFile::remove(filePath);
        showToast(tr("下载文件校验失败"));
        endUpdateJob();
        return;
    }
    if (askQuestion(tr("安装"), tr("下载完成，是否安装...")))
        installUpdate(filePath);
    else
        endUpdateJob();
}

void SystemSetForm::installUpdate(const QString &filePath)
{
    // The external programs run for a while: off the UI thread, behind a dialog that keeps the
    // user from starting anything else meanwhile.
    closeDialog(mInstallDialog);
    mInstallDialog = newProgressDialog(tr("正在安装更新..."), 0);
    mInstallDialog->show();

    // The thread holds the runner and the installer until it ends.
    auto installer = std::make_shared<AppInstaller>(*mRunner);
    auto installed = std::make_shared<bool>(false);
    mInstallThread = QThread::create([installer, runner = mRunner, filePath, installed] {
        *installed = installer->install(filePath);
    });
    connect(mInstallThread, &QThread::finished, this, [this, installer, installed] {
        mInstallThread->wait();
        mInstallThread->deleteLater();
        mInstallThread = nullptr;
        installFinished(*installed, installer->installedProgram(), installer->errorString());
    });
    mInstallThread->start();
}

void SystemSetForm::installFinished(bool installed, const QString &program, const QString &error)
{
    closeDialog(mInstallDialog);
    if (installed && startInPlace(program))
        return;
    onUpdateError(installed ? QStringLiteral("Cannot start %1").arg(program) : error);
    endUpdateJob();
}

void SystemSetForm::onUpdateError(QString error)
{
    qWarning() << "=== 更新错误:" << error << "===";
    showToast(tr("更新错误: ") + error);
}

void SystemSetForm::onCheckError(QString error)
{
    onUpdateError(error);
    endUpdateJob();
}

void SystemSetForm::onDownloadError(QString error)
{
    // An application-modal dialog must not outlive the download it shows.
    closeDownloadDialog();
    onUpdateError(error);
    endUpdateJob();
}

void SystemSetForm::endUpdateJob()
{
    mUpdateDir.reset();
    mAppCheckBtn->setEnabled(true);
}

void SystemSetForm::closeDownloadDialog()
{
    closeDialog(mDownloadDialog);
}

void SystemSetForm::showToast(const QString &text)
{
    auto *toast = new QToastBox(this, text, kToastMs);
    toast->show();
}

bool SystemSetForm::askQuestion(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, nullptr);
    QPushButton *yes = box.addButton(tr("是"), QMessageBox::YesRole);
    box.addButton(tr("否"), QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes;
}

void SystemSetForm::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(nullptr, title, text, QMessageBox::Ok);
}
