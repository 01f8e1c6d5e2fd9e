// A fresh PROVIXA_HOME with an installation database built from db/schema.sql, and a small
// set of users, permission groups and segments that the in-house library tests share:
//   user 10 "alice" (password "Secret1!"), enabled, primary segment 5, linked to segment 6
//     and to group 7 (members 8 and 9); system group 1 grants 0x100000D0 and 0x1000000E,
//     cardholder group 2 grants 0x20000003; Windows account S-1-5-21-1-2-3-1001 (directory 1)
//   user 11 "bob" (password "Secret1!"), disabled
//   user 12 "carol" (password "Other2?"), linked to segment -1 (all segments); account carol.cook
//     of the LDAP directory 2, which signs its accounts on by name (manual sign-on)
//   segments are in use (CONFIG_VALUE 1001 = 1); server type 0
#pragma once

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntUtility/CPasswordHash.h"
#include "platform/mfc/CString.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"

class TestDatabase
{
public:
    TestDatabase()
    {
        m_path = (m_home.Path() / "provixa.db").string();
        support::InstallationDatabase::CreateSchema(m_path);
        const std::string alice = CPasswordHash::Hash("Secret1!", CPasswordHash::kMinIterations);
        const std::string carol = CPasswordHash::Hash("Other2?", CPasswordHash::kMinIterations);
        Exec("INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (-1, 'All', 1), (5, 'North', 0), (6, 'South', 0),"
             " (7, 'East group', 1), (8, 'East A', 0), (9, 'East B', 0), (20, 'West', 0);"
             "INSERT INTO SEGMENT_GROUP_MEMBER (SEGMENTID, SEGMENTID_MEMBER) VALUES (7, 8), (7, 9);"
             "INSERT INTO USER_PERM (USER_PERMID, NAME, TYPE) VALUES (1, 'Operators', 1), (2, 'Badging', 2),"
             " (3, 'Monitoring', 3);"
             "INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (1, 268435664), (1, 268435470),"
             " (2, 536870915), (3, 805306406);"
             "INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, SYSTEM_USER_PERMID,"
             " CARD_USER_PERMID, MONITOR_USER_PERMID, USER_PERM_UDFID, BNT_DBID, LOGONPWD) VALUES"
             " (10, 'alice', 'Alice', 'Archer', 5, 1, 1, 2, 0, 4, 3, '" +
             alice +
             "'),"
             " (11, 'bob', 'Bob', 'Baker', 5, 0, 1, 2, 0, 0, 3, '" +
             alice +
             "'),"
             " (12, 'carol', 'Carol', 'Cook', 20, 1, 0, 0, 3, 0, 3, '" +
             carol +
             "');"
             "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (10, 6), (10, 7), (12, -1);"
             "INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL)"
             " VALUES (1, 'Windows', 1, 'dc1', 389, 0), (2, 'Ldap', 0, 'ldap1', 389, 0);"
             "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES"
             " (1, 10, 1, 'S-1-5-21-1-2-3-1001'), (2, 12, 2, 'carol.cook');"
             "INSERT INTO BNT_DIRECTORY_SSO (BNT_DIRECTORYID, USE_MANUAL_SSO) VALUES (2, 1);"
             "INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1001, 1);");
    }

    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // Runs SQL text (several statements allowed) on the file; fails the test on an error.
    void Exec(const std::string& sql) const { support::InstallationDatabase::Execute(m_path, sql); }

    // The first column of the first row of a query, as text ("" when there is no row).
    std::string Scalar(const std::string& sql) const { return support::InstallationDatabase::Scalar(m_path, sql); }

    // The column's values over the recordset's rows, read forward once; the recordset is closed.
    static std::set<LONG> ReadIds(CDynamicRecordset& recordset, const CString& column)
    {
        std::set<LONG> ids;
        recordset.OpenForwardOnly();
        while (!recordset.IsEOF())
        {
            ids.insert(recordset.GetLong(column));
            recordset.MoveNext();
        }
        recordset.Close();
        return ids;
    }

    CString DataSource() const { return CString(("sqlite:" + m_path).c_str()); }
    const support::TemporaryHome& Home() const { return m_home; }

private:
    support::TemporaryHome m_home;
    std::string m_path;
};
