#include "units/host/MatrixArrays.hpp"

namespace matrix {

void destroyArray(hxArray* array) {
    delete array;
}

unique_array create(const char16_t* text, std::size_t size) {
    return hxArray::makeChar(text, size);
}

unique_array create_cell(const std::vector<ustring>& strings) {
    auto cell = hxArray::makeCell({1, strings.size()});
    for (std::size_t i = 0; i < strings.size(); ++i) {
        cell->setCell(i, hxArray::makeChar(strings[i].data(), strings[i].size()));
    }
    return cell;
}

hxArray* to_hexlan(unique_array array) {
    return array.release();
}

unique_array from_hexlan(hxArray* array) {
    return unique_array(array);
}

namespace detail {

unique_array do_create_struct(const std::vector<std::size_t>& dims,
                              const std::vector<std::string>& fieldNames) {
    return hxArray::makeStruct(dims, fieldNames);
}

unique_array do_create_uninitnumeric(const std::vector<std::size_t>& dims, hxClassID classId,
                                     hxComplexity complexity) {
    return hxArray::makeNumeric(dims, classId, complexity);
}

} // namespace detail

} // namespace matrix
