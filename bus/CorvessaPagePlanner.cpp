#include "bus/CorvessaPagePlanner.h"

#include <algorithm>
#include <limits>

#include "bus/CCorvessaException.h"

namespace {

// What a page's number and size take: the page's last row is one of the mapper's 32-bit rows.
std::string Takes(const char* what, std::int32_t lowest)
{
    return std::string("It takes ") + what + " from " + std::to_string(lowest) + " to " +
           std::to_string(std::numeric_limits<std::int32_t>::max()) +
           " (page 0: every row), and the page number times the size at most " +
           std::to_string(std::numeric_limits<std::int32_t>::max()) + ".";
}

}  // namespace

void CorvessaPagePlanner::Validate(const corvessa::PagingParameters& paging)
{
    if (paging.pageSize < 0)
    {
        throw CCorvessaException::InvalidRequestItem("page_size", Takes("a size", 0));
    }
    if (paging.pageSize == 0)
    {
        return;
    }
    // The mapper numbers rows in 32 bits: the page's last row must be one of them. Page 0
    // asks for no paging at all (ending record 0): every matching row.
    const std::int64_t lastRow = static_cast<std::int64_t>(paging.pageNumber) * paging.pageSize;
    if (paging.pageNumber < 0 || lastRow > std::numeric_limits<std::int32_t>::max())
    {
        throw CCorvessaException::InvalidRequestItem("page_number", Takes("a page number", 0));
    }
}

std::vector<CorvessaPagePlanner::Request> CorvessaPagePlanner::Plan(const std::vector<TypeCount>& counts,
                                                                    const corvessa::PagingParameters& paging)
{
    std::vector<Request> requests;
    const std::int64_t size = paging.pageSize;
    const std::int64_t first = (static_cast<std::int64_t>(paging.pageNumber) - 1) * size;
    const std::int64_t end = first + size;
    const auto add = [&](const CString& type, std::int64_t page, std::int64_t pageSize, std::int64_t skip,
                         std::int64_t keep) {
        Request request;
        request.typeName = type;
        request.paging = paging;
        request.paging.pageNumber = static_cast<std::int32_t>(page);
        request.paging.pageSize = static_cast<std::int32_t>(pageSize);
        request.skip = static_cast<std::size_t>(skip);
        request.keep = static_cast<std::size_t>(keep);
        requests.push_back(std::move(request));
    };
    if (paging.pageNumber == 0)
    {
        for (const auto& [type, count] : counts)
        {
            if (count > 0)
            {
                add(type, 0, size, 0, count);
            }
        }
        return requests;
    }
    std::int64_t base = 0;
    for (const auto& [type, count] : counts)
    {
        const std::int64_t low = std::max(first, base) - base;
        const std::int64_t high = std::min(end, base + std::max<std::int64_t>(count, 0)) - base;
        base += std::max<std::int32_t>(count, 0);
        if (low >= high)
        {
            continue;
        }
        if (low == 0)
        {
            // The page starts at the type's first row: one page of exactly the rows wanted.
            add(type, 1, high, 0, high);
            continue;
        }
        // The rows [low, high) lie on at most two of the type's pages of the request's size.
        const std::int64_t firstPage = low / size + 1;
        const std::int64_t lastPage = (high - 1) / size + 1;
        const std::int64_t firstPageEnd = std::min(high, firstPage * size);
        add(type, firstPage, size, low - (firstPage - 1) * size, firstPageEnd - low);
        if (lastPage != firstPage)
        {
            add(type, lastPage, size, 0, high - (lastPage - 1) * size);
        }
    }
    return requests;
}
