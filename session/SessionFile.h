#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/DatabaseSource.h"

// A session file ("NAME.tavs") keeps what makes an analysis, so that it can be opened again or
// run by tav-batch: where the table comes from, the class, the selection, the filters with their
// histories, the hidden class values, the three settings, the active rule and the findings'
// choices. It is JSON (UTF-8) with a format name and a version, so that any other JSON file is
// refused; inside the program its texts are Windows-1250.

// The file extension of session files, with its dot.
inline constexpr const char* kSessionFileExtension = ".tavs";

// Whether `path` is named as a session file (ends with kSessionFileExtension).
bool isSessionFilePath(const std::string& path);

// One filter drop-down as kept: the text in its edit field and the expressions applied before.
struct TSessionFilter {
    std::string text;
    std::vector<std::string> history;
    bool operator==(const TSessionFilter&) const = default;
};

// The table of a session and where it came from.
struct TSessionSource {
    // "file" for a data file, "database" for a database's table or query.
    std::string kind = "file";
    // Of "database": the source, kept by its URL without a password (a server asks for it
    // again), its table or query and the import's choices; path and sha256 are then empty.
    std::optional<TDatabaseSource> database;
    // The data file as the program names it once read (resolved against the session file's
    // folder); kept relative to that folder when the data file lies in it or below.
    std::string path;
    std::string sha256;  // of the data file's bytes when the session was saved; "" unknown
    // Of a data file written by an import (empty otherwise): the original table as seen from
    // the data file's folder, its SHA-256 and the tav-batch import arguments after IN and OUT.
    std::string importedFrom;
    std::string importedSha256;
    std::string importArguments;
    bool operator==(const TSessionSource&) const = default;
};

// Everything a session file keeps.
struct TSessionFile {
    TSessionSource source;
    int classField = 0;
    std::vector<int> selectedFields;  // increasing field numbers
    TSessionFilter context;
    TSessionFilter compare1;
    TSessionFilter compare2;
    std::vector<int> hiddenClassValues;  // class value codes whose Frequency rows are hidden
    double mPrior = 1;
    double mParam = 2;
    double significancePct = 5;
    int activeRule = 0;  // the active simple rule's number ("No."): its row in creation order
    std::optional<int> findingsTarget;
    int findingsMinCount = 5;
    int findingsConditions = 1;  // conditions per rule the findings combine
    bool operator==(const TSessionFile&) const = default;
};

// The session as JSON text (UTF-8, indented, ending with a newline). `sessionPath` is where it
// will be written: the data file's path is kept relative to its folder when it can be.
std::string sessionFileText(const TSessionFile& session, const std::string& sessionPath);

// The session in `text`, read from `sessionPath` (a relative data file path is taken from that
// file's folder). Throws ETavError saying why for text that is not JSON, JSON of another format
// or of a later version, and a value of the wrong kind or out of its range.
TSessionFile parseSessionFile(const std::string& text, const std::string& sessionPath);

// Writes the session file through replaceFileWhole. Throws EInOutError naming the file.
void writeSessionFile(const std::string& path, const TSessionFile& session);

// Reads the session file at `path`. Throws EInOutError for a file that cannot be read and
// ETavError naming the file for one that is no session file of this program.
TSessionFile readSessionFile(const std::string& path);

// How the data file of a session stands now.
enum class TSessionDataState { Same, Changed, Gone };

// Whether the session's data file is still there with the SHA-256 it had when saved (a session
// without a SHA-256 counts as the same while its file is there).
TSessionDataState sessionDataState(const TSessionSource& source);

// The sentence the front ends show for a data file that changed or is gone, naming it.
std::string sessionDataProblemText(const TSessionSource& source, TSessionDataState state);

// The session file that an import writes beside its data file: "DIR/NAME-tav.tavs" for
// "DIR/NAME.CSV".
std::string sessionPathBeside(const std::string& dataFile);

// Writes the session file an import leaves beside the data file it wrote
// (sessionPathBeside(dataFile)): the data file with its SHA-256 and origin (the import's
// recipe, from its origin file) and the class field chosen, `classField` numbered as the data
// file numbers its fields (0 when none was chosen). Throws EInOutError naming the file.
void writeImportSessionFile(const std::string& dataFile, int classField);
