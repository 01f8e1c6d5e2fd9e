// corvessa::PagingParameters: which page of a listing a bus client asks for: the page number
// (the first page is 1), the page size, an order-by text of property names separated by
// commas, and whether every ordering column runs descending.
//
// A plain value type.
#pragma once

#include <cstdint>
#include <string>

namespace corvessa {

struct PagingParameters {
    std::int32_t pageNumber = 1;
    std::int32_t pageSize = 0;
    std::string orderBy;
    bool sortDescending = false;
};

}  // namespace corvessa
