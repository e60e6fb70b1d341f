#include "units/expr/SymbolLookups.hpp"

namespace CvUnitSys {

namespace {

thread_local SymbolLookups* inScope = nullptr;

} // namespace

SymbolLookups::SymbolLookups() : database_(UnitDatabase::getUnitDatabase()), previous_(inScope) {
    inScope = this;
}

SymbolLookups::~SymbolLookups() {
    inScope = previous_;
}

UnitDatabase::FirstUnit SymbolLookups::lookUp(const ustring& symbol) {
    SymbolLookups* recorder = inScope;
    if (recorder == nullptr) {
        return UnitDatabase::getUnitDatabase()->getFirstUnit(symbol);
    }
    if (const UnitDatabase::FirstUnit* kept = recorder->find(symbol)) {
        return *kept;
    }
    const UnitDatabase::FirstUnit found = recorder->database_->getFirstUnit(symbol);
    if (recorder->kept_.size() < maxKept && symbol.size() <= maxSymbolLength) {
        recorder->kept_.push_back({symbol, found});
    }
    return found;
}

const UnitDatabase::FirstUnit* SymbolLookups::find(std::u16string_view symbol) const {
    for (const Answer& answer : kept_) {
        if (answer.symbol == symbol) {
            return &answer.found;
        }
    }
    return nullptr;
}

} // namespace CvUnitSys
