#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "framework/wql/WqlLimits.h"
#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/bus/BusInstanceClasses.h"

using qpid::types::Variant;

namespace {

using bustest::BusInstanceTest;

class CorvessaGetInstance : public BusInstanceTest
{
protected:
    struct Page
    {
        HRESULT hr = S_OK;
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        std::vector<std::string> names;
        std::vector<std::string> classes;
        CCorvessaBaseApp::InstanceList instances;
    };

    Page Read(std::string type, std::int32_t page, std::int32_t size, const std::string& filter = "")
    {
        corvessa::PagingParameters paging;
        paging.pageNumber = page;
        paging.pageSize = size;
        Page result;
        result.hr = m_app->GetInstance(m_token, kApplication, type, filter, paging, result.info, result.instances);
        for (const auto& instance : result.instances)
        {
            const auto& values = instance->GetInstanceValues();
            const auto name = values.find("Name");
            result.names.push_back(name == values.end() ? "?" : name->second.asString());
            result.classes.push_back(brontel::utility::ConvertCStringToUtf8(instance->GetClassNameW()));
        }
        return result;
    }

    // The key of the error a read throws ("" when it throws none).
    std::string ThrownKey(const std::string& type, std::int32_t page, std::int32_t size)
    {
        try
        {
            Read(type, page, size);
        }
        catch (const CCorvessaException& e)
        {
            return e.ErrorCode();
        }
        return "";
    }
};

TEST_F(CorvessaGetInstance, AbstractTypePagesEqualTheSliceOfItsTypesLaidEndToEndByName)
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> rows(0, 9);
    const int alpha = rows(random);
    const int beta = rows(random) + 1;
    const int gamma = rows(random);
    Fill("Alpha", alpha);
    Fill("Beta", beta);
    Fill("Gamma", gamma);
    std::vector<std::string> all;
    for (const auto& [type, count] : {std::pair{"Alpha", alpha}, {"Beta", beta}, {"Gamma", gamma}})
    {
        for (int row = 1; row <= count; ++row)
        {
            all.push_back(type + std::to_string(row));
        }
    }
    const int total = static_cast<int>(all.size());
    for (int size = 1; size <= total + 1; ++size)
    {
        const int pages = (total + size - 1) / size;
        for (int page = 1; page <= std::max(pages, 1); ++page)
        {
            const Page read = Read("Pag_Base", page, size);
            ASSERT_EQ(read.hr, S_OK);
            std::vector<std::string> slice;
            for (int i = (page - 1) * size; i < total && i < page * size; ++i)
            {
                slice.push_back(all[static_cast<std::size_t>(i)]);
            }
            ASSERT_EQ(read.names, slice) << "page " << page << " size " << size;
            EXPECT_EQ(read.info.totalCount, total);
            EXPECT_EQ(read.info.totalPages, pages);
            EXPECT_EQ(read.info.pageNumber, page);
            EXPECT_EQ(read.info.pageSize, size);
        }
        EXPECT_EQ(ThrownKey("Pag_Base", pages + 1, size), CCorvessaException::kInvalidRequestItemKey);
    }
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaGetInstance, RowsOfDerivedTypesCarryOnlyTheRequestedTypesProperties)
{
    Fill("Beta", 2);
    const Page read = Read("Pag_Base", 1, 5);
    ASSERT_EQ(read.hr, S_OK);
    ASSERT_EQ(read.instances.size(), 2u);
    EXPECT_EQ(read.classes[0], "Pag_Beta");
    const auto& values = read.instances[0]->GetInstanceValues();
    EXPECT_EQ(values.count("Extra"), 0u);
    EXPECT_EQ(values.at("ID").asInt32(), 1);
    // Read as itself, the concrete type shows all its properties.
    const Page own = Read("Pag_Beta", 1, 5);
    EXPECT_EQ(own.instances[0]->GetInstanceValues().at("Extra").asInt32(), 7);
}

TEST_F(CorvessaGetInstance, CountsAndPagingRefusals)
{
    Fill("Alpha", 3);
    Fill("Gamma", 8);
    const Page count = Read("Pag_Base", 1, 0);
    EXPECT_EQ(count.hr, S_OK);
    EXPECT_EQ(count.info.totalCount, 11);
    EXPECT_EQ(count.info.totalPages, 0);
    EXPECT_TRUE(count.instances.empty());
    const Page last = Read("Pag_Gamma", 2, 5);
    EXPECT_EQ(last.names, (std::vector<std::string>{"Gamma6", "Gamma7", "Gamma8"}));
    EXPECT_EQ(last.info.totalPages, 2);
    const Page filtered = Read("Pag_Base", 1, 0, "Name = 'Gamma2'");
    EXPECT_EQ(filtered.info.totalCount, 1);

    const struct
    {
        std::int32_t page;
        std::int32_t size;
    } refused[] = {{-1, 5}, {1, -1}, {4, 5}, {1073741824, 2}, {2147483647, 2147483647}};
    for (const auto& r : refused)
    {
        EXPECT_EQ(ThrownKey("Pag_Base", r.page, r.size), CCorvessaException::kInvalidRequestItemKey)
            << r.page << "/" << r.size;
        EXPECT_EQ(ThrownKey("Pag_Gamma", r.page, r.size), CCorvessaException::kInvalidRequestItemKey)
            << r.page << "/" << r.size;
    }
    // Page 0 is every matching row, over one type or laid end to end over the derived types.
    const Page everyGamma = Read("Pag_Gamma", 0, 5);
    EXPECT_EQ(everyGamma.names.size(), 8u);
    EXPECT_EQ(everyGamma.info.totalCount, 8);
    const Page everyRow = Read("Pag_Base", 0, 5);
    EXPECT_EQ(everyRow.names, (std::vector<std::string>{"Alpha1", "Alpha2", "Alpha3", "Gamma1", "Gamma2", "Gamma3",
                                                        "Gamma4", "Gamma5", "Gamma6", "Gamma7", "Gamma8"}));
    EXPECT_EQ(everyRow.info.totalPages, 3);
    // Page 1 of nothing is an empty page; page 2 of nothing is past the end.
    EXPECT_EQ(Read("Pag_Beta", 1, 5).hr, S_OK);
    EXPECT_EQ(ThrownKey("Pag_Beta", 2, 5), CCorvessaException::kInvalidRequestItemKey);
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaGetInstance, FiltersAreCheckedAgainstTheRequestedType)
{
    Fill("Alpha", 4);
    // The demo's own rows, whatever their number.
    constexpr std::size_t kAnyRows = ~std::size_t{0};
    const struct
    {
        const char* type;
        const char* filter;
        HRESULT hr;
        std::size_t rows;
    } cases[] = {
        {"Pag_Alpha", "  ", S_OK, 4},
        {"Pag_Alpha", "Name = 'Alpha3'", S_OK, 1},
        {"Pag_Base", "Name = 'Alpha3' OR ID = 1", S_OK, 2},
        {"Pag_Alpha", "Nope = 1", corvessa::kInvalidFilter, 0},
        {"Pag_Alpha", "ID = 'abc'", corvessa::kInvalidFilter, 0},
        {"Pag_Alpha", "ID = = 1", corvessa::kInvalidFilter, 0},
        {"Pag_Alpha", "Name = 'x') OR (1 = 1", corvessa::kInvalidFilter, 0},
        {"Pag_Base", "Extra = 7", corvessa::kInvalidFilter, 0},
        // A value the caller's list does not hold selects what is stored under it that the caller
        // sees: here nothing.
        {"Bpw_Person", "SegmentID = 5", S_OK, 0},
        {"Bpw_Person", "SegmentID = 1", S_OK, kAnyRows},
        {"Bnt_NoSuchType", "", corvessa::kInvalidTypeName, 0},
    };
    for (const auto& c : cases)
    {
        const Page read = Read(c.type, 1, 10, c.filter);
        EXPECT_EQ(read.hr, c.hr) << c.type << " " << c.filter;
        if (c.rows != kAnyRows)
        {
            EXPECT_EQ(read.instances.size(), c.rows) << c.type << " " << c.filter;
        }
    }
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaGetInstance, AFilterLongerThanAQueryInBytesIsRefusedEvenWhenItsCharactersWouldFit)
{
    Fill("Alpha", 4);
    // Two-byte characters: a filter of the limit's bytes holds about half as many characters, well
    // within the parser's own limit, so only the bus's count of bytes can refuse the longer one.
    const auto filterOfBytes = [](std::size_t bytes) {
        std::string filter = "Name = 'Alpha3' OR Name = '";
        const std::size_t room = bytes - filter.size() - 1;
        for (std::size_t i = 0; i < room / 2; ++i)
            filter += "\xC3\xA9";
        return filter + std::string(room % 2, 'a') + "'";
    };
    const Page atLimit = Read("Pag_Alpha", 1, 10, filterOfBytes(WqlLimits::kMaxQueryLength));
    EXPECT_EQ(atLimit.hr, S_OK);
    EXPECT_EQ(atLimit.names, (std::vector<std::string>{"Alpha3"}));
    const Page beyond = Read("Pag_Alpha", 1, 10, filterOfBytes(WqlLimits::kMaxQueryLength + 1));
    EXPECT_EQ(beyond.hr, corvessa::kInvalidFilter);
    EXPECT_TRUE(beyond.instances.empty());
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaGetInstance, DerivedTypesThatRejectTheFilterOrMayNotBeViewedCountNoRows)
{
    Fill("Alpha", 2);
    Exec("INSERT INTO PAG_DELTA (ID, EXTRA) VALUES (1, 0), (2, 0), (3, 0);");
    const Page all = Read("Pag_Base", 1, 10);
    EXPECT_EQ(all.info.totalCount, 5);
    EXPECT_EQ(all.classes, (std::vector<std::string>{"Pag_Alpha", "Pag_Alpha", "Pag_Delta", "Pag_Delta", "Pag_Delta"}));
    // Pag_Delta has no Name: its SQL is refused and it counts no rows; the others still answer.
    const Page named = Read("Pag_Base", 1, 10, "Name = 'Alpha2'");
    EXPECT_EQ(named.hr, S_OK);
    EXPECT_EQ(named.names, (std::vector<std::string>{"Alpha2"}));
    EXPECT_EQ(named.info.totalCount, 1);
    // No derived type maps Label: every one refuses the filter.
    EXPECT_EQ(Read("Pag_Base", 1, 10, "Label = 'x'").hr, corvessa::kInvalidFilter);
    EXPECT_EQ(UseCount(), 0);

    // The operator may not view Pag_Delta: it is left out of counts and pages alike.
    m_token = Login("operator", "operator-demo");
    const Page visible = Read("Pag_Base", 1, 10);
    EXPECT_EQ(visible.hr, S_OK);
    EXPECT_EQ(visible.info.totalCount, 2);
    EXPECT_EQ(visible.names, (std::vector<std::string>{"Alpha1", "Alpha2"}));
    EXPECT_EQ(Read("Pag_Delta", 1, 10).instances.size(), 0u);
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaGetInstance, DemoClassesReadPageByPageAndAnUnknownTokenIsRefused)
{
    const Page second = Read("Bnt_WorldTimezone", 2, 3);
    EXPECT_EQ(second.hr, S_OK);
    EXPECT_EQ(second.info.totalCount, 4);
    EXPECT_EQ(second.info.totalPages, 2);
    EXPECT_EQ(second.instances.size(), 1u);
    std::string type = "Bnt_WorldTimezone";
    // The token is checked before the paging: a bad token is reported as such whatever page.
    for (const std::int32_t page : {1, 0, -1})
    {
        corvessa::PagingParameters paging;
        paging.pageNumber = page;
        paging.pageSize = 2;
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        CCorvessaBaseApp::InstanceList instances;
        try
        {
            m_app->GetInstance("00000000-0000-0000-0000-000000000000", kApplication, type, "", paging, info, instances);
            ADD_FAILURE() << "unknown token accepted on page " << page;
        }
        catch (const CCorvessaException& e)
        {
            EXPECT_EQ(e.ErrorCode(), CCorvessaException::kInvalidSessionTokenKey) << page;
        }
    }
    EXPECT_EQ(UseCount(), 0);
}

// A statement fault sweep over a read of every row of an abstract type: statement 1, then 2,
// then 3 ... of the read fails, and every one after it, until the read gets through. A read
// that fails, also after the rows of one type were gathered, hands back no row with its error.
TEST_F(CorvessaGetInstance, AReadThatFailsPartWayHandsBackNoRowWithItsError)
{
    // A statement failure that is neither a lost connection nor a busy database.
    constexpr int kStatementError = 1;
    constexpr int kMaxStatements = 100;
    Fill("Alpha", 3);
    Fill("Beta", 3);
    Fill("Gamma", 3);
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(m_token, kApplication, &entry, false), S_OK);
    const std::shared_ptr<CBntConnection> connection = entry->GetUser()->GetDatabase()->GetConnection();
    m_app->Sessions().ReleaseUserCacheEntry(entry);
    const std::vector<std::string> every = Read("Pag_Base", 0, 5).names;
    ASSERT_EQ(every.size(), 9u);
    int failed = 0;
    for (int skip = 0; skip < kMaxStatements; ++skip)
    {
        connection->TestHookFailNextStatements(kMaxStatements, kStatementError, skip);
        Page page;
        try
        {
            page = Read("Pag_Base", 0, 5);
        }
        catch (const CCorvessaException& e)
        {
            page.hr = E_FAIL;
            ADD_FAILURE() << "statement " << skip + 1 << " threw " << e.ErrorCode();
        }
        connection->TestHookFailNextStatements(0, kStatementError);
        if (SUCCEEDED(page.hr))
        {
            EXPECT_EQ(page.names, every) << "statement " << skip + 1;
            break;
        }
        ++failed;
        // The token check's read of the rights stamp comes first, for the administrator too: its
        // failure refuses the session.
        EXPECT_EQ(page.hr, skip == 0 ? corvessa::kInvalidSessionToken : corvessa::kInvalidFilter)
            << "statement " << skip + 1;
        EXPECT_TRUE(page.instances.empty()) << "statement " << skip + 1 << " left " << page.instances.size();
    }
    // The counts of the four types, then a count and a page of each of the three that hold rows.
    EXPECT_GE(failed, 10);
    EXPECT_EQ(UseCount(), 0);
}

}  // namespace
