#include "app/QConfigListDelegate.h"

#include <QLineEdit>
#include <QPainter>

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
    editor->setMaxLength(MaxNameLength);
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
