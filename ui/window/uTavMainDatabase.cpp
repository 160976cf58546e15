// The main window's database command: a table or a query of a database opened as the table.

#include "core/DatabaseSource.h"
#include "core/Errors.h"
#include "core/Win1250.h"
#include "import/ImportRecipe.h"
#include "import/Importer.h"
#include "session/SessionFile.h"
#include "session/uTavSession.h"
#include "ui/dialogs/DatabaseTables.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/window/uTavMain.h"

void TfrmTavMain::loadDatabaseCopy(const std::function<void()>& load) {
    // The database chart lets go of the table the load may replace.
    if (m_charts.setData) m_charts.setData(nullptr);
    try {
        load();
    } catch (...) {
        if (m_charts.setData) m_charts.setData(chartData());
        throw;
    }
}

void TfrmTavMain::openDatabaseSession(const TSessionFile& kept) {
    const TDatabaseSource& source = *kept.source.database;
    TImportOptions options;
    TImportChoiceTexts choices;
    readImportWords(source.importWords, options, choices);
    if (source.kind == TDatabaseKind::Postgresql) {
        const std::string failed =
            openServerTableInWindow(*m_session, source, options, choices, &kept);
        if (!failed.empty()) throw ETavError(failed);
    } else {
        const ProgressHook progress = [this](double fraction) { ReportProgress(fraction); };
        TImportPlan plan = inferDatabaseImport(source, options, progress);
        applyImportChoices(plan, choices);
        auto folder = std::make_unique<TPrivateFolder>();
        const std::string copy = folder->file("table.CSV");
        writeImport(plan, copy, progress);
        loadDatabaseCopy([&] { m_session->openSession(kept, copy); });
        m_databaseFolder = std::move(folder);
    }
    UpdateStatusLine();
    showResultPanes();
    if (m_charts.setData) m_charts.setData(chartData());
}

void TfrmTavMain::OpenDatabaseTable1Click() {
    runCommand([this] {
        TDatabaseChoice choice;
        if (!m_ui.chooseDatabaseTable(choice, databaseTableNames)) return;
        TDatabaseSource source;
        try {
            source = parseDatabaseSource(choice.url, choice.table, choice.query);
        } catch (const ETavError& refused) {
            throw ETavError(utf8ToWin1250(refused.what()));
        }
        if (source.kind == TDatabaseKind::Postgresql) {
            const int load = m_session->loadNumber();
            const std::string failed = openServerTableInWindow(
                *m_session, source, {}, {}, nullptr, [this](TImportPlan& plan, int& classColumn) {
                    return m_ui.reviewImport(plan, classColumn);
                });
            if (!failed.empty()) throw ETavError(failed);
            // Cancelled in the import dialog: the table before stays, and so does the view.
            if (m_session->loadNumber() == load) return;
        } else {
            const ProgressHook progress = [this](double fraction) { ReportProgress(fraction); };
            TImportPlan plan = inferDatabaseImport(source, {}, progress);
            int classColumn = 0;
            if (!m_ui.reviewImport(plan, classColumn)) return;
            setClassColumn(plan, classColumn);
            source.importWords = importWordsWithoutClass(plan);
            // A folder of its own for each table: the copy loaded now stays until another
            // replaces it.
            auto folder = std::make_unique<TPrivateFolder>();
            const std::string copy = folder->file("table.CSV");
            writeImport(plan, copy, progress);
            loadDatabaseCopy([&] {
                m_session->runAsOneCommand([&] {
                    m_session->loadDatabaseCopy(copy, source);
                    m_session->setClassFieldDeselected(importFieldIndex(plan, classColumn));
                });
            });
            m_databaseFolder = std::move(folder);
        }
        UpdateStatusLine();
        showResultPanes();
        if (m_charts.setData) m_charts.setData(chartData());
    });
}
