#pragma once
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

// Edits a profile name in the profile list: a frameless line edit drawn over an emptied item. The
// name is kept to what a rename carries to the keyboard (UsbCommunicateUtil::NameRequestBytes bytes
// of UTF-8): a longer one is cut after its last whole character as it is typed or pasted.
class QConfigListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit QConfigListDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

private:
    mutable QPersistentModelIndex mEditingIndex;
};
