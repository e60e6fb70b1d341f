#include "units/foundation/DisplayText.hpp"

namespace CvUnitSys {

ustring escapeUnderscores(const ustring& text) {
    ustring out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'_') {
            out += u'\\';
        }
        out += c;
    }
    return out;
}

} // namespace CvUnitSys
