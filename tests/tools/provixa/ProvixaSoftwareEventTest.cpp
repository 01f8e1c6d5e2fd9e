// The host's swevent command inside batch: a watch on cardholder modifications prints the
// event that a software event text produces; a missing operand is a usage error, a value that
// does not fit or a file that cannot be read a refused request.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {
using provixa_program::ExpectEachIn;
using provixa_program::Outcome;

class ProvixaSoftwareEvent : public provixa_program::ProvixaProgramTest
{
protected:
    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(m_root / name, std::ios::binary) << text;
    }
    std::string PathOf(const std::string& name) const { return (m_root / name).string(); }
};

TEST_F(ProvixaSoftwareEvent, ABatchPrintsTheModificationOfADemoCardholder)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    Write("change.xml", "<ROOT><NEWDATA><EMP><ID>1</ID><LASTNAME>Adler-Weiss</LASTNAME><VISITOR>0</VISITOR></EMP>"
                        "</NEWDATA><OLDDATA><EMP><ID>1</ID><LASTNAME>Adler</LASTNAME><VISITOR>0</VISITOR></EMP>"
                        "</OLDDATA></ROOT>");
    Write("script.txt", "watch \"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA "
                        "'Bnt_Cardholder'\"\n"
                        "swevent 2 2 0 " +
                            PathOf("change.xml") +
                            "\n"
                            "wait\n");
    const Outcome run = Provixa({"--as", "admin", "batch", PathOf("script.txt")});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectEachIn(run.out, {"Handed in: software event 1 (type 2, transaction 2, flags 0",
                           "instance of __InstanceModificationEvent", "TargetInstance = \ninstance of Bnt_Cardholder",
                           "LASTNAME = \"Adler-Weiss\";", "PreviousInstance = \ninstance of Bnt_Cardholder",
                           "LASTNAME = \"Adler\";"});
}

TEST_F(ProvixaSoftwareEvent, MissingOperandsAreUsageErrorsAndValuesThatDoNotFitAreRefused)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    Write("change.xml", "<ROOT/>");
    const std::string file = PathOf("change.xml");
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        // A number the command line does not hold is a command line the host cannot act on.
        {{"swevent", "2", "x", "0", file}, 2},
        {{"swevent", "70000", "1", "0", file}, 2},
        {{"swevent", "2", "1", "0", PathOf("missing.xml")}, 1},
        {{"swevent", "2", "1", "0"}, 2},
    };
    for (const auto& [args, status] : cases)
    {
        const Outcome run = Provixa(args);
        EXPECT_EQ(run.status, status) << args[1] << " " << args[2] << " " << run.err;
    }
}
}  // namespace
