#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/CodePage.h"
#include "table/ExDataSetError.h"
#include "table/TxDataView.h"
#include "table/TxFilterExpr.h"
#include "table/TxRecordLayout.h"
#include "table/TxValue.h"

class TxDataSet;

enum class TxDataSetState { Inactive, Browse, Edit, Insert, CalcFields, Filter };

// What an error handler (OnPostError, OnEditError, OnDeleteError) decides: let the error pass, end
// the operation silently, or try the operation again.
enum class TxDataAction { Fail, Abort, Retry };

struct TxSearchOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

// A bookmark: the 4-byte record index, or absent.
using TxBookmark = std::optional<std::int32_t>;

using TDataSetNotifyEvent = std::function<void(TxDataSet&)>;
using TGetHeaderEvent = std::function<void(TxDataSet&)>;
using TFilterRecordEvent = std::function<void(TxDataSet&, bool& accept)>;
using TDataSetErrorEvent = std::function<void(TxDataSet&, const ExDataSetError&, TxDataAction&)>;

// A field of a table, looked up by name: reads and writes the buffer that the table's state
// selects.
class TxFieldRef {
  public:
    TxFieldRef(TxDataSet& dataSet, int index) : m_dataSet(&dataSet), m_index(index) {}

    const TxField& field() const;
    const std::string& name() const { return field().name; }
    int index() const { return m_index; }

    TxValue value() const;
    bool isNull() const { return value().isNull(); }
    std::int64_t asInteger() const { return value().toInteger(); }
    double asFloat() const { return value().toFloat(); }
    std::string asString() const { return value().toString(); }
    bool asBoolean() const { return value().toBoolean(); }
    double asDateTime() const { return value().toDateTime(); }
    std::int64_t asCurrency() const { return value().toCurrency(); }

    void setValue(const TxValue& value) const;
    void setAsInteger(std::int64_t value) const { setValue(TxValue(value)); }
    void setAsFloat(double value) const { setValue(TxValue(value)); }
    void setAsString(const std::string& value) const { setValue(TxValue(value)); }
    void setAsBoolean(bool value) const { setValue(TxValue(value)); }
    void setAsDateTime(double value) const { setValue(TxValue::dateTime(value)); }
    void setAsCurrency(std::int64_t tenThousandths) const {
        setValue(TxValue::currency(tenThousandths));
    }
    // Zero-fills the field's bytes (a string field then reads as null).
    void clear() const { setValue(TxValue()); }

  private:
    TxDataSet* m_dataSet;
    int m_index;
};

// The typed in-memory table: field definitions, record layout, cursor, edit buffer, field access,
// bookmarks, notifications, key search and filter. The record store lives in a descendant
// (TXMLDataSet). Not copyable; used from one thread.
//
// Errors are ExDataSetError. Besides the texts documented at each operation: "Cannot perform this
// operation on a closed dataset", "Cannot modify a read-only dataset", "Cannot perform this
// operation without a current record", "Record not found", "Field 'X' not found".
class TxDataSet : public TxViewSource {
  public:
    TxDataSet();
    ~TxDataSet() override;
    TxDataSet(const TxDataSet&) = delete;
    TxDataSet& operator=(const TxDataSet&) = delete;

    // --- Field definitions --------------------------------------------------------------------

    // Appends a data field at the end of the record (inside OnGetHeader, while the table opens).
    // Throws the errors of TxRecordLayout::addField, and "Cannot perform this operation on an open
    // dataset" on an open table.
    void AddField(const std::string& name, int type, int length);
    // Declares a calculated field on a closed table; it is placed behind the record at every open
    // and computed by OnCalcFields.
    void AddCalcField(const std::string& name, int type, int length);
    void clearCalcFields();

    std::vector<TxFieldDef> FieldDefs() const { return m_layout.fieldDefs(); }
    const TxRecordLayout& layout() const { return m_layout; }
    int RecordSize() const { return m_layout.recordSize(); }
    int fieldCount() const override { return static_cast<int>(m_layout.fields().size()); }
    const TxField& field(int index) const override;

    // --- Properties ---------------------------------------------------------------------------

    CodePageId CodePageIn() const { return m_codePageIn; }
    void SetCodePageIn(CodePageId codePage);
    CodePageId CodePageOut() const { return m_codePageOut; }
    void SetCodePageOut(CodePageId codePage);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // When on, calculated fields are recomputed after every data field write in edit and insert
    // state.
    bool AutocalcFields() const { return m_autocalcFields; }
    void SetAutocalcFields(bool on) { m_autocalcFields = on; }

    // --- Opening and closing ------------------------------------------------------------------

    // Defines the fields (OnGetHeader, or the descendant's file header), loads the records and puts
    // the cursor on the first record. On failure the table stays closed and the error passes.
    void open();
    // Stores a pending edit over the current record (a pending insert is dropped), lets the
    // descendant save, frees all records. If saving fails the table stays open (in browse state)
    // and the error passes.
    void close();
    bool Active() const { return m_state != TxDataSetState::Inactive; }
    void SetActive(bool active) { active ? open() : close(); }
    TxDataSetState state() const { return m_state; }

    // --- Navigation (over the records that pass the filter) -----------------------------------

    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    // True when no record passes the filter (the cursor has no record).
    bool isEmpty() const { return !m_hasRecord && m_state != TxDataSetState::Insert; }
    bool hasCurrentRecord() const { return m_hasRecord; }
    // The cursor: -1 before the first record, 0..count-1 on a record, count after the last.
    int CurrentIndex() const { return m_currentIndex; }

    int RecordCount() override;
    int recNo() const override;
    // Moves to record n (1 <= n <= the number of records in the list), else "SetRecNo: out of
    // range".
    void setRecNo(int n);
    TxGetResult fetch(TxGetMode mode) override;
    int currentRow() override;
    bool moveToRow(int row) override;
    TxValue valueAt(int row, int field) override;
    // The value of a field of the record at `index` in the record list (not the row), read without
    // moving the cursor or notifying. Null when the index or the field does not exist.
    TxValue valueAtIndex(int index, int field);

    // --- Bookmarks ----------------------------------------------------------------------------

    TxBookmark getBookmark() const;
    // Makes the bookmarked record current; "Record not found" when it does not exist or is filtered
    // out.
    void gotoBookmark(const TxBookmark& bookmark);
    void freeBookmark(TxBookmark& bookmark) const { bookmark.reset(); }
    // -1, 0 or 1 by the indexes; an absent bookmark is greater than any present one.
    int compareBookmarks(const TxBookmark& a, const TxBookmark& b) const;
    // Present, 0 <= index < the number of records in the list, and the record passes the filter
    // (so that gotoBookmark finds it).
    bool bookmarkValid(const TxBookmark& bookmark);

    // --- Editing ------------------------------------------------------------------------------

    // Start a zero-filled new record in the edit buffer (state insert); post adds it at the end.
    void append();
    void insert();
    // State edit on the current record.
    void edit();
    // Stores the edit buffer (at the end for insert, over the current record for edit). Nothing
    // happens in browse state. The descendant's write counter is checked afterwards (its errors
    // pass after the record was stored).
    void post();
    // Leaves edit or insert state without storing anything.
    void cancel();
    // Removes the current record; the cursor then is on the record that followed it, or on the new
    // last record when the deleted one was the last.
    void deleteRecord();
    bool modified() const { return m_modified; }

    // --- Field access -------------------------------------------------------------------------

    TxFieldRef fieldByName(const std::string& name);
    // The field's index, or -1.
    int findField(const std::string& name) const { return m_layout.indexOf(name); }
    // The value in the buffer of the current state (browse: the current record, null without one).
    TxValue fieldValue(int index) const;
    // Writes the buffer of the current state: in edit and insert state the edit buffer; in browse
    // state the current record itself (counted as a change); while calculated fields are computed
    // only calculated fields ("Dataset not in edit or insert mode" for a data field, and in the
    // filtering state).
    void setFieldValue(int index, const TxValue& value);

    // --- Views --------------------------------------------------------------------------------

    // A view stays attached until it is detached; it must be detached before it is destroyed.
    void attachView(TxDataView* view) override;
    void detachView(TxDataView* view) override;
    void disableControls() override;
    void enableControls() override;
    bool controlsDisabled() const override { return m_disableCount > 0; }

    // --- Key search and filter ----------------------------------------------------------------

    // Finds the first record whose key fields (names separated by ";") equal the values (one value,
    // or an array with one value per key field) and makes it current. Not found: the cursor stays
    // after the last record. Errors: "Variant array has invalid dimension Count" (an array of
    // arrays), "Wrong number of values".
    bool SearchKey(const std::string& keyFields, const TxValue& values,
                   TxSearchOptions options = {});
    // The same search starting from the record after the current one.
    bool SearchKeyNext(const std::string& keyFields, const TxValue& values,
                       TxSearchOptions options = {});

    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool on);
    const std::string& FilterX() const { return m_filterText; }
    // Stores the expression; on an open table compiles it (errors pass, the filter then is empty).
    void SetFilterX(const std::string& text);
    TxFilterOptions FilterOptions() const { return m_filterOptions; }
    void SetFilterOptions(TxFilterOptions options);
    // The filter test of a record buffer (true with Filtered off).
    bool recordPasses(std::uint8_t* buffer);

    // --- Events -------------------------------------------------------------------------------

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TDataSetErrorEvent OnDeleteError, OnEditError, OnPostError;
    TFilterRecordEvent OnFilterRecord;
    TGetHeaderEvent OnGetHeader;

  protected:
    // --- The record store of a descendant ------------------------------------------------------

    // Defines the fields when there is no OnGetHeader handler (throws when it cannot).
    virtual void defineFieldsWithoutHandler() = 0;
    // Loads the records at open (after the fields are placed).
    virtual void loadRecords(bool hasHeaderHandler) = 0;
    // Saves at close; `editStored` tells that a pending edit was just stored. May throw.
    virtual void saveAtClose(bool editStored) = 0;
    // Frees all records.
    virtual void freeRecords() = 0;
    virtual int storeCount() const = 0;
    virtual const std::uint8_t* storeRecord(int index) const = 0;
    virtual std::uint8_t* storeRecordForWrite(int index) = 0;
    virtual void storeAppend(const std::uint8_t* record) = 0;
    virtual void storeDelete(int index) = 0;
    // Called at the start of every fetch in browse state (the lazy re-read).
    virtual void beforeFetch() {}
    // Called after every post, delete and browse-state field write (the lazy write).
    virtual void afterChange() {}
    // The file name carried by errors.
    virtual std::string errorFileName() const { return {}; }

    // For descendants that replaced the records: keep the cursor index, re-read the current record
    // and notify the views once the running operation ends.
    void recordsReplaced();
    // Closes without saving and without events (for destructors).
    void closeWithoutSaving() noexcept;
    [[noreturn]] void fail(const std::string& message) const;
    void setCurrentIndex(int index) { m_currentIndex = index; }

  private:
    friend class TxFieldRef;
    class StateScope;

    // The fetch of one record into a buffer of layout().bufferSize() bytes: moves CurrentIndex by
    // direction, copies the record, computes calculated fields, writes BookmarkInfo and applies the
    // filter (next and prior skip rejected records; current answers Error for one). The callers
    // make the buffer the current record or restore the cursor.
    TxGetResult getRecord(std::vector<std::uint8_t>& buffer, TxGetMode mode);
    // One record on (Next) or back (Prior); at the end the cursor stays and EOF or BOF is set.
    void step(TxGetMode mode);
    // The first record (Next from before the first) or the last (Prior from after the last).
    void jumpToEnd(TxGetMode mode);
    void checkActive() const;
    void checkBrowseMode();
    void checkCanModify() const;
    void requireCurrentRecord() const;
    void fillBuffer(std::vector<std::uint8_t>& buffer, int index);
    void computeCalcFields(std::uint8_t* buffer);
    std::uint8_t* stateBuffer();
    const std::uint8_t* stateBuffer() const;
    void takeScratch();
    void noRecord();
    bool resync(bool exact);
    void notify(TxDataEvent event, int field = -1);
    void flushReplaced();
    void fire(const TDataSetNotifyEvent& event) {
        if (event) event(*this);
    }
    bool guarded(const TDataSetErrorEvent& handler, const std::function<void()>& operation);
    void setState(TxDataSetState state);
    void invalidateRows() { m_rowsValid = false; }
    const std::vector<int>& rows();
    void compileFilter();
    void refreshFilter();
    bool searchFrom(bool fromFirst, const std::string& keyFields, const TxValue& values,
                    TxSearchOptions options);

    TxRecordLayout m_layout;
    std::vector<TxCalcFieldDef> m_calcDefs;
    CodePageId m_codePageIn = cp437;
    CodePageId m_codePageOut = cp1250;
    bool m_readOnly = false;
    bool m_autocalcFields = true;

    TxDataSetState m_state = TxDataSetState::Inactive;
    bool m_opening = false;
    int m_currentIndex = -1;
    bool m_hasRecord = false;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    bool m_replaced = false;
    int m_insertFromIndex = -1;
    std::vector<std::uint8_t> m_current;  // the current record's buffer
    std::vector<std::uint8_t> m_edit;     // the edit buffer
    std::vector<std::uint8_t> m_scratch;  // fetch target
    std::uint8_t* m_transientBuffer =
        nullptr;  // the buffer of the calculating and filtering states

    std::vector<TxDataView*> m_views;
    int m_disableCount = 0;
    bool m_heldNotification = false;

    bool m_rowsValid = false;
    std::vector<int> m_rows;  // record indexes of the rows while filtered

    bool m_filtered = false;
    std::string m_filterText;
    TxFilterOptions m_filterOptions;
    std::unique_ptr<TxFilterExpr> m_filterExpr;
};
