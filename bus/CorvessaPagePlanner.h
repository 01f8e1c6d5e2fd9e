// CorvessaPagePlanner: the arithmetic of a paged bus read. It refuses paging that no read can
// serve (a negative page number or size, a last row beyond 32 bits; page 0 reads every row),
// and it plans the
// read of one page over several types laid end to end: which rows of which type make up the
// page, as requests a mapper can serve (a page of a type plus the rows to drop before and keep
// after). The plan works on the page's global row offsets, so every page equals the slice of
// the concatenated rows, whatever the types' sizes.
//
// Stateless; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bus/PagingParameters.h"
#include "platform/mfc/CString.h"

class CorvessaPagePlanner
{
public:
    // One mapper read: the page of the type, of which `skip` rows from the front are dropped
    // and at most `keep` rows after them are kept.
    struct Request
    {
        CString typeName;
        corvessa::PagingParameters paging;
        std::size_t skip = 0;
        std::size_t keep = 0;
    };
    // A type and its row count, in the order the types are laid end to end.
    using TypeCount = std::pair<CString, std::int32_t>;

    CorvessaPagePlanner() = delete;

    // Throws CCorvessaException "corvessa.general.invalidrequestitem" naming "page_size" for a
    // negative size, "page_number" for a negative page (when rows are asked for) or one whose
    // last row does not fit 32 bits. A page size of 0 (the count) and page 0 (every row) are
    // accepted.
    static void Validate(const corvessa::PagingParameters& paging);

    // The reads that make up the page of valid paging over the types (page size above 0);
    // empty when the page lies past the last row. Types of no rows get no read. Page 0 is
    // every row of every type: one read of page 0 per type, each kept whole.
    static std::vector<Request> Plan(const std::vector<TypeCount>& counts, const corvessa::PagingParameters& paging);
};
