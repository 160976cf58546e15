// The main window's session files and reports: save and open a session, export the report as
// HTML or PDF, and the Fields and Simple rules tables as CSV or TSV.

#include <QFile>
#include <filesystem>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/uTavObj.h"
#include "session/ReportHtml.h"
#include "session/SessionFile.h"
#include "session/TableExport.h"
#include "session/uTavSession.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/report/ReportPdf.h"
#include "ui/window/uTavMain.h"

namespace {

constexpr const char* kSessionFilter = "Session files (*.tavs);;All files (*)";
constexpr const char* kDataFileFilter =
    "CSV semicolon separated files (*.CSV *.csv);;All files (*)";
constexpr const char* kReportFilter = "HTML pages (*.html);;PDF documents (*.pdf)";

// The data file with another extension, in its folder, as the save dialogs propose it.
std::string besideDataFile(const std::string& dataFile, const char* extension) {
    if (dataFile.empty()) return std::string("session") + extension;
    return std::filesystem::path(dataFile).replace_extension(extension).string();
}

// The file's own name, for the status line.
QString shortName(const std::string& path) {
    return QFile::decodeName(std::filesystem::path(path).filename().string().c_str());
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

void TfrmTavMain::SaveSession1Click() {
    runCommand([this] {
        if (m_session->CurrentData() == nullptr)
            throw ETavError("Load a data file first: there is no session to save.");
        std::optional<std::string> path = m_ui.saveFile(
            kSessionFilter, besideDataFile(m_session->DataFileName(), kSessionFileExtension));
        if (!path) return;
        if (!isSessionFilePath(*path)) *path += kSessionFileExtension;
        writeSessionFile(*path, m_session->sessionFile());
        rememberRecentFile(*path);
        confirmInStatusLine(QStringLiteral("Session saved to %1.").arg(shortName(*path)));
    });
}

void TfrmTavMain::OpenSession1Click() {
    runCommand([this] {
        const std::optional<std::string> path = m_ui.openFile(kSessionFilter, dialogFolder());
        if (path) openSessionBody(*path);
    });
}

void TfrmTavMain::openSessionBody(const std::string& path) {
    // A refused file is a message, and nothing has changed.
    const TSessionFile kept = readSessionFile(path);
    if (kept.source.database) {
        openDatabaseSession(kept);
        rememberRecentFile(path);
        return;
    }
    std::string dataFile = kept.source.path;
    const TSessionDataState state = sessionDataState(kept.source);
    if (state != TSessionDataState::Same) {
        const std::string problem = sessionDataProblemText(kept.source, state);
        const bool goOn = state == TSessionDataState::Changed &&
                          m_ui.confirm(problem +
                                       " Go on with the file as it is? (No: pick another data "
                                       "file.)");
        if (!goOn) {
            if (state == TSessionDataState::Gone) m_ui.showMessage(problem + " Pick another.");
            // Where the session file is: its data file is usually beside it.
            const std::string folder = std::filesystem::path(path).parent_path().string();
            const std::optional<std::string> other =
                m_ui.openFile(kDataFileFilter, folder.empty() ? std::string(".") : folder);
            if (!other) return;
            dataFile = *other;
        }
    }
    if (m_charts.setData) m_charts.setData(nullptr);
    try {
        m_session->openSession(kept, dataFile);
    } catch (...) {
        if (m_charts.setData) m_charts.setData(chartData());
        throw;
    }
    UpdateStatusLine();
    showResultPanes();
    if (m_charts.setData) m_charts.setData(chartData());
    rememberRecentFile(path);
}

void TfrmTavMain::ExportReport1Click() {
    runCommand([this] {
        if (m_session->CurrentData() == nullptr)
            throw ETavError("Load a data file first: there is nothing to report.");
        const std::optional<std::string> path =
            m_ui.saveFile(kReportFilter, besideDataFile(m_session->DataFileName(), ".html"));
        if (!path) return;
        if (endsWith(*path, ".pdf") || endsWith(*path, ".PDF")) {
            writeReportPdf(sessionReportHtml(*m_session), *path);
        } else {
            writeSessionReport(*m_session, *path);
        }
        confirmInStatusLine(QStringLiteral("Report written to %1.").arg(shortName(*path)));
    });
}

void TfrmTavMain::ExportFieldsCsv1Click() {
    exportGrid(false, true);
}

void TfrmTavMain::ExportFieldsTsv1Click() {
    exportGrid(false, false);
}

void TfrmTavMain::ExportRulesCsv1Click() {
    exportGrid(true, true);
}

void TfrmTavMain::ExportRulesTsv1Click() {
    exportGrid(true, false);
}

void TfrmTavMain::exportGrid(bool rules, bool csv) {
    runCommand([&] {
        if (m_session->CurrentData() == nullptr) return;
        const std::string name = std::string(rules ? "rules" : "fields") + (csv ? ".csv" : ".tsv");
        const std::optional<std::string> path =
            m_ui.saveFile(csv ? "Comma-separated files (*.csv)" : "Tab-separated files (*.tsv)",
                          inDialogFolder(name));
        if (!path) return;
        const TTableExportFormat format = csv ? TTableExportFormat::Csv : TTableExportFormat::Tsv;
        const std::string text =
            rules ? rulesTableExport(*m_session, format) : fieldsTableExport(*m_session, format);
        try {
            replaceFileWhole(*path, text);
        } catch (const EInOutError& error) {
            throw EInOutError("The file \"" + displayPath(*path) +
                              "\" could not be written: " + error.what());
        }
        confirmInStatusLine(
            QStringLiteral("%1 written to %2.")
                .arg(rules ? QStringLiteral("Simple rules") : QStringLiteral("Fields"))
                .arg(shortName(*path)));
    });
}
