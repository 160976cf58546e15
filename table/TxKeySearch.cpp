// SearchKey and SearchKeyNext of TxDataSet.
#include <cstring>

#include "core/Win1250.h"
#include "table/TxDataSet.h"

namespace {

std::vector<std::string> splitFieldList(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(';', start);
        std::string name =
            list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        while (!name.empty() && name.front() == ' ')
            name.erase(0, 1);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (!name.empty()) names.push_back(name);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return names;
}

bool keyEquals(const TxField& f, const TxValue& record, const TxValue& key,
               TxSearchOptions options) {
    switch (presentedType(f.type)) {
        case TxPresentedType::String: {
            std::string value = record.toString();
            std::string wanted = key.toString();
            if (options.caseInsensitive) {
                value = upperCase1250(value);
                wanted = upperCase1250(wanted);
            }
            if (f.type == xftString && options.partialKey) value = value.substr(0, wanted.size());
            return value == wanted;
        }
        case TxPresentedType::Currency:
            return record.toCurrency() == key.toCurrency();
        case TxPresentedType::Float:
        case TxPresentedType::Date:
        case TxPresentedType::Time:
            return record.toFloat() - key.toFloat() == 0.0;
        default:
            return record.toInteger() == key.toInteger();
    }
}

}  // namespace

bool TxDataSet::SearchKey(const std::string& keyFields, const TxValue& values,
                          TxSearchOptions options) {
    return searchFrom(true, keyFields, values, options);
}

bool TxDataSet::SearchKeyNext(const std::string& keyFields, const TxValue& values,
                              TxSearchOptions options) {
    return searchFrom(false, keyFields, values, options);
}

bool TxDataSet::searchFrom(bool fromFirst, const std::string& keyFields, const TxValue& values,
                           TxSearchOptions options) {
    checkActive();
    std::vector<int> keys;
    for (const std::string& name : splitFieldList(keyFields))
        keys.push_back(fieldByName(name).index());
    std::vector<TxValue> keyValues;
    if (values.isArray()) {
        for (const TxValue& element : values.elements()) {
            if (element.isArray())
                throw ExDataSetError("Variant array has invalid dimension Count");
        }
        keyValues = values.elements();
        if (keyValues.size() != keys.size()) throw ExDataSetError("Wrong number of values");
    } else {
        if (keys.size() != 1) throw ExDataSetError("Wrong number of values");
        keyValues.push_back(values);
    }
    checkBrowseMode();

    // The search record: the key values stored with the write conversions, read back as presented.
    std::vector<std::uint8_t> search(static_cast<std::size_t>(m_layout.bufferSize()), 0);
    std::vector<TxValue> wanted;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const TxField& f = field(keys[k]);
        const TxValue& v = keyValues[k];
        if (!v.isNull() && !(v.kind() == TxValue::Kind::String && v.toString().empty())) {
            try {
                writeFieldValue(f, search.data(), v, m_codePageIn, m_codePageOut);
            } catch (const ExDataSetError& e) {
                fail(e.what());
            }
        }
        wanted.push_back(readFieldValue(f, search.data(), m_codePageIn, m_codePageOut));
    }

    if (fromFirst) m_currentIndex = -1;
    while (getRecord(m_scratch, TxGetMode::Next) == TxGetResult::Ok) {
        bool match = true;
        for (std::size_t k = 0; k < keys.size() && match; ++k) {
            const TxField& f = field(keys[k]);
            match = keyEquals(f, readFieldValue(f, m_scratch.data(), m_codePageIn, m_codePageOut),
                              wanted[k], options);
        }
        if (!match) continue;
        fire(BeforeScroll);
        takeScratch();
        m_bof = m_eof = false;
        fire(AfterScroll);
        notify(TxDataEvent::DataSetScroll);
        notify(TxDataEvent::DataChange);
        flushReplaced();
        return true;
    }
    // Not found: the cursor stays where the search ended, after the last record.
    m_currentIndex = storeCount();
    m_hasRecord = false;
    m_eof = true;
    m_bof = false;
    notify(TxDataEvent::DataSetScroll);
    notify(TxDataEvent::DataChange);
    flushReplaced();
    return false;
}
