// Test fixture: a fresh PROVIXA_HOME folder per test with a file database "sqlite:test.db"
// holding a few small tables of panels, readers, panel types and events, and the ID generator.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "tests/support/TemporaryHome.h"

class TestHome : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_temporary.emplace();
        m_home = m_temporary->Path();
        m_db.Open(L"sqlite:test.db");
        CreateTables(m_db);
    }

    void TearDown() override
    {
        m_db.Close();
        m_temporary.reset();
    }

    static void CreateTables(CBntDatabase& db)
    {
        db.ExecuteSQL(L"CREATE TABLE PANELTYPE (PANELTYPEID INTEGER PRIMARY KEY, NAME TEXT, PANELCLASS INTEGER)");
        db.ExecuteSQL(L"CREATE TABLE ACCESSPANE (PANELID INTEGER PRIMARY KEY, NAME TEXT, PANELTYPE INTEGER, "
                      L"SEGMENTID INTEGER, LASTCHANGED TEXT, RATE REAL, ONLINE INTEGER, CONNKEY BLOB)");
        db.ExecuteSQL(L"CREATE TABLE READER (PANELID INTEGER, READERID INTEGER, NAME TEXT, AREAENTER INTEGER, "
                      L"PRIMARY KEY (PANELID, READERID))");
        db.ExecuteSQL(L"CREATE TABLE EVENT (EVTYPEID INTEGER, EVID INTEGER, DESCRIPT TEXT)");
        db.ExecuteSQL(L"CREATE TABLE EVENTS (SERIAL INTEGER PRIMARY KEY, EVENTTYPE INTEGER, EVENTID INTEGER, "
                      L"MACHINE INTEGER)");
        db.ExecuteSQL(L"CREATE TABLE NEXTID (TYPE INTEGER PRIMARY KEY, NEXTVAL INTEGER NOT NULL)");
        db.ExecuteSQL(L"INSERT INTO PANELTYPE VALUES (1, ?, 1), (2, ?, 7)", {L"Access", L"Intrusion"});
        for (int panel = 1; panel <= 12; ++panel)
        {
            CString name;
            name.Format(L"Panel %02d", panel);
            db.ExecuteSQL(
                L"INSERT INTO ACCESSPANE (PANELID, NAME, PANELTYPE, SEGMENTID, ONLINE) VALUES (?, ?, ?, ?, ?)",
                {panel, name, panel % 3 == 0 ? 2 : 1, panel % 4, panel % 2});
        }
        for (int panel = 1; panel <= 3; ++panel)
        {
            for (int reader = 1; reader <= 2; ++reader)
            {
                CString name;
                name.Format(L"Reader %d-%d", panel, reader);
                db.ExecuteSQL(L"INSERT INTO READER VALUES (?, ?, ?, ?)", {panel, reader, name, panel * 10 + reader});
            }
        }
        db.ExecuteSQL(L"INSERT INTO EVENT VALUES (0, 1, ?), (0, 2, ?), (1, 1, ?)",
                      {L"Granted", L"Granted no entry", L"Denied"});
        db.ExecuteSQL(L"INSERT INTO EVENTS VALUES (1, 0, 1, 1), (2, 0, 2, 2), (3, 1, 1, 1), (4, 1, 1, 99)");
    }

    CBntDatabase m_db;
    std::filesystem::path m_home;

private:
    std::optional<support::TemporaryHome> m_temporary;
};
