#pragma once

#include <functional>

#include "table/TxRecordLayout.h"
#include "table/TxValue.h"

// What a table tells the views attached to it.
enum class TxDataEvent {
    FieldChange,    // a field of the current record or of the edit buffer was written (field set)
    RecordChange,   // the values of the current record changed (post or cancel of an edit)
    DataSetChange,  // the records changed as a whole: open, close, a new record posted, a delete,
                    // the filter, a re-read of the file, the end of a suspended bulk change
    DataSetScroll,  // the cursor moved to another record
    StateChange,    // the state changed (inactive, browse, edit, insert)
    DataChange,     // raised after every cursor move, post, cancel, delete, open and close; code
                    // without a grid (batch, report walks) listens to this one
};

struct TxNotification {
    TxDataEvent event = TxDataEvent::DataChange;
    int field = -1;  // FieldChange: the index of the field
};

// An observer of a table. Notifications are delivered on the caller's thread while the table is in
// a consistent state; a view may read the table but must not move its cursor from inside one.
class TxDataView {
  public:
    virtual ~TxDataView() = default;
    virtual void dataEvent(const TxNotification& notification) = 0;
};

// A view made of a function, for code that only wants to hear about changes.
class TxDataLink : public TxDataView {
  public:
    explicit TxDataLink(std::function<void(const TxNotification&)> handler)
        : m_handler(std::move(handler)) {}
    void dataEvent(const TxNotification& notification) override {
        if (m_handler) m_handler(notification);
    }

  private:
    std::function<void(const TxNotification&)> m_handler;
};

// Directions of a record fetch and its answers.
enum class TxGetMode { Current, Next, Prior };
enum class TxGetResult { Ok, Bof, Eof, Error };

// What a view reads of a table: its rows, fields and values, where its cursor is, and the views
// that hear of its changes. Nothing here changes a record or moves the cursor; the owner of a
// table hands this out when only it may change the table. Rows are the records that pass the
// filter, in record-list order.
class TxViewReader {
  public:
    virtual ~TxViewReader() = default;

    // The number of rows (RecordCount).
    virtual int RecordCount() = 0;
    // The record number: the current record's 0-based index in the record list + 1, 0 without one.
    virtual int recNo() const = 0;
    // The row of the current record, or -1 when the cursor is not on a record.
    virtual int currentRow() = 0;

    // The fields; data fields first, then calculated fields.
    virtual int fieldCount() const = 0;
    virtual const TxField& field(int index) const = 0;
    // The value of field `field` of row `row`, read without moving the cursor and without notifying
    // anyone. Null for a row or field that does not exist.
    virtual TxValue valueAt(int row, int field) = 0;

    virtual void attachView(TxDataView* view) = 0;
    virtual void detachView(TxDataView* view) = 0;
    // The notifications to the views are suspended (see TxViewSource::disableControls).
    virtual bool controlsDisabled() const = 0;
};

// What a view (a grid) may do to a table besides reading it: move its cursor and hold its
// notifications; the GUI adapts this interface to its model/view.
class TxViewSource : public TxViewReader {
  public:
    // Moves the cursor by direction like first/next/prior do (Current re-reads the current record).
    virtual TxGetResult fetch(TxGetMode mode) = 0;
    // Makes the record of row `row` current; false when there is no such row.
    virtual bool moveToRow(int row) = 0;
    // Suspends and resumes the notifications to the views; suspensions nest. What happened while
    // suspended reaches the views as one DataSetChange and one DataChange at the last resume.
    virtual void disableControls() = 0;
    virtual void enableControls() = 0;
};
