#include "units/expr/UnitExpr.hpp"

using CvUnitSys::Exponent;

UnitExpr::UnitExpr(const ustring& symbol) : UnitExpr(symbol, Exponent(1.0)) {}

UnitExpr::UnitExpr(const ustring& symbol, const Exponent& e) {
    expr_.emplace(symbol, e);
}

UnitExpr& UnitExpr::operator=(const UnitExpr& other) {
    if (this != &other) {
        for (const auto& [symbol, e] : other.expr_) {
            expr_[symbol] = e;
        }
    }
    return *this;
}

UnitExpr& UnitExpr::operator=(UnitExpr&& other) noexcept {
    if (expr_.empty()) {
        expr_.swap(other.expr_);
    } else if (this != &other) {
        for (auto& [symbol, e] : other.expr_) {
            expr_[symbol] = e;
        }
    }
    return *this;
}

void UnitExpr::set(const ustring& symbol, const Exponent& e) {
    expr_.insert_or_assign(symbol, e);
}

void UnitExpr::add(const ustring& symbol, const Exponent& e) {
    auto [it, inserted] = expr_.try_emplace(symbol, e);
    if (!inserted) {
        it->second += e;
    }
}

UnitExpr& UnitExpr::operator*=(const UnitExpr& other) {
    for (const auto& [symbol, e] : other.expr_) {
        add(symbol, e);
    }
    return *this;
}

UnitExpr& UnitExpr::operator/=(const UnitExpr& other) {
    for (const auto& [symbol, e] : other.expr_) {
        add(symbol, Exponent(e.getNegExpo(), e.getPosExpo()));
    }
    return *this;
}

void UnitExpr::take(Map& other, bool invert) {
    while (!other.empty()) {
        auto node = other.extract(other.begin());
        if (invert) {
            node.mapped() = Exponent(node.mapped().getNegExpo(), node.mapped().getPosExpo());
        }
        auto placed = expr_.insert(std::move(node));
        if (!placed.inserted) {
            placed.position->second += placed.node.mapped();
        }
    }
}

UnitExpr& UnitExpr::operator*=(UnitExpr&& other) {
    if (this != &other) {
        take(other.expr_, false);
    }
    return *this;
}

UnitExpr& UnitExpr::operator/=(UnitExpr&& other) {
    if (this != &other) {
        take(other.expr_, true);
    }
    return *this;
}

UnitExpr& UnitExpr::operator^=(const Exponent& e) {
    for (auto& entry : expr_) {
        entry.second *= e;
    }
    return *this;
}

UnitExpr UnitExpr::operator^(const Exponent& e) const {
    UnitExpr copy(*this);
    copy ^= e;
    return copy;
}

UnitExpr UnitExpr::invert() const {
    return *this ^ Exponent(-1.0);
}
