#include "ui/grids/TavSignifDelegate.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <algorithm>

#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "ui/grids/TxTableModel.h"

namespace {

// One frequency row whose "Signif" is `signif`, drawn cell by cell into a picture.
class SignifDelegateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        model.setColumnCount(FrequencyColumns::kSignif + 1);
        model.setRowCount(1);
    }
    void TearDown() override { resetStatSettings(); }

    void setSignif(double signif) {
        for (int c : {int(FrequencyColumns::kEntropyChange), int(FrequencyColumns::kSignif)}) {
            model.setData(model.index(0, c), signif, TxTableModel::kRawValueRole);
            model.setData(model.index(0, c), QString::number(signif, 'f', 3), Qt::DisplayRole);
        }
    }
    // The cell of `column` drawn on a 60 x 20 picture.
    QImage draw(int column, bool selected) {
        QImage image(60, 20, QImage::Format_RGB32);
        image.fill(Qt::green);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = image.rect();
        option.palette.setColor(QPalette::Base, Qt::white);
        option.palette.setColor(QPalette::Text, Qt::black);
        option.state =
            QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
        delegate.paint(&painter, option, model.index(0, column));
        return image;
    }
    // Whether any pixel leans clearly towards `colour` (antialiased text mixes it with the
    // background).
    static bool has(const QImage& image, QColor colour) {
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                if (colour == QColor(Qt::black)) {
                    if (std::max({p.red(), p.green(), p.blue()}) < 80) return true;
                    continue;
                }
                if (colour == QColor(Qt::white)) {
                    if (std::min({p.red(), p.green(), p.blue()}) > 190) return true;
                    continue;
                }
                const int self = colour.red() ? p.red() : p.blue();
                const int others =
                    colour.red() ? std::max(p.green(), p.blue()) : std::max(p.red(), p.green());
                if (self > others + 60) return true;
            }
        }
        return false;
    }

    QStandardItemModel model;
    TTavSignifDelegate delegate;
};

}  // namespace

TEST_F(SignifDelegateTest, SignificantRowsShowTheirColourAndInvertWhenHighlighted) {
    setSignif(0.96);  // above 1 - 5 %: blue
    const QImage plain = draw(FrequencyColumns::kSignif, false);
    EXPECT_EQ(plain.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_TRUE(has(plain, QColor(0, 0, 255)));
    const QImage highlighted = draw(FrequencyColumns::kEntropyChange, true);
    EXPECT_EQ(highlighted.pixelColor(1, 1), QColor(0, 0, 255));
    EXPECT_TRUE(has(highlighted, Qt::white));

    setSignif(0.01);  // below 5 %: red
    EXPECT_TRUE(has(draw(FrequencyColumns::kEntropyChange, false), QColor(255, 0, 0)));
}

TEST_F(SignifDelegateTest, InsignificantRowsAndOtherColumnsKeepTheDefaultColours) {
    setSignif(0.5);
    const QImage plain = draw(FrequencyColumns::kSignif, false);
    EXPECT_FALSE(has(plain, QColor(0, 0, 255)));
    EXPECT_FALSE(has(plain, QColor(255, 0, 0)));
    EXPECT_TRUE(has(plain, Qt::black));

    // With s = 0 no value between 0 and 1 is coloured; with s = 250 every one is.
    SignificancePct = 0;
    setSignif(0.999);
    EXPECT_FALSE(has(draw(FrequencyColumns::kSignif, false), QColor(0, 0, 255)));
    SignificancePct = 250;
    setSignif(0.5);
    EXPECT_TRUE(has(draw(FrequencyColumns::kSignif, false), QColor(0, 0, 255)));

    EXPECT_EQ(TTavSignifDelegate::cellColors(0.96, true, QPalette(Qt::black, Qt::white)).second,
              QColor(0, 0, 255));
    // A column that is not coloured is drawn by the default delegate: no blue anywhere.
    EXPECT_FALSE(has(draw(FrequencyColumns::kProbability, false), QColor(0, 0, 255)));
}

// The grid asks the row's number and counts: the "Total" row (No. -1) and a class value without
// records in either population stay uncoloured, the "Sub-total" row (No. 128) keeps its colour.
TEST_F(SignifDelegateTest, RowsWithoutEvidenceAreNotColoured) {
    const auto setRow = [&](int number, int frequency, int condFrequency, double signif) {
        setSignif(signif);
        model.setData(model.index(0, FrequencyColumns::kNo), number, TxTableModel::kRawValueRole);
        model.setData(model.index(0, FrequencyColumns::kFrequency), frequency,
                      TxTableModel::kRawValueRole);
        model.setData(model.index(0, FrequencyColumns::kCondFrequency), condFrequency,
                      TxTableModel::kRawValueRole);
    };
    setRow(-1, 40, 10, 0.0);  // Total: its Signif is a fixed 0
    EXPECT_FALSE(has(draw(FrequencyColumns::kSignif, false), QColor(255, 0, 0)));
    setRow(6, 0, 0, 0.004);  // no records anywhere
    EXPECT_FALSE(has(draw(FrequencyColumns::kEntropyChange, false), QColor(255, 0, 0)));
    setRow(128, 30, 7, 0.004);  // Sub-total
    EXPECT_TRUE(has(draw(FrequencyColumns::kSignif, false), QColor(255, 0, 0)));
    setRow(3, 0, 2, 0.004);  // records under the rule only
    EXPECT_TRUE(has(draw(FrequencyColumns::kSignif, false), QColor(255, 0, 0)));
}
