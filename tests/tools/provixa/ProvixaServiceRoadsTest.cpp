// The WMI service as its callers know it and the provider's roads, end to end through the built
// program on a fresh installation: deep reads of abstract classes, select lists, the class
// listing, the registry switches (no connection pooling, an installation in progress), the
// class shell of an unlinked caller, paths naming part of the keys, and the bus read's failures
// and page rules.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {
using provixa_program::Contains;
using provixa_program::Outcome;
using provixa_program::ReadAll;

// How often a text occurs.
std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

class ProvixaServiceRoads : public provixa_program::ProvixaProgramTest
{
protected:
    void SetUp() override
    {
        ProvixaProgramTest::SetUp();
        const Outcome init = Provixa({"init"});
        ASSERT_EQ(init.status, 0) << init.err;
    }
    // Sets a switch of the installation's registry key to 0 or 1.
    void Switch(const std::string& name, int value) const
    {
        const std::filesystem::path file = m_home / "registry.ini";
        std::string text = ReadAll(file);
        text = std::regex_replace(text, std::regex(name + "=dword:[0-9a-fA-F]+"),
                                  name + "=dword:0000000" + std::to_string(value));
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }
    Outcome Bus(const std::vector<std::string>& args) const
    {
        std::vector<std::string> words{"bus"};
        words.insert(words.end(), args.begin(), args.end());
        return Provixa(words, "sa-demo\n");
    }
};
}  // namespace

TEST_F(ProvixaServiceRoads, AbstractClassesAnswerTheirConcreteSubclasses)
{
    const struct
    {
        const char* abstractClass;
        std::vector<const char*> subclasses;
    } cases[] = {
        {"Bnt_Input", {"Bnt_AlarmInput", "Bnt_ReaderInput1", "Bnt_ReaderInput2"}},
        {"Bnt_Output", {"Bnt_AlarmOutput", "Bnt_ReaderOutput1", "Bnt_OnBoardRelay"}},
        {"Bnt_IntrusionOutput", {"Bnt_IntrusionZoneOutput", "Bnt_OffBoardRelay"}},
        {"Bnt_ReaderInput", {"Bnt_ReaderInput1", "Bnt_ReaderInput2"}},
        {"Bnt_ReaderOutput", {"Bnt_ReaderOutput1", "Bnt_ReaderOutput2"}},
        {"Bnt_AccessRequest", {"Bnt_AccessLevelRequest", "Bnt_ReaderRequest"}},
        {"Bnt_BadgeOwner", {"Bnt_CardholderBadge", "Bnt_VisitorBadge"}},
        {"Bnt_MultimediaObjectOwner", {"Bnt_CardholderMultimediaObject", "Bnt_VisitorMultimediaObject"}},
        {"Bnt_Element", {"Bnt_Badge", "Bnt_Cardholder", "Bnt_AlarmInput", "Bnt_VisitorBadge"}},
    };
    for (const auto& c : cases)
    {
        const Outcome enumerated = Provixa({"--as", "admin", "enum", c.abstractClass});
        const Outcome queried = Provixa({"--as", "admin", "query", std::string("SELECT * FROM ") + c.abstractClass});
        for (const Outcome* run : {&enumerated, &queried})
        {
            EXPECT_EQ(run->status, 0) << c.abstractClass << ": " << run->err;
            for (const char* subclass : c.subclasses)
                EXPECT_TRUE(Contains(run->out, std::string("instance of ") + subclass + "\n"))
                    << c.abstractClass << " lacks " << subclass;
        }
        EXPECT_EQ(Count(enumerated.out, "instance of "), Count(queried.out, "instance of ")) << c.abstractClass;
    }
    // The query's condition reaches every subclass; a shallow request keeps the provider's answer.
    const Outcome filtered = Provixa({"--as", "admin", "query", "SELECT * FROM Bnt_Input WHERE PanelID = 99"});
    EXPECT_EQ(filtered.status, 0) << filtered.err;
    EXPECT_TRUE(filtered.out.empty()) << filtered.out;
    // A class kept off the provider's name chain says so.
    const Outcome offChain = Provixa({"--as", "admin", "enum", "Bnt_VideoRecorder"});
    EXPECT_EQ(offChain.status, 1);
    EXPECT_TRUE(Contains(offChain.err, "built only through its registered factory")) << offChain.err;
}

TEST_F(ProvixaServiceRoads, ASelectListSelectsAndEveryListedClassCanBeFetched)
{
    const Outcome selected = Provixa({"--as", "admin", "--json", "query", "SELECT DisplayName FROM Bnt_WorldTimezone"});
    ASSERT_EQ(selected.status, 0) << selected.err;
    EXPECT_EQ(Count(selected.out, "\"properties\":{\"DisplayName\":"), 4u) << selected.out;
    EXPECT_EQ(Count(selected.out, "\"ID\":"), 4u) << "the key stays: " << selected.out;
    EXPECT_FALSE(Contains(selected.out, "\"Bias\"")) << selected.out;
    EXPECT_TRUE(Contains(selected.out, "Bnt_WorldTimezone.ID=1\"")) << "the path stays right: " << selected.out;
    const Outcome inherited = Provixa({"--as", "admin", "--json", "query", "SELECT Name FROM Bnt_Input"});
    ASSERT_EQ(inherited.status, 0) << inherited.err;
    EXPECT_FALSE(Contains(inherited.out, "\"HostName\"")) << inherited.out;
    EXPECT_TRUE(Contains(inherited.out, "\"ReaderID\"")) << "a subclass's keys stay: " << inherited.out;

    const Outcome classes = Provixa({"--as", "operator", "classes"});
    ASSERT_EQ(classes.status, 0) << classes.err;
    for (const char* line : {"Bnt_Badge : Bnt_Element\n", "Bnt_Cardholder : Bnt_Person\n",
                             "Bnt_AccessEvent : Bnt_SecurityEvent\n", "Bnt_DEPARTMENT : Bnt_Element\n"})
        EXPECT_TRUE(Contains(classes.out, line)) << line;
    for (const char* listed : {"Bnt_AccessEvent", "Bnt_DEPARTMENT", "Bnt_Badge"})
    {
        const Outcome fetched = Provixa({"--as", "operator", "get", listed});
        EXPECT_EQ(fetched.status, 0) << listed << ": " << fetched.err;
        EXPECT_TRUE(Contains(fetched.out, std::string("class ") + listed + " : ")) << fetched.out;
    }
}

TEST_F(ProvixaServiceRoads, RegistrySwitchesAndPathsTakeThePartsRoads)
{
    // Without connection pooling each request logs its caller in by the caller's own user.
    Switch("DisableConnectionPooling", 1);
    const Outcome unpooled = Provixa({"--as", "operator", "get", "Bnt_WorldTimezone.ID=1"});
    EXPECT_EQ(unpooled.status, 0) << unpooled.err;
    EXPECT_TRUE(Contains(unpooled.out, "ID = 1;")) << unpooled.out;
    Switch("DisableConnectionPooling", 0);

    // An unlinked caller gets the class shell of the classes the provider builds.
    for (const char* shellClass : {"Bnt_Badge", "Bnt_Person", "Bnt_Cardholder", "Bnt_Visitor", "Bnt_Visit"})
    {
        const Outcome shell = Provixa({"--sid", "S-1-5-21-9-9-9-1001", "get", shellClass});
        EXPECT_EQ(shell.status, 0) << shellClass << ": " << shell.err;
        EXPECT_TRUE(Contains(shell.out, std::string("class ") + shellClass)) << shell.out;
    }

    // A path naming some of the keys reads the first match; a write or a method needs them all.
    const Outcome someKeys = Provixa({"--as", "admin", "get", "Bnt_ReaderInput1.PanelID=1"});
    EXPECT_EQ(someKeys.status, 0) << someKeys.err;
    EXPECT_EQ(Count(someKeys.out, "instance of Bnt_ReaderInput1"), 1u) << someKeys.out;
    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"get", "Bnt_ReaderInput1.PanelID=1,HostName=\"x\""},
          std::vector<std::string>{"delete", "Bnt_ReaderInput1.PanelID=1"}})
    {
        std::vector<std::string> args{"--as", "admin"};
        args.insert(args.end(), refused.begin(), refused.end());
        const Outcome run = Provixa(args);
        EXPECT_EQ(run.status, 1) << refused[1];
        EXPECT_TRUE(Contains(run.err, "0x8004103A")) << run.err;
    }

    // While an installation is in progress the provider loads and every class path it builds
    // is not found; the classes WMI keeps still answer.
    Switch("InstallInProgress", 1);
    const Outcome installing = Provixa({"--as", "operator", "get", "Bnt_Badge"});
    EXPECT_EQ(installing.status, 1);
    EXPECT_TRUE(Contains(installing.err, "0x80041002")) << installing.err;
    EXPECT_FALSE(Contains(installing.err, "while loading the provider")) << installing.err;
    const Outcome stored = Provixa({"--as", "operator", "get", "Bnt_WorldTimezone"});
    EXPECT_EQ(stored.status, 0) << stored.err;
}

TEST_F(ProvixaServiceRoads, BusReadsSayWhatTheyDidAndPageZeroIsEveryRow)
{
    const Outcome byName = Provixa({"--as", "admin", "query", "SELECT * FROM Bnt_Panel WHERE Name = 'Lobby panel'"});
    EXPECT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(Count(byName.out, "instance of Bnt_Panel"), 1u) << byName.out;
    const Outcome ordered = Bus({"get", "Bnt_Panel", "--order", "Name", "--size", "2"});
    EXPECT_EQ(ordered.status, 0) << ordered.err;
    EXPECT_TRUE(Contains(ordered.out, "\"Name\":\"Annex panel\"")) << ordered.out;
    EXPECT_EQ(Count(ordered.out, "\"class\":\"Bnt_Panel\""), 2u) << ordered.out;

    // An order that names no property orders by the keys, and the person is told.
    const Outcome unknown = Bus({"get", "Bnt_Badge", "--order", "NOSUCH", "--desc", "--size", "1"});
    EXPECT_EQ(unknown.status, 0) << unknown.err;
    EXPECT_TRUE(Contains(unknown.err, "NOSUCH is not a property of Bnt_Badge, so the page is ordered by the keys"))
        << unknown.err;
    EXPECT_TRUE(Contains(unknown.out, "\"BADGEKEY\":7,")) << unknown.out;

    for (const char* type : {"Bnt_Panel", "Bnt_Input"})
    {
        const Outcome every = Bus({"get", type, "--page", "0", "--size", "2"});
        ASSERT_EQ(every.status, 0) << every.err;
        std::smatch total;
        ASSERT_TRUE(std::regex_search(every.out, total, std::regex("\"total_count\":([0-9]+)"))) << every.out;
        EXPECT_GT(std::stoul(total[1]), 2u) << type;
        EXPECT_EQ(Count(every.out, "\"values\""), std::stoul(total[1])) << type << ": " << every.out;
    }
    const Outcome negative = Bus({"get", "Bnt_Panel", "--page", "-1", "--size", "2"});
    EXPECT_EQ(negative.status, 2);
    EXPECT_TRUE(Contains(negative.err, "--page -1 is out of range: it takes a number from 0 to 2147483647"));
}
