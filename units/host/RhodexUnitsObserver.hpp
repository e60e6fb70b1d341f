#pragma once

#include "units/foundation/UString.hpp"

#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>

namespace CvUnitSys {

class UnitDBSet;

// Decides, for each unit the physical-modelling tool reports, whether the
// library's unit of the same name means the same: same fundamental units, and
// scale and offset within a relative 1e-5. Decisions are cached per unit and
// made again whenever the unit databases change. One process-wide instance,
// used from the host's main thread: it takes no lock.
class RhodexUnitsObserver {
public:
    // What the tool reported for a unit.
    struct NotifiedUnit {
        ustring expression;
        double scale;
        double offset;
    };
    // What matchCorvaneUnits answers.
    enum Match : int { Incompatible = 0, Compatible = 1, Unknown = 2 };
    using NameSet = std::unordered_set<ustring>;

    RhodexUnitsObserver();
    ~RhodexUnitsObserver();
    RhodexUnitsObserver(const RhodexUnitsObserver&) = delete;
    RhodexUnitsObserver& operator=(const RhodexUnitsObserver&) = delete;

    // Records the unit (a unit already recorded keeps its first report) and,
    // while the databases are initialised, classifies it once.
    void notify(const ustring& unit, const ustring& expression, double scale, double offset);
    void notify(const std::string& unit, const std::string& expression, double scale,
                double offset);
    // Classifies the unit without recording it; the insert result of the set it joined.
    std::pair<NameSet::iterator, bool> matchUnit(const ustring& unit, const ustring& expression,
                                                 double scale, double offset);
    Match matchCorvaneUnits(const ustring& unit, const ustring& expression, double scale,
                            double offset);
    // False only for a unit judged incompatible.
    bool isRhodexUnitCompatible(const ustring& unit) const;

    // Classifies every recorded unit not classified yet.
    void renotifyAll();
    // Back to the single unit "1", nothing classified.
    void clearAll();
    void clearUnitsMapping();
    // False forgets every decision; true makes them again from the databases.
    void setUnitDatabaseInitialized(bool initialized);
    bool isUnitDatabaseInitialized() const { return unitDatabaseInitialized_; }

    const std::map<ustring, NotifiedUnit>& getNotifiedUnits() const { return notifiedUnits_; }
    const NameSet& getCompatibleUnits() const { return compatibleUnits_; }
    const NameSet& getIncompatibleUnits() const { return incompatibleUnits_; }
    const NameSet& getUnknownUnits() const { return unknownUnits_; }

private:
    static RhodexUnitsObserver* _rhodex_units_observer_;
    friend RhodexUnitsObserver& getRhodexUnitsObserver();

    bool isClassified(const ustring& unit) const;
    std::pair<NameSet::iterator, bool> classify(const ustring& unit, const NotifiedUnit& reported);

    std::map<ustring, NotifiedUnit> notifiedUnits_;
    NameSet compatibleUnits_;
    NameSet incompatibleUnits_;
    NameSet unknownUnits_;
    std::unique_ptr<UnitDBSet> set_;
    bool unitDatabaseInitialized_ = false;
};

// The process-wide observer, created on first use.
RhodexUnitsObserver& getRhodexUnitsObserver();

// What the physical-modelling tool calls to report a unit.
struct RhodexUnitsObserverInterface {
    void operator()(const std::string& unit, const std::string& expression, double scale,
                    double offset) const;
};

// Whether an expression of the tool is safe on both sides: it parses, and none
// of its units was judged incompatible.
bool CheckTessanUnitCompatibleWithCorvane(const ustring& expression);

} // namespace CvUnitSys
