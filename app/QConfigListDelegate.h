#pragma once
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

// Edits a profile name in the profile list: a frameless line edit of at most MaxNameLength
// characters, drawn over an emptied item.
class QConfigListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int MaxNameLength = 28;

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
