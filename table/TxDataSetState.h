#pragma once

#include "table/TxDataSet.h"

// Enters a transient state (calculating, filtering) with its buffer and restores the previous state
// and buffer when it ends, also on an exception.
class TxDataSet::StateScope {
  public:
    StateScope(TxDataSet& dataSet, TxDataSetState state, std::uint8_t* buffer)
        : m_dataSet(dataSet), m_state(dataSet.m_state), m_buffer(dataSet.m_transientBuffer) {
        dataSet.m_state = state;
        dataSet.m_transientBuffer = buffer;
    }
    ~StateScope() {
        m_dataSet.m_state = m_state;
        m_dataSet.m_transientBuffer = m_buffer;
    }
    StateScope(const StateScope&) = delete;
    StateScope& operator=(const StateScope&) = delete;

  private:
    TxDataSet& m_dataSet;
    TxDataSetState m_state;
    std::uint8_t* m_buffer;
};
