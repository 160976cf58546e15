#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "import/ImportTypes.h"
#include "ui/dialogs/TavUiOps.h"

// The user-interface operations with scripted answers: the dialogs take their answers from
// queues (an empty queue cancels), messages and errors are recorded, the clipboard is a string.
class TScriptedUiOps : public TTavUiOps {
  public:
    struct TQuery {
        std::string caption, prompt, defaultText;
    };

    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& message) override { errors.push_back(message); }
    std::optional<std::string> inputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultText) override {
        queries.push_back({caption, prompt, defaultText});
        return next(answers);
    }
    std::optional<std::string> openFile(const std::string& filter,
                                        const std::string& initialDirectory) override {
        openCalls.push_back({filter, initialDirectory});
        return next(files);
    }
    std::optional<std::string> saveFile(const std::string& filter,
                                        const std::string& defaultName) override {
        saveCalls.push_back({filter, defaultName});
        return next(saves);
    }
    void processPendingEvents() override {
        ++eventRounds;
        if (duringEvents) duringEvents();
    }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    bool confirm(const std::string& question) override {
        questions.push_back(question);
        if (confirmations.empty()) return false;
        const bool yes = confirmations.front();
        confirmations.pop_front();
        return yes;
    }
    bool reviewImport(TImportPlan& plan, int& classColumn) override {
        reviewedColumns = static_cast<int>(plan.columns.size());
        if (!importClass) return false;
        classColumn = *importClass;
        return true;
    }

    bool chooseDatabaseTable(TDatabaseChoice& choice, const TTableLister& listTables) override {
        if (!databaseChoice) return false;
        // As the dialog does: a list that fails is a line in it, and a query may still be run.
        try {
            listedTables = listTables(databaseChoice->url);
        } catch (const std::exception& error) {
            listProblem = error.what();
        }
        choice = *databaseChoice;
        return true;
    }

    // How many messages equal `text`.
    int count(const std::string& text) const {
        int n = 0;
        for (const std::string& m : messages)
            n += m == text;
        return n;
    }

    std::deque<std::optional<std::string>> answers;
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::string>> saves;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<TQuery> queries;
    std::vector<std::string> questions;
    std::deque<bool> confirmations;  // answers to confirm(), no when empty
    std::optional<int> importClass;  // the import dialog's class, none: cancelled
    int reviewedColumns = -1;
    std::optional<TDatabaseChoice> databaseChoice;  // the database dialog's answer, none: cancel
    std::vector<std::string> listedTables;          // what the dialog's list showed
    std::string listProblem;                        // or why it showed nothing
    std::vector<std::pair<std::string, std::string>> openCalls;
    std::vector<std::pair<std::string, std::string>> saveCalls;
    std::string clipboard = "(untouched)";
    int eventRounds = 0;
    // Runs inside every processPendingEvents: what a user could do during a long loop.
    std::function<void()> duringEvents;

  private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<std::string> answer = queue.front();
        queue.pop_front();
        return answer;
    }
};
