#include "db/DbSetFixtures.hpp"
#include "units/host/RhodexUnitsObserver.hpp"
#include "units/platform/TextServices.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace dbset_test;

constexpr int generations = 24;
constexpr int readers = 3;

// "gen<g>" is the system of the churned database's generation g; its unit "churned" is g metres.
ustring generationSystem(int g) {
    return u"gen" + TextServices::fromUtf8(std::to_string(g));
}

Content generation(int g) {
    return {{},
            {{u"churned",
              u"m",
              u"length",
              {TextServices::fromUtf8(std::to_string(g)), ConversionFactorType::Double}}},
            generationSystem(g)};
}

Content extra(int k) {
    const ustring system = u"extra" + TextServices::fromUtf8(std::to_string(k));
    return {{}, {{u"x", u"m*churned"}, {u"y" + system, u"km/h", u"velocity"}}, system};
}

// Aborts the process when the threads have not finished in time: a deadlock
// must fail the run rather than hang it.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fputs("database churn did not finish: deadlock?\n", stderr);
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_one();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    std::thread thread_;
};

// One client: its own set, rebuilt before each round of questions.
void ask(UnitDBSet& set, const std::atomic<int>& published, std::atomic<bool>& failed,
         std::vector<std::unique_ptr<Unit>>& expressions, int& lastSeen) {
    const int atLeast = published.load();
    set.initializeIfNeeded();
    const UnitBase& u = set.getUnit(u"churned");
    const ustring key = set.getQualifiedSymbolForCustomUnit(u);
    const int seen = std::stoi(TextServices::toUtf8(key.substr(3, key.find(u"::") - 3)));
    set.genUnitDefinition(u);
    const double scale = set.getUnitDefinition(u).getFundamentalConversionFactor().toDouble();
    const UnitBase& foot = set.getUnit(u"ft");
    const UnitBase& metre = set.getUnit(u"m");
    const bool right =
        seen >= atLeast && seen >= lastSeen && scale == seen &&
        set.equivalent(foot, metre, UsePosNegExpo) == CanonicalScalingFactorDifference &&
        set.getConversionInfo(u, metre).getScalingFactor() == seen &&
        set.getConversionInfo(foot, metre).getScalingFactor() == 0.3048;
    lastSeen = seen;
    for (int k = 0; k < 3; ++k) {
        const ustring name = u"extra" + TextServices::fromUtf8(std::to_string(k)) + u"::x";
        if (!set.findUnit(name).empty()) {
            const UnitBase& x = set.getUnit(name);
            set.genUnitDefinition(x);
            if (set.getUnitDefinition(x).getFundamentalConversionFactor().toDouble() != seen) {
                failed = true;
            }
        }
    }
    auto& kmh = *expressions.emplace_back(std::make_unique<Unit>(
        -10, u"", u"km/h", u"km/h", u"km/h", u"", defaultStoredConversionFactor(),
        UnitFactory::getDefaultPhysicalQuantity()));
    auto& ms = *expressions.emplace_back(std::make_unique<Unit>(
        -10, u"", u"m/s", u"m/s", u"m/s", u"", defaultStoredConversionFactor(),
        UnitFactory::getDefaultPhysicalQuantity()));
    if (!right || set.getConversionInfo(kmh, ms).getScalingFactor() != 5.0 / 18.0) {
        failed = true;
    }
    // Suggestions walk the same databases, and their indexes, while they change.
    const auto completion = set.getAutoCompleteSuggestions(u"m*chur");
    const auto misspelt = set.getApproximateSuggestion(u"churnd", UnitBase::UNIT_TYPE_UNIT);
    const auto similar = set.getSimilarUnitsForUnit(u"ft");
    if (completion.text != u"m*" || completion.units.empty() ||
        completion.units.front().get().getSymbol() != u"churned" || misspelt.empty() ||
        misspelt.front() != u"churned" ||
        std::find(similar.begin(), similar.end(), u"m") == similar.end()) {
        failed = true;
    }
    set.getAutoCompleteSuggestions(u"y");
}

TEST(DatabaseChurn, ClientsSeeEveryChangeCompletelyAndOnlyForward) {
    WarningCollector warnings;
    Universe universe;
    for (int k = 0; k < 3; ++k) {
        universe.define(u"extra" + TextServices::fromUtf8(std::to_string(k)), extra(k));
    }
    universe.add(u"churn", generation(0));
    // The tool's unit matches the last generation only; the observer lives on
    // the thread that changes the databases, as it does in the host.
    RhodexUnitsObserver& observer = getRhodexUnitsObserver();
    observer.clearAll();
    observer.notify(u"churned", u"m", generations, 0);
    std::atomic<int> published{0};
    std::atomic<bool> done{false};
    std::atomic<bool> failed{false};
    Watchdog watchdog(std::chrono::seconds(300));

    std::vector<std::thread> clients;
    for (int r = 0; r < readers; ++r) {
        clients.emplace_back([&] {
            UnitDBSet set;
            std::vector<std::unique_ptr<Unit>> expressions;
            int lastSeen = 0;
            try {
                while (!done.load()) {
                    ask(set, published, failed, expressions, lastSeen);
                    if (expressions.size() > 64) {
                        set.clearTemporaryUnitDefinitions();
                        expressions.clear();
                    }
                }
                // After the last change, the next rebuild sees it.
                ask(set, published, failed, expressions, lastSeen);
                if (lastSeen != generations) {
                    failed = true;
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "client failed: %s\n", e.what());
                failed = true;
            }
        });
    }

    for (int g = 1; g <= generations; ++g) {
        universe.add(u"churn", generation(g));
        published = g;
        const ustring added = u"extra" + TextServices::fromUtf8(std::to_string(g % 3));
        const ustring removed = u"extra" + TextServices::fromUtf8(std::to_string((g + 1) % 3));
        registerInternalUnitDatabase(added, [] { return Model(); });
        removeInternalUnitDatabase(removed);
        const ustring round = u"round" + TextServices::fromUtf8(std::to_string(g));
        observer.notify(round, u"m", 1, 0);
        EXPECT_TRUE(observer.getUnknownUnits().contains(round));
        EXPECT_EQ(observer.isRhodexUnitCompatible(u"churned"), g == generations) << g;
    }
    observer.clearAll();
    done = true;
    for (auto& client : clients) {
        client.join();
    }
    EXPECT_FALSE(failed);
}

} // namespace
