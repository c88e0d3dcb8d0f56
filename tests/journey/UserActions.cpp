#include "tests/journey/UserActions.h"

#include "pages/common/KeyTile.h"
#include "pages/common/KeyboardPicture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

void UserActions::click(QWidget *root, const char *name)
{
    auto *button = root ? root->findChild<QAbstractButton *>(QString::fromLatin1(name)) : nullptr;
    QVERIFY2(button && button->isVisible() && button->isEnabled(), name);
    QPoint at = button->rect().center();
    if (qobject_cast<QCheckBox *>(button)) { // a check box without a text is only its box
        QStyleOptionButton option;
        option.initFrom(button);
        at = button->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, button).center();
    }
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

void UserActions::clickTile(KeyboardPicture *picture, uchar item)
{
    KeyTile *tile = picture ? picture->tile(item) : nullptr;
    QVERIFY2(tile && tile->isVisible() && tile->isEnabled(), qPrintable(QStringLiteral("tile %1").arg(item)));
    QTest::mouseClick(tile, Qt::LeftButton, {}, tile->rect().center());
}
