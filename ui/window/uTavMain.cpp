// The main window: its construction, layout, menus and status line, and the guard every
// command runs through.

#include "ui/window/uTavMain.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/ReportFile.h"
#include "core/TextUtils.h"
#include "session/uTavSession.h"
#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "stats/uTavThresholdSweep.h"
#include "table/TXMLDataSet.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/grids/GridFindBar.h"
#include "ui/grids/TavGrid.h"
#include "ui/grids/TavGridColumns.h"
#include "ui/grids/TavScoreDelegate.h"
#include "ui/grids/TavSignifDelegate.h"
#include "ui/grids/TxTableModel.h"
#include "ui/text/QtText.h"
#include "ui/window/TavIcons.h"
#include "ui/window/TavRecentFiles.h"

namespace {

constexpr int kStatusPanelWidths[5] = {300, 100, 100, 100, 70};

}  // namespace

TfrmTavMain::TfrmTavMain(TTavUiOps& ui, TReportFile& report, QWidget* parent)
    : QMainWindow(parent),
      m_ui(ui),
      m_report(report),
      m_recentFiles(std::make_unique<TRecentFiles>()) {
    TSessionHooks hooks;
    hooks.progress = [this](double fraction) { ReportProgress(fraction); };
    hooks.showMessage = [this](const std::string& text) { m_ui.showMessage(text); };
    hooks.cancelRequested = [this] { return m_cancelRequested; };
    m_session = std::make_unique<TTavSession>(std::move(hooks));

    setObjectName(QStringLiteral("frmTavMain"));
    setWindowTitle(QStringLiteral("Tav Explorer"));
    setWindowIcon(applicationIcon());
    setAcceptDrops(true);
    resize(977, 589);

    createMenus();
    createToolbar();
    createPopupMenus();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* panes = new QSplitter(Qt::Vertical, central);
    panes->setObjectName(QStringLiteral("Splitter1"));
    panes->setHandleWidth(3);
    panes->setChildrenCollapsible(false);
    layout->addWidget(panes, 1);
    setCentralWidget(central);
    createFilterPanels();
    createResultsArea();
    panes->addWidget(pnlFilterMain);
    panes->addWidget(pnlFilterCompare);
    panes->addWidget(findChild<QSplitter*>(QStringLiteral("Splitter3")));
    panes->setStretchFactor(2, 1);
    pnlFind = new TGridFindBar(central);
    layout->addWidget(pnlFind);
    createStatusArea();
    auto* progressRow = new QHBoxLayout;
    progressRow->setContentsMargins(0, 0, 0, 0);
    progressRow->addWidget(ProgressBar1, 1);
    progressRow->addWidget(btnCancelRun);
    layout->addLayout(progressRow);

    // The grid the user last worked in is the one copy and find act on.
    const std::array<QTableView*, 5> grids = {DBgrdFields, DBgrdSimpleRules, DBgrdFrequency,
                                              m_findingsTab->grdFindings, m_findingsTab->grdPairs};
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, [this, grids](QWidget*, QWidget* now) {
            for (QTableView* grid : grids) {
                if (now == grid) m_activeGrid = grid;
            }
        });

    lblUsingCompare->setText(QString());
    setWindowState(Qt::WindowMaximized);
    UpdateStatusLine();
    m_ui.processPendingEvents();
}

TfrmTavMain::~TfrmTavMain() {
    // The widgets going away below move the focus; the window no longer hears of it.
    disconnect(m_focusWatch);
    // The grids' models go before the session that owns their tables.
    for (TTavGrid* grid : {DBgrdFields, DBgrdSimpleRules, DBgrdFrequency})
        grid->setModel(nullptr);
    delete m_fieldsModel;
    delete m_rulesModel;
    delete m_frequencyModel;
}

// --- Construction -------------------------------------------------------------------------

QAction* TfrmTavMain::addCommand(QMenu* menu, const char* objectName, const char* caption,
                                 void (TfrmTavMain::*handler)()) {
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(objectName));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TfrmTavMain::createMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    addCommand(file, "Loaddatabase1", "&Load data file", &TfrmTavMain::Loaddatabase1Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(file, "Importdatafile1", "&Import data file...", &TfrmTavMain::Importdatafile1Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    addCommand(file, "OpenDatabaseTable1", "Open &database table...",
               &TfrmTavMain::OpenDatabaseTable1Click);
    addCommand(file, "OpenSession1", "&Open session...", &TfrmTavMain::OpenSession1Click);
    addCommand(file, "SaveSession1", "&Save session...", &TfrmTavMain::SaveSession1Click);
    addCommand(file, "ExportReport1", "&Export report...", &TfrmTavMain::ExportReport1Click);
    file->addSeparator();
    m_exitSeparator = file->addSeparator();
    addCommand(file, "ExitItem", "E&xit", &TfrmTavMain::ExitItemClick)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    file->setToolTipsVisible(true);
    m_fileMenu = file;
    rebuildRecentFilesMenu();

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    addCommand(edit, "CopyRows1", "&Copy rows", &TfrmTavMain::CopyRows1Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    addCommand(edit, "Find1", "&Find...", &TfrmTavMain::Find1Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu* settings = bar->addMenu(QStringLiteral("&Settings"));
    settings->setObjectName(QStringLiteral("SettingsMenu"));
    addCommand(settings, "parameterMPriorItem", "parameter m for &prior",
               &TfrmTavMain::parameterMPriorItemClick);
    addCommand(settings, "parameterMItem", "parameter &m", &TfrmTavMain::parameterMItemClick);
    addCommand(settings, "significanceItem", "&significance level (%)",
               &TfrmTavMain::significanceItemClick);

    QMenu* action = bar->addMenu(QStringLiteral("Action"));
    action->setObjectName(QStringLiteral("ActionMenu"));
    // F5 belongs to one action of the window, which also runs the findings: the menu only
    // names the key.
    addCommand(action, "ComputeEntropyGains1", "Compute entropy gains for simple rules\tF5",
               &TfrmTavMain::tlbtnAClick);
    auto* runKey = new QAction(this);
    runKey->setObjectName(QStringLiteral("RunKey1"));
    runKey->setShortcut(QKeySequence(Qt::Key_F5));
    connect(runKey, &QAction::triggered, this, &TfrmTavMain::RunKeyClick);
    addAction(runKey);
    addCommand(action, "OriginalSortingOrder1", "Original sorting order of simple rules",
               &TfrmTavMain::tlbtnBClick);

    QMenu* report = bar->addMenu(QStringLiteral("&Report"));
    report->setObjectName(QStringLiteral("ReportMenu"));
    report->setToolTipsVisible(true);
    QAction* rules =
        addCommand(report, "Simplerules1", "&Simple rules", &TfrmTavMain::Simplerules1Click);
    rules->setToolTip(QStringLiteral("Writes simple rules to the file TavGlobalRep.txt "));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpItem"));
    connect(help, &QMenu::aboutToShow, this, &TfrmTavMain::HelpItemClick);
    addCommand(help, "Chartmestimate1", "Chart m-estimate", &TfrmTavMain::Chartmestimate1Click);
    addCommand(help, "Perform1", "Perform evaluation on .csv", &TfrmTavMain::Perform1Click)
        ->setVisible(false);
    QAction* chartDb = addCommand(help, "ChartDB1", "Chart DB", &TfrmTavMain::ChartDB1Click);
    chartDb->setVisible(false);
    chartDb->setEnabled(false);
    help->addSeparator();
    addCommand(help, "ReadingTheResults1", "&Reading the results",
               &TfrmTavMain::ReadingTheResults1Click)
        ->setShortcut(QKeySequence(Qt::Key_F1));
    addCommand(help, "AboutTav1", "About Tav", &TfrmTavMain::AboutTav1Click);
}

void TfrmTavMain::createToolbar() {
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(41);
    bar->setIconSize(QSize(21, 21));
    bar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    const auto button = [&](const char* name, const QIcon& icon, const char* hint,
                            void (TfrmTavMain::*handler)()) {
        auto* b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(icon);
        b->setIconSize(QSize(21, 21));
        b->setFixedSize(27, 27);
        b->setAutoRaise(true);
        b->setToolTip(QString::fromLatin1(hint));
        connect(b, &QToolButton::clicked, this, handler);
        bar->addWidget(b);
        return b;
    };
    tlbtnA = button("tlbtnA", entropyGainIcon(), "Compute entropy gains for simple rules",
                    &TfrmTavMain::tlbtnAClick);
    tlbtnB = button("tlbtnB", sortOrderIcon(), "Original sorting order for simple rules",
                    &TfrmTavMain::tlbtnBClick);
}

void TfrmTavMain::createFilterPanels() {
    pnlFilterMain = new QFrame(this);
    pnlFilterMain->setObjectName(QStringLiteral("pnlFilterMain"));
    pnlFilterMain->setMinimumHeight(40);
    pnlFilterMain->setMaximumHeight(40);
    auto* main = new QHBoxLayout(pnlFilterMain);
    main->setContentsMargins(8, 4, 8, 4);
    main->setSpacing(8);
    auto* contextLabel = new QLabel(QStringLiteral("Context filter:"), pnlFilterMain);
    contextLabel->setToolTip(QStringLiteral("Select a set of data records for the study"));
    cmbBxContextFilter = new QComboBox(pnlFilterMain);
    cmbBxContextFilter->setObjectName(QStringLiteral("cmbBxContextFilter"));
    cmbBxContextFilter->setEditable(true);
    cmbBxContextFilter->setInsertPolicy(QComboBox::NoInsert);
    cmbBxContextFilter->setFixedWidth(561);
    cmbBxContextFilter->addItem(QStringLiteral("..."));
    cmbBxContextFilter->setCurrentIndex(-1);
    cmbBxContextFilter->clearEditText();
    cmbBxContextFilter->setEnabled(false);
    contextLabel->setBuddy(cmbBxContextFilter);
    btnUpdateContext = new QPushButton(QStringLiteral("Update context"), pnlFilterMain);
    btnUpdateContext->setObjectName(QStringLiteral("btnUpdateContext"));
    btnUpdateContext->setFixedSize(std::max(97, btnUpdateContext->sizeHint().width()), 25);
    btnUpdateContext->setEnabled(false);
    main->addWidget(contextLabel);
    main->addWidget(cmbBxContextFilter);
    main->addWidget(btnUpdateContext);
    main->addStretch(1);
    connect(cmbBxContextFilter, &QComboBox::editTextChanged, this,
            &TfrmTavMain::cmbBxContextFilterChange);
    connect(cmbBxContextFilter, &QComboBox::activated, this,
            &TfrmTavMain::cmbBxContextFilterChange);
    connect(cmbBxContextFilter->lineEdit(), &QLineEdit::returnPressed, this,
            &TfrmTavMain::contextReturnPressed);
    connect(btnUpdateContext, &QPushButton::clicked, this, &TfrmTavMain::btnUpdateContextClick);

    // The compare panel exists for the compare filters; nothing shows it.
    pnlFilterCompare = new QFrame(this);
    pnlFilterCompare->setObjectName(QStringLiteral("pnlFilterCompare"));
    pnlFilterCompare->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlFilterCompare->setMinimumHeight(61);
    auto* compare = new QGridLayout(pnlFilterCompare);
    const auto compareBox = [&](const char* name, const char* caption, const char* hint, int row) {
        auto* label = new QLabel(QString::fromLatin1(caption), pnlFilterCompare);
        label->setToolTip(QString::fromLatin1(hint));
        auto* box = new QComboBox(pnlFilterCompare);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMinimumWidth(400);
        connect(box, &QComboBox::editTextChanged, this, &TfrmTavMain::cmbBxCompare1Change);
        connect(box->lineEdit(), &QLineEdit::returnPressed, this,
                &TfrmTavMain::compareReturnPressed);
        compare->addWidget(label, row, 0);
        compare->addWidget(box, row, 1);
        for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(box)}) {
            w->setVisible(false);
            w->setEnabled(false);
        }
        return box;
    };
    cmbBxCompare1 = compareBox("cmbBxCompare1",
                               "Compare 1:", "Select the first criterion for the comparison", 0);
    cmbBxCompare2 = compareBox("cmbBxCompare2",
                               "Compare 2:", "Select the second criterion for the comparison", 1);
    btnUpdateCompare = new QPushButton(QStringLiteral("Update compare"), pnlFilterCompare);
    btnUpdateCompare->setObjectName(QStringLiteral("btnUpdateCompare"));
    lblUsingCompare = new QLabel(pnlFilterCompare);
    lblUsingCompare->setObjectName(QStringLiteral("lblUsingCompare"));
    compare->addWidget(btnUpdateCompare, 0, 2);
    compare->addWidget(lblUsingCompare, 1, 2);
    for (QWidget* w :
         {static_cast<QWidget*>(btnUpdateCompare), static_cast<QWidget*>(lblUsingCompare)}) {
        w->setVisible(false);
        w->setEnabled(false);
    }
    connect(btnUpdateCompare, &QPushButton::clicked, this, &TfrmTavMain::btnUpdateCompareClick);
    pnlFilterCompare->setVisible(false);
}

void TfrmTavMain::createResultsArea() {
    auto* results = new QSplitter(Qt::Horizontal, this);
    results->setObjectName(QStringLiteral("Splitter3"));
    results->setHandleWidth(3);
    results->setChildrenCollapsible(false);

    const auto panel = [&](const char* name, const char* caption, QLabel** captionLabel) {
        auto* frame = new QFrame(results);
        frame->setObjectName(QString::fromLatin1(name));
        auto* stack = new QStackedLayout(frame);
        stack->setStackingMode(QStackedLayout::StackAll);
        auto* label = new QLabel(QString::fromLatin1(caption), frame);
        label->setAlignment(Qt::AlignCenter);
        stack->addWidget(label);
        *captionLabel = label;
        return frame;
    };
    const auto grid = [&](const char* name, TxViewReader& table, std::vector<TGridColumn> columns,
                          TxTableModel** model) {
        auto* g = new TTavGrid(this);
        g->setObjectName(QString::fromLatin1(name));
        *model = new TxTableModel(table, std::move(columns));
        g->setGridModel(*model);
        g->setVisible(false);
        connect(g, &TTavGrid::rowMoveRequested, this,
                [this, g](int row) { gridRowMoveRequested(g, row); });
        return g;
    };

    QLabel* rulesCaption = nullptr;
    pnlRules = panel("pnlRules", "Rules ...", &rulesCaption);
    PageControl1 = new QTabWidget(pnlRules);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    DBgrdFields =
        grid("DBgrdFields", m_session->fieldsTable(), fieldsGridColumns(), &m_fieldsModel);
    DBgrdSimpleRules =
        grid("DBgrdSimpleRules", m_session->rulesTable(), rulesGridColumns(), &m_rulesModel);
    DBgrdFields->setElasticColumn(FieldsColumns::kName);
    DBgrdSimpleRules->setElasticColumn(RuleColumns::kName);
    DBgrdFields->setSortable(true);
    DBgrdSimpleRules->setSortable(true);
    DBgrdSimpleRules->setItemDelegate(new TTavScoreDelegate(
        [this] { return m_session->scoresOutdated() || m_session->scoresPartial(); },
        DBgrdSimpleRules));
    for (auto [grid, caption] :
         {std::pair{DBgrdFields, "Fields"}, std::pair{DBgrdSimpleRules, "Simple rules"}}) {
        auto* page = new QWidget(PageControl1);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(2, 2, 2, 2);
        pageLayout->addWidget(grid);
        PageControl1->addTab(page, QString::fromLatin1(caption));
    }
    static_cast<QStackedLayout*>(pnlRules->layout())->addWidget(PageControl1);
    static_cast<QStackedLayout*>(pnlRules->layout())->setCurrentWidget(PageControl1);
    rulesCaption->setVisible(false);  // covered by the tabs from the start

    pnlDisplay = panel("pnlDisplay", "Frequencies ...", &lblDisplayCaption);
    PageControl2 = new QTabWidget(pnlDisplay);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    DBgrdFrequency = grid("DBgrdFrequency", m_session->frequencyTable(), frequencyGridColumns(),
                          &m_frequencyModel);
    DBgrdFrequency->setElasticColumn(FrequencyColumns::kName);
    DBgrdFrequency->setItemDelegate(new TTavSignifDelegate(DBgrdFrequency));
    auto* page = new QWidget(PageControl2);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(2, 2, 2, 2);
    pageLayout->addWidget(DBgrdFrequency);
    PageControl2->addTab(page, QStringLiteral("Frequency"));
    m_findingsTab = new TTavFindingsTab(
        *m_session, m_ui, [this](const auto& body) { runCommand(body); }, PageControl2);
    PageControl2->addTab(m_findingsTab, QStringLiteral("Findings"));
    // A finding made active is shown where its numbers are: the Frequency table and its rule.
    connect(m_findingsTab, &TTavFindingsTab::findingActivated, this, [this, page] {
        PageControl2->setCurrentWidget(page);
        PageControl1->setCurrentWidget(DBgrdSimpleRules->parentWidget());
        DBgrdSimpleRules->scrollTo(DBgrdSimpleRules->currentIndex());
    });
    static_cast<QStackedLayout*>(pnlDisplay->layout())->addWidget(PageControl2);
    PageControl2->setEnabled(false);
    PageControl2->setVisible(false);

    wholeNameTooltips();
    markClassField();

    // Popup menus and the double click of the grids.
    for (auto [g, menu] :
         {std::pair{DBgrdFields, mnPopFields}, std::pair{DBgrdFrequency, mnPopFreq},
          std::pair{DBgrdSimpleRules, mnPopRules}}) {
        g->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(g, &QWidget::customContextMenuRequested, this,
                [this, g, menu](const QPoint& position) { gridContextMenu(g, menu, position); });
    }
    connect(DBgrdFields, &QAbstractItemView::doubleClicked, this,
            &TfrmTavMain::DBgrdFieldsDblClick);

    results->addWidget(pnlRules);
    results->addWidget(pnlDisplay);
    results->setStretchFactor(1, 1);
    // The design's 433 pixels, or more when the grids' font needs more for the columns of the
    // Fields grid, the tab shown first, and its vertical scroll bar.
    int fieldsWidth = DBgrdFields->verticalHeader()->width() + 2 * DBgrdFields->frameWidth() +
                      DBgrdFields->verticalScrollBar()->sizeHint().width() + 8;
    for (int c = 0; c < m_fieldsModel->columnCount(); ++c)
        fieldsWidth += DBgrdFields->columnWidth(c);
    results->setSizes({std::max(433, fieldsWidth), 544});
}

void TfrmTavMain::markClassField() {
    m_fieldsModel->setMarkedRows(
        [this](int row) {
            const TxValue number = m_session->fieldsTable().valueAt(row, FieldsColumns::kNo);
            return m_session->CurrentData() != nullptr && !number.isNull() &&
                   number.toInteger() == m_session->classField();
        },
        FieldsColumns::kName, classFieldIcon());
}

void TfrmTavMain::wholeNameTooltips() {
    // The result tables hold names cut to their Name field; the session has them whole.
    const auto tooltip = [](const std::optional<std::string>& name) {
        return name ? qtText(*name) : QString();
    };
    m_rulesModel->setWholeText(RuleColumns::kName, [this, tooltip](int row) {
        return tooltip(m_session->wholeRuleName(row));
    });
    m_frequencyModel->setWholeText(FrequencyColumns::kName, [this, tooltip](int row) {
        return tooltip(m_session->wholeClassValueName(row));
    });
}

void TfrmTavMain::createPopupMenus() {
    mnPopFreq = new QMenu(this);
    mnPopFreq->setObjectName(QStringLiteral("mnPopFreq"));
    addCommand(mnPopFreq, "allRowsItem", "Select &all rows", &TfrmTavMain::allRowsItemClick);
    mnPopFreq->addSeparator();
    addCommand(mnPopFreq, "RemoveActiveRowItem", "&Remove active row",
               &TfrmTavMain::RemoveActiveRowItemClick);
    addCommand(mnPopFreq, "removeToLastItem", "remove from active row to &Last",
               &TfrmTavMain::removeToLastItemClick);
    addCommand(mnPopFreq, "removeToFirstItem", "remove from active row to &First",
               &TfrmTavMain::removeToFirstItemClick);
    mnPopFreq->addSeparator();
    addCommand(mnPopFreq, "ShowBeta1", "&Show Beta", &TfrmTavMain::ShowBeta1Click);
    mnPopFreq->addSeparator();
    addCommand(mnPopFreq, "Copy1", "&Copy", &TfrmTavMain::Copy1Click);

    mnPopFields = new QMenu(this);
    mnPopFields->setObjectName(QStringLiteral("mnPopFields"));
    addCommand(mnPopFields, "Makeactivefieldtheclass1", "&Make active field the class",
               &TfrmTavMain::Makeactivefieldtheclass1Click);
    mnPopFields->addSeparator();
    addCommand(mnPopFields, "Select1", "&Select", &TfrmTavMain::Select1Click);
    addCommand(mnPopFields, "selectAll1", "select &All", &TfrmTavMain::selectAll1Click);
    addCommand(mnPopFields, "Deselect1", "&Deselect", &TfrmTavMain::Deselect1Click);
    addCommand(mnPopFields, "deselectaLl1", "deselect a&Ll", &TfrmTavMain::deselectaLl1Click);
    mnPopFields->addSeparator();
    QAction* sweep = addCommand(mnPopFields, "ThresholdSweep1", "&Threshold sweep...",
                                &TfrmTavMain::ThresholdSweep1Click);
    mnPopFields->addSeparator();
    addCommand(mnPopFields, "ExportFieldsCsv1", "Export as &CSV...",
               &TfrmTavMain::ExportFieldsCsv1Click);
    addCommand(mnPopFields, "ExportFieldsTsv1", "Export as &TSV...",
               &TfrmTavMain::ExportFieldsTsv1Click);

    mnPopRules = new QMenu(this);
    mnPopRules->setObjectName(QStringLiteral("mnPopRules"));
    addCommand(mnPopRules, "ExportRulesCsv1", "Export as &CSV...",
               &TfrmTavMain::ExportRulesCsv1Click);
    addCommand(mnPopRules, "ExportRulesTsv1", "Export as &TSV...",
               &TfrmTavMain::ExportRulesTsv1Click);
    // Only a field with thresholds (INT, REAL, CURRENCY) other than the class can be swept.
    connect(mnPopFields, &QMenu::aboutToShow, this, [this, sweep] {
        const TBaza* data = m_session->CurrentData();
        const int field = m_session->activeFieldNumber();
        sweep->setEnabled(data != nullptr && field != m_session->classField() &&
                          HasThresholds(*data, field));
    });
}

void TfrmTavMain::createStatusArea() {
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(16);
    btnCancelRun = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancelRun->setObjectName(QStringLiteral("btnCancelRun"));
    btnCancelRun->setToolTip(
        QStringLiteral("Stop the entropy-gain run (Esc); the scores computed so far stay"));
    btnCancelRun->setVisible(false);
    // Not a command: it only asks the running one to stop at its next question.
    connect(btnCancelRun, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TfrmTavMain::escapePressed);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // The design's widths, wider only where the font is too big for a setting's text.
        const int needed =
            i >= 1 && i <= 3 ? panel->fontMetrics().horizontalAdvance("m(prior) = 000.00") + 10 : 0;
        // The last panel, the note on outdated scores, takes the room that is left.
        if (i < 4) {
            panel->setFixedWidth(std::max(kStatusPanelWidths[i], needed));
        } else {
            panel->setMinimumWidth(kStatusPanelWidths[i]);
        }
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setContentsMargins(3, 0, 3, 0);
        bar->addWidget(panel, i < 4 ? 0 : 1);
        StatusBar1[i] = panel;
    }
}

// --- Progress and status line ---------------------------------------------------------------

void TfrmTavMain::ReportProgress(double fraction) {
    // A repaint per report made the ranking half as slow again as the same run without a window.
    if (!m_progressPacer.due(fraction)) return;
    const int span = ProgressBar1->maximum() - ProgressBar1->minimum();
    ProgressBar1->setValue(ProgressBar1->minimum() +
                           static_cast<int>(std::lround(span * std::clamp(fraction, 0.0, 1.0))));
    m_ui.processPendingEvents();
}

void TfrmTavMain::UpdateStatusLine() {
    // A database's table is known by its source, not by the program's own copy.
    const auto& database = m_session->databaseSource();
    m_statusTexts[0] = database ? QString::fromStdString(displayText(*database))
                                : QFile::decodeName(m_session->DataFileName().c_str());
    auto shown = [](TSetting setting) {
        return qtText(realToText(0, 2, TTavSession::setting(setting)));
    };
    m_statusTexts[1] = QStringLiteral("m(prior) = ") + shown(TSetting::MPrior);
    m_statusTexts[2] = QStringLiteral("m = ") + shown(TSetting::MParam);
    m_statusTexts[3] = QStringLiteral("signif = ") + shown(TSetting::SignificancePct) + "%";
    for (int i = 0; i < 4; ++i) {
        QLabel* panel = StatusBar1[i];
        const int room = panel->maximumWidth() - 12;
        // A long path keeps its end, the file's own name, in view.
        panel->setText(panel->fontMetrics().elidedText(m_statusTexts[i], Qt::ElideLeft, room));
        panel->setToolTip(i == 0 ? m_statusTexts[0] : QString());
    }
    // Scores greyed in the rules grid say here why: a cancelled run, or what they were computed
    // under; otherwise the panel names where the previous run's report was kept.
    if (m_session->scoresPartial()) {
        m_statusTexts[4] = qtText(m_session->partialRankingText());
    } else if (m_session->scoresOutdated()) {
        m_statusTexts[4] = qtText(m_session->scoresComputedUnder()) +
                           QStringLiteral(" (outdated: run the entropy gains again)");
    } else {
        m_statusTexts[4] = qtText(m_report.startNote());
    }
    StatusBar1[4]->setText(m_statusTexts[4]);
    StatusBar1[4]->setToolTip(m_statusTexts[4]);
    DBgrdSimpleRules->viewport()->update();
}

QString TfrmTavMain::statusPanelText(int panel) const {
    return m_statusTexts.at(panel);
}

// --- Command guard ------------------------------------------------------------------------

void TfrmTavMain::runCommand(const std::function<void()>& body) {
    // A command started from inside another one (pending events, a message box) is ignored.
    if (m_busy) return;
    m_busy = true;
    runGuarded(m_ui, body);
    m_busy = false;
    afterCommand();
}

void TfrmTavMain::afterCommand() {
    runGuarded(m_ui, [this] {
        syncWidgets();
        UpdateStatusLine();
    });
    if (auto* findings = findChild<TTavFindingsTab*>()) findings->sessionChanged();
    if (m_contextEditDeferred) {
        m_contextEditDeferred = false;
        cmbBxContextFilterChange();
    }
    if (m_closeRequested) {
        m_closeRequested = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TfrmTavMain::closeEvent(QCloseEvent* event) {
    if (m_busy) {
        // Closed while a command runs: the window closes when it has ended.
        m_closeRequested = true;
        event->ignore();
        return;
    }
    event->accept();
    emit terminateRequested();
}
