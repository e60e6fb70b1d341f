#include "units/host/COSError.hpp"
#include "units/host/COSObject.hpp"
#include "units/host/RecordProperties.hpp"
#include "units/host/ScriptingClass.hpp"

#include <gtest/gtest.h>
#include <string>

using namespace CvUnitSys;

namespace {

// A class of this test's own, so that its loading can be watched from the start.
struct Counter {
    std::int32_t count = 0;
    std::int32_t getCount() const { return count; }
    void setCount(std::int32_t v) { count = v; }
};

class CounterInfo : public objsys::COSClassInfo {
public:
    explicit CounterInfo(std::string path) : path_(std::move(path)) {}
    const std::string& getClassPath() const override { return path_; }
    void* allocateInstance() const override { return new Counter(); }
    void deallocateInstance(void* record) const override { delete static_cast<Counter*>(record); }
    void initializeClass(objsys::COSClass* cls, const objsys::COSClient*) const override {
        addInt32Property(*cls, "Count", &Counter::getCount, &Counter::setCount);
        auto signature = objsys::COSMethodSignature::createMethodSignature();
        signature->addArgumentType(requireType(path_.c_str()));
        cls->addMethod("increment", std::move(signature), [](auto in) {
            static_cast<Counter*>(in[0]->getObject(0)->getRecord())->count++;
            return std::vector<matrix::unique_array>();
        });
    }

private:
    std::string path_;
};

TEST(ObjectSystem, ClassesRegisterByFullPathAndLoadOnFirstUse) {
    static const CounterInfo info("Corvane.TestCounter");
    static const CounterInfo other("Corvane.TestCounter");
    static const CounterInfo elsewhere("Corvane.TestOther");
    const auto path = objsys::internal::makeInterned("Corvane.TestCounter");
    objsys::COSNamespace* corvane = cvsvGetCorvaneCOSNamespace();
    EXPECT_EQ(objsys::COSClass::loadClass(path), nullptr);
    corvane->registerClass(&info, 0, 2);
    corvane->registerClass(&info, 0, 2);
    EXPECT_THROW(corvane->registerClass(&other, 0, 2), objsys::COSError);
    EXPECT_THROW(objsys::COSNamespace("Elsewhere").registerClass(&info, 0, 2), objsys::COSError);
    EXPECT_EQ(objsys::COSClass::getClass(path), nullptr);

    const auto array = omCreateObjsysMatrix(2, 1, path);
    const objsys::COSClass* cls = objsys::COSClass::getClass(path);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->getClassID(), path);
    EXPECT_EQ(array->getObjectClass(), path);
    EXPECT_EQ(array->getDims(), (hxArray::Dims{2, 1}));
    EXPECT_EQ(omGetArrayElement(array.get(), 1), nullptr);

    // Objects are shared: the array and the handle reach the same record.
    const objsys::COSInterfacePtr object = cls->newInstance();
    omSetArrayElement(array.get(), 1, object);
    const auto single = objsys::wrapObject(object);
    omCallMethod("increment", std::vector<const hxArray*>{single.get()});
    EXPECT_EQ(static_cast<Counter*>(omGetArrayElement(array.get(), 1)->getRecord())->count, 1);
    EXPECT_EQ(omGetProperty(single.get(), "Count")->getReal(0), 1);

    EXPECT_THROW(omCallMethod("increment", std::vector<const hxArray*>{single.get(), single.get()}),
                 objsys::COSError);
    EXPECT_THROW(omCallMethod("decrement", std::vector<const hxArray*>{single.get()}),
                 objsys::COSError);
    EXPECT_THROW(omCallMethod("increment", std::vector<const hxArray*>{array.get()}),
                 objsys::COSError);
    EXPECT_THROW(omConstructObjectWithClient(path, 0, nullptr, COSGetPublicClient()),
                 objsys::COSError);
    EXPECT_THROW(omCreateObjsysMatrix(1, 1, objsys::internal::makeInterned("Corvane.Nothing")),
                 objsys::COSError);
    corvane->registerClass(&elsewhere, 0, 2);
    const auto others =
        omCreateObjsysMatrix(1, 1, objsys::internal::makeInterned("Corvane.TestOther"));
    EXPECT_THROW(omSetArrayElement(others.get(), 0, object), objsys::COSError);
}

TEST(ObjectSystem, TypesAcceptWhatTheScriptingLanguagePasses) {
    const auto number = [](double v) {
        auto a = hxArray::makeNumeric({1, 1}, hxClassID::Double, hxComplexity::Real);
        a->setReal(0, v);
        return a;
    };
    const auto empty = hxArray::makeNumeric({0, 0}, hxClassID::Double, hxComplexity::Real);
    const auto pair = hxArray::makeNumeric({1, 2}, hxClassID::Double, hxComplexity::Real);
    const auto chars = objsys::makeText(u"x");
    const auto cell = matrix::create_cell({u"a"});
    const auto big = number(3e9);
    const auto half = number(0.5);
    const auto seven = number(7);
    struct Row {
        const char* type;
        const hxArray* value;
        bool accepted;
    };
    const std::vector<Row> rows{
        {"unicodeString", chars.get(), true},
        {"unicodeString", empty.get(), true},
        {"unicodeString", seven.get(), false},
        {"unicodeString", cell.get(), false},
        {"logical scalar", seven.get(), true},
        {"logical scalar", pair.get(), false},
        {"logical scalar", chars.get(), false},
        {"int32 scalar", seven.get(), true},
        {"int32 scalar", half.get(), false},
        {"int32 scalar", big.get(), false},
        {"cell", cell.get(), true},
        {"cell", chars.get(), false},
        {"any", pair.get(), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        EXPECT_EQ(requireType(row.type).accepts(*row.value), row.accepted);
    }
    EXPECT_THROW(requireType("float scalar"), objsys::COSError);
}

} // namespace
