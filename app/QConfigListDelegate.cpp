#include "app/QConfigListDelegate.h"

#include "protocol/UsbCommunicateUtil.h"

#include <QLineEdit>
#include <QPainter>
#include <QValidator>

namespace {
// Cuts a name to the bytes a rename carries, after its last whole character. A limit in characters
// would let a name of wide characters through that the keyboard then stores cut.
class NameBytesValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        const QByteArray utf8 = input.toUtf8();
        const int keep = UsbCommunicateUtil::utf8WholeCharacters(utf8.constData(), int(utf8.size()),
                                                                 UsbCommunicateUtil::NameRequestBytes);
        if (keep < utf8.size()) {
            input = QString::fromUtf8(utf8.constData(), keep);
            pos = qMin(pos, int(input.size()));
        }
        return Acceptable;
    }
};
} // namespace

QConfigListDelegate::QConfigListDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void QConfigListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    if (mEditingIndex.isValid() && mEditingIndex == index) {
        painter->fillRect(option.rect,
                          option.palette.brush(option.palette.currentColorGroup(), QPalette::Base));
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}

QWidget *QConfigListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                           const QModelIndex &index) const
{
    mEditingIndex = index;
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setValidator(new NameBytesValidator(editor));
    return editor;
}

void QConfigListDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    mEditingIndex = QPersistentModelIndex();
    QStyledItemDelegate::destroyEditor(editor, index);
}

void QConfigListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *lineEdit = qobject_cast<QLineEdit *>(editor))
        lineEdit->setText(index.data(Qt::EditRole).toString());
}

void QConfigListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                       const QModelIndex &index) const
{
    if (auto *lineEdit = qobject_cast<QLineEdit *>(editor))
        model->setData(index, lineEdit->text(), Qt::EditRole);
}
