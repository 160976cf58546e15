// The compiled part of the Python package tavexplorer: TModuleSession with its rows as Python
// values. The package (tavexplorer/__init__.py) makes data frames of them.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "core/Errors.h"
#include "core/Win1250.h"
#include "python/ModuleSession.h"

namespace py = pybind11;

namespace {

py::object cellObject(const TRowCell& cell) {
    if (const auto* integer = std::get_if<long long>(&cell)) return py::int_(*integer);
    if (const auto* real = std::get_if<double>(&cell)) return py::float_(*real);
    if (const auto* yes = std::get_if<bool>(&cell)) return py::bool_(*yes);
    if (const auto* text = std::get_if<std::string>(&cell)) return py::str(win1250ToUtf8(*text));
    return py::none();
}

// (column names, rows of cells).
py::tuple rowsObject(const TRowTable& table) {
    py::list columns;
    for (const std::string& column : table.columns)
        columns.append(py::str(win1250ToUtf8(column)));
    py::list rows;
    for (const std::vector<TRowCell>& row : table.rows) {
        py::list cells;
        for (const TRowCell& cell : row)
            cells.append(cellObject(cell));
        rows.append(std::move(cells));
    }
    return py::make_tuple(columns, rows);
}

// How often a long run looks for Ctrl+C.
constexpr auto kSignalPoll = std::chrono::milliseconds(50);

// Runs `work` on a thread of its own with the interpreter free for other threads, while this
// thread (the main one in a notebook) looks for a KeyboardInterrupt: one asks the session to
// cancel, waits for the work to stop at its next check, and raises the interrupt. The session
// is left as a cancelled run in the window leaves it.
template <class Work>
auto runInterruptible(TModuleSession& session, Work work) -> decltype(work()) {
    std::optional<decltype(work())> result;
    std::exception_ptr failure;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::thread worker([&] {
        try {
            result.emplace(work());
        } catch (const TModuleSession::ECancelled&) {
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard lock(mutex);
        finished = true;
        done.notify_all();
    });
    bool interrupted = false;
    for (;;) {
        {
            py::gil_scoped_release free;
            std::unique_lock lock(mutex);
            if (done.wait_for(lock, kSignalPoll, [&] { return finished; })) break;
        }
        if (!interrupted && PyErr_CheckSignals() != 0) {
            interrupted = true;
            session.requestCancel();
        }
    }
    worker.join();
    if (interrupted) throw py::error_already_set();
    if (failure) std::rethrow_exception(failure);
    // Cancelled without an interrupt of ours: another thread asked.
    if (!result) throw py::value_error("The computation was cancelled");
    return std::move(*result);
}

TFindingsSort sortOf(const std::string& text) {
    if (text == "score") return TFindingsSort::Score;
    if (text == "p") return TFindingsSort::P;
    if (text == "diff") return TFindingsSort::Diff;
    throw std::invalid_argument("sort is \"score\", \"p\" or \"diff\", not \"" + text + "\"");
}

TImportEncoding encodingOf(const std::string& text) {
    if (text.empty() || text == "detect") return TImportEncoding::Detect;
    if (text == "utf8" || text == "utf-8") return TImportEncoding::Utf8;
    if (text == "win1250" || text == "cp1250" || text == "windows-1250")
        return TImportEncoding::Win1250;
    throw std::invalid_argument("encoding is \"detect\", \"utf8\" or \"win1250\", not \"" + text +
                                "\"");
}

using TPairs = std::vector<std::pair<std::string, std::string>>;

// The import request of the keyword arguments (the package checks their names and kinds).
TModuleSession::TImportRequest importRequest(const py::dict& choices) {
    TModuleSession::TImportRequest request;
    TImportOptions& o = request.options;
    for (const auto& [key, value] : choices) {
        const std::string name = py::cast<std::string>(key);
        if (value.is_none()) continue;
        if (name == "data_file") {
            request.dataFile = py::cast<std::string>(value);
            continue;
        }
        request.any = true;
        if (name == "delimiter") {
            const std::string d = py::cast<std::string>(value);
            if (d != "," && d != ";" && d != "\t")
                throw std::invalid_argument("delimiter is \",\", \";\" or a tab");
            o.delimiter = d[0];
        } else if (name == "encoding") {
            o.encoding = encodingOf(py::cast<std::string>(value));
        } else if (name == "boundaries") {
            o.boundaries = py::cast<int>(value);
        } else if (name == "set_limit") {
            o.setLimit = py::cast<int>(value);
        } else if (name == "int_limit") {
            o.intLimit = py::cast<int>(value);
        } else if (name == "strict") {
            o.strict = py::cast<bool>(value);
        } else if (name == "sample") {
            o.sample = py::cast<bool>(value);
        } else if (name == "sample_size") {
            o.sampleSize = py::cast<long long>(value);
        } else if (name == "seed") {
            o.seed = py::cast<std::uint64_t>(value);
        } else if (name == "sheet") {
            o.sheet = py::cast<std::string>(value);
        } else if (name == "skip") {
            o.skipRows = py::cast<int>(value);
        } else if (name == "types") {
            request.choices.types = py::cast<TPairs>(value);
        } else if (name == "bins") {
            request.choices.bins = py::cast<TPairs>(value);
        } else if (name == "ignore") {
            request.choices.ignored = py::cast<std::vector<std::string>>(value);
        } else if (name == "class_") {
            request.choices.classColumn = py::cast<std::string>(value);
        } else {
            throw std::invalid_argument("unknown import choice \"" + name + "\"");
        }
    }
    return request;
}

}  // namespace

PYBIND11_MODULE(_tavexplorer, m) {
    m.doc() = "The session of Tav Explorer, driven from Python";
    static py::exception<ETavError> tavError(m, "TavError");
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const ETavError& error) {
            // The program's messages are Windows-1250 inside.
            tavError(win1250ToUtf8(error.what()).c_str());
        }
    });

    py::class_<TModuleSession>(m, "Session")
        .def(py::init<>())
        .def("open", [](TModuleSession& s, const std::string& path,
                        const py::dict& choices) { s.open(path, importRequest(choices)); })
        .def("open_csv_text",
             [](TModuleSession& s, const std::string& text, const std::string& name,
                const py::dict& choices) { s.openCsvText(text, name, importRequest(choices)); })
        .def("set_class", &TModuleSession::setClass)
        .def("select", &TModuleSession::select)
        .def("context", &TModuleSession::context)
        .def("compare", &TModuleSession::compare)
        .def("set_setting", [](TModuleSession& s, int which,
                               double value) { s.setSetting(static_cast<TSetting>(which), value); })
        .def("setting",
             [](TModuleSession& s, int which) { return s.setting(static_cast<TSetting>(which)); })
        .def("fields", [](TModuleSession& s) { return rowsObject(s.fields()); })
        .def("rules", [](TModuleSession& s) { return rowsObject(s.rules()); })
        .def("rank",
             [](TModuleSession& s) {
                 return rowsObject(runInterruptible(s, [&] { return s.rank(); }));
             })
        .def("rank_pairs",
             [](TModuleSession& s, int top) {
                 return rowsObject(runInterruptible(s, [&] { return s.rankPairs(top); }));
             })
        .def("freq", [](TModuleSession& s,
                        const std::string& rule) { return rowsObject(s.frequency(rule)); })
        .def("findings",
             [](TModuleSession& s, const std::string& target, int conditions, int minCount,
                const std::string& sort, int top) {
                 const TFindingsSort order = sortOf(sort);
                 const auto found = runInterruptible(
                     s, [&] { return s.findings(target, conditions, minCount, order, top); });
                 return py::make_tuple(rowsObject(found.first), py::str(found.second));
             })
        .def("sweep",
             [](TModuleSession& s, const std::string& field, const std::string& target) {
                 return rowsObject(runInterruptible(s, [&] { return s.sweep(field, target); }));
             })
        .def("save_session", &TModuleSession::saveSession)
        .def("open_session", &TModuleSession::openSession)
        .def("take_messages", &TModuleSession::takeMessages);
}
