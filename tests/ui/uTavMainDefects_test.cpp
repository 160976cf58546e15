// Defects met by users of the main window: filters left pending by Enter, the clipboard heading,
// the first "&Show Beta", window captions, files that are not regular files and loads that
// yield nothing.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <cstring>

#include "core/LocaleFormat.h"
#include "stats/uTavResultTables.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/charts/TRealSlider.h"
#include "ui/charts/uChartM.h"
#include "ui/dialogs/TavQtUiOps.h"
#include "ui/text/QtText.h"
#include "ui/text/TavLocale.h"
#include "ui/window/TavApplication.h"

namespace {

const std::string kWarning = "Warning: Filter and/or Compare expressions should be updated.";

// Types `text` into a filter box as a user does and presses Enter.
void typeAndEnter(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
    QTest::keyClicks(box->lineEdit(), text);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    // What the box posts in answer to Enter (its completer) arrives as well.
    QCoreApplication::processEvents();
}

}  // namespace

TEST_F(MainWindowTest, EnterLeavesTheContextApplied) {
    load(sample);
    // A new expression, then one already in the list (Enter picks the equal item).
    for (const QString& text :
         {QStringLiteral("SEX,1,="), QStringLiteral("AGE,2,>"), QStringLiteral("SEX,1,=")}) {
        typeAndEnter(window->cmbBxContextFilter, text);
        EXPECT_FALSE(window->btnUpdateContext->isEnabled()) << text.toStdString();
        EXPECT_FALSE(window->session().contextPending()) << text.toStdString();
        EXPECT_EQ(window->session().contextInput().text, text.toStdString());
        moveGrid(window->DBgrdSimpleRules, 3);
        moveGrid(window->DBgrdSimpleRules, 4);
    }
    window->tlbtnA->click();
    EXPECT_EQ(ui.count(kWarning), 0);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, EnterInACompareBoxAppliesTheCompareExpressions) {
    load(sample);
    for (QComboBox* box : {window->cmbBxCompare1, window->cmbBxCompare2}) {
        typeAndEnter(box, "SEX,1,=");
        typeAndEnter(box, "SEX,1,=");
        EXPECT_EQ(box->count(), 1) << box->objectName().toStdString();
    }
    EXPECT_EQ(window->session().compare1Input().history, std::vector<std::string>{"SEX,1,="});
    EXPECT_EQ(window->session().usingCompareText(), "Using compare filters");
    EXPECT_FALSE(window->session().comparePending());
    moveGrid(window->DBgrdSimpleRules, 3);
    EXPECT_EQ(ui.count(kWarning), 0);
}

// The clipboard heading in several locales: the date and time texts carry no pattern letters.
TEST_F(MainWindowTest, ClipboardHeadingHasNoStrayPatternLetters) {
    load(sample);
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::Slovenian, QLocale::Slovenia),
                               QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::German, QLocale::Germany),
                               QLocale(QLocale::Chinese, QLocale::China)};
    // Digits and separators, then " ob ", then the time, with AM/PM at most.
    const QRegularExpression heading(
        QStringLiteral(R"(^Seznam vlog   \(obdelava: [0-9./\- ]+ ob [0-9:. ]+(AM|PM|am|pm)?\)$)"));
    for (const QLocale& locale : locales) {
        fillLocaleFormat(locale);
        ui.answers.push_back("Seznam vlog");
        trigger("Copy1");
        const QStringList lines = qtText(ui.clipboard).split("\r\n");
        ASSERT_GT(lines.size(), 2);
        EXPECT_TRUE(heading.match(lines[1].trimmed()).hasMatch())
            << locale.name().toStdString() << ": " << lines[1].toStdString();
    }
    localeFormat() = TLocaleFormat{};
}

// The first "&Show Beta" of a run shows the row's captured parameters, not a rescaled copy.
TEST_F(MainWindowTest, FirstShowBetaShowsTheCapturedParameters) {
    TTavQtUiOps chartOps;
    TfrmChartM chart(chartOps);
    window->setChartHooks({{}, [&](const TChartParams& p) { chart.ShowBeta(p); }, {}, {}});
    load(sample);
    makeClass(kLoanField);
    moveGrid(window->DBgrdFrequency, 1);
    for (int showing = 0; showing < 2; ++showing) {
        trigger("ShowBeta1");
        const TChartParams& captured = window->session().chartParams();
        ASSERT_GT(captured.ChartAlpha2 + captured.ChartBeta2, 200)
            << "a row beyond the start range";
        EXPECT_NEAR(chart.firstBeta().Alpha, captured.ChartAlpha1, 0.005) << showing;
        EXPECT_NEAR(chart.firstBeta().Beta, captured.ChartBeta1, 0.005) << showing;
        EXPECT_NEAR(chart.secondBeta().Alpha, captured.ChartAlpha2, 0.005) << showing;
        EXPECT_NEAR(chart.secondBeta().Beta, captured.ChartBeta2, 0.005) << showing;
        EXPECT_NEAR(chart.OvcSliderMTwo->position(), captured.ChartAlpha2 + captured.ChartBeta2,
                    0.005);
    }
    chart.hide();
}

// Files that are not regular files are refused with what they are; nothing waits on a pipe.
TEST_F(MainWindowTest, OnlyRegularFilesAreLoaded) {
    load(sample);
    const TBaza* data = window->session().CurrentData();
    const std::string pipe = dir.file("pipe.CSV");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string socketPath = dir.file("socket.CSV");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    const std::string folder = dir.file("folder.CSV");
    std::filesystem::create_directory(folder);

    const std::pair<std::string, std::string> cases[] = {
        {pipe, "is a named pipe"}, {socketPath, "is a socket"}, {folder, "is a folder"}};
    for (const auto& [path, what] : cases) {
        ui.errors.clear();
        load(path);
        ASSERT_EQ(ui.errors.size(), 1u) << path;
        EXPECT_NE(ui.errors[0].find(what), std::string::npos) << ui.errors[0];
        EXPECT_EQ(ui.errors[0].find("does not exist"), std::string::npos) << ui.errors[0];
        EXPECT_EQ(window->session().CurrentData(), data);
    }
    ::close(fd);

    // A file that exists but cannot be opened gives the system's reason.
    if (geteuid() != 0) {
        const std::string locked = copySample("locked.CSV");
        ASSERT_EQ(chmod(locked.c_str(), 0), 0);
        ui.errors.clear();
        load(locked);
        ASSERT_EQ(ui.errors.size(), 1u);
        EXPECT_NE(ui.errors[0].find(std::strerror(EACCES)), std::string::npos) << ui.errors[0];
        EXPECT_EQ(window->session().CurrentData(), data);
    }
}

// A load that gives no fields fails with its message and the previous table stays.
TEST_F(MainWindowTest, ALoadThatYieldsNothingKeepsThePreviousTable) {
    load(sample);
    const TBaza* data = window->session().CurrentData();
    const int rows = window->DBgrdFields->model()->rowCount();
    const std::string asp =
        dir.write("kind.CSV", "TAV DATA:0/ASP/1250\nA;B\nSET:1..2;INT:1..3\n1;2\n");
    const std::string noNames = dir.write("nonames.CSV", "TAV DATA:0/TXT/1250\n");
    for (const std::string& path : {asp, noNames}) {
        ui.errors.clear();
        load(path);
        ASSERT_EQ(ui.errors.size(), 1u) << path;
        EXPECT_EQ(window->session().CurrentData(), data) << path;
        EXPECT_EQ(window->DBgrdFields->model()->rowCount(), rows) << path;
        EXPECT_EQ(window->statusPanelText(0).toStdString(), sample);
    }
}

// The platform appends the application's display name to every caption that lacks it; none is
// set, so the secondary windows show their bare captions.
TEST_F(MainWindowTest, WindowCaptionsAreTheBareTexts) {
    const QString before = QGuiApplication::applicationName();
    configureApplication();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    TTavQtUiOps chartOps;
    TfrmChartM chart(chartOps);
    EXPECT_EQ(chart.windowTitle(), "Chart m-estimate");
    EXPECT_EQ(window->windowTitle(), "Tav Explorer");
    QCoreApplication::setApplicationName(before);
}
