#include "units/host/CvUnitQueryClient.hpp"

#include <functional>
#include <initializer_list>
#include <map>
#include <string>

namespace CvUnitSys {

namespace {

using Inputs = std::span<const hxArray* const>;
using Results = std::vector<matrix::unique_array>;

// What an unknown kind or a missing input gives where an array is expected.
matrix::unique_array emptyResult() {
    return hxArray::makeNumeric({0, 0}, hxClassID::Double, hxComplexity::Real);
}

Results oneResult(matrix::unique_array result) {
    Results results;
    results.push_back(std::move(result));
    return results;
}

// Adds a method whose inputs are the client object followed by `inputs`;
// `body` gets the client and the further inputs.
template <typename Body>
void addClientMethod(objsys::COSClass& cls, const char* name,
                     std::initializer_list<const char*> inputs,
                     std::initializer_list<const char*> results, Body body) {
    auto signature = objsys::COSMethodSignature::createMethodSignature();
    signature->addArgumentType(requireType(CvUnitQueryClientCI::fullPath));
    for (const char* type : inputs) {
        signature->addArgumentType(requireType(type));
    }
    for (const char* type : results) {
        signature->addResultType(requireType(type));
    }
    cls.addMethod(name, std::move(signature), [name, body](Inputs in) {
        CvUnitQueryClientObj* record =
            CvUnitQueryClientObj::getObjsysObject(in.empty() ? nullptr : in[0]);
        if (record == nullptr) {
            throw objsys::COSError(std::string(name) + " needs a " + CvUnitQueryClientCI::fullPath +
                                   " object");
        }
        return body(record->getQueryClient(), in.subspan(1));
    });
}

// The full-list operation for each kind word, compared exactly.
using FullList = matrix::unique_array (UnitQueryClient::*)();
const std::map<ustring, FullList>& fullLists() {
    static const std::map<ustring, FullList> lists{
        {u"Units", &UnitQueryClient::getFullListOfAvailableUnits},
        {u"PhysicalQuantity", &UnitQueryClient::getFullListOfAvailablePhysicalQuantities},
        {u"UnitSystems", &UnitQueryClient::getFullListOfAvailableUnitSystems},
        {u"Prefixes", &UnitQueryClient::getFullListOfAvailablePrefixes},
        {u"Provenances", &UnitQueryClient::getFullListOfAvailableProvenances}};
    return lists;
}

} // namespace

objsys::ClassID CvUnitQueryClientObj::getClassID() {
    return CvUnitQueryClientCI::getClassID();
}

CvUnitQueryClientObj* CvUnitQueryClientObj::getObjsysObject(const hxArray* array) {
    return CvUnitQueryClientCI::recordOf(array);
}

void CvUnitQueryClientCI::addMembers(objsys::COSClass& cls) {
    addConstructor(cls, 0, [](CvUnitQueryClientObj&, Inputs) {});
    addClientMethod(cls, "getAutoCompleteList", {"unicodeString"}, {"unicodeString", "any"},
                    [](UnitQueryClient& client, Inputs in) {
                        Results results;
                        if (const auto text = textInput(in, 0)) {
                            auto [completed, units] = client.getAutoCompleteList(*text);
                            results.push_back(objsys::makeText(completed));
                            results.push_back(std::move(units));
                        } else {
                            results.push_back(objsys::makeText(ustring()));
                            results.push_back(emptyResult());
                        }
                        return results;
                    });
    addClientMethod(cls, "getBestApproximation", {"unicodeString"}, {"unicodeString"},
                    [](UnitQueryClient& client, Inputs in) {
                        const auto text = textInput(in, 0);
                        return oneResult(objsys::makeText(text ? client.getBestApproximation(*text)
                                                               : ustring()));
                    });
    addClientMethod(cls, "suggestUnits", {"unicodeString"}, {"cell"},
                    [](UnitQueryClient& client, Inputs in) {
                        const auto text = textInput(in, 0);
                        return oneResult(matrix::create_cell(text ? client.getSimilarUnits(*text)
                                                                  : std::vector<ustring>()));
                    });
    addClientMethod(
        cls, "getFullList", {"unicodeString"}, {"any"}, [](UnitQueryClient& client, Inputs in) {
            const auto kind = textInput(in, 0);
            const auto list = kind ? fullLists().find(*kind) : fullLists().end();
            return oneResult(list == fullLists().end() ? emptyResult() : (client.*list->second)());
        });
    addClientMethod(cls, "getProvenancesFor", {"any", "unicodeString"}, {"any"},
                    [](UnitQueryClient& client, Inputs in) {
                        const hxArray* entity = in.empty() ? nullptr : in[0];
                        const auto kind = textInput(in, 1);
                        if (kind == u"Units") {
                            return oneResult(client.getFullListOfProvenanceForUnit(entity));
                        }
                        if (kind == u"PhysicalQuantity") {
                            return oneResult(
                                client.getFullListOfProvenanceForPhysicalQuantity(entity));
                        }
                        return oneResult(emptyResult());
                    });
    addClientMethod(cls, "getRelation", {"unicodeString", "unicodeString"}, {"unicodeString"},
                    [](UnitQueryClient& client, Inputs in) {
                        const auto a = textInput(in, 0);
                        const auto b = textInput(in, 1);
                        const char16_t* relation = u"";
                        if (a && b) {
                            relation = client.areEquivalent(*a, *b)    ? u"equivalent"
                                       : client.areConvertible(*a, *b) ? u"convertible"
                                                                       : u"unrelated";
                        }
                        return oneResult(objsys::makeText(relation));
                    });
}

void registerCvUnitQueryClient(objsys::COSNamespace* ns) {
    CvUnitQueryClientCI::registerClass(ns);
}

} // namespace CvUnitSys
