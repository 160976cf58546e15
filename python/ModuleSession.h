#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/RowTable.h"
#include "import/ImportTypes.h"
#include "session/uTavSession.h"

// The session as the Python module drives it: one TTavSession, the data files it imports into a
// folder of its own, and the messages the session shows, kept for the caller to hand on as
// warnings. Texts in and out are UTF-8 (paths are the system's bytes), but for the cells of the
// rows and the messages of the session's own exceptions (core/Errors.h), which stay
// Windows-1250; std::invalid_argument (UTF-8) says that the table has no such field, value or
// rule.
class TModuleSession {
  public:
    TModuleSession();
    // Removes the folder of the data files it imported.
    ~TModuleSession();
    TModuleSession(const TModuleSession&) = delete;
    TModuleSession& operator=(const TModuleSession&) = delete;

    // How to import a table that is not a data file, as tav-batch import takes it.
    struct TImportRequest {
        TImportOptions options;
        TImportChoiceTexts choices;  // UTF-8 here, Windows-1250 once applied
        // Where the data file goes; "" for the session's own temporary folder.
        std::string dataFile;
        bool any = false;  // some choice was given
    };

    // Loads a data file (with the session file an import left beside it), or imports any other
    // table the importer reads into a data file and loads that. Import choices for a data file
    // are refused with std::invalid_argument.
    void open(const std::string& path, const TImportRequest& request);
    // Imports a comma-separated UTF-8 text (a data frame's cells) named `name` and loads it.
    void openCsvText(const std::string& text, const std::string& name,
                     const TImportRequest& request);

    // The class field by its number or its name (deselected, as tav-batch does).
    void setClass(const std::string& field);
    // Marks exactly the fields listed (numbers or names) selected; the class stays deselected.
    void select(const std::vector<std::string>& fields);
    // Applies the context expression; throws ETavError with the session's message for one that
    // does not check.
    void context(const std::string& expression);
    // Applies the two compare expressions; throws as context does.
    void compare(const std::string& compare1, const std::string& compare2);
    void setSetting(TSetting which, double value);
    double setting(TSetting which) const { return TTavSession::setting(which); }

    // The Fields table; the Simple rules table in creation order.
    TRowTable fields();
    TRowTable rules();
    // The simple rules ranked by entropy gain; stopped early when cancelRequested() turns true,
    // then throws ECancelled and leaves the session as a cancelled ranking in the window does.
    TRowTable rank();
    // The `top` pairs by entropy gain; throws ECancelled when cancelled.
    TRowTable rankPairs(int top);
    // The Frequency table under rule `rule` (its number in creation order, or its name as
    // tav-batch freq --rule takes it; "" keeps the active rule).
    TRowTable frequency(const std::string& rule);
    // The findings of class value `target` (code or label) with one or two conditions, and the
    // line that says how many are flagged; throws ECancelled when cancelled.
    std::pair<TRowTable, std::string> findings(const std::string& target, int conditions,
                                               int minCount, TFindingsSort sort, int top);
    // The rate of `target` under every threshold of `field` (number or name).
    TRowTable sweep(const std::string& field, const std::string& target);
    void saveSession(const std::string& path) const;
    void openSession(const std::string& path);

    // The messages shown since the last call, oldest first (UTF-8).
    std::vector<std::string> takeMessages();
    // Asks the running computation to stop; the next one starts afresh.
    void requestCancel() { m_cancel = true; }
    // A computation was cancelled: it gives no rows.
    struct ECancelled {};

  private:
    // The loaded table; throws ETavError without one.
    const TBaza& data() const;
    // The field of a number or a name (compared without regard to case).
    int fieldNumber(const std::string& field) const;
    // The value of the class field of a code or a label (compared without regard to case).
    int classValue(const std::string& target) const;
    // Rankings and findings take every field but the class when no selection was made, as
    // tav-batch does.
    void selectionForRanking();
    // Throws ETavError with the message the session showed (after `shownBefore` messages) for an
    // expression that does not check, or else one made of `error`.
    [[noreturn]] void throwFilterError(size_t shownBefore, const std::string& error);
    // Applies the choices, writes the data file and loads it with the class chosen.
    void loadImported(TImportPlan plan, const TImportRequest& request);
    // The session's own folder for imported data files, made on first use.
    std::string temporaryFolder();

    std::vector<std::string> m_messages;
    std::atomic<bool> m_cancel{false};
    TTavSession m_session;
    bool m_selectionGiven = false;
    std::string m_folder;
};
