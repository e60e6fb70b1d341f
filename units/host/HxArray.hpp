#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/COSHandles.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The host's arrays, as the library exchanges values with the host's scripting
// language: character rows, cell arrays, structure arrays with named fields,
// double, int32 and logical numeric arrays, and arrays of objects of one class
// of the object system. Arrays are column-major; every array owns its elements
// and shares the objects it holds.

enum class hxClassID { Cell, Struct, Logical, Char, Double, Int32, Object };
enum class hxComplexity { Real, Complex };

class hxArray {
public:
    using Dims = std::vector<std::size_t>;

    static std::unique_ptr<hxArray> makeChar(const char16_t* text, std::size_t size);
    // Every element of a new cell or structure array is unset (null).
    static std::unique_ptr<hxArray> makeCell(Dims dims);
    static std::unique_ptr<hxArray> makeStruct(Dims dims, std::vector<std::string> fieldNames);
    // Numeric elements start at zero (false for logical arrays). Throws
    // std::invalid_argument for a class that is not numeric, or a complex
    // logical or character array.
    static std::unique_ptr<hxArray> makeNumeric(Dims dims, hxClassID classId,
                                                hxComplexity complexity);
    // Every element starts as a null handle.
    static std::unique_ptr<hxArray> makeObjects(Dims dims, objsys::ClassID objectClass);

    hxClassID getClassID() const { return classId_; }
    bool isComplex() const { return complexity_ == hxComplexity::Complex; }
    const Dims& getDims() const { return dims_; }
    std::size_t getM() const { return dims_[0]; }
    std::size_t getN() const;
    std::size_t getNumberOfElements() const { return numel_; }

    // Character rows.
    ustring getString() const;

    // Numeric elements. A logical element reads as 0 or 1; the imaginary
    // part of a real array reads as 0. Indices past the end throw std::out_of_range.
    double getReal(std::size_t index) const;
    double getImag(std::size_t index) const;
    void setReal(std::size_t index, double value);
    void setImag(std::size_t index, double value);
    bool getLogical(std::size_t index) const;
    void setLogical(std::size_t index, bool value);

    // Cell elements; null while unset.
    const hxArray* getCell(std::size_t index) const;
    // Stores `element`, freeing any element it replaces.
    void setCell(std::size_t index, std::unique_ptr<hxArray> element);

    // Object elements and the class they belong to (null for other arrays).
    objsys::ClassID getObjectClass() const { return objectClass_; }
    const objsys::COSInterfacePtr& getObject(std::size_t index) const;
    void setObject(std::size_t index, objsys::COSInterfacePtr object);

    // Structure fields; null while unset or when there is no such field.
    std::size_t getNumberOfFields() const { return fieldNames_.size(); }
    const std::string& getFieldName(std::size_t field) const { return fieldNames_.at(field); }
    const hxArray* getField(std::size_t index, const std::string& name) const;
    // Throws std::out_of_range for an index past the end or an unknown field.
    void setField(std::size_t index, const std::string& name, std::unique_ptr<hxArray> value);

private:
    hxArray(hxClassID classId, hxComplexity complexity, Dims dims);
    std::size_t fieldSlot(std::size_t index, const std::string& name) const;
    void checkIndex(std::size_t index) const;

    hxClassID classId_;
    hxComplexity complexity_;
    Dims dims_;
    std::size_t numel_;
    ustring text_;
    std::vector<double> real_;
    std::vector<double> imag_;
    std::vector<std::int32_t> int32s_;
    std::vector<std::uint8_t> logicals_;
    std::vector<std::string> fieldNames_;
    objsys::ClassID objectClass_;
    std::vector<objsys::COSInterfacePtr> objects_;
    // Cell elements, or structure fields element by element.
    std::vector<std::unique_ptr<hxArray>> children_;
};

// A 1-by-1 numeric array of the class, holding zero.
hxArray* hxCreateNumericScalar(hxClassID classId, hxComplexity complexity);
// Stores `element` at `index` of the cell array, which takes ownership of it;
// hxReplaceCell frees the element it replaces.
void hxSetCell(hxArray* cell, std::size_t index, hxArray* element);
void hxReplaceCell(hxArray* cell, std::size_t index, hxArray* element);
bool hxIsEmpty(const hxArray* array);
