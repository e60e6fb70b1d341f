#include "units/host/HxArray.hpp"

#include <algorithm>
#include <functional>
#include <numeric>
#include <stdexcept>

namespace {

// Arrays have at least two dimensions, as the host's do.
hxArray::Dims normalisedDims(hxArray::Dims dims) {
    while (dims.size() < 2) {
        dims.push_back(1);
    }
    return dims;
}

bool isNumeric(hxClassID classId) {
    return classId == hxClassID::Double || classId == hxClassID::Int32 ||
           classId == hxClassID::Logical;
}

} // namespace

hxArray::hxArray(hxClassID classId, hxComplexity complexity, Dims dims)
    : classId_(classId), complexity_(complexity), dims_(normalisedDims(std::move(dims))),
      numel_(std::accumulate(dims_.begin(), dims_.end(), std::size_t{1},
                             std::multiplies<std::size_t>())) {}

std::unique_ptr<hxArray> hxArray::makeChar(const char16_t* text, std::size_t size) {
    std::unique_ptr<hxArray> array(new hxArray(hxClassID::Char, hxComplexity::Real, {1, size}));
    array->text_.assign(text, size);
    return array;
}

std::unique_ptr<hxArray> hxArray::makeCell(Dims dims) {
    std::unique_ptr<hxArray> array(
        new hxArray(hxClassID::Cell, hxComplexity::Real, std::move(dims)));
    array->children_.resize(array->numel_);
    return array;
}

std::unique_ptr<hxArray> hxArray::makeStruct(Dims dims, std::vector<std::string> fieldNames) {
    std::unique_ptr<hxArray> array(
        new hxArray(hxClassID::Struct, hxComplexity::Real, std::move(dims)));
    array->fieldNames_ = std::move(fieldNames);
    array->children_.resize(array->numel_ * array->fieldNames_.size());
    return array;
}

std::unique_ptr<hxArray> hxArray::makeNumeric(Dims dims, hxClassID classId,
                                              hxComplexity complexity) {
    if (!isNumeric(classId)) {
        throw std::invalid_argument("not a numeric array class");
    }
    if (classId == hxClassID::Logical && complexity == hxComplexity::Complex) {
        throw std::invalid_argument("logical arrays have no imaginary part");
    }
    std::unique_ptr<hxArray> array(new hxArray(classId, complexity, std::move(dims)));
    const bool complex = complexity == hxComplexity::Complex;
    switch (classId) {
    case hxClassID::Double:
        array->real_.resize(array->numel_);
        array->imag_.resize(complex ? array->numel_ : 0);
        break;
    case hxClassID::Int32:
        // Complex int32 arrays keep their imaginary parts as doubles.
        array->int32s_.resize(array->numel_);
        array->imag_.resize(complex ? array->numel_ : 0);
        break;
    default:
        array->logicals_.resize(array->numel_);
        break;
    }
    return array;
}

std::unique_ptr<hxArray> hxArray::makeObjects(Dims dims, objsys::ClassID objectClass) {
    std::unique_ptr<hxArray> array(
        new hxArray(hxClassID::Object, hxComplexity::Real, std::move(dims)));
    array->objectClass_ = objectClass;
    array->objects_.resize(array->numel_);
    return array;
}

std::size_t hxArray::getN() const {
    return std::accumulate(dims_.begin() + 1, dims_.end(), std::size_t{1},
                           std::multiplies<std::size_t>());
}

ustring hxArray::getString() const {
    if (classId_ != hxClassID::Char) {
        throw std::invalid_argument("not a character array");
    }
    return text_;
}

void hxArray::checkIndex(std::size_t index) const {
    if (index >= numel_) {
        throw std::out_of_range("array index past the end");
    }
}

double hxArray::getReal(std::size_t index) const {
    checkIndex(index);
    switch (classId_) {
    case hxClassID::Double:
        return real_[index];
    case hxClassID::Int32:
        return int32s_[index];
    case hxClassID::Logical:
        return logicals_[index];
    default:
        throw std::invalid_argument("not a numeric array");
    }
}

double hxArray::getImag(std::size_t index) const {
    checkIndex(index);
    if (!isNumeric(classId_)) {
        throw std::invalid_argument("not a numeric array");
    }
    return imag_.empty() ? 0.0 : imag_[index];
}

void hxArray::setReal(std::size_t index, double value) {
    checkIndex(index);
    switch (classId_) {
    case hxClassID::Double:
        real_[index] = value;
        break;
    case hxClassID::Int32:
        int32s_[index] = static_cast<std::int32_t>(value);
        break;
    case hxClassID::Logical:
        logicals_[index] = value != 0.0;
        break;
    default:
        throw std::invalid_argument("not a numeric array");
    }
}

void hxArray::setImag(std::size_t index, double value) {
    checkIndex(index);
    if (imag_.empty()) {
        throw std::invalid_argument("not a complex array");
    }
    imag_[index] = value;
}

bool hxArray::getLogical(std::size_t index) const {
    if (classId_ != hxClassID::Logical) {
        throw std::invalid_argument("not a logical array");
    }
    checkIndex(index);
    return logicals_[index] != 0;
}

void hxArray::setLogical(std::size_t index, bool value) {
    if (classId_ != hxClassID::Logical) {
        throw std::invalid_argument("not a logical array");
    }
    checkIndex(index);
    logicals_[index] = value;
}

const hxArray* hxArray::getCell(std::size_t index) const {
    if (classId_ != hxClassID::Cell) {
        throw std::invalid_argument("not a cell array");
    }
    checkIndex(index);
    return children_[index].get();
}

void hxArray::setCell(std::size_t index, std::unique_ptr<hxArray> element) {
    if (classId_ != hxClassID::Cell) {
        throw std::invalid_argument("not a cell array");
    }
    checkIndex(index);
    children_[index] = std::move(element);
}

const objsys::COSInterfacePtr& hxArray::getObject(std::size_t index) const {
    if (classId_ != hxClassID::Object) {
        throw std::invalid_argument("not an object array");
    }
    checkIndex(index);
    return objects_[index];
}

void hxArray::setObject(std::size_t index, objsys::COSInterfacePtr object) {
    if (classId_ != hxClassID::Object) {
        throw std::invalid_argument("not an object array");
    }
    checkIndex(index);
    objects_[index] = std::move(object);
}

std::size_t hxArray::fieldSlot(std::size_t index, const std::string& name) const {
    if (classId_ != hxClassID::Struct) {
        throw std::invalid_argument("not a structure array");
    }
    checkIndex(index);
    const auto field = std::find(fieldNames_.begin(), fieldNames_.end(), name);
    if (field == fieldNames_.end()) {
        throw std::out_of_range("no field " + name);
    }
    return index * fieldNames_.size() + static_cast<std::size_t>(field - fieldNames_.begin());
}

const hxArray* hxArray::getField(std::size_t index, const std::string& name) const {
    if (classId_ == hxClassID::Struct && index < numel_ &&
        std::find(fieldNames_.begin(), fieldNames_.end(), name) == fieldNames_.end()) {
        return nullptr;
    }
    return children_[fieldSlot(index, name)].get();
}

void hxArray::setField(std::size_t index, const std::string& name, std::unique_ptr<hxArray> value) {
    children_[fieldSlot(index, name)] = std::move(value);
}

hxArray* hxCreateNumericScalar(hxClassID classId, hxComplexity complexity) {
    return hxArray::makeNumeric({1, 1}, classId, complexity).release();
}

void hxSetCell(hxArray* cell, std::size_t index, hxArray* element) {
    cell->setCell(index, std::unique_ptr<hxArray>(element));
}

void hxReplaceCell(hxArray* cell, std::size_t index, hxArray* element) {
    cell->setCell(index, std::unique_ptr<hxArray>(element));
}

bool hxIsEmpty(const hxArray* array) {
    return array->getNumberOfElements() == 0;
}
