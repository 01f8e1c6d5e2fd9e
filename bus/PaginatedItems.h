// corvessa::PaginatedItems: one page of a listing: its items in row order, the number of all
// items that match, and the page number and size that were asked for.
//
// A plain value type.
#pragma once

#include <cstdint>
#include <list>

namespace corvessa {

template <typename Item>
struct PaginatedItems
{
    std::list<Item> items;
    std::int32_t totalCount = 0;
    std::int32_t pageNumber = 0;
    std::int32_t pageSize = 0;
};

}  // namespace corvessa
