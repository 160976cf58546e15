#include "ui/findings/uTavFindingsTab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/uTavObj.h"
#include "session/uTavSession.h"
#include "stats/PairFindingsText.h"
#include "stats/uTavFindingsText.h"
#include "stats/uTavFreq.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/findings/FindingsIntervalDelegate.h"
#include "ui/findings/FindingsModel.h"
#include "ui/findings/PairFindingsModel.h"
#include "ui/findings/uThresholdSweep.h"
#include "ui/grids/GridSortProxy.h"
#include "ui/text/QtText.h"

TTavFindingsTab::TTavFindingsTab(TTavSession& session, TTavUiOps& ui, CommandRunner runCommand,
                                 QWidget* parent)
    : QWidget(parent), m_session(session), m_ui(ui), m_runCommand(std::move(runCommand)) {
    setObjectName(QStringLiteral("tabFindings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QHBoxLayout;
    layout->addLayout(bar);
    auto label = [&](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setBuddy(buddy);
        bar->addWidget(l);
        bar->addWidget(buddy);
    };
    cmbBxTarget = new QComboBox(this);
    cmbBxTarget->setObjectName(QStringLiteral("cmbBxTarget"));
    cmbBxTarget->setToolTip(
        QStringLiteral("The value of the class field whose rate the rules "
                       "shift"));
    label("&Target:", cmbBxTarget);
    spnMinCount = new QSpinBox(this);
    spnMinCount->setObjectName(QStringLiteral("spnMinCount"));
    spnMinCount->setRange(1, 1000000);
    spnMinCount->setValue(5);
    spnMinCount->setToolTip(
        QStringLiteral("Rules with fewer records are listed apart, not "
                       "ranked"));
    label("&Minimum records:", spnMinCount);
    cmbBxSort = new QComboBox(this);
    cmbBxSort->setObjectName(QStringLiteral("cmbBxSort"));
    cmbBxSort->addItems(
        {QStringLiteral("Score"), QStringLiteral("P(higher)"), QStringLiteral("Difference")});
    label("&Sort by:", cmbBxSort);
    cmbBxConditions = new QComboBox(this);
    cmbBxConditions->setObjectName(QStringLiteral("cmbBxConditions"));
    cmbBxConditions->addItems({QStringLiteral("1"), QStringLiteral("2")});
    cmbBxConditions->setToolTip(
        QStringLiteral("1: simple rules; 2: pairs of two conditions on two fields, each against "
                       "the better of its two parts"));
    label("&Conditions:", cmbBxConditions);
    bar->addStretch(1);
    btnRun = new QPushButton(QStringLiteral("&Run"), this);
    btnRun->setObjectName(QStringLiteral("btnRun"));
    btnRun->setToolTip(QStringLiteral("Compute the findings of the target again (F5)"));
    bar->addWidget(btnRun);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setEnabled(false);
    btnExport = new QPushButton(QStringLiteral("Export..."), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnCopy = new QPushButton(QStringLiteral("Copy as text"), this);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    for (QPushButton* b : {btnCancel, btnExport, btnCopy})
        bar->addWidget(b);

    lblMultiplicity = new QLabel(this);
    lblMultiplicity->setObjectName(QStringLiteral("lblMultiplicity"));
    lblMultiplicity->setToolTip(
        QStringLiteral("Flagged: rules whose local false sign rate (lfsr: the chance that the "
                       "direction is wrong, given how large the rules' effects tend to be) is "
                       "within the significance level; expected wrong signs: the sum of their "
                       "lfsr. Coloured row by row: rules whose P(higher) alone passes the level."));
    layout->addWidget(lblMultiplicity);

    m_model = new TFindingsModel(this);
    grdFindings = new QTableView(this);
    grdFindings->setObjectName(QStringLiteral("grdFindings"));
    installSortProxy(grdFindings, m_model);
    grdFindings->setItemDelegateForColumn(TFindingsModel::kInterval,
                                          new TFindingsIntervalDelegate(grdFindings));
    grdFindings->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdFindings->setSelectionMode(QAbstractItemView::SingleSelection);
    grdFindings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdFindings->verticalHeader()->setVisible(false);
    grdFindings->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdFindings, 1);

    m_pairModel = new TPairFindingsModel(this);
    grdPairs = new QTableView(this);
    grdPairs->setObjectName(QStringLiteral("grdPairs"));
    installSortProxy(grdPairs, m_pairModel);
    grdPairs->setItemDelegateForColumn(TPairFindingsModel::kInterval,
                                       new TFindingsIntervalDelegate(grdPairs));
    grdPairs->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPairs->setSelectionMode(QAbstractItemView::SingleSelection);
    grdPairs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPairs->verticalHeader()->setVisible(false);
    grdPairs->horizontalHeader()->setStretchLastSection(true);
    grdPairs->hide();
    layout->addWidget(grdPairs, 1);

    connect(cmbBxTarget, &QComboBox::currentIndexChanged, this, &TTavFindingsTab::optionsChanged);
    connect(spnMinCount, &QSpinBox::valueChanged, this, &TTavFindingsTab::optionsChanged);
    connect(cmbBxSort, &QComboBox::currentIndexChanged, this, &TTavFindingsTab::optionsChanged);
    // The order chosen in the drop-down shows, not a column sorted before.
    connect(cmbBxSort, &QComboBox::currentIndexChanged, grdFindings,
            [this] { clearSort(grdFindings); });
    connect(cmbBxConditions, &QComboBox::currentIndexChanged, this, [this] {
        // Pairs have one order, by the size of their change.
        cmbBxSort->setEnabled(!showsPairs());
        grdFindings->setVisible(!showsPairs());
        grdPairs->setVisible(showsPairs());
        optionsChanged();
    });
    connect(grdPairs, &QAbstractItemView::doubleClicked, this, &TTavFindingsTab::grdPairsDblClick);
    connect(grdFindings, &QAbstractItemView::doubleClicked, this,
            &TTavFindingsTab::grdFindingsDblClick);
    grdFindings->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grdFindings, &QWidget::customContextMenuRequested, this,
            &TTavFindingsTab::grdFindingsContextMenu);
    connect(btnRun, &QPushButton::clicked, this, &TTavFindingsTab::run);
    connect(btnExport, &QPushButton::clicked, this, &TTavFindingsTab::btnExportClick);
    connect(btnCopy, &QPushButton::clicked, this, &TTavFindingsTab::btnCopyClick);
    // Only a flag: the computation asks for it between rules, while it processes events.
    connect(btnCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
}

TTavFindingsTab::~TTavFindingsTab() = default;

const TFindings& TTavFindingsTab::findings() const {
    return m_model->findings();
}

const TPairFindings& TTavFindingsTab::pairFindings() const {
    return m_pairModel->findings();
}

bool TTavFindingsTab::showsPairs() const {
    return cmbBxConditions->currentIndex() == 1;
}

int TTavFindingsTab::currentTarget() const {
    return cmbBxTarget->currentIndex() >= 0 ? cmbBxTarget->currentData().toInt() : -1;
}

int TTavFindingsTab::target() const {
    if (m_targetsLoad != m_session.loadNumber() || m_targetsClass != m_session.classField())
        return -1;
    return currentTarget();
}

void TTavFindingsTab::fillTargets() {
    const TBaza* data = m_session.CurrentData();
    const int classField = m_session.classField();
    if (m_session.loadNumber() == m_targetsLoad && classField == m_targetsClass) return;
    m_targetsLoad = m_session.loadNumber();
    m_targetsClass = classField;
    const QVariant previous = cmbBxTarget->currentData();
    QSignalBlocker quiet(cmbBxTarget);
    cmbBxTarget->clear();
    if (data == nullptr || classField < 0 || classField >= data->FieldCount()) return;
    for (int code = 0; code <= kMaxValueCode; ++code) {
        if (data->valueSet(classField, code) == nullptr) continue;
        const std::string label = data->valueName(classField, code);
        cmbBxTarget->addItem(qtText(std::to_string(code) + (label.empty() ? "" : " - " + label)),
                             code);
    }
    const int keep = cmbBxTarget->findData(previous);
    cmbBxTarget->setCurrentIndex(keep >= 0 ? keep : 0);
}

void TTavFindingsTab::sessionChanged() {
    if (isVisible()) recomputeIfChanged();
}

void TTavFindingsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Queued rather than run here: the show event comes before the toolkit marks the tab for
    // painting, so a run from inside it repainted nothing at its progress reports and the
    // Frequency grid the tab replaces stayed on the screen until the run ended. Queued, the run
    // starts once the tab is shown, and its first progress report paints it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isVisible()) recomputeIfChanged();
        },
        Qt::QueuedConnection);
}

void TTavFindingsTab::run() {
    if (m_computing) return;
    // What is shown counts as outdated: the computation runs whatever it was computed under.
    m_shownSort = -1;
    m_pairsUnder.reset();
    recomputeIfChanged();
}

bool TTavFindingsTab::fieldsSelected() const {
    const TBaza* data = m_session.CurrentData();
    if (data == nullptr) return false;
    for (int i = 0; i < data->FieldCount(); ++i) {
        const TMnozica* field = m_session.sets().fieldSet(i);
        if (i != m_session.classField() && field != nullptr && field->Selected != 0) return true;
    }
    return false;
}

void TTavFindingsTab::optionsChanged() {
    if (isVisible()) recomputeIfChanged();
}

void TTavFindingsTab::recomputeIfChanged() {
    if (m_computing) return;
    fillTargets();
    const int target = currentTarget();
    if (m_session.CurrentData() == nullptr || target < 0) {
        m_model->setFindings({});
        m_shownSort = -1;
        lblMultiplicity->setText(m_session.CurrentData() == nullptr
                                     ? QString()
                                     : QStringLiteral("The class field has no values."));
        return;
    }
    if (!fieldsSelected()) {
        m_model->setFindings({});
        m_pairModel->setFindings({});
        m_shownSort = -1;
        m_pairsUnder.reset();
        lblMultiplicity->setText(QStringLiteral(
            "No field is selected: select the fields to search in the Fields "
            "grid (\"select All\" in its popup menu selects every one), then press Run."));
        return;
    }
    const int minCount = spnMinCount->value();
    if (showsPairs()) {
        if (m_pairsUnder != m_session.computedUnderNow(target, minCount))
            computePairs(target, minCount);
        return;
    }
    const int sort = cmbBxSort->currentIndex();
    if (m_session.findingsComputedUnder() == m_session.computedUnderNow(target, minCount) &&
        sort == m_shownSort)
        return;
    compute(target, minCount, sort);
}

void TTavFindingsTab::compute(int target, int minCount, int sort) {
    m_computing = true;
    m_cancelRequested = false;
    btnCancel->setEnabled(true);
    m_runCommand([&] {
        m_shownSort = sort;
        // The old rows go while the new ones compute, so that they are not read as the target's.
        m_model->setFindings({});
        lblMultiplicity->setText(QStringLiteral("Computing the findings..."));
        try {
            const TFindings findings =
                m_session.computeFindings(target, minCount, static_cast<TFindingsSort>(sort),
                                          [this] { return m_cancelRequested; });
            m_model->setFindings(findings);
            const std::string line = findings.note.empty()
                                         ? multiplicityLine(findings)
                                         : multiplicityLine(findings) + "\n" + findings.note;
            lblMultiplicity->setText(
                findings.cancelled ? QStringLiteral("Cancelled. Run computes the findings again.")
                                   : qtText(line));
        } catch (const ETavError& error) {
            // A class field without coded values: said in the tab, not in a message box.
            m_model->setFindings({});
            lblMultiplicity->setText(qtText(error.what()));
        }
    });
    // A cancelled computation, or one asked for while another command ran (a load showing the
    // tab), left the session without findings: the next change tries again.
    btnCancel->setEnabled(false);
    m_computing = false;
    grdFindings->resizeColumnsToContents();
}

void TTavFindingsTab::computePairs(int target, int minCount) {
    m_computing = true;
    m_cancelRequested = false;
    btnCancel->setEnabled(true);
    // The old rows go while the new target computes, so that they are not read as its pairs.
    m_pairModel->setFindings({});
    lblMultiplicity->setText(QStringLiteral("Counting the pairs..."));
    m_pairsUnder.reset();
    m_runCommand([&] {
        try {
            const TPairFindings pairs = m_session.computePairFindings(
                target, minCount, TPairFindingsOptions{}.top, [this] { return m_cancelRequested; });
            m_pairModel->setFindings(pairs);
            lblMultiplicity->setText(qtText(pairMultiplicityLine(pairs)));
            if (!pairs.cancelled) m_pairsUnder = m_session.computedUnderNow(target, minCount);
        } catch (const ETavError& error) {
            lblMultiplicity->setText(qtText(error.what()));
        }
    });
    btnCancel->setEnabled(false);
    m_computing = false;
    grdPairs->resizeColumnsToContents();
}

void TTavFindingsTab::grdPairsDblClick(const QModelIndex& index) {
    const TPairFinding* pair = m_pairModel->pairAt(sourceIndex(index).row());
    if (pair == nullptr) return;
    const int a = pair->setNumberA;
    const int b = pair->setNumberB;
    bool made = false;
    m_runCommand([&] { made = m_session.makePairActive(a, b); });
    if (made) emit findingActivated();
}

void TTavFindingsTab::grdFindingsDblClick(const QModelIndex& index) {
    const TFinding* finding = m_model->findingAt(sourceIndex(index).row());
    if (finding == nullptr) return;
    const int setNumber = finding->setNumber;
    bool moved = false;
    m_runCommand([&] { moved = m_session.moveToRuleNumbered(setNumber); });
    if (moved) emit findingActivated();
}

void TTavFindingsTab::btnExportClick() {
    m_runCommand([this] {
        if (showsPairs() ? pairFindings().targetText.empty() : findings().className.empty()) {
            m_ui.showMessage("There are no findings to export: load a data file first.");
            return;
        }
        const std::optional<std::string> path =
            m_ui.saveFile("CSV files (*.csv);;Tab-separated files (*.tsv *.txt)",
                          nameBeside(m_session.DataFileName(), "findings.csv"));
        if (!path) return;
        const bool tab = path->size() >= 4 && (path->compare(path->size() - 4, 4, ".tsv") == 0 ||
                                               path->compare(path->size() - 4, 4, ".txt") == 0);
        const TFindingsFormat format = tab ? TFindingsFormat::Tsv : TFindingsFormat::Csv;
        const std::string bytes =
            showsPairs()
                ? exportPairFindings(pairFindings(), m_session.findingsProvenance(), format)
                : exportFindings(findings(), m_session.findingsProvenance(), format);
        try {
            replaceFileWhole(*path, bytes);
        } catch (const EInOutError& error) {
            throw EInOutError("The findings could not be written to \"" + displayPath(*path) +
                              "\": " + error.what());
        }
    });
}

void TTavFindingsTab::btnCopyClick() {
    m_runCommand([this] {
        if (showsPairs() ? pairFindings().targetText.empty() : findings().className.empty()) {
            m_ui.showMessage("There are no findings to copy: load a data file first.");
            return;
        }
        m_ui.setClipboardText(showsPairs()
                                  ? pairFindingsText(pairFindings(), m_session.findingsProvenance())
                                  : findingsText(findings(), m_session.findingsProvenance()));
        if (auto* main = qobject_cast<QMainWindow*>(window()))
            main->statusBar()->showMessage(QStringLiteral("Copied the findings."), 5000);
    });
}

int TTavFindingsTab::ruleField(int setNumber) const {
    const TMnozicaList& rules = m_session.sets().SetLists[slRules];
    for (int i = 0; i < rules.count(); ++i) {
        const TMnozica* rule = rules.item(i);
        if (rule->SetNumber == setNumber && !rule->Rule.empty()) return rule->Rule.front().FieldNo;
    }
    return -1;
}

bool TTavFindingsTab::showThresholdSweep(int row) {
    const TFinding* finding = m_model->findingAt(row);
    if (finding == nullptr || m_session.CurrentData() == nullptr) return false;
    return showThresholdSweep(findings().options.target, ruleField(finding->setNumber));
}

bool TTavFindingsTab::showThresholdSweep(int target, int field) {
    if (m_session.CurrentData() == nullptr || !HasThresholds(*m_session.CurrentData(), field))
        return false;
    bool shown = false;
    m_runCommand([&] {
        const TThresholdSweep sweep = m_session.computeThresholdSweep(target, field);
        if (m_sweep == nullptr) {
            m_sweep = new TfrmThresholdSweep(
                m_ui,
                [this](int setNumber) {
                    m_runCommand([this, setNumber] { m_session.moveToRuleNumbered(setNumber); });
                },
                this);
        }
        m_sweep->setSaveName(nameBeside(m_session.DataFileName(), "sweep"));
        m_sweep->setSweep(sweep);
        m_sweep->show();
        m_sweep->raise();
        shown = true;
    });
    return shown;
}

void TTavFindingsTab::grdFindingsContextMenu(const QPoint& position) {
    const QModelIndex index = sourceIndex(grdFindings->indexAt(position));
    const TFinding* finding = m_model->findingAt(index.row());
    QMenu menu(this);
    QAction* sweep = menu.addAction(QStringLiteral("&Threshold sweep..."));
    sweep->setEnabled(finding != nullptr && m_session.CurrentData() != nullptr &&
                      HasThresholds(*m_session.CurrentData(), ruleField(finding->setNumber)));
    if (menu.exec(grdFindings->viewport()->mapToGlobal(position)) == sweep) {
        showThresholdSweep(index.row());
    }
}
