// Every page in both themes: the two style sheets give the same widgets the same properties, and
// the walk through every page, dialog, prompt and toast (PageWalk), pictured in each theme, shows
// each place in its theme's colours with every enabled text readable on what is behind it, and
// whole at the window's first size, without scroll bars.

#include "tests/app/AppFixture.h"
#include "tests/journey/PageWalk.h"

#include "model/SystemConfigUtil.h"

#include <QCheckBox>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProgressDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QtTest>

#include <algorithm>

namespace {
// The least contrast (WCAG ratio) between a text and what is behind it.
constexpr double kReadable = 2.2;
// The least contrast between a check box's or radio button's box and what is around it.
constexpr double kVisible = 1.5;

double luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The most frequent colour of an area, and the contrast of the pixel that stands out most from it.
std::pair<QRgb, double> backgroundAndContrast(const QImage &image, const QRect &area)
{
    // Counted a run of one colour at a time: a picture of a page is mostly long runs.
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb colour = 0;
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y) | 0xFF000000;
            if (run > 0 && pixel != colour) {
                counts[colour] += run;
                run = 0;
            }
            colour = pixel;
            ++run;
        }
        if (run > 0)
            counts[colour] += run;
    }
    const QRgb background = std::max_element(counts.cbegin(), counts.cend()).key();
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = qMax(best, contrast(background, it.key()));
    return {background, best};
}

// The part of a widget in sight within root, in root's coordinates: clipped by every widget
// between them (an inner scroll area shows only part of its contents).
QRect inSight(const QWidget *widget, const QWidget *root)
{
    QRect rect = widget->rect();
    for (const QWidget *w = widget; w != root && !rect.isEmpty(); w = w->parentWidget())
        rect = rect.translated(w->pos()) & w->parentWidget()->rect();
    return rect;
}

// Selector → the properties it sets, from a style sheet (comments removed).
QMap<QString, QStringList> rules(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString sheet = QString::fromUtf8(file.readAll());
    sheet.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
    QMap<QString, QStringList> out;
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^{}]*)\\}"));
    for (auto match = rule.globalMatch(sheet); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        QStringList properties;
        for (const QString &declaration : m.captured(2).split(QLatin1Char(';'))) {
            if (declaration.contains(QLatin1Char(':')))
                properties << declaration.section(QLatin1Char(':'), 0, 0).trimmed();
        }
        for (const QString &selector : m.captured(1).split(QLatin1Char(','))) {
            QStringList &held = out[selector.simplified()];
            held += properties;
            held.sort();
            held.removeDuplicates();
        }
    }
    return out;
}
} // namespace

class TestThemes : public QObject
{
    Q_OBJECT

    AppFixture mApp;

private Q_SLOTS:
    void init() { AppFixture::failOnWarnings(); }
    void cleanup() { gSystemConfig->setTheme(0); }

    // What one sheet styles, the other styles too, with the same properties.
    void bothSheetsStyleTheSameWidgets()
    {
        const QMap<QString, QStringList> light = rules(QStringLiteral(":/styles/styles/light.qss"));
        const QMap<QString, QStringList> dark = rules(QStringLiteral(":/styles/styles/dark.qss"));
        QVERIFY(light.size() > 100);
        QStringList differences;
        for (const QString &selector : light.keys() + dark.keys()) {
            if (light.value(selector) != dark.value(selector))
                differences << QStringLiteral("%1: light %2, dark %3")
                                   .arg(selector, light.value(selector).join(QLatin1Char(' ')),
                                        dark.value(selector).join(QLatin1Char(' ')));
        }
        differences.removeDuplicates();
        QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QLatin1Char('\n'))));
    }

    void everyPlaceInItsTheme_data()
    {
        QTest::addColumn<int>("theme");
        QTest::newRow("light") << 0;
        QTest::newRow("dark") << 1;
    }

    void everyPlaceInItsTheme()
    {
        QFETCH(int, theme);
        gSystemConfig->setTheme(theme);
        QMap<QString, QString> problems; // by widget
        PageWalk walk(mApp);
        walk.walk(SystemConfigUtil::English, [&](const QString &place, const QList<QWidget *> &windows) {
            // Each place shows whole at the window's first size: no scroll bars.
            auto *area = windows.first()->findChild<QScrollArea *>(QStringLiteral("mainScrollArea"));
            if (area && (area->horizontalScrollBar()->isVisible() || area->verticalScrollBar()->isVisible())
                && !problems.contains(place))
                problems.insert(place, QStringLiteral("%1 scrolls: the window holds %2 x %3, its content is %4 x %5")
                                           .arg(place).arg(area->viewport()->width()).arg(area->viewport()->height())
                                           .arg(area->widget()->width()).arg(area->widget()->height()));
            for (QWidget *window : windows) {
                if (!window->isVisible())
                    continue;
                // The main window's content is pictured whole, scrolled parts too.
                QWidget *content = window->findChild<QWidget *>(QStringLiteral("mainScrollAreaWidget"));
                QWidget *root = content ? content : window;
                const QImage image = root->grab().toImage();
                // The page or window lies on its theme's ground.
                const double ground = luminance(backgroundAndContrast(image, image.rect()).first);
                const QString name = PageWalk::pathOf(root);
                if ((theme == 0 ? ground < 0.6 : ground > 0.2) && !problems.contains(name))
                    problems.insert(name, QStringLiteral("%1: %2 on a ground of luminance %3").arg(place, name).arg(ground));
                // A progress box is framed in the accent colour, so that it stands out from the page.
                const QRgb edge = image.pixel(0, image.height() / 2);
                if (qobject_cast<QProgressDialog *>(window) && (qRed(edge) < 200 || qBlue(edge) > 80)
                    && !problems.contains(name))
                    problems.insert(name, QStringLiteral("%1: %2 has no frame in the accent colour").arg(place, name));
                // Every switch's box stands out from its ground, with or without a text.
                for (QAbstractButton *box : root->findChildren<QAbstractButton *>()) {
                    const bool check = qobject_cast<QCheckBox *>(box);
                    if ((!check && !qobject_cast<QRadioButton *>(box)) || !box->isVisible() || !box->isEnabled()
                        || box->window() != window)
                        continue;
                    QStyleOptionButton option;
                    option.initFrom(box);
                    const QRect indicator = box->style()->subElementRect(
                        check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, box);
                    const QRect area = inSight(box, root) & indicator.translated(box->mapTo(root, QPoint(0, 0)));
                    const QString where = PageWalk::pathOf(box);
                    if (!area.isEmpty() && backgroundAndContrast(image, area).second < kVisible && !problems.contains(where))
                        problems.insert(where, QStringLiteral("%1: %2's box does not stand out").arg(place, where));
                }
                for (const PageWalk::ShownText &text : PageWalk::shownTexts({window})) {
                    if (!text.drawn || text.text.trimmed().isEmpty() || !text.widget->isEnabled()
                        || (root != text.widget && !root->isAncestorOf(text.widget)))
                        continue;
                    const QRect area = inSight(text.widget, root) & image.rect();
                    if (area.isEmpty()) // scrolled away
                        continue;
                    const double seen = backgroundAndContrast(image, area).second;
                    const QString where = PageWalk::pathOf(text.widget);
                    if (seen < kReadable && !problems.contains(where))
                        problems.insert(where, QStringLiteral("%1: %2 \"%3\" has contrast %4")
                                                   .arg(place, where, text.text).arg(seen, 0, 'f', 2));
                }
            }
        }, PageWalk::Size::First);
        for (const QString &problem : std::as_const(problems))
            qInfo().noquote() << problem;
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("%1 problems, listed above").arg(problems.size())));
    }
};

QTEST_MAIN(TestThemes)
#include "tst_themes.moc"
