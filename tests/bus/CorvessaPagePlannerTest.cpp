#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bus/CCorvessaException.h"
#include "bus/CorvessaPagePlanner.h"

namespace {

using Layout = std::vector<CorvessaPagePlanner::TypeCount>;

corvessa::PagingParameters Paging(std::int32_t page, std::int32_t size)
{
    corvessa::PagingParameters paging;
    paging.pageNumber = page;
    paging.pageSize = size;
    return paging;
}

// What the mappers would hand back for the plan: each request reads its type's page (rows
// "TypeN" from 1), drops `skip` rows and keeps `keep`.
std::vector<std::string> Execute(const Layout& layout, const corvessa::PagingParameters& paging)
{
    std::vector<std::string> rows;
    for (const CorvessaPagePlanner::Request& request : CorvessaPagePlanner::Plan(layout, paging))
    {
        std::int32_t count = 0;
        for (const auto& [type, rowsOfType] : layout)
        {
            if (type == request.typeName)
            {
                count = rowsOfType;
            }
        }
        std::vector<std::string> page;
        const std::int64_t first = static_cast<std::int64_t>(request.paging.pageNumber - 1) * request.paging.pageSize;
        for (std::int64_t row = first; row < first + request.paging.pageSize && row < count; ++row)
        {
            page.push_back(std::string(CStringToUtf8(request.typeName)) + std::to_string(row + 1));
        }
        for (std::size_t i = request.skip; i < page.size() && i < request.skip + request.keep; ++i)
        {
            rows.push_back(page[i]);
        }
    }
    return rows;
}

// The page as a slice of all rows laid end to end.
std::vector<std::string> Slice(const Layout& layout, std::int32_t page, std::int32_t size)
{
    std::vector<std::string> all;
    for (const auto& [type, count] : layout)
    {
        for (std::int32_t row = 1; row <= count; ++row)
        {
            all.push_back(std::string(CStringToUtf8(type)) + std::to_string(row));
        }
    }
    const std::size_t first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(size);
    std::vector<std::string> slice;
    for (std::size_t i = first; i < all.size() && i < first + static_cast<std::size_t>(size); ++i)
    {
        slice.push_back(all[i]);
    }
    return slice;
}

TEST(CorvessaPagePlanner, PagesEqualTheSliceOfTheConcatenatedTypes)
{
    struct Case
    {
        Layout layout;
        std::int32_t page;
        std::int32_t size;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {{{L"A", 3}, {L"B", 4}}, 1, 5, {"A1", "A2", "A3", "B1", "B2"}},
        {{{L"A", 3}, {L"B", 4}}, 2, 5, {"B3", "B4"}},
        {{{L"A", 2}, {L"B", 7}}, 2, 3, {"B2", "B3", "B4"}},
        // A partly read type must not overfill the page.
        {{{L"A", 3}, {L"B", 9}, {L"C", 4}}, 2, 5, {"B3", "B4", "B5", "B6", "B7"}},
        {{{L"A", 3}, {L"B", 9}, {L"C", 4}}, 3, 5, {"B8", "B9", "C1", "C2", "C3"}},
        {{{L"A", 3}, {L"B", 0}, {L"C", 4}}, 2, 3, {"C1", "C2", "C3"}},
        {{{L"A", 3}, {L"B", 4}}, 3, 5, {}},
        {{}, 1, 5, {}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Execute(c.layout, Paging(c.page, c.size)), c.rows) << c.page << "/" << c.size;
        EXPECT_EQ(Slice(c.layout, c.page, c.size), c.rows) << c.page << "/" << c.size;
    }
}

TEST(CorvessaPagePlanner, RandomLayoutsMatchThePlainSliceOnEveryPageAndSize)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::int32_t> rows(0, 23);
    for (int round = 0; round < 60; ++round)
    {
        const Layout layout{{L"Alpha", rows(random)}, {L"Beta", rows(random)}, {L"Gamma", rows(random)}};
        const std::int32_t total = layout[0].second + layout[1].second + layout[2].second;
        for (std::int32_t size = 1; size <= total + 2; ++size)
        {
            for (std::int32_t page = 1; page <= total / size + 2; ++page)
            {
                ASSERT_EQ(Execute(layout, Paging(page, size)), Slice(layout, page, size))
                    << layout[0].second << "," << layout[1].second << "," << layout[2].second << " page " << page
                    << " size " << size;
            }
        }
    }
}

TEST(CorvessaPagePlanner, EachTypeIsReadWithAtMostTwoPagesOfTheRequestSize)
{
    const auto plan = CorvessaPagePlanner::Plan({{L"A", 2}, {L"B", 7}}, Paging(2, 3));
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].typeName, L"B");
    EXPECT_EQ(plan[0].paging.pageNumber, 1);
    EXPECT_EQ(plan[0].paging.pageSize, 3);
    EXPECT_EQ(plan[0].skip, 1u);
    EXPECT_EQ(plan[0].keep, 2u);
    EXPECT_EQ(plan[1].paging.pageNumber, 2);
    EXPECT_EQ(plan[1].skip, 0u);
    EXPECT_EQ(plan[1].keep, 1u);
}

TEST(CorvessaPagePlanner, PagingThatNoReadCanServeIsAnInvalidRequestItem)
{
    struct Case
    {
        std::int32_t page;
        std::int32_t size;
        const char* item;  // null: accepted
    };
    const Case cases[] = {
        {1, 5, nullptr},
        {1, 0, nullptr},
        {0, 0, nullptr},  // a count names no page
        {429496, 5000, nullptr},
        {0, 5, nullptr},  // page 0: every row
        {-1, 5, "page_number"},
        {1, -1, "page_size"},
        {0, -5, "page_size"},
        {2147483647, 2, "page_number"},
        {65536, 65536, "page_number"},
    };
    for (const Case& c : cases)
    {
        if (c.item == nullptr)
        {
            EXPECT_NO_THROW(CorvessaPagePlanner::Validate(Paging(c.page, c.size))) << c.page << "/" << c.size;
            continue;
        }
        try
        {
            CorvessaPagePlanner::Validate(Paging(c.page, c.size));
            ADD_FAILURE() << c.page << "/" << c.size << " accepted";
        }
        catch (const CCorvessaException& e)
        {
            EXPECT_EQ(e.ErrorCode(), CCorvessaException::kInvalidRequestItemKey);
            EXPECT_EQ(e.ErrorMessage(), std::string("Request contains an invalid value for the property '") + c.item +
                                            "'. It takes " +
                                            (std::string(c.item) == "page_size" ? "a size" : "a page number") +
                                            " from 0 to 2147483647 (page 0: every row), and the page number times "
                                            "the size at most 2147483647.");
        }
    }
}

}  // namespace
