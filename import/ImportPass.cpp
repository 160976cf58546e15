#include "import/ImportPass.h"

#include <fstream>

#include "core/Errors.h"
#include "core/FileCheck.h"
#include "core/uTavObj.h"
#include "import/ArffImport.h"
#include "import/CellTableSource.h"
#include "import/CsvImport.h"
#include "import/SqliteImport.h"

namespace {

constexpr size_t kPieceBytes = 1 << 20;

void readFile(const TImportPlan& plan, const std::function<void(std::string_view)>& piece) {
    const std::string& path = plan.sourcePath;
    // A named pipe would wait for a writer and a device never end.
    const std::string problem = dataFileProblem(path);
    if (!problem.empty()) throw EInOutError(problem);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EInOutError("The file \"" + displayPath(path) + "\" cannot be opened");
    std::string buffer(kPieceBytes, '\0');
    long long total = 0;
    while (file) {
        file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const auto count = static_cast<size_t>(file.gcount());
        if (count == 0) break;
        total += static_cast<long long>(count);
        // Past the size it had, the file is another one: stop before it costs time and memory.
        if (total > plan.sourceSize) break;
        piece(std::string_view(buffer.data(), count));
    }
    if (file.bad()) throw EInOutError("The file \"" + displayPath(path) + "\" cannot be read");
    if (total != plan.sourceSize) {
        throw EConvertError("The file \"" + displayPath(path) +
                            "\" changed while it was imported; import it again");
    }
}

}  // namespace

void readImportSource(const TImportPlan& plan, const std::function<void(std::string_view)>& piece) {
    if (!plan.sourceBytes) {
        readFile(plan, piece);
        return;
    }
    const std::string_view bytes = *plan.sourceBytes;
    for (size_t at = 0; at < bytes.size(); at += kPieceBytes)
        piece(bytes.substr(at, kPieceBytes));
}

void parseImportSource(const TImportPlan& plan, TTextDecoder& decoder, const TSourceSink& sink,
                       const std::function<void(std::string_view)>& piece) {
    const std::string shownName = displayPath(plan.sourcePath);
    size_t skip = plan.skippedBytes;
    // The pieces without the byte order mark.
    const auto unmarked = [&skip](std::string_view bytes) {
        const size_t skipped = std::min(skip, bytes.size());
        skip -= skipped;
        return bytes.substr(skipped);
    };
    if (plan.database) {
        // Rows of a database come from its engine, not from bytes.
        parseSqliteSource(*plan.database, decoder, sink);
        return;
    }
    if (isCellTableFormat(plan.format)) {
        // Workbooks and statistics files are read whole: their parts refer to each other.
        std::string bytes;
        readImportSource(plan, [&](std::string_view read) {
            if (piece) piece(read);
            bytes.append(read);
        });
        const TWorkbookTable read =
            readCellTable(bytes, plan.format, {plan.sheet, plan.skipRows}, shownName);
        sendCellTable(read.table, decoder, sink, plan.skipRows + 1, bytes.size());
        return;
    }
    if (plan.format == TImportFormat::Arff) {
        // An ARFF file is parsed whole: its header must be read before any record.
        std::string text;
        readImportSource(plan, [&](std::string_view bytes) {
            if (piece) piece(bytes);
            text.append(unmarked(bytes));
        });
        parseArff(text, decoder, shownName, sink);
        return;
    }
    TCsvStream stream(plan.delimiter, decoder, shownName, sink, plan.strict);
    readImportSource(plan, [&](std::string_view bytes) {
        if (piece) piece(bytes);
        stream.feed(unmarked(bytes));
    });
    stream.finish();
}
