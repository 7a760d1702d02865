#include "ring/HoverModel.h"

#include <gtest/gtest.h>

namespace {

TEST(HoverModel, OnlyTheLastPublisherCanClearTheName) {
    const QUuid a = QUuid::createUuid();
    const QUuid b = QUuid::createUuid();
    const QString nameA = QStringLiteral("Mail");
    const QString nameB = QStringLiteral("Notes");
    struct Step {
        QUuid id;
        std::optional<QString> name; // absent: the pointer left
        std::optional<QString> shownName;
        std::optional<QUuid> shownID;
        bool notifies;
    };
    const Step steps[] = {
        {a, std::nullopt, std::nullopt, std::nullopt, false}, // a "left" with nothing shown
        {a, nameA, nameA, a, true},
        {a, nameA, nameA, a, false},        // the same again changes nothing
        {b, nameB, nameB, b, true},         // straight from A onto B...
        {a, std::nullopt, nameB, b, false}, // ...and A's late "left" is harmless
        {b, std::nullopt, std::nullopt, std::nullopt, true},
    };
    HoverModel model;
    int notifications = 0;
    QObject::connect(&model, &HoverModel::changed, [&] { ++notifications; });
    int i = 0;
    for (const Step &step : steps) {
        const int before = notifications;
        model.publish(step.id, step.name);
        EXPECT_EQ(model.name(), step.shownName) << "step " << i;
        EXPECT_EQ(model.hoveredID(), step.shownID) << "step " << i;
        EXPECT_EQ(notifications - before, step.notifies ? 1 : 0) << "step " << i;
        ++i;
    }
}

} // namespace
