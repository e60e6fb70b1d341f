#include "units/propagation/ArithmeticExpression.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace CvUnitSys {

namespace {

using Kind = ArithmeticItem::Kind;

bool isWordStart(unsigned char c) {
    return std::isalpha(c) != 0 || c == '_' || c == '%' || c >= 0x80;
}

bool isWordPart(unsigned char c) {
    return isWordStart(c) || std::isdigit(c) != 0 || c == '@' || c == ':';
}

int precedence(Kind kind) {
    switch (kind) {
    case Kind::Add:
    case Kind::Subtract:
        return 1;
    case Kind::Multiply:
    case Kind::Divide:
        return 2;
    default:
        return 3;
    }
}

class Reader {
public:
    Reader(const std::string& text, bool quantities) : text_(text), quantities_(quantities) {}

    std::vector<ArithmeticItem> read() {
        bool expectOperand = true;
        for (;;) {
            skipSpace();
            if (pos_ == text_.size()) {
                break;
            }
            const char c = text_[pos_];
            if (expectOperand) {
                if (c == '(') {
                    opens_.push_back(pos_);
                    operators_.push_back({Kind::Operand, "(", {}, 0, pos_, pos_ + 1});
                    ++pos_;
                } else if (c == '-') {
                    operators_.push_back({Kind::Negate, "-", {}, 0, pos_, pos_ + 1});
                    ++pos_;
                } else {
                    readOperand();
                    expectOperand = false;
                }
                continue;
            }
            if (c == ')') {
                closeGroup();
            } else if (c == '^') {
                ++pos_;
                readPower();
            } else if (c == '+' || c == '-' || c == '*' || c == '/') {
                const Kind kind = c == '+'   ? Kind::Add
                                  : c == '-' ? Kind::Subtract
                                  : c == '*' ? Kind::Multiply
                                             : Kind::Divide;
                popWhile([kind](Kind top) { return precedence(top) >= precedence(kind); });
                operators_.push_back({kind, std::string(1, c), {}, 0, pos_, pos_ + 1});
                ++pos_;
                expectOperand = true;
            } else {
                fail("expected an operator", pos_);
            }
        }
        if (expectOperand) {
            fail("expected an operand", pos_);
        }
        popWhile([](Kind) { return true; });
        if (!opens_.empty()) {
            fail("unclosed parenthesis", opens_.back());
        }
        return std::move(output_);
    }

private:
    [[noreturn]] void fail(const std::string& message, std::size_t at) const {
        throw ArithmeticError(message, at + 1);
    }

    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
    }

    // Moves operators from the stack to the output while `more` says so,
    // stopping at an open parenthesis.
    template <typename More> void popWhile(More more) {
        while (!operators_.empty() && operators_.back().text != "(" &&
               more(operators_.back().kind)) {
            emit(std::move(operators_.back()));
            operators_.pop_back();
        }
    }

    // Appends an operator, its span widened to its operands'.
    void emit(ArithmeticItem item) {
        if (item.kind == Kind::Negate) {
            item.end = spans_.back().second;
            spans_.back().first = item.begin;
        } else if (item.kind != Kind::Operand && item.kind != Kind::Power) {
            const auto right = spans_.back();
            spans_.pop_back();
            item.begin = spans_.back().first;
            item.end = right.second;
            spans_.back().second = right.second;
        }
        output_.push_back(std::move(item));
    }

    void closeGroup() {
        popWhile([](Kind) { return true; });
        if (operators_.empty()) {
            fail("unmatched ')'", pos_);
        }
        operators_.pop_back();
        // The group's text keeps its parentheses: "(a+b)^2" reads whole in messages.
        spans_.back() = {opens_.back(), pos_ + 1};
        output_.back().begin = opens_.back();
        output_.back().end = pos_ + 1;
        opens_.pop_back();
        ++pos_;
    }

    std::string readNumber() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0 || text_[pos_] == '.')) {
            ++pos_;
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            std::size_t after = pos_ + 1;
            if (after < text_.size() && (text_[after] == '+' || text_[after] == '-')) {
                ++after;
            }
            if (after < text_.size() && std::isdigit(static_cast<unsigned char>(text_[after]))) {
                pos_ = after;
                while (pos_ < text_.size() &&
                       std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
                    ++pos_;
                }
            }
        }
        const std::string number = text_.substr(start, pos_ - start);
        double value = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (ec != std::errc() || end != number.data() + number.size()) {
            fail("'" + number + "' is not a number", start);
        }
        return number;
    }

    std::string readWord() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && isWordPart(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
        // A quantity's unit keeps a power written onto it: 5 m^2 is 5 (m^2).
        if (quantities_ && pos_ < text_.size() && text_[pos_] == '^') {
            const std::size_t mark = pos_;
            ++pos_;
            std::string power;
            if (readPowerText(power)) {
                return text_.substr(start, mark - start) + "^" + power;
            }
            pos_ = mark;
        }
        return text_.substr(start, pos_ - start);
    }

    void readOperand() {
        const std::size_t start = pos_;
        const unsigned char c = static_cast<unsigned char>(text_[pos_]);
        ArithmeticItem item{Kind::Operand, {}, {}, 0, start, start};
        if (std::isdigit(c) != 0 || c == '.') {
            if (!quantities_) {
                fail("expected a name", start);
            }
            item.number = readNumber();
            const std::size_t afterNumber = pos_;
            skipSpace();
            if (pos_ < text_.size() && isWordStart(static_cast<unsigned char>(text_[pos_]))) {
                item.text = readWord();
            } else {
                pos_ = afterNumber;
                item.text = "1";
            }
        } else if (isWordStart(c)) {
            item.text = readWord();
        } else {
            fail("expected an operand", start);
        }
        item.end = pos_;
        spans_.emplace_back(item.begin, item.end);
        output_.push_back(std::move(item));
    }

    // A power: a signed number, or (p/q) with signed numbers. Leaves the
    // position after it and the text read; false when there is none.
    bool readPowerText(std::string& out) {
        const std::size_t start = pos_;
        const bool grouped = pos_ < text_.size() && text_[pos_] == '(';
        if (grouped) {
            ++pos_;
        }
        const auto signedNumber = [this]() -> std::optional<double> {
            skipSpace();
            bool negative = false;
            if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) {
                negative = text_[pos_] == '-';
                ++pos_;
            }
            if (pos_ == text_.size() ||
                !(std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0 ||
                  text_[pos_] == '.')) {
                return std::nullopt;
            }
            const std::string number = readNumber();
            double value = 0;
            std::from_chars(number.data(), number.data() + number.size(), value);
            return negative ? -value : value;
        };
        auto value = signedNumber();
        if (!value) {
            pos_ = start;
            return false;
        }
        if (grouped) {
            skipSpace();
            if (pos_ < text_.size() && text_[pos_] == '/') {
                ++pos_;
                const auto divisor = signedNumber();
                if (!divisor) {
                    fail("expected the power's denominator", pos_);
                }
                if (*divisor == 0) {
                    fail("the power divides by zero", start);
                }
                *value /= *divisor;
            }
            skipSpace();
            if (pos_ == text_.size() || text_[pos_] != ')') {
                fail("expected ')' after the power", pos_);
            }
            ++pos_;
        }
        if (!std::isfinite(*value)) {
            fail("the power is not finite", start);
        }
        out = text_.substr(start, pos_ - start);
        power_ = *value;
        return true;
    }

    void readPower() {
        const std::size_t start = pos_ - 1;
        std::string text;
        if (!readPowerText(text)) {
            fail("expected a power after '^'", pos_);
        }
        ArithmeticItem item{Kind::Power, text, {}, power_, start, pos_};
        spans_.back().second = pos_;
        item.begin = spans_.back().first;
        output_.push_back(std::move(item));
    }

    const std::string& text_;
    bool quantities_;
    std::size_t pos_ = 0;
    double power_ = 0;
    std::vector<ArithmeticItem> output_;
    // Operators waiting for their right operand; "(" marks an open group.
    std::vector<ArithmeticItem> operators_;
    std::vector<std::size_t> opens_;
    // The spans of the operands completed so far, as a stack.
    std::vector<std::pair<std::size_t, std::size_t>> spans_;
};

} // namespace

std::vector<ArithmeticItem> parseArithmetic(const std::string& text, bool quantities) {
    return Reader(text, quantities).read();
}

} // namespace CvUnitSys
