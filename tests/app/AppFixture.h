#pragma once
// The shared services for a page or window test over a temporary data folder with the sample product
// database and resource package, the temporary folder inside it, and the emulated keyboard.

#include "emulator/EmulatedHidBus.h"
#include "emulator/EmulatedKeyboard.h"
#include "tests/support/TestDataDir.h"

#include <QWidget>

#include <memory>

class QStackedWidget;

class AppFixture
{
public:
    AppFixture();
    ~AppFixture();

    QString dataDir() const { return mData.path(); }
    QString tempDir() const { return mData.root() + QStringLiteral("/tmp"); }
    // The private folders of downloads left in the temporary folder.
    QStringList downloadFolders() const;
    // For a page tested without the main window: blank pages in a stack that is gStackedWidget.
    QStackedWidget &pageStack();

    // A new sample keyboard on its interfaces of the given report sizes.
    void plugIn(const EmulatedHidFaults &faults = {}, const QList<int> &frameSizes = {128, 64});
    // The keyboard last plugged in, with its memory, on the same interfaces again.
    void plugInAgain();
    void unplug();
    // The keyboard last plugged in.
    EmulatedKeyboard &keyboard() { return *mKeyboard; }
    // Its first interface (the largest reports), the one the program talks to.
    QByteArray path() const { return mPaths.value(0); }
    // Between tests: the link closed, the keyboard unplugged, the keyboard model emptied.
    void reset();

    // For init(): any warning fails the test but the offscreen platform's notices of what it cannot do.
    static void failOnWarnings();
    // One warning containing text is expected.
    static void expectWarning(const QString &text);
    // Types text into widget one character at a time, as an input method hands it over.
    static void type(QWidget *widget, const QString &text);

    // The named child of parent; the test program stops when there is none.
    template <typename T = QWidget>
    static T *child(const QObject *parent, const char *name)
    {
        T *found = parent->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

private:
    TestDataDir mData;
    QList<int> mFrameSizes;
    QList<QByteArray> mPaths;
    std::shared_ptr<EmulatedKeyboard> mKeyboard;
    std::unique_ptr<QStackedWidget> mStack;
};
