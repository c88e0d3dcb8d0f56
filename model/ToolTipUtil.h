#pragma once
#include <QObject>
#include <QSharedPointer>
#include <QString>

class QSettings;
class QWidget;

// Tooltip and prompt texts, looked up by key in the tooltip text file of the effective language
// ("tip_file_cn.ini", "tip_file_en.ini" or "tip_file_vn.ini" in the data folder). A new instance
// replaces gToolTipUtil when the language changes.
class ToolTipUtil : public QObject
{
    Q_OBJECT
public:
    explicit ToolTipUtil(QObject *parent = nullptr);
    ~ToolTipUtil() override;

    // Sets the widget's tooltip to the text stored under key (empty when absent).
    void setToolTipFromFile(QWidget *widget, const QString &key) const;
    // The text stored under key; empty when the key or the file is missing.
    QString getToolTipFromFile(const QString &key) const;

    // The tooltip file of an effective language (1 Chinese, 3 Vietnamese, anything else English).
    static QString tipFilePath(int language);

private:
    QSettings *mSettings = nullptr;
};

extern QSharedPointer<ToolTipUtil> gToolTipUtil;

// A 16-bit firmware version as four dot-separated upper-case hexadecimal digits, one per nibble
// from the most significant (0x0105 gives "0.1.0.5").
QString global_versionConversion(ushort version);

// Reads the whole text file name from the data folder's "tip_files" folder into the widget's tooltip.
void global_setToolTipFromFile(QWidget *widget, const QString &name);
