#include "ui/charts/TRealSlider.h"

#include <gtest/gtest.h>

#include <QTest>
#include <limits>
#include <vector>

namespace {

// A slider with every change event recorded with the position seen inside the event.
struct Recorded {
    TRealSlider slider;
    std::vector<double> seen;

    Recorded(double minimum, double maximum, double step, double position)
        : slider(minimum, maximum, step, position) {
        QObject::connect(&slider, &TRealSlider::changed,
                         [this] { seen.push_back(slider.position()); });
    }
};

}  // namespace

TEST(TRealSlider, PositionSnapsToTheStepHalfToEvenAndClamps) {
    Recorded r(1, 100, 1, 10);
    EXPECT_DOUBLE_EQ(r.slider.position(), 10);
    r.slider.setPosition(2.5);
    EXPECT_DOUBLE_EQ(r.slider.position(), 2);
    r.slider.setPosition(3.5);
    EXPECT_DOUBLE_EQ(r.slider.position(), 4);
    r.slider.setPosition(0.2);  // snaps to 0, then is raised to the minimum
    EXPECT_DOUBLE_EQ(r.slider.position(), 1);
    r.slider.setPosition(1e300);
    EXPECT_DOUBLE_EQ(r.slider.position(), 100);
    r.slider.setPosition(-std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(r.slider.position(), 1);
    r.slider.setPosition(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(r.slider.position(), 1);
    EXPECT_EQ(r.seen, (std::vector<double>{2, 4, 1, 100, 1}));

    Recorded fine(0.01, 10, 0.01, 2);
    fine.slider.setPosition(5.555);
    EXPECT_DOUBLE_EQ(fine.slider.position(), 5.56);
    // The constructor snaps and clamps too.
    EXPECT_DOUBLE_EQ(TRealSlider(10, 1000, 1, 10.4).position(), 10);
    EXPECT_DOUBLE_EQ(TRealSlider(0.01, 10, 0.01, 11).position(), 10);
}

TEST(TRealSlider, ChangeFiresOnceAndOnlyWhenTheStoredValueChanges) {
    Recorded r(0.01, 10, 0.01, 2);
    r.slider.setPosition(2);
    r.slider.setPosition(2.004);  // snaps back to 2
    EXPECT_TRUE(r.seen.empty());
    r.slider.setPosition(3);
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_DOUBLE_EQ(r.seen[0], 3);  // the event sees the new value before the setter returns
    // A handler that moves the slider again nests inside the first event.
    std::vector<double> order;
    QObject::connect(&r.slider, &TRealSlider::changed, [&] {
        order.push_back(r.slider.position());
        if (r.slider.position() == 4) r.slider.setPosition(5);
    });
    r.slider.setPosition(4);
    EXPECT_DOUBLE_EQ(r.slider.position(), 5);
    EXPECT_EQ(order, (std::vector<double>{4, 5}));
}

TEST(TRealSlider, BadRangesAreRefusedAndRangesNeverMoveThePosition) {
    Recorded r(1, 100, 1, 50);
    EXPECT_THROW(r.slider.setMinimum(100), ESliderError);
    EXPECT_THROW(r.slider.setMaximum(1), ESliderError);
    EXPECT_THROW(r.slider.setMaximum(0.5), ESliderError);
    EXPECT_THROW(r.slider.setMinimum(std::numeric_limits<double>::quiet_NaN()), ESliderError);
    EXPECT_THROW(r.slider.setStep(0), ESliderError);
    EXPECT_THROW(r.slider.setStep(-1), ESliderError);
    EXPECT_DOUBLE_EQ(r.slider.minimum(), 1);
    EXPECT_DOUBLE_EQ(r.slider.maximum(), 100);
    EXPECT_DOUBLE_EQ(r.slider.step(), 1);
    EXPECT_THROW(TRealSlider(5, 5, 1, 5), ESliderError);

    r.slider.setMaximum(10);
    r.slider.setStep(0.01);
    EXPECT_DOUBLE_EQ(r.slider.position(), 50);
    r.slider.setMinimum(60 - 100);
    EXPECT_DOUBLE_EQ(r.slider.position(), 50);
    EXPECT_TRUE(r.seen.empty());
    r.slider.setPosition(50);  // only the next setting clamps it
    EXPECT_DOUBLE_EQ(r.slider.position(), 10);
    EXPECT_EQ(r.seen.size(), 1u);
}

TEST(TRealSlider, KeysAndMouseMoveThePosition) {
    Recorded r(0, 100, 1, 50);
    r.slider.resize(212, 20);  // a groove of 200 pixels from x = 6
    QTest::keyClick(&r.slider, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(r.slider.position(), 51);
    QTest::keyClick(&r.slider, Qt::Key_PageDown);
    EXPECT_DOUBLE_EQ(r.slider.position(), 41);
    QTest::keyClick(&r.slider, Qt::Key_End);
    EXPECT_DOUBLE_EQ(r.slider.position(), 100);
    QTest::mouseClick(&r.slider, Qt::LeftButton, {}, QPoint(56, 10));
    EXPECT_DOUBLE_EQ(r.slider.position(), 25);
    QTest::mouseClick(&r.slider, Qt::LeftButton, {}, QPoint(-30, 10));
    EXPECT_DOUBLE_EQ(r.slider.position(), 0);
    EXPECT_EQ(r.seen.size(), 5u);
}
