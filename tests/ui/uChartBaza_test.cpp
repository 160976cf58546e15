#include "ui/charts/uChartBaza.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/LocaleFormat.h"
#include "stats/uTavSets.h"
#include "tests/support/InjectedFault.h"
#include "ui/charts/ChartDrawingSurface.h"
#include "ui/dialogs/TavUiOps.h"

namespace {

// User-interface operations that record the messages and answer the save dialog.
class TBazaScriptedOps : public TTavUiOps {
  public:
    std::vector<std::string> messages;
    std::optional<std::string> savePath;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> inputQuery(const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return savePath;
    }
    void processPendingEvents() override {}
    void setClipboardText(const std::string&) override {}
};

// A loaded table with its record sets.
struct TLoaded {
    TBaza data;
    TSetCatalogue sets;

    explicit TLoaded(const std::string& text) {
        data.loadDataBytes(text, "t.csv", dfkFromHeader, cpUnknown);
        BuildSets(data, sets, kAllSetLists, 2.0);
    }
};

// A table of the given field names and types whose record r has the code r mod `codes` + `low`
// in every field.
std::unique_ptr<TLoaded> table(const std::string& names, const std::string& types, int fields,
                               int records, int codes, int low) {
    std::string text = "TAV DATA:0/TXT/1250\n" + names + "\n" + types + "\n";
    for (int r = 0; r < records; ++r) {
        for (int i = 0; i < fields; ++i) {
            if (i > 0) text += ";";
            text += std::to_string(r % codes + low);
        }
        text += "\n";
    }
    return std::make_unique<TLoaded>(text);
}

QRgb at(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kMaroon = qRgb(128, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);

// The y of the first pixel row of record r.
int rowOf(int r) {
    return 30 + 3 * r;
}

bool anyDark(const QImage& image, int x0, int y0, int x1, int y1) {
    for (int x = x0; x <= x1; ++x) {
        for (int y = y0; y <= y1; ++y) {
            if (qGray(image.pixel(x, y)) < 128) return true;
        }
    }
    return false;
}

class ChartBaza : public ::testing::Test {
  protected:
    TBazaScriptedOps ops;
    TfrmChartBaza window{ops};
    const QImage& image() { return window.imgBaza->image(); }
};

}  // namespace

TEST_F(ChartBaza, OneSetFieldOfThreeCodes) {
    const auto loaded = table("A", "SET:1..3", 1, 100, 3, 1);
    window.setData(&loaded->data);
    EXPECT_EQ(image().size(), QSize(900, 1900));
    EXPECT_EQ(at(image(), 0, 0), kWhite);
    window.FormShow();
    EXPECT_EQ(window.layoutOfPicture().FieldColumnX[0], 15);
    EXPECT_EQ(window.layoutOfPicture().left, 4);
    EXPECT_EQ(window.layoutOfPicture().right, 35);
    // Code 1 (aqua) in column 15..17 for record 0, code 2 (fuchsia) in 18..20 for record 1.
    EXPECT_EQ(at(image(), 15, rowOf(0)), qRgb(0, 255, 255));
    EXPECT_EQ(at(image(), 17, rowOf(0) + 2), qRgb(0, 255, 255));
    EXPECT_EQ(at(image(), 18, rowOf(0)), kWhite);
    EXPECT_EQ(at(image(), 18, rowOf(1)), qRgb(255, 0, 255));
    EXPECT_EQ(at(image(), 21, rowOf(2) + 1), qRgb(0, 255, 0));
    EXPECT_EQ(at(image(), 24, rowOf(2)), kWhite);  // the separator's first column
    // Silver dots only for records 11..64: in a value column where a + b is even.
    EXPECT_EQ(at(image(), 18, rowOf(11)), kSilver);  // record 11 has code 3
    EXPECT_EQ(at(image(), 19, rowOf(11)), kWhite);
    EXPECT_EQ(at(image(), 19, rowOf(11) + 1), kSilver);
    EXPECT_EQ(at(image(), 18, rowOf(9)), kWhite);
    EXPECT_EQ(at(image(), 18, rowOf(65)), kWhite);
    // The separators: dots at x + 1, x + 3, x + 7, x + 9 and the maroon line at x + 5.
    for (const int x : {4, 24}) {
        EXPECT_EQ(at(image(), x + 5, rowOf(0)), kMaroon) << x;
        EXPECT_EQ(at(image(), x + 5, rowOf(99) + 2), kMaroon) << x;
        EXPECT_EQ(at(image(), x + 1, rowOf(11)), kSilver) << x;
        EXPECT_EQ(at(image(), x + 9, rowOf(64) + 2), kSilver) << x;
        EXPECT_EQ(at(image(), x + 2, rowOf(11)), kWhite) << x;
        EXPECT_EQ(at(image(), x + 1, rowOf(65)), kWhite) << x;
    }
    EXPECT_EQ(at(image(), 9, rowOf(100)), kWhite);
    // The band: lines at y 13 and 28 from x 4 to 35, the index 0 written from (15, 15).
    EXPECT_EQ(at(image(), 4, 13), kBlack);
    EXPECT_EQ(at(image(), 35, 28), kBlack);
    EXPECT_EQ(at(image(), 36, 13), kWhite);
    EXPECT_EQ(at(image(), 3, 28), kWhite);
    EXPECT_TRUE(anyDark(image(), 15, 15, 24, 27));
    EXPECT_FALSE(anyDark(image(), 5, 14, 14, 27));
    EXPECT_FALSE(anyDark(image(), 15, 14, 34, 14));
}

TEST_F(ChartBaza, FieldQueryInsideTheBandOnly) {
    // Field 1 is a STRING field and is not drawn; field 2 starts at 15 + 6 + 11 = 32.
    const auto loaded = std::make_unique<TLoaded>(
        "TAV DATA:0/TXT/1250\nA;B;C\nSET:1..2;STRING;INT:0..1\n1;x;0\n2;y;1\n");
    window.setData(&loaded->data);
    window.FormShow();
    EXPECT_EQ(window.layoutOfPicture().FieldColumnX[1], -1);
    EXPECT_EQ(window.layoutOfPicture().FieldColumnX[2], 32);
    EXPECT_EQ(window.layoutOfPicture().right, 49);
    window.imgBazaDblClick(QPoint(20, 20));
    window.imgBazaDblClick(QPoint(32, 14));  // a column's own x is not "before" it
    window.imgBazaDblClick(QPoint(33, 27));
    window.imgBazaContextPopup(QPoint(40, 20));
    EXPECT_EQ(ops.messages,
              (std::vector<std::string>{"20 20 0", "32 14 0", "33 27 2", "Right: 40 20 2"}));
    ops.messages.clear();
    for (const QPoint p :
         {QPoint(20, 13), QPoint(20, 28), QPoint(4, 20), QPoint(49, 20), QPoint(20, 100)}) {
        window.imgBazaDblClick(p);
        window.imgBazaContextPopup(p);
    }
    EXPECT_TRUE(ops.messages.empty());
}

TEST_F(ChartBaza, LongIndexesOfNarrowFieldsNeverOverlap) {
    // 100 STRING fields take no room, so the indexes 100..119 of one-code SET fields come 14
    // pixels apart, closer than three digits are wide.
    std::string names;
    std::string types;
    for (int i = 0; i < 120; ++i) {
        names += (i ? ";F" : "F") + std::to_string(i);
        types += std::string(i ? ";" : "") + (i < 100 ? "STRING" : "SET:1..1");
    }
    const auto loaded = table(names, types, 120, 5, 1, 1);
    window.setData(&loaded->data);
    window.FormShow();
    const TBazaLayout& layout = window.layoutOfPicture();
    EXPECT_EQ(layout.FieldColumnX[100], 15);
    EXPECT_EQ(layout.FieldColumnX[119], 15 + 19 * 14);
    const std::vector<TIndexLabel>& written = layout.IndexLabels;
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written[0].field, 100);
    EXPECT_EQ(written[0].box.left, 15);
    EXPECT_EQ(written[0].box.top, 15);
    EXPECT_GT(written.size(), 5u);
    EXPECT_LT(written.size(), 20u);
    for (size_t k = 0; k < written.size(); ++k) {
        const TPixelRect& box = written[k].box;
        EXPECT_EQ(box.left, layout.FieldColumnX[written[k].field]) << k;
        EXPECT_GT(box.top, TBazaLayout::kTop);
        EXPECT_LE(box.bottom(), TBazaLayout::kBottom);
        if (k > 0) {
            EXPECT_GT(box.left, written[k - 1].box.right()) << k;
        }
        // Nothing dark between this index and the next one written.
        const int gapEnd = k + 1 < written.size() ? written[k + 1].box.left - 1 : 400;
        EXPECT_FALSE(anyDark(image(), box.right() + 1, 14, gapEnd, 27)) << k;
    }
    // The band's query still finds every field, written or not.
    window.imgBazaDblClick(QPoint(15 + 14 + 1, 20));
    window.imgBazaDblClick(QPoint(15 + 19 * 14 + 1, 20));
    EXPECT_EQ(ops.messages, (std::vector<std::string>{"30 20 101", "282 20 119"}));
}

TEST_F(ChartBaza, NothingIsDrawnBeyondTheSurface) {
    // 700 records reach past the bottom edge; 40 fields of 5 codes (26 pixels each) past the right.
    std::string names;
    std::string types;
    for (int i = 0; i < 40; ++i) {
        names += (i ? ";F" : "F") + std::to_string(i);
        types += i ? ";SET:1..5" : "SET:1..5";
    }
    const auto loaded = table(names, types, 40, 700, 5, 1);
    window.setData(&loaded->data);
    window.FormShow();
    const TBazaLayout& layout = window.layoutOfPicture();
    EXPECT_EQ(layout.right, 15 + 40 * 26);
    EXPECT_EQ(layout.FieldColumnX[39], 15 + 39 * 26);
    // Row 623 has its first pixel row on the surface's last one; it shows record 698 of the
    // sample (code 4, blue).
    EXPECT_EQ(at(image(), 15 + 9, 1899), qRgb(0, 0, 255));
    EXPECT_EQ(at(image(), 15 + 34 * 26, rowOf(0)), qRgb(0, 255, 255));
    // A click past the last visible column finds the last field that starts before it.
    window.imgBazaDblClick(QPoint(899, 20));
    EXPECT_EQ(ops.messages, (std::vector<std::string>{"899 20 33"}));
}

TEST_F(ChartBaza, MoreRecordsThanRowsShowAnEvenSampleAndSaySo) {
    const TLocaleFormat saved = localeFormat();
    localeFormat() = TLocaleFormat{};
    // 1,248 records in 624 rows: row i shows record 2i, always code 1 (aqua); the odd records,
    // code 2, are never drawn.
    const auto wide = table("A", "SET:1..2", 1, 1248, 2, 1);
    window.setData(&wide->data);
    window.FormShow();
    EXPECT_EQ(window.layoutOfPicture().Records.rows(), 624);
    for (const int row : {0, 1, 2, 311, 623}) {
        EXPECT_EQ(at(image(), 15, rowOf(row)), qRgb(0, 255, 255)) << row;
        EXPECT_EQ(at(image(), 18, rowOf(row)), row >= 11 && row <= 64 ? kSilver : kWhite) << row;
    }
    EXPECT_EQ(window.lblRecordSample->text(),
              "624 of 1,248 records shown, evenly spaced (one in 2)");
    // The separator runs through every row and no further.
    EXPECT_EQ(at(image(), 9, 1899), kMaroon);

    // A table that fits draws every record in its row and says nothing.
    window.imgBaza->image().fill(Qt::white);
    const auto narrow = table("A", "SET:1..2", 1, 624, 2, 1);
    window.setData(&narrow->data);
    window.FormShow();
    EXPECT_FALSE(window.layoutOfPicture().Records.sampled());
    EXPECT_EQ(at(image(), 15, rowOf(1)), kWhite);
    EXPECT_EQ(at(image(), 18, rowOf(1)), qRgb(255, 0, 255));
    EXPECT_EQ(at(image(), 18, rowOf(623)), qRgb(255, 0, 255));
    EXPECT_EQ(window.lblRecordSample->text(), "");
    EXPECT_TRUE(ops.messages.empty());
    localeFormat() = saved;
}

TEST_F(ChartBaza, EveryShowingDrawsOverWhatIsThere) {
    const auto first = table("A", "SET:1..3", 1, 100, 3, 1);
    window.setData(&first->data);
    window.show();
    EXPECT_EQ(at(image(), 15, rowOf(99)), qRgb(0, 255, 255));  // record 99 has code 1
    window.hide();
    // A smaller table: the earlier picture stays below the new one.
    const auto second = table("A", "SET:1..3", 1, 20, 3, 2);
    window.setData(&second->data);
    window.show();
    EXPECT_EQ(at(image(), 15, rowOf(0)), qRgb(0, 255, 255));  // code 2 is not in column 15
    EXPECT_EQ(at(image(), 18, rowOf(0)), qRgb(255, 0, 255));
    EXPECT_EQ(at(image(), 15, rowOf(99)), qRgb(0, 255, 255));
    window.hide();
    // Without a table nothing is drawn and nothing fails.
    window.setData(nullptr);
    window.show();
    window.hide();
    EXPECT_TRUE(ops.messages.empty());
}

TEST_F(ChartBaza, SavePictureAsPng) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("table.png");
    ops.savePath = QFile::encodeName(path).toStdString();
    window.saveChartAsPng();
    EXPECT_EQ(QImage(path).size(), QSize(900, 1900));
    ops.savePath = QFile::encodeName(dir.filePath("no/such/dir.png")).toStdString();
    window.saveChartAsPng();
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0].rfind("Cannot write the picture to ", 0), 0u);

    // A disk that fills up leaves the earlier picture as it was and nothing beside it.
    QFile::remove(path);
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
    earlier.close();
    ops.savePath = QFile::encodeName(path).toStdString();
    {
        const InjectedFault full(TWriteStep::Write, ENOSPC);
        window.saveChartAsPng();
    }
    ASSERT_EQ(ops.messages.size(), 2u);
    EXPECT_NE(ops.messages[1].find("No space left on device"), std::string::npos);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"table.png"});
}
