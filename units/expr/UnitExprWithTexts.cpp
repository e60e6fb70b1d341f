#include "units/expr/UnitExprWithTexts.hpp"

#include "units/expr/GenExprUtil.hpp"
#include "units/expr/PairedBuilder.hpp"
#include "units/expr/ParseWithBuilder.hpp"
#include "units/expr/UnitExprBuilder.hpp"

namespace CvUnitSys {

UnitExprWithTexts UnitExprWithTexts::parse(const ustring& text) {
    auto parsed = parseWithBuilderThrows<PairedBuilder<UnitExprBuilder, AllFormsTextBuilder>>(text);
    return {std::move(parsed.first), std::move(parsed.second.text)};
}

} // namespace CvUnitSys
