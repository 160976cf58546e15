#pragma once

#include <string>
#include <vector>

#include "import/ArffImport.h"
#include "import/CsvImport.h"
#include "import/ImportPass.h"
#include "import/ImportText.h"

// What a parser handed over.
struct TParsed {
    TSourceHeader header;
    std::vector<std::vector<std::string>> records;
    std::vector<long long> lines;
    std::vector<std::string> warnings;
};

inline TSourceSink collectInto(TParsed& parsed) {
    TSourceSink sink;
    sink.header = [&parsed](TSourceHeader&& header) { parsed.header = std::move(header); };
    sink.record = [&parsed](std::vector<std::string>&& values, long long line) {
        parsed.records.push_back(std::move(values));
        parsed.lines.push_back(line);
    };
    sink.warning = [&parsed](std::string&& text) { parsed.warnings.push_back(std::move(text)); };
    return sink;
}

inline TParsed parsedCsv(const std::string& bytes, char delimiter,
                         TImportEncoding encoding = TImportEncoding::Win1250,
                         bool strictRows = false) {
    TParsed parsed;
    TTextDecoder decoder(encoding);
    parseCsv(bytes, delimiter, decoder, "test.csv", collectInto(parsed), strictRows);
    return parsed;
}

inline TParsed parsedArff(const std::string& bytes) {
    TParsed parsed;
    TTextDecoder decoder(TImportEncoding::Utf8);
    parseArff(bytes, decoder, "test.arff", collectInto(parsed));
    return parsed;
}

// The records of the source of `plan`, read again as writeImport reads them.
inline std::vector<std::vector<std::string>> recordsOf(const TImportPlan& plan) {
    TParsed parsed;
    TTextDecoder decoder(plan.encoding);
    parseImportSource(plan, decoder, collectInto(parsed));
    return parsed.records;
}

// The message of the exception of type Error that `action` throws, or "" when it throws none.
template <typename Error, typename Action>
std::string errorOf(const Action& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}
