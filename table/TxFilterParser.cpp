// The FilterX language: a small infix expression over the fields of one record. A record passes
// the filter when the expression is a true boolean, a number or date other than zero, or a
// non-empty string; null (an undefined value) rejects it.
//
// Grammar (keywords and function names are case-insensitive; lowest precedence first):
//
//   expression := or
//   or         := and { "OR" and }
//   and        := not { "AND" not }
//   not        := "NOT" not | comparison
//   comparison := sum [ ( "=" | "<>" | "<" | "<=" | ">" | ">=" ) sum ]
//               | sum "IS" [ "NOT" ] "NULL"
//   sum        := product { ( "+" | "-" ) product }
//   product    := unary { ( "*" | "/" ) unary }
//   unary      := ( "-" | "+" ) unary | cast
//   cast       := primary { "::" type-name }          type-name: Byte .. PkDate, as in files
//   primary    := number | string | "TRUE" | "FALSE" | "NULL"
//               | field | function "(" [ expression { "," expression } ] ")"
//               | "(" expression ")"
//   number     := digits [ "." digits ] [ ( "E" | "e" ) [ sign ] digits ]
//   string     := "'" { character | "''" } "'"
//   field      := name | "[" any characters but "]" "]"
//   name       := ( letter | "_" ) { letter | digit | "_" | "." }     (letters include bytes >=
//   128)
//
// Types: boolean, number (integer, floating and currency fields), string ("Char", "String"), date
// ("Date", "Time", "PkDate"; a number of days from 1899-12-30). Comparisons take two operands of
// the same type (dates and numbers mix); "+" adds numbers, joins strings and moves a date by days;
// "-" subtracts numbers, moves a date back or gives the days between two dates; "*" and "/" take
// numbers; NOT, AND and OR take booleans. Strings compare byte by byte, or upper-cased with the
// case-insensitive option; "=" and "<>" against a string constant ending in "*" compare only the
// prefix before the "*" unless the no-partial-compare option is set. "IS NULL" is true for an
// empty string field and for undefined values. "x :: Type" converts to a storage type's value.
//
// Functions: UPPER(s), LOWER(s), TRIM(s), TRIMLEFT(s), TRIMRIGHT(s); SUBSTRING(s, start[, length])
// counting from 1; GETDATE() the local date and time; YEAR(d), MONTH(d), DAY(d), HOUR(d),
// MINUTE(d), SECOND(d) of a date; DATE(d) the date part, DATE(y, m, d) a date, DATE(s) a date from
// the text 'yyyy-mm-dd' or the user's short date; TIME(d) the time part, TIME(h, m, s) a time,
// TIME(s) a time from 'hh:mm[:ss]' or the user's long time.
//
// Errors: "Unknown operator" (a character sequence that is no operator, or an operand where an
// operator is expected), "Operator not supported" (operand types the operator does not take),
// "Invalid or missing parameter" (a missing operand, wrong function arguments, an unterminated
// string or bracket), "Invalid function" (an unknown function name), "Unknown field type" (a
// type name after "::" that is no storage type), "Field 'X' not found", "Expression nested too
// deeply: at most 256 levels".
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/Win1250.h"
#include "table/ExDataSetError.h"
#include "table/TxFilterExpr.h"
#include "table/TxFilterNode.h"

namespace {

using NodePtr = std::unique_ptr<TxFilterNode>;

[[noreturn]] void error(const char* text) {
    throw ExDataSetError(text);
}

enum class Tok { End, Number, String, Name, Bracket, LParen, RParen, Comma, Op };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // Name / Bracket / String / Op
    double number = 0.0;
};

bool isNameStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isNameChar(unsigned char c) {
    return isNameStart(c) || isDigit(c) || c == '.';
}

const char* const kFunctionNames[] = {"UPPER",     "LOWER",   "SUBSTRING", "TRIM",  "TRIMLEFT",
                                      "TRIMRIGHT", "GETDATE", "YEAR",      "MONTH", "DAY",
                                      "HOUR",      "MINUTE",  "SECOND",    "DATE",  "TIME"};

// Nesting deeper than this (parentheses, function arguments, NOT and signs) is refused: people
// never write it, and the parser and the evaluator recurse once per level.
constexpr int kMaxNesting = 256;

class Parser {
  public:
    Parser(const std::string& text, const TxRecordLayout& layout, TxFilterOptions options)
        : m_text(text), m_layout(layout), m_options(options) {
        advance();
    }

    NodePtr parseAll() {
        NodePtr root = parseOr();
        if (m_tok.kind != Tok::End) error("Unknown operator");
        return root;
    }

  private:
    // One level of nesting for as long as it lives.
    class Nesting {
      public:
        explicit Nesting(Parser& parser) : m_parser(parser) {
            if (++m_parser.m_depth > kMaxNesting)
                throw ExDataSetError("Expression nested too deeply: at most " +
                                     std::to_string(kMaxNesting) + " levels");
        }
        ~Nesting() { --m_parser.m_depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

      private:
        Parser& m_parser;
    };

    void advance() { m_tok = lex(); }

    Token lex() {
        const std::string& s = m_text;
        while (m_pos < s.size() &&
               (s[m_pos] == ' ' || s[m_pos] == '\t' || s[m_pos] == '\r' || s[m_pos] == '\n'))
            ++m_pos;
        Token t;
        if (m_pos >= s.size()) return t;
        const auto c = static_cast<unsigned char>(s[m_pos]);
        if (isDigit(c) || (c == '.' && m_pos + 1 < s.size() &&
                           isDigit(static_cast<unsigned char>(s[m_pos + 1])))) {
            const std::size_t start = m_pos;
            while (m_pos < s.size() && isDigit(static_cast<unsigned char>(s[m_pos])))
                ++m_pos;
            if (m_pos < s.size() && s[m_pos] == '.') {
                ++m_pos;
                while (m_pos < s.size() && isDigit(static_cast<unsigned char>(s[m_pos])))
                    ++m_pos;
            }
            if (m_pos < s.size() && (s[m_pos] == 'e' || s[m_pos] == 'E')) {
                std::size_t k = m_pos + 1;
                if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
                if (k < s.size() && isDigit(static_cast<unsigned char>(s[k]))) {
                    while (k < s.size() && isDigit(static_cast<unsigned char>(s[k])))
                        ++k;
                    m_pos = k;
                }
            }
            std::string digits = s.substr(start, m_pos - start);
            if (digits[0] == '.') digits = "0" + digits;
            if (std::from_chars(digits.data(), digits.data() + digits.size(), t.number).ec !=
                std::errc())
                t.number = HUGE_VAL;  // beyond double: an undefined value
            t.kind = Tok::Number;
            if (m_pos < s.size() && isNameStart(static_cast<unsigned char>(s[m_pos])))
                error("Unknown operator");
            return t;
        }
        if (c == '\'') {
            for (++m_pos;; ++m_pos) {
                if (m_pos >= s.size()) error("Invalid or missing parameter");
                if (s[m_pos] == '\'') {
                    if (m_pos + 1 < s.size() && s[m_pos + 1] == '\'') {
                        t.text += '\'';
                        ++m_pos;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                t.text += s[m_pos];
            }
            t.kind = Tok::String;
            return t;
        }
        if (c == '[') {
            const std::size_t end = s.find(']', m_pos + 1);
            if (end == std::string::npos) error("Invalid or missing parameter");
            t.kind = Tok::Bracket;
            t.text = s.substr(m_pos + 1, end - m_pos - 1);
            m_pos = end + 1;
            return t;
        }
        if (isNameStart(c)) {
            const std::size_t start = m_pos;
            while (m_pos < s.size() && isNameChar(static_cast<unsigned char>(s[m_pos])))
                ++m_pos;
            t.kind = Tok::Name;
            t.text = s.substr(start, m_pos - start);
            return t;
        }
        ++m_pos;
        switch (c) {
            case '(':
                t.kind = Tok::LParen;
                return t;
            case ')':
                t.kind = Tok::RParen;
                return t;
            case ',':
                t.kind = Tok::Comma;
                return t;
            default:
                break;
        }
        const char next = m_pos < s.size() ? s[m_pos] : '\0';
        t.kind = Tok::Op;
        if ((c == '<' && (next == '>' || next == '=')) || (c == '>' && next == '=') ||
            (c == ':' && next == ':')) {
            t.text = std::string(1, static_cast<char>(c)) + next;
            ++m_pos;
            return t;
        }
        if (c == '=' && next == '=') error("Unknown operator");
        if (std::strchr("<>=+-*/", c) && c != '\0') {
            t.text = std::string(1, static_cast<char>(c));
            return t;
        }
        error("Unknown operator");
    }

    bool isKeyword(const char* word) const {
        return m_tok.kind == Tok::Name && upperCase1250(m_tok.text) == word;
    }
    bool isOp(const char* op) const { return m_tok.kind == Tok::Op && m_tok.text == op; }

    static NodePtr node(TxFOp op, TxFType type) {
        auto n = std::make_unique<TxFilterNode>();
        n->op = op;
        n->type = type;
        return n;
    }
    static NodePtr binary(TxFOp op, TxFType type, NodePtr a, NodePtr b) {
        NodePtr n = node(op, type);
        n->args.push_back(std::move(a));
        n->args.push_back(std::move(b));
        return n;
    }

    NodePtr parseOr() {
        const Nesting level(*this);
        NodePtr left = parseAnd();
        while (isKeyword("OR")) {
            advance();
            NodePtr right = parseAnd();
            requireBool(*left, *right);
            left = binary(TxFOp::Or, TxFType::Bool, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parseAnd() {
        NodePtr left = parseNot();
        while (isKeyword("AND")) {
            advance();
            NodePtr right = parseNot();
            requireBool(*left, *right);
            left = binary(TxFOp::And, TxFType::Bool, std::move(left), std::move(right));
        }
        return left;
    }

    static void requireBool(const TxFilterNode& a, const TxFilterNode& b) {
        auto ok = [](TxFType t) { return t == TxFType::Bool || t == TxFType::Null; };
        if (!ok(a.type) || !ok(b.type)) error("Operator not supported");
    }

    NodePtr parseNot() {
        if (!isKeyword("NOT")) return parseComparison();
        const Nesting level(*this);
        advance();
        NodePtr operand = parseNot();
        if (operand->type != TxFType::Bool && operand->type != TxFType::Null)
            error("Operator not supported");
        NodePtr n = node(TxFOp::Not, TxFType::Bool);
        n->args.push_back(std::move(operand));
        return n;
    }

    NodePtr parseComparison() {
        NodePtr left = parseSum();
        if (isKeyword("IS")) {
            advance();
            bool negated = false;
            if (isKeyword("NOT")) {
                negated = true;
                advance();
            }
            if (!isKeyword("NULL")) error("Invalid or missing parameter");
            advance();
            NodePtr n = node(negated ? TxFOp::IsNotNull : TxFOp::IsNull, TxFType::Bool);
            n->args.push_back(std::move(left));
            return n;
        }
        static const std::pair<const char*, TxFOp> kComparisons[] = {
            {"=", TxFOp::Eq},  {"<>", TxFOp::Ne}, {"<", TxFOp::Lt},
            {"<=", TxFOp::Le}, {">", TxFOp::Gt},  {">=", TxFOp::Ge}};
        for (const auto& [text, op] : kComparisons) {
            if (!isOp(text)) continue;
            advance();
            NodePtr right = parseSum();
            const TxFType a = left->type, b = right->type;
            const bool numeric = (a == TxFType::Number || a == TxFType::Date) &&
                                 (b == TxFType::Number || b == TxFType::Date);
            if (a != b && !numeric && a != TxFType::Null && b != TxFType::Null)
                error("Operator not supported");
            NodePtr n = binary(op, TxFType::Bool, std::move(left), std::move(right));
            const TxFilterNode& r = *n->args[1];
            if ((op == TxFOp::Eq || op == TxFOp::Ne) && !m_options.noPartialCompare &&
                r.op == TxFOp::Const && r.type == TxFType::String && !r.constant.str.empty() &&
                r.constant.str.back() == '*')
                n->prefixPattern = true;
            return n;
        }
        return left;
    }

    NodePtr parseSum() {
        NodePtr left = parseProduct();
        while (isOp("+") || isOp("-")) {
            const bool plus = m_tok.text == "+";
            advance();
            NodePtr right = parseProduct();
            const TxFType a = left->type, b = right->type;
            TxFType result;
            if (a == TxFType::Number && b == TxFType::Number)
                result = TxFType::Number;
            else if (plus && a == TxFType::String && b == TxFType::String)
                result = TxFType::String;
            else if (a == TxFType::Date && b == TxFType::Number)
                result = TxFType::Date;
            else if (plus && a == TxFType::Number && b == TxFType::Date)
                result = TxFType::Date;
            else if (!plus && a == TxFType::Date && b == TxFType::Date)
                result = TxFType::Number;
            else if (a == TxFType::Null || b == TxFType::Null)
                result = TxFType::Null;
            else
                error("Operator not supported");
            left =
                binary(plus ? TxFOp::Add : TxFOp::Sub, result, std::move(left), std::move(right));
        }
        return left;
    }

    NodePtr parseProduct() {
        NodePtr left = parseUnary();
        while (isOp("*") || isOp("/")) {
            const bool times = m_tok.text == "*";
            advance();
            NodePtr right = parseUnary();
            requireNumbers(*left, *right);
            left = binary(times ? TxFOp::Mul : TxFOp::Div, TxFType::Number, std::move(left),
                          std::move(right));
        }
        return left;
    }

    static void requireNumbers(const TxFilterNode& a, const TxFilterNode& b) {
        auto ok = [](TxFType t) { return t == TxFType::Number || t == TxFType::Null; };
        if (!ok(a.type) || !ok(b.type)) error("Operator not supported");
    }

    NodePtr parseUnary() {
        if (isOp("-") || isOp("+")) {
            const bool minus = m_tok.text == "-";
            const Nesting level(*this);
            advance();
            NodePtr operand = parseUnary();
            if (operand->type != TxFType::Number && operand->type != TxFType::Null)
                error("Operator not supported");
            if (!minus) return operand;
            NodePtr n = node(TxFOp::Neg, TxFType::Number);
            n->args.push_back(std::move(operand));
            return n;
        }
        return parseCast();
    }

    NodePtr parseCast() {
        NodePtr operand = parsePrimary();
        while (isOp("::")) {
            advance();
            if (m_tok.kind != Tok::Name) error("Unknown field type");
            int code = -1;
            for (int k = 0; k < kFieldTypeCount; ++k) {
                if (upperCase1250(m_tok.text) == upperCase1250(FieldTypeNames[k])) code = k;
            }
            if (code < 0) error("Unknown field type");
            advance();
            const auto type = static_cast<TxFieldType>(code);
            NodePtr n = node(TxFOp::Cast, typeOfField(type));
            n->castType = type;
            n->args.push_back(std::move(operand));
            operand = std::move(n);
        }
        return operand;
    }

    static TxFType typeOfField(TxFieldType type) {
        switch (presentedType(type)) {
            case TxPresentedType::String:
                return TxFType::String;
            case TxPresentedType::Boolean:
                return TxFType::Bool;
            case TxPresentedType::Date:
            case TxPresentedType::Time:
                return TxFType::Date;
            default:
                return TxFType::Number;
        }
    }

    NodePtr parsePrimary() {
        switch (m_tok.kind) {
            case Tok::Number: {
                NodePtr n = node(TxFOp::Const, TxFType::Number);
                n->constant = {!std::isfinite(m_tok.number), m_tok.number, {}};
                advance();
                return n;
            }
            case Tok::String: {
                NodePtr n = node(TxFOp::Const, TxFType::String);
                n->constant = {false, 0.0, m_tok.text};
                advance();
                return n;
            }
            case Tok::LParen: {
                advance();
                NodePtr inner = parseOr();
                expectClose();
                return inner;
            }
            case Tok::Bracket: {
                const std::string name = m_tok.text;
                advance();
                return fieldNode(name);
            }
            case Tok::Name:
                break;
            default:
                error("Invalid or missing parameter");
        }
        const std::string name = m_tok.text;
        const std::string upper = upperCase1250(name);
        advance();
        if (m_tok.kind == Tok::LParen) return parseFunction(upper);
        if (upper == "TRUE" || upper == "FALSE") {
            NodePtr n = node(TxFOp::Const, TxFType::Bool);
            n->constant = {false, upper == "TRUE" ? 1.0 : 0.0, {}};
            return n;
        }
        if (upper == "NULL") return node(TxFOp::Const, TxFType::Null);
        if (upper == "AND" || upper == "OR" || upper == "NOT" || upper == "IS")
            error("Invalid or missing parameter");
        return fieldNode(name);
    }

    void expectClose() {
        if (m_tok.kind == Tok::RParen) {
            advance();
            return;
        }
        if (m_tok.kind == Tok::End) error("Invalid or missing parameter");
        error("Unknown operator");
    }

    NodePtr fieldNode(const std::string& name) {
        const int index = m_layout.indexOf(name);
        if (index < 0) throw ExDataSetError("Field '" + name + "' not found");
        NodePtr n = node(TxFOp::Field,
                         typeOfField(m_layout.fields()[static_cast<std::size_t>(index)].type));
        n->field = index;
        return n;
    }

    NodePtr parseFunction(const std::string& upper) {
        int id = -1;
        for (int k = 0; k < 15; ++k) {
            if (upper == kFunctionNames[k]) id = k;
        }
        if (id < 0) error("Invalid function");
        advance();  // "("
        NodePtr n = node(TxFOp::Func, TxFType::Null);
        n->func = static_cast<TxFFunc>(id);
        if (m_tok.kind != Tok::RParen) {
            for (;;) {
                n->args.push_back(parseOr());
                if (m_tok.kind != Tok::Comma) break;
                advance();
            }
        }
        expectClose();
        n->type = checkFunction(*n);
        return n;
    }

    // The result type of a function call, or "Invalid or missing parameter".
    static TxFType checkFunction(const TxFilterNode& n) {
        std::vector<TxFType> t;
        for (const auto& a : n.args)
            t.push_back(a->type);
        auto is = [&](std::initializer_list<TxFType> expected) {
            if (t.size() != expected.size()) return false;
            std::size_t k = 0;
            for (TxFType e : expected) {
                if (t[k] != e && t[k] != TxFType::Null) return false;
                ++k;
            }
            return true;
        };
        using F = TxFFunc;
        using T = TxFType;
        switch (n.func) {
            case F::Upper:
            case F::Lower:
            case F::Trim:
            case F::TrimLeft:
            case F::TrimRight:
                if (is({T::String})) return T::String;
                break;
            case F::Substring:
                if (is({T::String, T::Number}) || is({T::String, T::Number, T::Number}))
                    return T::String;
                break;
            case F::GetDate:
                if (t.empty()) return T::Date;
                break;
            case F::Year:
            case F::Month:
            case F::Day:
            case F::Hour:
            case F::Minute:
            case F::Second:
                if (is({T::Date})) return T::Number;
                break;
            case F::Date:
            case F::Time:
                if (is({T::Date}) || is({T::String}) || is({T::Number, T::Number, T::Number}))
                    return T::Date;
                break;
        }
        error("Invalid or missing parameter");
    }

    const std::string& m_text;
    const TxRecordLayout& m_layout;
    TxFilterOptions m_options;
    std::size_t m_pos = 0;
    int m_depth = 0;
    Token m_tok;
};

}  // namespace

std::unique_ptr<TxFilterExpr> TxFilterExpr::compile(const std::string& text,
                                                    const TxRecordLayout& layout,
                                                    TxFilterOptions options) {
    std::unique_ptr<TxFilterExpr> expr(new TxFilterExpr());
    expr->m_options = options;
    expr->m_root = Parser(text, layout, options).parseAll();
    return expr;
}

TxFilterExpr::~TxFilterExpr() = default;

TxFilterNode::~TxFilterNode() {
    // A chain of 100,000 "+" is a tree as deep: free it with a list, not by recursion.
    std::vector<std::unique_ptr<TxFilterNode>> pending = std::move(args);
    while (!pending.empty()) {
        std::unique_ptr<TxFilterNode> node = std::move(pending.back());
        pending.pop_back();
        if (!node) continue;
        for (auto& child : node->args)
            pending.push_back(std::move(child));
        node->args.clear();
    }
}
