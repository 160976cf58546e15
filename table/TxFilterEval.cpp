// Evaluation of compiled FilterX expressions over one record.
#include <algorithm>
#include <cmath>

#include "core/DateTimeFormat.h"
#include "core/LocaleFormat.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "table/TxFilterExpr.h"
#include "table/TxFilterNode.h"
#include "table/TxValueText.h"

namespace {

TxFValue nullValue() {
    return {};
}
TxFValue number(double v) {
    return {!std::isfinite(v), v, {}};
}
TxFValue boolean(bool b) {
    return {false, b ? 1.0 : 0.0, {}};
}
TxFValue text(std::string s) {
    return {false, 0.0, std::move(s)};
}

std::string lowerCase1250(const std::string& s) {
    static const auto table = [] {
        std::array<unsigned char, 256> lower{};
        for (int b = 0; b < 256; ++b)
            lower[b] = static_cast<unsigned char>(b);
        for (int b = 255; b >= 0; --b) {
            const unsigned char u = upperChar1250(static_cast<unsigned char>(b));
            if (u != b) lower[u] = static_cast<unsigned char>(b);
        }
        return lower;
    }();
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

// A date from 'yyyy-mm-dd' or the user's short date; a time from 'hh:mm[:ss]' or the long time.
bool textToDate(const std::string& s, double& value) {
    return parseDateText(s, "yyyy-MM-dd", value) ||
           parseDateText(s, localeFormat().shortDateFormat, value);
}

bool textToTime(const std::string& s, double& value) {
    return parseTimeText(s, "H:mm:ss", value) || parseTimeText(s, "H:mm", value) ||
           parseTimeText(s, localeFormat().longTimeFormat, value);
}

double localNow() {
    const TLocalDateTime now = toLocalDateTime(localeFormat().clock());
    double date = 0.0, time = 0.0;
    tryEncodeDate(now.year, now.month, now.day, date);
    tryEncodeTime(now.hour, now.minute, std::min(now.second, 59), 0, time);
    return date + time;
}

TxFValue dateFromParts(double y, double m, double d) {
    double value = 0.0;
    if (!std::isfinite(y) || !std::isfinite(m) || !std::isfinite(d) || std::fabs(y) > 1e6 ||
        std::fabs(m) > 1e6 || std::fabs(d) > 1e6 ||
        !tryEncodeDate(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d), value))
        return nullValue();
    return number(value);
}

TxFValue timeFromParts(double h, double m, double s) {
    double value = 0.0;
    if (!std::isfinite(h) || !std::isfinite(m) || !std::isfinite(s) || std::fabs(h) > 1e6 ||
        std::fabs(m) > 1e6 || std::fabs(s) > 1e6 ||
        !tryEncodeTime(static_cast<int>(h), static_cast<int>(m), static_cast<int>(s), 0, value))
        return nullValue();
    return number(value);
}

class Evaluator {
  public:
    Evaluator(const TxFilterExpr::FieldReader& read, TxFilterOptions options)
        : m_read(read), m_options(options) {}

    TxFValue eval(const TxFilterNode& n) {
        if (isChainStep(n.op)) return evalChain(n);
        switch (n.op) {
            case TxFOp::Const:
                return n.constant;
            case TxFOp::Field:
                return fieldValue(n);
            case TxFOp::Not: {
                const TxFValue a = eval(*n.args[0]);
                return a.null ? a : boolean(a.num == 0.0);
            }
            case TxFOp::Eq:
            case TxFOp::Ne:
            case TxFOp::Lt:
            case TxFOp::Le:
            case TxFOp::Gt:
            case TxFOp::Ge:
                return compare(n);
            case TxFOp::Neg: {
                const TxFValue a = eval(*n.args[0]);
                return a.null ? a : number(-a.num);
            }
            case TxFOp::IsNull:
            case TxFOp::IsNotNull: {
                const TxFilterNode& a = *n.args[0];
                const bool null = a.op == TxFOp::Field ? m_read(a.field).isNull() : eval(a).null;
                return boolean(n.op == TxFOp::IsNull ? null : !null);
            }
            case TxFOp::Func:
                return function(n);
            default:
                return nullValue();
        }
    }

  private:
    // Operators that the parser chains to the left ("1+1+...", "a AND b AND ...", "x::T::T"):
    // their first operand may be a chain of any length.
    static bool isChainStep(TxFOp op) {
        switch (op) {
            case TxFOp::And:
            case TxFOp::Or:
            case TxFOp::Add:
            case TxFOp::Sub:
            case TxFOp::Mul:
            case TxFOp::Div:
            case TxFOp::Cast:
                return true;
            default:
                return false;
        }
    }

    // Walks the chain down its first operands and folds it back up in a loop, so that its length
    // costs no stack.
    TxFValue evalChain(const TxFilterNode& top) {
        std::vector<const TxFilterNode*> steps;
        const TxFilterNode* n = &top;
        while (isChainStep(n->op)) {
            steps.push_back(n);
            n = n->args[0].get();
        }
        TxFValue value = eval(*n);
        for (auto step = steps.rbegin(); step != steps.rend(); ++step)
            value = applyStep(**step, std::move(value));
        return value;
    }

    // One step of a chain, given the value of its first operand.
    TxFValue applyStep(const TxFilterNode& n, TxFValue a) {
        switch (n.op) {
            case TxFOp::And: {
                if (!a.null && a.num == 0.0) return boolean(false);
                const TxFValue b = eval(*n.args[1]);
                if (!b.null && b.num == 0.0) return boolean(false);
                return a.null || b.null ? nullValue() : boolean(true);
            }
            case TxFOp::Or: {
                if (!a.null && a.num != 0.0) return boolean(true);
                const TxFValue b = eval(*n.args[1]);
                if (!b.null && b.num != 0.0) return boolean(true);
                return a.null || b.null ? nullValue() : boolean(false);
            }
            case TxFOp::Cast:
                return cast(n, a);
            default:
                return arithmetic(n, a, eval(*n.args[1]));
        }
    }

    TxFValue fieldValue(const TxFilterNode& n) {
        const TxValue v = m_read(n.field);
        switch (n.type) {
            case TxFType::String:
                return text(v.toString());  // a null string reads as ''
            case TxFType::Bool:
                return boolean(v.toBoolean());
            case TxFType::Date:
                return number(v.toDateTime());
            default:
                return number(v.toFloat());
        }
    }

    std::string folded(const std::string& s) const {
        return m_options.caseInsensitive ? upperCase1250(s) : s;
    }

    TxFValue compare(const TxFilterNode& n) {
        const TxFValue a = eval(*n.args[0]);
        const TxFValue b = eval(*n.args[1]);
        if (a.null || b.null || n.args[0]->type == TxFType::Null ||
            n.args[1]->type == TxFType::Null)
            return nullValue();
        int order;
        if (n.args[0]->type == TxFType::String) {
            std::string left = folded(a.str), right = folded(b.str);
            if (n.prefixPattern) {
                right.pop_back();
                left = left.substr(0, right.size());
            }
            order = left.compare(right);
        } else {
            order = a.num < b.num ? -1 : a.num > b.num ? 1 : 0;
        }
        switch (n.op) {
            case TxFOp::Eq:
                return boolean(order == 0);
            case TxFOp::Ne:
                return boolean(order != 0);
            case TxFOp::Lt:
                return boolean(order < 0);
            case TxFOp::Le:
                return boolean(order <= 0);
            case TxFOp::Gt:
                return boolean(order > 0);
            default:
                return boolean(order >= 0);
        }
    }

    TxFValue arithmetic(const TxFilterNode& n, const TxFValue& a, const TxFValue& b) {
        if (a.null || b.null || n.type == TxFType::Null) return nullValue();
        switch (n.op) {
            case TxFOp::Add:
                return n.type == TxFType::String ? text(a.str + b.str) : number(a.num + b.num);
            case TxFOp::Sub:
                return number(a.num - b.num);
            case TxFOp::Mul:
                return number(a.num * b.num);
            default:
                return b.num == 0.0 ? nullValue() : number(a.num / b.num);
        }
    }

    TxFValue cast(const TxFilterNode& n, const TxFValue& v) {
        const TxFilterNode& a = *n.args[0];
        if (v.null) return v;
        const TxFieldType to = n.castType;
        switch (n.type) {
            case TxFType::Number: {
                double x = v.num;
                if (a.type == TxFType::String && !parseFloat(v.str, '.', x) &&
                    !parseFloat(v.str, localeFormat().decimalSeparator, x))
                    return nullValue();
                if (presentedType(to) == TxPresentedType::Currency)
                    return number(std::round(x * 10000.0) / 10000.0);
                if (presentedType(to) != TxPresentedType::Float) return number(std::trunc(x));
                return number(x);
            }
            case TxFType::String: {
                std::string s;
                if (a.type == TxFType::String)
                    s = v.str;
                else if (a.type == TxFType::Bool)
                    s = v.num != 0.0 ? "True" : "False";
                else if (a.type == TxFType::Date) {
                    s = formatDateText(v.num, "yyyy-MM-dd");
                    if (v.num != std::trunc(v.num)) s += " " + formatTimeText(v.num, "HH:mm:ss");
                } else
                    s = formatFloat(v.num, '.');
                if (to == xftChar) s = s.substr(0, 1);
                return text(s);
            }
            case TxFType::Bool:
                if (a.type != TxFType::String) return boolean(v.num != 0.0);
                if (upperCase1250(v.str) == "TRUE") return boolean(true);
                if (upperCase1250(v.str) == "FALSE") return boolean(false);
                return nullValue();
            default: {  // dates and times
                double x = v.num;
                if (a.type == TxFType::String) {
                    const bool ok = to == xftTime ? textToTime(v.str, x) : textToDate(v.str, x);
                    if (!ok) return nullValue();
                }
                return number(to == xftTime ? std::fabs(x - std::trunc(x)) : std::trunc(x));
            }
        }
    }

    TxFValue function(const TxFilterNode& n) {
        std::vector<TxFValue> v;
        for (const auto& a : n.args) {
            v.push_back(eval(*a));
            if (v.back().null) return nullValue();
        }
        using F = TxFFunc;
        switch (n.func) {
            case F::Upper:
                return text(upperCase1250(v[0].str));
            case F::Lower:
                return text(lowerCase1250(v[0].str));
            case F::Trim:
                return text(trimLeftBlanks(trimRightBlanks(v[0].str)));
            case F::TrimLeft:
                return text(trimLeftBlanks(v[0].str));
            case F::TrimRight:
                return text(trimRightBlanks(v[0].str));
            case F::Substring: {
                const std::string& s = v[0].str;
                const double start = std::max(1.0, std::trunc(v[1].num));
                if (start > static_cast<double>(s.size())) return text("");
                std::size_t length = s.size();
                if (v.size() == 3) {
                    const double l = std::trunc(v[2].num);
                    if (l <= 0) return text("");
                    if (l < static_cast<double>(s.size())) length = static_cast<std::size_t>(l);
                }
                return text(s.substr(static_cast<std::size_t>(start) - 1, length));
            }
            case F::GetDate:
                return number(localNow());
            case F::Year:
            case F::Month:
            case F::Day: {
                int y = 0, m = 0, d = 0;
                if (!decodeDate(v[0].num, y, m, d)) return nullValue();
                return number(n.func == F::Year ? y : n.func == F::Month ? m : d);
            }
            case F::Hour:
            case F::Minute:
            case F::Second: {
                int h = 0, m = 0, s = 0, ms = 0;
                if (!std::isfinite(v[0].num)) return nullValue();
                decodeTime(v[0].num, h, m, s, ms);
                return number(n.func == F::Hour ? h : n.func == F::Minute ? m : s);
            }
            case F::Date:
            case F::Time: {
                const bool date = n.func == F::Date;
                if (v.size() == 3)
                    return date ? dateFromParts(v[0].num, v[1].num, v[2].num)
                                : timeFromParts(v[0].num, v[1].num, v[2].num);
                double x = v[0].num;
                if (n.args[0]->type == TxFType::String &&
                    !(date ? textToDate(v[0].str, x) : textToTime(v[0].str, x)))
                    return nullValue();
                return number(date ? std::trunc(x) : std::fabs(x - std::trunc(x)));
            }
        }
        return nullValue();
    }

    const TxFilterExpr::FieldReader& m_read;
    TxFilterOptions m_options;
};

}  // namespace

TxValue TxFilterExpr::evaluate(const FieldReader& read) const {
    const TxFValue v = Evaluator(read, m_options).eval(*m_root);
    if (v.null) return {};
    switch (m_root->type) {
        case TxFType::Bool:
            return TxValue(v.num != 0.0);
        case TxFType::String:
            return TxValue(v.str);
        case TxFType::Date:
            return TxValue::dateTime(v.num);
        case TxFType::Number:
            return TxValue(v.num);
        case TxFType::Null:
            return {};
    }
    return {};
}

bool TxFilterExpr::passes(const FieldReader& read) const {
    const TxValue v = evaluate(read);
    switch (v.kind()) {
        case TxValue::Kind::Null:
            return false;
        case TxValue::Kind::String:
            return !v.toString().empty();
        default:
            return v.toFloat() != 0.0;
    }
}
