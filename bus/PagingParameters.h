// corvessa::PagingParameters: the paging of a bus read: which page (from 1) of how many rows
// (in the instance read 0 asks for the count only), ordered by which properties and in which
// direction. A plain value.
#pragma once

#include <cstdint>
#include <string>

namespace corvessa {

struct PagingParameters
{
    std::int32_t pageNumber = 1;
    std::int32_t pageSize = 0;
    // Comma-separated property names; empty orders by the keys.
    std::string orderBy;
    bool descending = false;
};

}  // namespace corvessa
