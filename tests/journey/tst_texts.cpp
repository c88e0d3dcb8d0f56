// Every text the program shows is in the user's language and whole: the walk through every page,
// dialog, prompt and toast (PageWalk) in Chinese, English and Vietnamese finds no visible text or
// tooltip still in the Chinese source in English or Vietnamese, none that is empty where the
// Chinese one is not, and none cut off at the window's smallest size in any of the three. Beyond
// the walk, every translatable text of the sources and every tooltip text has its translations.

#include "tests/app/AppFixture.h"
#include "tests/journey/PageWalk.h"

#include "model/SystemConfigUtil.h"
#include "pages/common/KeyTile.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {
// The texts shown as they are in every language, and why.
const struct {
    const char *text;
    const char *why;
} kKeptTexts[] = {
    {"保存文件", "caption of the export's save dialog: a fixed text of the program, the same in every "
                 "language (the import's open dialog is translated)"},
    {"配置文件 (*.aaa);; 所有文件 (*.*)", "filter of that save dialog, fixed with its caption; the file dialog "
                                         "acts on its patterns, which are the same in every language"},
};

bool kept(const QString &text)
{
    for (const auto &entry : kKeptTexts) {
        if (text == QString::fromUtf8(entry.text))
            return true;
    }
    return false;
}

// Han characters, and the CJK and full-width punctuation that comes with them.
bool chinese(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("[\\p{Han}\\x{3000}-\\x{303F}\\x{FF00}-\\x{FFEF}]"));
    return pattern.match(text).hasMatch();
}

// How many pixels of the widget's text do not fit into it; 0 when it fits.
int overflow(QWidget *widget, const QString &text)
{
    const QFontMetrics metrics = widget->fontMetrics();
    // A keycap draws its legend in its own font, shortened when it does not fit its face:
    // shortened is cut off.
    if (auto *tile = qobject_cast<KeyTile *>(widget)) {
        const LegendLayout &layout = tile->legendLayout();
        if (!layout.elided)
            return 0;
        const QFontMetrics drawn(layout.font);
        int widest = 0;
        for (const QString &line : layout.lines)
            widest = qMax(widest, drawn.horizontalAdvance(line));
        return qMax(1, drawn.horizontalAdvance(text) - widest);
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        if (label->wordWrap())
            return qMax(0, label->heightForWidth(label->width()) - label->height());
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
        int widest = 0;
        for (const QString &line : text.split(QLatin1Char('\n')))
            widest = qMax(widest, metrics.horizontalAdvance(line));
        return qMax(0, widest - room.width());
    }
    auto *button = qobject_cast<QAbstractButton *>(widget);
    if (!button || text.isEmpty())
        return 0;
    int needed = metrics.horizontalAdvance(QString(text).remove(QLatin1Char('&')));
    if (!button->icon().isNull())
        needed += button->iconSize().width() + 4;
    if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const QStyle::SubElement element =
            qobject_cast<QCheckBox *>(button) ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents;
        return qMax(0, needed - button->style()->subElementRect(element, &option, button).width());
    }
    return qMax(0, needed - button->width());
}

// One text seen on the walk: where it is (the widget and what of it), the text, the pixels cut off.
struct Seen {
    QString key;
    QString text;
    int overflow;
};

// The translator of a language's compiled translations.
std::unique_ptr<QTranslator> translator(const QString &locale)
{
    auto out = std::make_unique<QTranslator>();
    if (!out->load(QStringLiteral(":/i18n/languages/Quillomatrix_%1.qm").arg(locale)))
        qFatal("no translations for %s", qPrintable(locale));
    return out;
}
} // namespace

class TestTexts : public QObject
{
    Q_OBJECT

    AppFixture mApp;

    // Lists every problem, then fails when there is one.
    static void report(const QStringList &problems)
    {
        for (const QString &problem : problems)
            qInfo().noquote() << problem;
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("%1 problems, listed above").arg(problems.size())));
    }

private Q_SLOTS:
    void init() { AppFixture::failOnWarnings(); }

    // Every translatable text in the sources has a translation in English and Vietnamese.
    void everySourceTextTranslated()
    {
        QTemporaryDir dir;
        const QString catalogue = dir.filePath(QStringLiteral("sources.ts"));
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(QUILL_SOURCE_DIR));
        lupdate.start(QStringLiteral(QUILL_LUPDATE),
                      {QStringLiteral("-I"), QStringLiteral("."), QStringLiteral("-silent"), QStringLiteral("-locations"),
                       QStringLiteral("none"), QStringLiteral("app"), QStringLiteral("pages"), QStringLiteral("model"),
                       QStringLiteral("protocol"), QStringLiteral("storage"), QStringLiteral("link"),
                       QStringLiteral("-ts"), catalogue});
        QVERIFY(lupdate.waitForFinished(60000) && lupdate.exitCode() == 0);
        QFile file(catalogue);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto english = translator(QStringLiteral("en_US"));
        const auto vietnamese = translator(QStringLiteral("vi_VN"));
        QStringList missing;
        QString context;
        int sources = 0;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("name")) {
                context = xml.readElementText();
                continue;
            }
            if (xml.name() != QLatin1String("source"))
                continue;
            const QString source = xml.readElementText();
            ++sources;
            if (!chinese(source) || kept(source))
                continue;
            for (const QTranslator *language : {english.get(), vietnamese.get()}) {
                const QString text = language->translate(context.toUtf8().constData(), source.toUtf8().constData());
                if (text.isEmpty() || chinese(text))
                    missing << QStringLiteral("%1 %2: %3").arg(language->language(), context, source);
            }
        }
        QVERIFY(sources > 200);
        report(missing);
    }

    // Every tooltip text has its English and Vietnamese text.
    void everyTooltipTranslated()
    {
        const QString folder = QStringLiteral(QUILL_SOURCE_DIR "/resources/data/");
        QSettings chinese(folder + QStringLiteral("tip_file_cn.ini"), QSettings::IniFormat);
        QStringList missing;
        for (const char *language : {"en", "vn"}) {
            QSettings other(folder + QStringLiteral("tip_file_%1.ini").arg(QLatin1String(language)), QSettings::IniFormat);
            for (const QString &key : chinese.allKeys()) {
                const QString text = other.value(key).toString();
                if (text.isEmpty() || ::chinese(text))
                    missing << QStringLiteral("%1 %2").arg(QLatin1String(language), key);
            }
        }
        QVERIFY(chinese.allKeys().size() > 100);
        report(missing);
    }

    // The walk in Chinese, then English and Vietnamese, each chosen on the settings page.
    void everyVisibleText()
    {
        QHash<QString, QString> chineseTexts;
        QMap<QString, QString> problems; // by widget and problem
        const struct {
            int language;
            const char *name;
        } languages[] = {{SystemConfigUtil::Chinese, "Chinese"},
                         {SystemConfigUtil::English, "English"},
                         {SystemConfigUtil::Vietnamese, "Vietnamese"}};
        for (const auto &language : languages) {
            PageWalk walk(mApp);
            const bool source = language.language == SystemConfigUtil::Chinese;
            walk.walk(language.language, [&](const QString &place, const QList<QWidget *> &windows) {
                for (const PageWalk::ShownText &shown : PageWalk::shownTexts(windows)) {
                    const Seen text{PageWalk::pathOf(shown.widget) + QLatin1Char(' ') + QLatin1String(shown.what),
                                    shown.text, shown.drawn ? overflow(shown.widget, shown.text) : 0};
                    const QString where = QStringLiteral("%1, %2: %3").arg(QLatin1String(language.name), place, text.key);
                    // A widget that stays through many places is reported at the first.
                    const auto problem = [&](const QString &what) {
                        const QString key = QLatin1String(language.name) + text.key + what;
                        if (!problems.contains(key))
                            problems.insert(key, QStringLiteral("%1 %2").arg(where, what));
                    };
                    if (text.overflow > 0)
                        problem(QStringLiteral("cut off by %1 px: %2").arg(text.overflow).arg(text.text));
                    if (source)
                        chineseTexts.insert(place + text.key, text.text);
                    else if (chinese(text.text) && !kept(text.text))
                        problem(QStringLiteral("untranslated: %1").arg(text.text));
                    else if (text.text.trimmed().isEmpty() && !chineseTexts.value(place + text.key).trimmed().isEmpty())
                        problem(QStringLiteral("empty, in Chinese: %1").arg(chineseTexts.value(place + text.key)));
                }
            });
            if (QTest::currentTestFailed())
                return;
            for (const QString &text : walk.fileDialogTexts()) {
                if (!source && chinese(text) && !kept(text))
                    problems.insert(text, QStringLiteral("%1, a file dialog untranslated: %2").arg(QLatin1String(language.name), text));
            }
        }
        gSystemConfig->setLanuage(SystemConfigUtil::Chinese, qApp);
        report(problems.values());
    }
};

QTEST_MAIN(TestTexts)
#include "tst_texts.moc"
