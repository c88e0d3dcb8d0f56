#include "pages/keys/QDksAddDialog.h"

#include "pages/keys/HighKeyLabels.h"
#include "pages/keys/QDKSLabel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kCell = 48;
constexpr int kColumn = 64; // a stage column: wide enough for its travel text
constexpr int kKeyColumn = 96;

// Body bytes of action k.
size_t maskByte(int action) { return size_t(4 * action); }
size_t typeByte(int action) { return size_t(4 * action + 1); }
size_t lowByte(int action) { return size_t(4 * action + 2); }
size_t highByte(int action) { return size_t(4 * action + 3); }
} // namespace

QDksAddDialog::QDksAddDialog(uchar index, QWidget *parent)
    : QKeyPickDialog(index, HighKeyLabels::Dks, QStringLiteral("QDksAddDialog"), QSize(1200, 743), parent)
{
    mTitleLabel->setText(tr("动态键程(DKS)"));
    mPromptLabel->setText(tr("磁轴高级键，可以将一个按键根据按压和松开的程度不同，绑定1至4种功能"));
    addToMiddle(buildArea());
    if (mStatusFlag == EditedBinding)
        displayOperationArea();
    const auto rows = {&QDksAddDialog::one_label_clicked, &QDksAddDialog::two_label_clicked,
                       &QDksAddDialog::three_label_clicked, &QDksAddDialog::four_label_clicked};
    int action = 0;
    for (auto slot : rows) {
        for (QDKSLabel *cell : mCells[size_t(action)])
            connect(cell, &QDKSLabel::label_clicked, this, slot);
        ++action;
    }
}

QWidget *QDksAddDialog::buildArea()
{
    auto *area = new QWidget(mMiddleWidget);
    area->setObjectName(QStringLiteral("areaWidget"));
    area->setFixedSize(Stages * (kColumn + 10) + kKeyColumn, 298);
    auto *areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);

    // The header: where along the travel each column's stage is.
    auto *header = new QWidget(area);
    header->setObjectName(QStringLiteral("titleWidget"));
    auto *headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(10);
    const char *columns[Stages][3] = {{"oneWidget", "downOneIcon", "downOneLabel"},
                                      {"twoWidget", "downTwoIcon", "downTwoLabel"},
                                      {"threeWidget", "upOneIcon", "upOneLabel"},
                                      {"fourWidget", "upTwoIcon", "upTwoLabel"}};
    const char *travel[Stages] = {"1.00mm", "3.00mm", "3.00mm", "1.00mm"};
    for (int stage = 0; stage < Stages; ++stage) {
        auto *column = new QWidget(header);
        column->setObjectName(QString::fromLatin1(columns[stage][0]));
        column->setFixedSize(kColumn, 66);
        auto *columnLayout = new QVBoxLayout(column);
        columnLayout->setContentsMargins(0, 0, 0, 0);
        columnLayout->setSpacing(0);
        QLabel *icon = caption(columns[stage][1], QString(), column);
        icon->setFixedSize(kCell, kCell);
        columnLayout->addWidget(icon, 0, Qt::AlignHCenter);
        columnLayout->addWidget(caption(columns[stage][2], QString::fromLatin1(travel[stage]), column));
        headerLayout->addWidget(column);
    }
    auto *five = new QWidget(header);
    five->setObjectName(QStringLiteral("fiveWidget"));
    five->setFixedSize(kKeyColumn, 66);
    headerLayout->addWidget(five);
    areaLayout->addWidget(header);

    auto *grid = new QWidget(area);
    grid->setObjectName(QStringLiteral("selectWidget"));
    grid->setFixedSize(area->width(), 232);
    auto *gridLayout = new QGridLayout(grid);
    gridLayout->setContentsMargins(0, 10, 0, 0);
    gridLayout->setSpacing(10);
    const char *cells[Actions][Stages] = {{"down1Label", "down5Label", "up1Label", "up5Label"},
                                          {"down2Label", "down6Label", "up2Label", "up6Label"},
                                          {"down3Label", "down7Label", "up3Label", "up7Label"},
                                          {"down4Label", "down8Label", "up4Label", "up8Label"}};
    const char *keys[Actions] = {"oneLabel", "twoLabel", "threeLabel", "fourLabel"};
    for (int stage = 0; stage < Stages; ++stage)
        gridLayout->setColumnMinimumWidth(stage, kColumn);
    for (int action = 0; action < Actions; ++action) {
        for (int stage = 0; stage < Stages; ++stage) {
            auto *cell = new QDKSLabel(grid);
            cell->setObjectName(QString::fromLatin1(cells[action][stage]));
            cell->setFixedSize(kCell, kCell);
            gridLayout->addWidget(cell, action, stage, Qt::AlignCenter);
            mCells[size_t(action)][size_t(stage)] = cell;
        }
        QLabel *key = addSlotLabel(keys[action], grid);
        key->setFixedSize(kKeyColumn, kCell);
        gridLayout->addWidget(key, action, Stages, Qt::AlignCenter);
    }
    areaLayout->addWidget(grid);
    areaLayout->addStretch(1);
    return area;
}

void QDksAddDialog::displayOperationArea()
{
    const auto &d = mHighKeyInfo.data;
    for (int action = 0; action < Actions; ++action) {
        for (int stage = 0; stage < Stages; ++stage)
            mCells[size_t(action)][size_t(stage)]->setSelectStatus(d[maskByte(action)] & (1 << stage));
        showKey(mSlotLabels.at(action), d[typeByte(action)], d[highByte(action)], d[lowByte(action)]);
    }
}

void QDksAddDialog::storeKey(QLabel *slot, uchar type, uchar hValue, uchar lValue)
{
    const int action = int(mSlotLabels.indexOf(slot));
    if (action < 0)
        return;
    auto &d = mHighKeyInfo.data;
    d[typeByte(action)] = type;
    d[lowByte(action)] = lValue;
    d[highByte(action)] = hValue;
}

bool QDksAddDialog::completeRecord()
{
    auto &d = mHighKeyInfo.data;
    for (int action = 0; action < Actions; ++action) {
        uchar mask = 0;
        for (int stage = 0; stage < Stages; ++stage) {
            if (mCells[size_t(action)][size_t(stage)]->getSelectStatus())
                mask |= uchar(1 << stage);
        }
        d[maskByte(action)] = mask;
    }
    return true;
}
