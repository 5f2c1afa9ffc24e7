#include "commands/Lamp.h"
#include "commands/PanelParts.h"
#include "commands/Panels.h"
#include "commands/Widgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct ParameterRow {
    const char* set;
    const char* caption;
    const char* newValue;
    const char* initial;
    const char* query;
    const char* queried;
};

constexpr ParameterRow kParameters[] = {
    {"Command17", "初速度", "Text12", "100", "Command57", "Text27"},
    {"Command24", "最大速度", "Text13", "10000", "Command58", "Text26"},
    {"Command25", "末速度", "Text14", "1000", "Command59", "Text25"},
    {"Command26", "加速度", "Text15", "10000", "Command60", "Text24"},
    {"Command27", "减速度", "Text16", "10000", "Command61", "Text6"},
    {"Command64", "归零速度", "Text29", "10000", "Command62", "Text28"},
};

struct MotionQuery {
    const char* query;
    const char* caption;
    const char* record;
    const char* result;
    const char* zero; // nullptr when the row has no zero button
    const char* zeroRecord;
};

constexpr MotionQuery kQueries[] = {
    {"Command28", "运动速度", "Command51", "Text17", nullptr, nullptr},
    {"Command30", "绝对位置", "Command52", "Text18", "Command66", "Command69"},
    {"Command31", "相对位置", "Command53", "Text19", "Command67", "Command70"},
};

// Columns of the panel's grid.
enum Column {
    SetButton,
    NewValue,
    QueryButton,
    Queried,
    Gap,
    MotionButton,
    MotionRecord,
    MotionResult,
    ZeroButton,
    ZeroRecord,
};

const QString kParameterSample = QStringLiteral("1000000");
const QString kPositionSample = QStringLiteral("-100000000");

// Parameter boxes show seven digits whole, position boxes nine and a sign; longer values
// scroll inside their box.
QLineEdit* valueBox(const char* name, const QString& text, const QString& accessibleName,
                    const QString& sample, int maxWidth) {
    auto* box = makeEdit(QLatin1String(name), text);
    box->setAccessibleName(accessibleName);
    fitBox(box, sample, maxWidth);
    return box;
}

// Lamps Shape1, Shape2, Shape4, Shape3 in a row; the status word under the first and the
// legend's two-character captions under the other three.
void addStatusLamps(QGridLayout* grid, int row, QGroupBox& frame) {
    auto* lamps = new QGridLayout;
    lamps->setContentsMargins(0, 0, 0, 0);
    lamps->setHorizontalSpacing(0);
    lamps->setVerticalSpacing(1);

    auto* shape1 = new Lamp(QStringLiteral("Shape1"), QColor(), &frame);
    shape1->setFillColor(shape1->offColor());
    shape1->setAccessibleName(QStringLiteral("运动状态"));
    lamps->addWidget(shape1, 0, 0, Qt::AlignHCenter);
    const struct {
        const char* name;
        const char* meaning;
    } kLegendLamps[] = {{"Shape2", "左限"}, {"Shape4", "右限"}, {"Shape3", "零点"}};
    int column = 1;
    for (const auto& lamp : kLegendLamps) {
        auto* shape = new Lamp(QLatin1String(lamp.name), QColor(Qt::black), &frame);
        shape->setAccessibleName(QString::fromUtf8(lamp.meaning));
        lamps->addWidget(shape, 0, column++, Qt::AlignHCenter);
    }

    auto* status = makeLabel(QStringLiteral("Label15"), QStringLiteral("停止"), &frame);
    status->setAlignment(Qt::AlignHCenter);
    lamps->addWidget(status, 1, 0);
    auto* legend = makeLabel(QStringLiteral("Label41"), QStringLiteral("左限右限零点"), &frame);
    legend->setContentsMargins(0, 0, 0, 0);
    lamps->addWidget(legend, 1, 1, 1, 3, Qt::AlignLeft);

    // Each legend column is exactly two characters wide so its caption stands under its lamp.
    const int pair = legend->fontMetrics().horizontalAdvance(QStringLiteral("左限"));
    for (int c = 1; c <= 3; ++c) {
        lamps->setColumnMinimumWidth(c, pair);
    }
    // Wide enough for "运动中" so the row does not shift when the status changes.
    lamps->setColumnMinimumWidth(
        0, status->fontMetrics().horizontalAdvance(QStringLiteral("运动中")) + 8);
    lamps->setColumnStretch(4, 1);
    grid->addLayout(lamps, row, MotionResult, 2, 3);
}

} // namespace

void buildParameterPanel(QGroupBox& frame) {
    auto* grid = compactGrid(&frame);

    auto* heading =
        makeLabel(QStringLiteral("Label7"),
                  QStringLiteral("新设值      查询值             运动相关查询"), &frame);
    heading->setTextFormat(Qt::PlainText);
    grid->addWidget(heading, 0, NewValue, 1, ZeroRecord);

    int row = 1;
    for (const ParameterRow& p : kParameters) {
        const QString caption = QString::fromUtf8(p.caption);
        auto* set = makeButton(QLatin1String(p.set), caption, QString(), &frame);
        fixToCaption(set);
        auto* newValue = valueBox(p.newValue, QLatin1String(p.initial),
                                  caption + QStringLiteral("新设值"), kParameterSample, 96);
        auto* query = makeButton(QLatin1String(p.query), QStringLiteral("?"),
                                 QStringLiteral("查询") + caption, &frame);
        query->setToolTip(QStringLiteral("查询设定值"));
        fixToCaption(query);
        tint(query, kQueryTint);
        auto* queried = valueBox(p.queried, QStringLiteral("0"), caption + QStringLiteral("查询值"),
                                 kParameterSample, 96);
        tint(queried, kQueryTint);

        grid->addWidget(set, row, SetButton);
        grid->addWidget(newValue, row, NewValue);
        grid->addWidget(query, row, QueryButton);
        grid->addWidget(queried, row, Queried);
        ++row;
    }
    grid->setColumnMinimumWidth(Gap, 4);

    row = 1;
    for (const MotionQuery& q : kQueries) {
        const QString caption = QString::fromUtf8(q.caption);
        auto* query = makeButton(QLatin1String(q.query), caption, QString(), &frame);
        fixToCaption(query);
        auto* result = valueBox(q.result, QStringLiteral("0"), caption, kPositionSample, 120);
        grid->addWidget(query, row, MotionButton);
        grid->addWidget(recordButton(q.record, caption), row, MotionRecord);
        grid->addWidget(result, row, MotionResult);
        if (q.zero != nullptr) {
            auto* zero = makeButton(QLatin1String(q.zero), QStringLiteral("0"),
                                    caption + QStringLiteral("清零"), &frame);
            zero->setToolTip(QStringLiteral("清零"));
            fixToCaption(zero);
            grid->addWidget(zero, row, ZeroButton);
            grid->addWidget(recordButton(q.zeroRecord, caption + QStringLiteral("清零")), row,
                            ZeroRecord);
        }
        ++row;
    }

    auto* status =
        makeButton(QStringLiteral("Command29"), QStringLiteral("运动状态"), QString(), &frame);
    fixToCaption(status);
    grid->addWidget(status, row, MotionButton);
    grid->addWidget(recordButton("Command43", QStringLiteral("运动状态")), row, MotionRecord);
    addStatusLamps(grid, row, frame);

    grid->setColumnStretch(NewValue, 1);
    grid->setColumnStretch(Queried, 1);
    grid->setColumnStretch(MotionResult, 1);
}
