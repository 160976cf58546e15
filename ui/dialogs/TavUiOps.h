#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TImportPlan;
struct TSheetChoice;

// The operations the windows need from the toolkit that cannot be driven in a test without a
// person in front of the screen: modal boxes and dialogs, the clipboard and the event loop. The
// Qt implementation shows real dialogs; tests script the answers. All texts are Windows-1250;
// file paths are the operating system's bytes.
// What "Open database table" asks: the connection string and one table of it or a query (UTF-8).
struct TDatabaseChoice {
    std::string url;
    std::string table;
    std::string query;
};

// The names of the tables of the database a connection string names (UTF-8); throws ETavError
// with the reason when they cannot be listed.
using TTableLister = std::function<std::vector<std::string>(const std::string& url)>;

class TTavUiOps {
  public:
    virtual ~TTavUiOps() = default;

    // A modal message with an OK button; returns when the user closes it.
    virtual void showMessage(const std::string& text) = 0;
    // A modal one-line input box; the edited text when confirmed, none when cancelled.
    virtual std::optional<std::string> inputQuery(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& defaultText) = 0;
    // A modal file-open dialog with its filters (separated by ";;", each a description and its
    // patterns in parentheses)
    // and an initial directory; the chosen full path, or none when cancelled.
    virtual std::optional<std::string> openFile(const std::string& filter,
                                                const std::string& initialDirectory) = 0;
    // A modal file-save dialog with one filter (such as "PNG images (*.png)") and a proposed file
    // name; the chosen full path, or none when cancelled. Without a dialog nothing is saved.
    virtual std::optional<std::string> saveFile(const std::string& filter,
                                                const std::string& defaultName) {
        (void)filter;
        (void)defaultName;
        return std::nullopt;
    }
    // Repaints and handles queued input before returning (long loops call it).
    virtual void processPendingEvents() = 0;
    // Replaces the clipboard's content with the text.
    virtual void setClipboardText(const std::string& text) = 0;
    // A modal question with Yes and No; true for Yes. Without a person it says no.
    virtual bool confirm(const std::string& question) {
        (void)question;
        return false;
    }
    // The import dialog: shows the inferred columns of `plan`, lets the user change their types
    // (through setColumnType) and pick the class column. True when confirmed; `classColumn` then
    // holds the chosen class. Without a person nothing is imported.
    virtual bool reviewImport(TImportPlan& plan, int& classColumn) {
        (void)plan;
        (void)classColumn;
        return false;
    }
    // Before the import dialog of a workbook: the sheet of `plan` to import and the rows above
    // its header, with a preview of the table they give. True when confirmed; `choice` then holds
    // them. Without a person the sheet read first is kept.
    virtual bool chooseSheet(const TImportPlan& plan, TSheetChoice& choice) {
        (void)plan;
        (void)choice;
        return true;
    }
    // "Open database table": a connection string (a SQLite file may be browsed for), then one of
    // the tables `listTables` gives for it, or a query. True when confirmed; `choice` then holds
    // them. Without a person nothing is opened.
    virtual bool chooseDatabaseTable(TDatabaseChoice& choice, const TTableLister& listTables) {
        (void)choice;
        (void)listTables;
        return false;
    }
    // Shows the message of an error that left a command; the program goes on.
    virtual void showError(const std::string& message) { showMessage(message); }
};

// The title of the program's message boxes: its name as the user knows it.
inline constexpr const char* kMessageTitle = "Tav Explorer";

// `name` in the folder of `file`, as a save dialog proposes it, so that the dialog opens there;
// `name` alone when `file` is empty or has no folder.
std::string nameBeside(const std::string& file, const std::string& name);

// Runs a command body and shows whatever escapes it through the error handler, so that no
// exception ever leaves a slot.
void runGuarded(TTavUiOps& ui, const std::function<void()>& body);
