// The panel-type, reader and alarm-panel recordsets the panel status update reads.
#include "inhouse/BntAccessSets/CPanelTypeSet.h"
#include "inhouse/BntAccessSets/CReader1Set.h"
#include "inhouse/BntAccessSets/LAlarmPanelSet.h"

#include <gtest/gtest.h>

#include <vector>

#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

class HardwareSets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.Exec(
            "INSERT INTO PANELTYPE (PANELTYPEID, NAME, PANELCLASS) VALUES (30, 'Intrusion panel', 7),"
            " (31, 'Twin', 20), (32, 'Twin', 7);"
            "INSERT INTO READER (PANELID, READERID) VALUES (1, 4), (1, 0), (2, 9);"
            "INSERT INTO ALARMPANEL (NAME, ALARMPID, PANELID, CTRLTYPE) VALUES ('b', 193, 1, 0), ('a', 65, 1, 0);");
        ASSERT_TRUE(m_sa.LoginAsSA(m_db.DataSource()));
    }

    TestDatabase m_db;
    CAcsUser m_sa;
};

TEST_F(HardwareSets, PanelTypesAreFoundByNameWithoutRegardToCase)
{
    const struct
    {
        CString name;
        LONG id;
        LONG panelClass;
    } cases[] = {
        {L"Intrusion panel", 30, 7}, {L"INTRUSION PANEL", 30, 7},
        {L"Twin", 31, 20},  // the first row by id
        {L"Missing", 0, 0},          {CString(std::wstring(256, L'x')), 0, 0},
    };
    for (const auto& c : cases)
    {
        CPanelTypeSet set(m_sa.GetDatabase());
        set.OpenByName(c.name);
        EXPECT_EQ(set.GetPanelTypeID(), c.id) << c.name.GetLength();
        EXPECT_EQ(set.GetPanelClass(), c.panelClass);
        EXPECT_EQ(set.IsEOF(), c.id == 0);
    }
}

TEST_F(HardwareSets, ReadersAndAlarmPanelsOfOnePanelInIdOrder)
{
    std::vector<LONG> readers;
    CReader1Set readerSet(m_sa.GetDatabase());
    for (readerSet.OpenForPanel(1); !readerSet.IsEOF(); readerSet.MoveNext())
        readers.push_back(readerSet.GetReaderID());
    EXPECT_EQ(readers, (std::vector<LONG>{0, 4}));
    readerSet.MoveNext();
    EXPECT_EQ(readerSet.GetReaderID(), 0);

    std::vector<LONG> alarmPanels;
    LAlarmPanelSet alarmSet(m_sa.GetDatabase());
    for (alarmSet.OpenForAccessPanel(1); !alarmSet.IsEOF(); alarmSet.MoveNext())
        alarmPanels.push_back(alarmSet.GetAlarmPanelID());
    EXPECT_EQ(alarmPanels, (std::vector<LONG>{65, 193}));
    alarmSet.OpenForAccessPanel(3);
    EXPECT_TRUE(alarmSet.IsEOF());

    CReader1Set noDatabase(nullptr);
    noDatabase.OpenForPanel(1);
    EXPECT_TRUE(noDatabase.IsEOF());
}

}  // namespace
