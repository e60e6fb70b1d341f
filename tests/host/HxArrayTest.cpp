#include "units/host/HxArray.hpp"

#include "units/host/MatrixArrays.hpp"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(HxArray, CharacterRowsAndCellsOfThem) {
    const ustring text = u"km\u00B2";
    const matrix::unique_array row = matrix::create(text.data(), text.size());
    EXPECT_EQ(row->getClassID(), hxClassID::Char);
    EXPECT_EQ(row->getM(), 1u);
    EXPECT_EQ(row->getN(), 3u);
    EXPECT_EQ(row->getString(), text);
    EXPECT_FALSE(hxIsEmpty(row.get()));
    EXPECT_TRUE(hxIsEmpty(matrix::create(u"", 0).get()));

    const matrix::unique_array cell = matrix::create_cell({u"m", u"", u"s"});
    ASSERT_EQ(cell->getN(), 3u);
    EXPECT_EQ(cell->getCell(0)->getString(), u"m");
    EXPECT_TRUE(hxIsEmpty(cell->getCell(1)));
    EXPECT_EQ(cell->getCell(2)->getString(), u"s");
    EXPECT_TRUE(hxIsEmpty(matrix::create_cell({}).get()));
}

TEST(HxArray, CellsOwnAndReplaceTheirElements) {
    matrix::unique_array cell = matrix::create_cell({u"a", u"b"});
    hxReplaceCell(cell.get(), 0, matrix::to_hexlan(matrix::create(u"x", 1)));
    hxSetCell(cell.get(), 1, hxCreateNumericScalar(hxClassID::Int32, hxComplexity::Real));
    EXPECT_EQ(cell->getCell(0)->getString(), u"x");
    EXPECT_EQ(cell->getCell(1)->getClassID(), hxClassID::Int32);
    EXPECT_THROW(hxSetCell(cell.get(), 2, nullptr), std::out_of_range);
}

TEST(HxArray, NumericArraysByClass) {
    auto d =
        matrix::detail::do_create_uninitnumeric({2, 3}, hxClassID::Double, hxComplexity::Complex);
    EXPECT_EQ(d->getNumberOfElements(), 6u);
    EXPECT_TRUE(d->isComplex());
    d->setReal(5, 1.5);
    d->setImag(5, -2);
    EXPECT_EQ(d->getReal(5), 1.5);
    EXPECT_EQ(d->getImag(5), -2);
    EXPECT_EQ(d->getReal(0), 0.0);
    EXPECT_THROW(d->getReal(6), std::out_of_range);

    auto i = matrix::from_hexlan(hxCreateNumericScalar(hxClassID::Int32, hxComplexity::Real));
    i->setReal(0, -7);
    EXPECT_EQ(i->getReal(0), -7);
    EXPECT_THROW(i->setImag(0, 1), std::invalid_argument);

    auto b = matrix::from_hexlan(hxCreateNumericScalar(hxClassID::Logical, hxComplexity::Real));
    EXPECT_FALSE(b->getLogical(0));
    b->setLogical(0, true);
    EXPECT_EQ(b->getReal(0), 1.0);
    EXPECT_THROW(d->getLogical(0), std::invalid_argument);

    EXPECT_THROW(
        matrix::detail::do_create_uninitnumeric({1, 1}, hxClassID::Cell, hxComplexity::Real),
        std::invalid_argument);
    EXPECT_THROW(
        matrix::detail::do_create_uninitnumeric({1, 1}, hxClassID::Logical, hxComplexity::Complex),
        std::invalid_argument);
    EXPECT_TRUE(hxIsEmpty(
        matrix::detail::do_create_uninitnumeric({0, 4}, hxClassID::Double, hxComplexity::Real)
            .get()));
}

TEST(HxArray, StructureFieldsPerElement) {
    auto s = matrix::detail::do_create_struct({1, 2}, {"name", "id"});
    EXPECT_EQ(s->getNumberOfElements(), 2u);
    EXPECT_EQ(s->getField(1, "name"), nullptr);
    s->setField(1, "name", matrix::create(u"m", 1));
    s->setField(0, "name", matrix::create(u"s", 1));
    EXPECT_EQ(s->getField(1, "name")->getString(), u"m");
    EXPECT_EQ(s->getField(0, "name")->getString(), u"s");
    EXPECT_EQ(s->getField(0, "id"), nullptr);
    EXPECT_EQ(s->getField(0, "missing"), nullptr);
    EXPECT_THROW(s->setField(0, "missing", nullptr), std::out_of_range);
    EXPECT_THROW(s->setField(2, "name", nullptr), std::out_of_range);
    EXPECT_THROW(s->getCell(0), std::invalid_argument);
}

} // namespace
