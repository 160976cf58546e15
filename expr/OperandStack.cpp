#include "expr/OperandStack.h"

#include <utility>

void TExprErrors::raise(const std::string& text) {
    if (m_raised) return;
    m_raised = true;
    m_text = text;
}

void OperandStack::push(ExprOperand cell, TExprErrors& errors) {
    // After the overflow the evaluation has failed anyway; dropping keeps every slot in bounds.
    if (m_wasFull) return;
    m_slots[m_depth] = std::move(cell);
    ++m_depth;
    if (m_depth == kOperandStackSlots) {
        m_wasFull = true;
        errors.raise("Push to full stack");
    }
}

void OperandStack::pop(ExprOperand& target, TExprErrors& errors) {
    if (m_depth == 0) {
        errors.raise("Pop from empty stack");
        return;
    }
    --m_depth;
    target = std::move(m_slots[m_depth]);
}
