// Runs the instance commands of `provixa bus` on the demo installation as a person would.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using provixa_program::Contains;
using provixa_program::Outcome;

class ProvixaBusInstanceCommand : public provixa_program::ProvixaProgramTest
{
protected:
    void SetUp() override
    {
        ProvixaProgramTest::SetUp();
        ASSERT_EQ(Provixa({"init"}).status, 0);
    }
    // provixa bus ARGS as the default user, whose password comes on standard input.
    Outcome Bus(std::vector<std::string> args, const std::string& input = "sa-demo\n") const
    {
        args.insert(args.begin(), "bus");
        return Provixa(args, input);
    }
};

}  // namespace

TEST_F(ProvixaBusInstanceCommand, GetReadsOnePageOrTheCount)
{
    const Outcome page = Bus({"get", "Bnt_WorldTimezone", "--page", "2", "--size", "3"});
    EXPECT_EQ(page.status, 0) << page.err;
    EXPECT_TRUE(Contains(page.out, "\"page_number\":2,\"page_size\":3,\"total_count\":4,\"total_pages\":2"))
        << page.out;
    EXPECT_TRUE(Contains(page.out, "\"class\":\"Bnt_WorldTimezone\"")) << page.out;

    const Outcome count = Bus({"get", "Bnt_WorldTimezone", "--size", "0", "--filter", "GMTOffset = 540"});
    EXPECT_EQ(count.status, 0) << count.err;
    EXPECT_TRUE(Contains(count.out, "\"instances\":[],\"page_number\":1,\"page_size\":0,\"total_count\":1"))
        << count.out;

    // The demo's seven cardholders: page 2 of 4 holds the third; page 3 of 5 lies past the end.
    const Outcome cardholders = Bus({"get", "Bnt_Cardholder", "--page", "2", "--size", "2"});
    EXPECT_EQ(cardholders.status, 0) << cardholders.err;
    EXPECT_TRUE(Contains(cardholders.out, "\"LASTNAME\":\"Castell\"")) << cardholders.out;
    EXPECT_TRUE(Contains(cardholders.out, "\"total_count\":7,\"total_pages\":4")) << cardholders.out;
    // The cardholder's properties come from its layout: the filter check reads them first.
    const Outcome named = Bus({"get", "Bnt_Cardholder", "--filter", "LASTNAME = 'Castell'", "--size", "5"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_TRUE(Contains(named.out, "\"total_count\":1,")) << named.out;
    const Outcome past = Bus({"get", "Bnt_Cardholder", "--page", "3", "--size", "5"});
    EXPECT_EQ(past.status, 1);
    EXPECT_TRUE(Contains(past.err, "corvessa.general.invalidrequestitem")) << past.err;

    const Outcome dates = Bus({"get", "Bnt_Holiday", "--size", "1", "--order", "StartDate", "--desc"});
    EXPECT_TRUE(Contains(dates.out, "\"StartDate\":\"20")) << dates.out;
    EXPECT_TRUE(Contains(dates.out, "T00:00:00+00:00\"")) << dates.out;
}

TEST_F(ProvixaBusInstanceCommand, RefusalsCarryTheirErrorKeys)
{
    const std::vector<provixa_program::RefusalCase> cases = {
        {{"get", "Bnt_WorldTimezone", "--page", "3", "--size", "3"}, 1, "corvessa.general.invalidrequestitem"},
        {{"get", "Bnt_WorldTimezone", "--page", "-1", "--size", "3"},
         2,
         "--page -1 is out of range: it takes a number from 0 to 2147483647"},
        {{"get", "Bnt_WorldTimezone", "--size", "-2"}, 2, "--size -2 is out of range: it takes a number from 0 to"},
        {{"get", "Bnt_WorldTimezone", "--filter", "Nope = 1"}, 1, "corvessa.general.invalidfilter"},
        {{"get", "Bnt_NoSuchType"}, 1, "corvessa.general.invalidtypename"},
        {{"add", "Bnt_Holiday", "Name=x"}, 1, "corvessa.editinstance.error"},
        {{"delete", "Bnt_Holiday", "Name=x"}, 1, "corvessa.general.missingrequestitem"},
        {{"get", "Bnt_WorldTimezone", "--size", "x"},
         2,
         "--size x is not a number: it takes a number from 0 to 2147483647"},
        {{"get"}, 2, "get takes CLASS"},
        {{"add", "Bnt_Holiday"}, 2, "add needs NAME=VALUE words"},
        {{"get", "Bnt_Holiday", "--param", "a=b"}, 2, "unknown option --param"},
    };
    provixa_program::ExpectRefusals(cases, [this](const std::vector<std::string>& args) { return Bus(args); });
}

TEST_F(ProvixaBusInstanceCommand, EveryErrorReplyCarriesItsHResult)
{
    struct Case
    {
        std::vector<std::string> args;
        const char* input;
        const char* reply;
    };
    const Case cases[] = {
        {{"get", "Bnt_WorldTimezone", "--page", "3", "--size", "3"},
         "sa-demo\n",
         R"({"error":"corvessa.general.invalidrequestitem","hresult":"0x80041008",)"},
        // A command no server took is a plain 0x80041001, which the bus answers as an exception.
        {{"exec", "Bnt_Panel", "SetClock", "ID=1"},
         "sa-demo\n",
         R"({"error":"corvessa.general.exception","hresult":"0x80041001",)"},
        {{"get", "Bnt_NoSuchType"},
         "sa-demo\n",
         R"({"error":"corvessa.general.invalidtypename","hresult":"0x80040522",)"},
    };
    for (const Case& c : cases)
    {
        const Outcome outcome = Bus(c.args, c.input);
        EXPECT_EQ(outcome.status, 1) << c.reply;
        EXPECT_TRUE(Contains(outcome.err, c.reply)) << c.reply << "\n" << outcome.err;
    }
}
