#pragma once

#include <array>
#include <cstdint>
#include <string>

// The kinds of an operand cell.
enum TOperandKind : uint8_t {
    okBoolean = 0,
    okString = 1,
    okInteger = 2,
};

// A value cell of the filter evaluator. Only the member that belongs to `kind` is meaningful; the
// others keep whatever an earlier token left in them.
struct ExprOperand {
    uint8_t kind = okBoolean;
    uint8_t boolean = 0;  // 0 or 1
    std::string text;
    int32_t integer = 0;
};

// The error state of one evaluation: whether any error was raised, and the text of the first.
class TExprErrors {
  public:
    // Sets the error flag; the text is kept only when no error was raised before.
    void raise(const std::string& text);
    // Whether an error was raised.
    bool raised() const { return m_raised; }
    // The first error text, or "".
    const std::string& firstText() const { return m_text; }

  private:
    bool m_raised = false;
    std::string m_text;
};

// The number of slots of the operand stack.
inline constexpr int kOperandStackSlots = 20;

// The operand stack of one evaluation: 20 slots and a depth that starts at 0 and never goes past
// 20. The push that fills the last slot raises "Push to full stack"; every later push of the same
// evaluation is dropped, so pops only ever read cells that were stored.
class OperandStack {
  public:
    // Stores `cell` in the slot of the new depth, or drops it once the stack has been full.
    void push(ExprOperand cell, TExprErrors& errors);
    // Moves the top cell into `target`; on an empty stack raises "Pop from empty stack" and leaves
    // `target` as it was.
    void pop(ExprOperand& target, TExprErrors& errors);
    // The number of stored cells, 0..20.
    int depth() const { return m_depth; }
    // The top cell. Requires: depth() > 0.
    const ExprOperand& top() const { return m_slots[m_depth - 1]; }

  private:
    std::array<ExprOperand, kOperandStackSlots> m_slots;
    int m_depth = 0;
    bool m_wasFull = false;
};
