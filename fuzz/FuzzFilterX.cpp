// The FilterX language: compile the fuzzer's text against a fixed table and evaluate it on each
// record, with and without the options.

#include <cstddef>
#include <cstdint>
#include <string>

#include "table/TXMLDataSet.h"
#include "table/TxFilterExpr.h"

namespace {

TXMLDataSet& table() {
    static TXMLDataSet* t = [] {
        auto* data = new TXMLDataSet;
        data->OnGetHeader = [](TxDataSet& d) {
            d.AddField("Name", xftString, 20);
            d.AddField("No.", xftInteger, 0);
            d.AddField("Score", xftDouble, 0);
            d.AddField("Flag", xftBoolean, 0);
            d.AddField("Born", xftDate, 0);
            d.AddField("At", xftTime, 0);
            d.AddField("Money", xftCurrency, 0);
            d.AddField("Initial", xftChar, 0);
        };
        data->SetCodePageIn(cp1250);
        data->open();
        for (int k = 0; k < 3; ++k) {
            data->append();
            data->fieldByName("Name").setAsString(k == 0 ? "" : k == 1 ? "Ana" : " \x8Aola ");
            data->fieldByName("No.").setAsInteger(k * 7 - 3);
            data->fieldByName("Score").setAsFloat(k * 2.5);
            data->fieldByName("Flag").setAsBoolean(k == 1);
            data->fieldByName("Born").setAsDateTime(36525.0 + k);
            data->fieldByName("At").setAsDateTime(0.25 * k);
            data->fieldByName("Money").setAsCurrency(12345 * k);
            data->fieldByName("Initial").setAsString(k == 2 ? "M" : "");
            data->post();
        }
        return data;
    }();
    return *t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    TXMLDataSet& data = table();
    const TxFilterOptions options{size > 0 && (bytes[0] & 1), size > 0 && (bytes[0] & 2)};
    try {
        const auto expr = TxFilterExpr::compile(text, data.layout(), options);
        for (int row = 0; row < data.RecordCount(); ++row)
            (void)expr->passes([&](int index) { return data.valueAt(row, index); });
    } catch (const ExDataSetError&) {
    }
    return 0;
}
