#include "session/SessionFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include <nlohmann/json.hpp>

#include "core/DataFileOrigin.h"
#include "core/Errors.h"
#include "core/FileCheck.h"
#include "core/FileReplace.h"
#include "core/Sha256.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"
#include "stats/uTavFreq.h"

namespace {

using json = nlohmann::ordered_json;
namespace fs = std::filesystem;

constexpr const char* kFormatName = "tav-explorer-session";
constexpr int kFormatVersion = 1;
// A session file is a few kilobytes; anything far larger is no session file, and is not read
// into memory whole.
constexpr std::uintmax_t kMaxSessionBytes = 16u << 20;

json filterJson(const TSessionFilter& filter) {
    json history = json::array();
    for (const std::string& item : filter.history)
        history.push_back(win1250ToUtf8(item));
    return {{"text", win1250ToUtf8(filter.text)}, {"history", history}};
}

// The data file's path as kept: relative to the session file's folder when it lies in it or
// below, so that the two can move together; absolute otherwise.
std::string keptDataPath(const std::string& dataFile, const std::string& sessionPath) {
    if (dataFile.empty()) return dataFile;
    std::error_code error;
    const fs::path data = fs::absolute(dataFile, error).lexically_normal();
    const fs::path folder = fs::absolute(sessionPath, error).parent_path().lexically_normal();
    if (error) return dataFile;
    const fs::path relative = data.lexically_relative(folder);
    if (relative.empty() || *relative.begin() == "..") return data.string();
    return relative.string();
}

std::string dataPathFromKept(const std::string& kept, const std::string& sessionPath) {
    const fs::path path(kept);
    if (kept.empty() || path.is_absolute()) return kept;
    return (fs::path(sessionPath).parent_path() / path).string();
}

// The member `name` of `object`, refused unless it has the type `check` asks for.
const json& member(const json& object, const char* name, bool (json::*check)() const,
                   const char* kind) {
    const auto found = object.find(name);
    if (found == object.end()) throw ETavError(std::string("\"") + name + "\" is missing");
    if (!((*found).*check)()) throw ETavError(std::string("\"") + name + "\" is not " + kind);
    return *found;
}

std::string textMember(const json& object, const char* name) {
    return member(object, name, &json::is_string, "a text").get<std::string>();
}

// A whole number from `low` to `high`.
int wholeMember(const json& object, const char* name, int low, int high) {
    const json& value = member(object, name, &json::is_number_integer, "a whole number");
    const auto number = value.get<long long>();
    if (number < low || number > high) {
        throw ETavError(std::string("\"") + name + "\" is " + std::to_string(number) +
                        ", outside " + std::to_string(low) + ".." + std::to_string(high));
    }
    return static_cast<int>(number);
}

double realMember(const json& object, const char* name, double low, double high) {
    const double value = member(object, name, &json::is_number, "a number").get<double>();
    if (!std::isfinite(value) || value < low || value > high)
        throw ETavError(std::string("\"") + name + "\" is outside its range");
    return value;
}

std::vector<int> wholeList(const json& object, const char* name, int low, int high) {
    std::vector<int> numbers;
    for (const json& item : member(object, name, &json::is_array, "a list")) {
        const json wrapped = {{name, item}};
        numbers.push_back(wholeMember(wrapped, name, low, high));
    }
    return numbers;
}

TSessionFilter filterMember(const json& object, const char* name) {
    const json& filter = member(object, name, &json::is_object, "an object");
    TSessionFilter read;
    read.text = utf8ToWin1250(textMember(filter, "text"));
    for (const json& item : member(filter, "history", &json::is_array, "a list")) {
        if (!item.is_string())
            throw ETavError(std::string("the history of \"") + name + "\" holds a non-text");
        read.history.push_back(utf8ToWin1250(item.get<std::string>()));
    }
    return read;
}

TDatabaseSource databaseFromJson(const json& source, const std::string& sessionPath) {
    const std::string url = textMember(source, "url");
    const auto optionalText = [&source](const char* name) {
        return source.contains(name) ? textMember(source, name) : std::string();
    };
    TDatabaseSource database =
        parseDatabaseSource(url, optionalText("table"), optionalText("query"));
    // A SQLite file named relative to the session moves with it.
    if (database.kind == TDatabaseKind::Sqlite)
        database.location = dataPathFromKept(database.location, sessionPath);
    for (const json& word : member(source, "import", &json::is_array, "a list")) {
        if (!word.is_string()) throw ETavError("\"import\" holds a non-text");
        database.importWords.push_back(utf8ToWin1250(word.get<std::string>()));
    }
    return database;
}

json databaseJson(TDatabaseSource database, const std::string& sessionPath) {
    if (database.kind == TDatabaseKind::Sqlite)
        database.location = keptDataPath(database.location, sessionPath);
    json words = json::array();
    for (const std::string& word : database.importWords)
        words.push_back(win1250ToUtf8(word));
    json source = {{"kind", "database"}, {"url", displayUrl(database)}};
    if (database.query.empty()) {
        source["table"] = database.table;
    } else {
        source["query"] = database.query;
    }
    source["import"] = words;
    return source;
}

TSessionFile sessionFromJson(const json& root, const std::string& sessionPath) {
    TSessionFile session;
    const json& source = member(root, "source", &json::is_object, "an object");
    session.source.kind = textMember(source, "kind");
    if (session.source.kind == "database") {
        session.source.database = databaseFromJson(source, sessionPath);
    } else if (session.source.kind != "file") {
        throw ETavError("its source is of the kind \"" + session.source.kind + "\"");
    }
    if (!session.source.database) {
        session.source.path = dataPathFromKept(textMember(source, "path"), sessionPath);
        session.source.sha256 = textMember(source, "sha256");
    }
    if (const auto import = root.find("import"); import != root.end()) {
        if (!import->is_object()) throw ETavError("\"import\" is not an object");
        session.source.importedFrom = textMember(*import, "original");
        session.source.importedSha256 = textMember(*import, "originalSha256");
        session.source.importArguments = utf8ToWin1250(textMember(*import, "arguments"));
    }
    constexpr int kMaxField = std::numeric_limits<int>::max() - 1;
    session.classField = wholeMember(root, "class", 0, kMaxField);
    session.selectedFields = wholeList(root, "selected", 0, kMaxField);
    session.context = filterMember(root, "context");
    session.compare1 = filterMember(root, "compare1");
    session.compare2 = filterMember(root, "compare2");
    session.hiddenClassValues = wholeList(root, "hidden", 0, 127);
    const json& settings = member(root, "settings", &json::is_object, "an object");
    session.mPrior = realMember(settings, "mPrior", 0.01, kMaxSetting);
    session.mParam = realMember(settings, "m", 0.01, kMaxSetting);
    session.significancePct = realMember(settings, "significancePct", 0, 100);
    session.activeRule = wholeMember(root, "activeRule", 0, kMaxField);
    const json& findings = member(root, "findings", &json::is_object, "an object");
    if (const auto target = findings.find("target");
        target != findings.end() && !target->is_null()) {
        session.findingsTarget = wholeMember(findings, "target", 0, 127);
    }
    session.findingsMinCount = wholeMember(findings, "minCount", 0, kMaxField);
    session.findingsConditions = wholeMember(findings, "conditions", 1, 2);
    return session;
}

}  // namespace

std::string sessionFileText(const TSessionFile& session, const std::string& sessionPath) {
    json root;
    root["format"] = kFormatName;
    root["version"] = kFormatVersion;
    if (session.source.database) {
        root["source"] = databaseJson(*session.source.database, sessionPath);
    } else {
        root["source"] = {{"kind", session.source.kind},
                          {"path", keptDataPath(session.source.path, sessionPath)},
                          {"sha256", session.source.sha256}};
    }
    if (!session.source.importArguments.empty() || !session.source.importedFrom.empty()) {
        root["import"] = {{"original", session.source.importedFrom},
                          {"originalSha256", session.source.importedSha256},
                          {"arguments", win1250ToUtf8(session.source.importArguments)}};
    }
    root["class"] = session.classField;
    root["selected"] = session.selectedFields;
    root["context"] = filterJson(session.context);
    root["compare1"] = filterJson(session.compare1);
    root["compare2"] = filterJson(session.compare2);
    root["hidden"] = session.hiddenClassValues;
    root["settings"] = {{"mPrior", session.mPrior},
                        {"m", session.mParam},
                        {"significancePct", session.significancePct}};
    root["activeRule"] = session.activeRule;
    root["findings"] = {{"target", session.findingsTarget ? json(*session.findingsTarget) : json()},
                        {"minCount", session.findingsMinCount},
                        {"conditions", session.findingsConditions}};
    // A path in another encoding than UTF-8 must not stop the save: its bad bytes are replaced.
    return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

TSessionFile parseSessionFile(const std::string& text, const std::string& sessionPath) {
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded()) throw ETavError("it is not JSON text (damaged or of another kind)");
    if (!root.is_object() || root.value("format", json()) != kFormatName)
        throw ETavError("it is not a session file of this program");
    const json version = root.value("version", json());
    if (!version.is_number_integer()) throw ETavError("its version is missing");
    if (version.get<long long>() > kFormatVersion)
        throw ETavError("it was written by a later version of this program");
    try {
        return sessionFromJson(root, sessionPath);
    } catch (const ETavError& bad) {
        throw ETavError(std::string("it is damaged: ") + bad.what());
    } catch (const json::exception& bad) {
        throw ETavError(std::string("it is damaged: ") + bad.what());
    }
}

void writeSessionFile(const std::string& path, const TSessionFile& session) {
    try {
        replaceFileWhole(path, sessionFileText(session, path));
    } catch (const EInOutError& error) {
        throw EInOutError("The session file \"" + displayPath(path) +
                          "\" could not be written: " + error.what());
    }
}

TSessionFile readSessionFile(const std::string& path) {
    const std::string problem = dataFileProblem(path);
    if (!problem.empty()) throw EInOutError(problem);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    const std::string name = "The file \"" + displayPath(path) + "\" was not opened as a session: ";
    if (!error && size > kMaxSessionBytes) throw ETavError(name + "it is far too large.");
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) throw EInOutError(name + "it could not be read.");
    try {
        return parseSessionFile(text, path);
    } catch (const ETavError& refused) {
        throw ETavError(name + refused.what() + ".");
    }
}

TSessionDataState sessionDataState(const TSessionSource& source) {
    // A database's table is read again as it is now: there is no digest to compare.
    if (source.database) return TSessionDataState::Same;
    if (!dataFileProblem(source.path).empty()) return TSessionDataState::Gone;
    if (source.sha256.empty()) return TSessionDataState::Same;
    const std::optional<std::string> now = sha256OfFile(source.path);
    if (!now) return TSessionDataState::Gone;
    return *now == source.sha256 ? TSessionDataState::Same : TSessionDataState::Changed;
}

std::string sessionDataProblemText(const TSessionSource& source, TSessionDataState state) {
    const std::string name = "The data file \"" + displayPath(source.path) + "\"";
    switch (state) {
        case TSessionDataState::Changed:
            return name +
                   " changed since the session was saved (its SHA-256 differs): the numbers may "
                   "differ from those of the session.";
        case TSessionDataState::Gone:
            return name + " of the session is gone or cannot be read.";
        case TSessionDataState::Same:
            break;
    }
    return "";
}

bool isSessionFilePath(const std::string& path) {
    const std::string end = kSessionFileExtension;
    return path.size() > end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
}

std::string sessionPathBeside(const std::string& dataFile) {
    const fs::path data(dataFile);
    return (data.parent_path() / (data.stem().string() + "-tav" + kSessionFileExtension)).string();
}

void writeImportSessionFile(const std::string& dataFile, int classField) {
    TSessionFile session;
    session.source.path = dataFile;
    session.source.sha256 = sha256OfFile(dataFile).value_or("");
    if (const auto imported = readDataFileOrigin(dataFile, session.source.sha256)) {
        session.source.importedFrom = originalPathFromDataFile(imported->originalPath, dataFile);
        session.source.importedSha256 = imported->originalSha256;
        session.source.importArguments = imported->importArguments;
    }
    session.classField = std::max(classField, 0);
    writeSessionFile(sessionPathBeside(dataFile), session);
}
