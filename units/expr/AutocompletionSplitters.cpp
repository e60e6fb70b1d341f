#include "units/expr/AutocompletionSplitters.hpp"

namespace CvUnitSys {

AutocompletionComponents getComponentsForAutoCompletion(const ustring& text) {
    AutocompletionComponents out;
    const auto at = text.find(u'@');
    if (at == ustring::npos) {
        out.expressionPart = text;
        return out;
    }
    out.expressionPart = text.substr(0, at);
    out.hasQualifier = true;
    out.qualifierPart = text.substr(at + 1);
    return out;
}

AutocompletionInfo getInfoForAutocompletionFromUserExpression(const ustring& text) {
    AutocompletionInfo out;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find_first_of(u"(/*)", start);
        const auto piece = text.substr(start, end == ustring::npos ? ustring::npos : end - start);
        const auto token = piece.substr(0, piece.find(u'^'));
        if (end == ustring::npos) {
            out.lastToken = token;
            out.leadingText = text.substr(0, start);
            return out;
        }
        if (!token.empty()) {
            out.completedTokens.insert(token);
        }
        start = end + 1;
    }
}

} // namespace CvUnitSys
