#pragma once

#include "units/foundation/UString.hpp"
#include "units/host/HxArray.hpp"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Owning handles over host arrays and the constructors the library uses.
namespace matrix {

using unique_array = std::unique_ptr<hxArray>;

void destroyArray(hxArray* array);

// A 1-by-size character row.
unique_array create(const char16_t* text, std::size_t size);
// A 1-by-n cell array of character rows, in order.
unique_array create_cell(const std::vector<ustring>& strings);

// Hands the array to the host, which then owns it, and back.
hxArray* to_hexlan(unique_array array);
unique_array from_hexlan(hxArray* array);

namespace detail {

unique_array do_create_struct(const std::vector<std::size_t>& dims,
                              const std::vector<std::string>& fieldNames);
unique_array do_create_uninitnumeric(const std::vector<std::size_t>& dims, hxClassID classId,
                                     hxComplexity complexity);

} // namespace detail

} // namespace matrix
