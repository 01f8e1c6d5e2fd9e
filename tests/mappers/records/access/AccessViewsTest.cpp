// The read-only access classes and what they compute, through the door: writes refused as not
// supported, the managed levels, the reader assignments' timezone names, the permission groups'
// rights and camera-control priority, the cameras a zone covers, and a user's deletion taking
// its accounts along.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include <set>
#include <string>

using namespace e2e;

namespace {
class AccessViews : public access_test::AccessRecordsTest
{
protected:
    std::set<std::string> Column(const std::wstring& wql, const wchar_t* property)
    {
        const Reply reply = Query(Form::Sync, wql);
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Utf8(wql) << " " << Description(reply.statusObject.Get());
        std::set<std::string> values;
        for (const auto& object : reply.objects)
            values.insert(support::PropertyText(object.Get(), property));
        return values;
    }
};

struct ReadOnlyCase
{
    const wchar_t* path;
};
}  // namespace

TEST_F(AccessViews, ReadOnlyClassesRefuseWritesAsNotSupported)
{
    const ReadOnlyCase cases[] = {
        {L"Bnt_AccessLevelReaderAssignment.AccessLevelID=1,PanelID=1,ReaderID=0"},
        {L"Bnt_AccessLevelManaged.ID=1"},
        {L"Bnt_AccessGroup.ID=1"},
        {L"Bnt_MonitoringZone.ID=1,Name=\"Headquarters monitoring\",SegmentID=1"},
    };
    for (const ReadOnlyCase& c : cases)
    {
        const Reply deleted = Delete(Form::Sync, c.path);
        // Not supported, as the provider reports it to a client.
        EXPECT_EQ(deleted.result, WBEM_E_INVALID_OPERATION) << Utf8(c.path) << " " << Hex(deleted.result);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCLVLINK WHERE ACCESSLVID = 1 AND PANELID = 1 AND READERID = 0"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCESSGRP WHERE ACCESSGPID = 1"), "1");
}

TEST_F(AccessViews, ManagedLevelsAndReaderAssignmentsShowTheirOwnColumns)
{
    const long unmanaged = NewLevel("Nobody manages this", 1);
    const std::set<std::string> managed = Column(L"SELECT ID FROM Bnt_AccessLevelManaged", L"ID");
    EXPECT_TRUE(managed.count("1") == 1 && managed.count("2") == 1);
    EXPECT_EQ(managed.count(std::to_string(unmanaged)), 0u);
    // A condition of the query joins the managed rule without widening it.
    EXPECT_EQ(
        Column(L"SELECT ID FROM Bnt_AccessLevelManaged WHERE ID = 1 OR ID = " + std::to_wstring(unmanaged), L"ID"),
        std::set<std::string>{"1"});

    const Reply links =
        Query(Form::Sync, L"SELECT * FROM Bnt_AccessLevelReaderAssignment WHERE AccessLevelID = 2 AND ReaderID = 0");
    ASSERT_EQ(links.objects.size(), 1u) << Description(links.statusObject.Get());
    EXPECT_EQ(support::PropertyText(links.objects.front().Get(), L"AccessLevelName"), "Dock business hours");
    EXPECT_EQ(support::PropertyText(links.objects.front().Get(), L"TimezoneName"), "Business hours");
}

TEST_F(AccessViews, PermissionGroupsShowTheirVideoRightsAndPriority)
{
    ExecSql("INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES "
            "(84, 'Access: video', -1, 3, 0);"
            "INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (84, 0x30000026), (84, 0x30000031);");
    const Reply groups = Query(Form::Sync, L"SELECT * FROM Bnt_UserPermissionGroup WHERE ID = 84 OR ID = 3");
    ASSERT_EQ(groups.objects.size(), 2u) << Description(groups.statusObject.Get());
    for (const auto& group : groups.objects)
    {
        const bool video = support::PropertyText(group.Get(), L"ID") == "84";
        EXPECT_EQ(support::PropertyText(group.Get(), L"Type"), "3");
        EXPECT_EQ(support::PropertyText(group.Get(), L"CanViewLiveVideo"), video ? "1" : "0");
        EXPECT_EQ(support::PropertyText(group.Get(), L"CanSearchVideo"), video ? "1" : "0");
        EXPECT_EQ(support::PropertyText(group.Get(), L"CanViewRecordedVideo"), "0");
        EXPECT_EQ(support::PropertyText(group.Get(), L"PTZPriority"), video ? "0" : "50")
            << "from USER_PTZ_PRIORITY, else 0";
    }
    const Reply cardGroup = Query(Form::Sync, L"SELECT * FROM Bnt_UserPermissionGroup WHERE ID = 2");
    ASSERT_EQ(cardGroup.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(cardGroup.objects.front().Get(), L"Type"), "2");
    EXPECT_EQ(support::PropertyText(cardGroup.objects.front().Get(), L"PTZPriority"), "<null>")
        << "only monitoring groups";
}

TEST_F(AccessViews, AZoneCoversTheCamerasOfItsWholePanelsAndOfItsDeviceLinks)
{
    ExecSql("INSERT INTO CCTVDEVICE (NAME, CCTVDEVICEID, PANELID) VALUES ('Lobby cam', 51, 1), ('Dock cam', 52, 2), "
            "('Dock cam 2', 53, 2);"
            "INSERT INTO MONZONE (MZID, SEGMENTID, MZDESCR) VALUES (8, 1, 'Camera zone');"
            "INSERT INTO MONDEVLINK (MZID, PANELID, DEVICEID, INPUTOUTPUTID, ENTIREDEVICE) VALUES "
            "(8, 1, 0, 0, 1), (8, 2, 0, 0, 0), (8, 2, 53, 0, 0);");
    EXPECT_EQ(Column(L"SELECT CameraID FROM Bnt_MonitoringZoneCameraLink WHERE MonitoringZoneID = 8", L"CameraID"),
              (std::set<std::string>{"51", "53"}));
}

TEST_F(AccessViews, DeletingAUserRemovesItsAccountsAndChecksRefuseForeignValues)
{
    ExecSql("INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, SYSTEM_USER_PERMID, "
            "BNT_DBID) VALUES (42, 'leaving', 'Lee', 'Leaving', 1, 1, 83, 1);"
            "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES "
            "(42, 42, 1, 'S-1-5-42-1'), (43, 42, 1, 'S-1-5-42-2');");
    const Reply deleted = Delete(Form::Sync, L"Bnt_User.ID=42");
    ASSERT_EQ(deleted.result, WBEM_S_NO_ERROR) << Description(deleted.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USER_ACCOUNT WHERE USERID = 42"), "0");

    const struct
    {
        const wchar_t* property;
        LONG value;
        const char* message;
    } refusals[] = {
        {L"DatabaseID", 77, "The property DatabaseID did not exist or contained an invalid value."},
        {L"MonitoringZoneID", 999, "The property MonitoringZoneID did not exist or contained an invalid value."},
    };
    for (const auto& refusal : refusals)
    {
        const Reply refused = Put(Form::Sync,
                                  NewInstance(L"Bnt_User", {{L"LogonID", _variant_t(L"foreignvalue")},
                                                            {L"FirstName", _variant_t(L"F")},
                                                            {L"LastName", _variant_t(L"V")},
                                                            {L"Enabled", _variant_t(true)},
                                                            {refusal.property, _variant_t(refusal.value)}})
                                      .Get(),
                                  WBEM_FLAG_CREATE_ONLY);
        EXPECT_EQ(refused.result, WBEM_E_FAILED) << Utf8(refusal.property);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()), refusal.message))
            << Description(refused.statusObject.Get());
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USERS WHERE LOGONID = 'foreignvalue'"), "0");
}
