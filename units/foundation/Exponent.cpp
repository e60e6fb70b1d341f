#include "units/foundation/Exponent.hpp"

#include "units/foundation/ToleranceCompare.hpp"
#include "units/platform/TextServices.hpp"

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>

namespace CvUnitSys {

const Exponent Exponent::zero{0.0, 0.0};
const Exponent Exponent::unity{1.0, 0.0};

Exponent::Exponent(double x) {
    if (x < 0) {
        neg_ = -x;
    } else {
        // The sign of a NaN (0/0 gives a negative one) means nothing and
        // would print as "-nan".
        pos_ = std::isnan(x) ? std::numeric_limits<double>::quiet_NaN() : x + 0.0;
    }
}

Exponent& Exponent::operator/=(const Exponent& o) {
    const double s = o.getSimplifiedExpo();
    pos_ /= s;
    neg_ /= s;
    return *this;
}

Exponent& Exponent::operator+=(const Exponent& o) {
    pos_ += o.pos_;
    neg_ += o.neg_;
    return *this;
}

// What modf's fraction tells, without the call: infinities are whole, NaN is not.
bool Exponent::isFractional() const {
    return std::trunc(pos_) != pos_ || std::trunc(neg_) != neg_;
}

bool Exponent::operator==(const Exponent& o) const {
    return equalWithinTolerance(pos_, o.pos_) && equalWithinTolerance(neg_, o.neg_);
}

bool Exponent::operator==(int k) const {
    return *this == Exponent(static_cast<double>(k));
}

ustring Exponent::toUString() const {
    std::ostringstream out;
    out << pos_ << ':' << neg_;
    return TextServices::fromLatin1(out.str());
}

ustring Exponent::toUStringSimplifiedExpo() const {
    const double s = getSimplifiedExpo();
    if (std::isnan(s)) {
        return u"NaN";
    }
    if (std::isinf(s)) {
        return s > 0 ? u"Inf" : u"-Inf";
    }
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%f", s);
    return TextServices::fromLatin1(buffer);
}

} // namespace CvUnitSys
