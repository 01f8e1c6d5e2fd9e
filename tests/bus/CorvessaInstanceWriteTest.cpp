#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaHelper.h"
#include "bus/GenericException.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "provider/CWmipUserCacheEntry.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/bus/BusInstanceClasses.h"

using qpid::types::Variant;

namespace {

using bustest::BusInstanceTest;
using bustest::PersonMapper;

CCorvessaQpidInstance Person(const Variant::Map& values)
{
    CCorvessaQpidInstance instance;
    instance.PopulateInstanceData("Bpw_Person", values);
    return instance;
}

class CorvessaInstanceWrite : public BusInstanceTest
{
protected:
    // The error key and message a write throws ("" when none).
    template <typename Work>
    std::pair<std::string, std::string> Thrown(Work work)
    {
        try
        {
            work();
        }
        catch (const CCorvessaException& e)
        {
            return {e.ErrorCode(), e.ErrorMessage()};
        }
        return {};
    }
    // The values of the first instance of the type the filter selects; empty when none.
    Variant::Map FirstFound(std::string type, const std::string& filter)
    {
        corvessa::PagingParameters paging;
        paging.pageSize = 1;
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        CCorvessaBaseApp::InstanceList found;
        EXPECT_EQ(m_app->GetInstance(m_token, kApplication, type, filter, paging, info, found), S_OK);
        return found.empty() ? Variant::Map() : found[0]->GetInstanceValues();
    }
    std::string LastName(std::int32_t id)
    {
        std::string type = "Bpw_Person";
        corvessa::PagingParameters paging;
        paging.pageSize = 1;
        CCorvessaBaseApp::CorvessaPaginatedInfo info;
        CCorvessaBaseApp::InstanceList instances;
        EXPECT_EQ(
            m_app->GetInstance(m_token, kApplication, type, "ID = " + std::to_string(id), paging, info, instances),
            S_OK);
        return instances.empty() ? "<none>" : instances[0]->GetInstanceValues().at("LastName").asString();
    }
};

TEST_F(CorvessaInstanceWrite, AddModifyAndDeleteGiveTheEntryBack)
{
    CCorvessaQpidInstance added;
    // Keys of property names are matched without regard to case.
    ASSERT_EQ(m_app->AddInstance(m_token, kApplication,
                                 Person({{"lastname", Variant("Zed")},
                                         {"FirstName", Variant("Ann")},
                                         {"SegmentID", Variant("1")},
                                         {"Photo", Variant("AAEC")}}),
                                 added, true),
              S_OK);
    // Only the class and the keys of the new record come back.
    EXPECT_EQ(added.GetClassNameW(), L"Bpw_Person");
    ASSERT_EQ(added.GetInstanceValues().size(), 1u);
    const std::int32_t id = added.GetInstanceValues().at("ID").asInt32();
    EXPECT_EQ(LastName(id), "Zed");
    EXPECT_EQ(UseCount(), 0);

    CCorvessaQpidInstance modified;
    ASSERT_EQ(
        m_app->ModifyInstance(m_token, kApplication,
                              Person({{"ID", Variant(id)}, {"LastName", Variant("Young")}, {"SegmentID", Variant(1)}}),
                              modified, true),
        S_OK);
    EXPECT_EQ(modified.GetInstanceValues().at("ID").asInt32(), id);
    EXPECT_EQ(LastName(id), "Young");
    EXPECT_EQ(UseCount(), 0);

    ASSERT_EQ(m_app->DeleteInstance(m_token, kApplication, Person({{"id", Variant(std::to_string(id))}})), S_OK);
    EXPECT_EQ(LastName(id), "<none>");
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaInstanceWrite, DemoCardholdersAreAddedChangedAndDeleted)
{
    CCorvessaQpidInstance cardholder;
    // Cardholders are segmented in the demo installation, so a new one names its segment.
    cardholder.PopulateInstanceData(
        "Bnt_Cardholder",
        {{"LASTNAME", Variant("Zed")}, {"FIRSTNAME", Variant("Ann")}, {"PRIMARYSEGMENTID", Variant("1")}});
    CCorvessaQpidInstance added;
    ASSERT_EQ(m_app->AddInstance(m_token, kApplication, cardholder, added, false), S_OK);
    ASSERT_EQ(added.GetInstanceValues().count("ID"), 1u);
    const Variant id = added.GetInstanceValues().at("ID");
    EXPECT_EQ(UseCount(), 0);

    CCorvessaQpidInstance change;
    change.PopulateInstanceData("Bnt_Cardholder", {{"ID", id}, {"LASTNAME", Variant("Young")}});
    CCorvessaQpidInstance changed;
    ASSERT_EQ(m_app->ModifyInstance(m_token, kApplication, change, changed, false), S_OK);
    std::string type = "Bnt_Cardholder";
    corvessa::PagingParameters paging;
    paging.pageSize = 5;
    CCorvessaBaseApp::CorvessaPaginatedInfo info;
    CCorvessaBaseApp::InstanceList found;
    ASSERT_EQ(m_app->GetInstance(m_token, kApplication, type, "LASTNAME = 'Young'", paging, info, found), S_OK);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0]->GetInstanceValues().at("ID").isEqualTo(id));
    EXPECT_EQ(UseCount(), 0);

    CCorvessaQpidInstance key;
    key.PopulateInstanceData("Bnt_Cardholder", {{"ID", id}});
    ASSERT_EQ(m_app->DeleteInstance(m_token, kApplication, key), S_OK);
    found.clear();
    ASSERT_EQ(m_app->GetInstance(m_token, kApplication, type, "LASTNAME = 'Young'", paging, info, found), S_OK);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaInstanceWrite, RefusedWritesNameTheirItemAndLeaveNothingBehind)
{
    const struct
    {
        Variant::Map values;
        std::string key;
        std::string message;
    } cases[] = {
        {{{"LastName", Variant("Zed")}, {"Bogus", Variant(1)}},
         CCorvessaException::kInvalidRequestItemKey,
         "Request contains invalid property 'Bogus'."},
        {{{"LastName", Variant("Zed")}, {"SegmentID", Variant("x")}},
         CCorvessaException::kInvalidRequestItemKey,
         "Request contains an invalid value for the property 'SegmentID'. It takes a sint32 number from -2147483648 to "
         "2147483647."},
        {{{"LastName", Variant("Zed")}, {"SegmentID", Variant(5)}},
         CCorvessaException::kInvalidRequestItemKey,
         "The property SegmentID did not exist or contained an invalid value."},
        {{{"LastName", Variant("Zed")}, {"Photo", Variant("not base64 \xC3\xA9")}},
         CCorvessaException::kDecodingFailedKey,
         "CCorvessaHelper::CreateSafeArrayVariantFromBinaryString: Failed to decode binary string."},
    };
    for (const auto& c : cases)
    {
        CCorvessaQpidInstance result;
        const auto [key, message] =
            Thrown([&] { m_app->AddInstance(m_token, kApplication, Person(c.values), result, true); });
        EXPECT_EQ(key, c.key);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_TRUE(result.IsEmpty());
        EXPECT_EQ(UseCount(), 0);
    }
    EXPECT_EQ(Thrown([&] {
                  m_app->DeleteInstance(m_token, kApplication, Person({{"ID", Variant("")}}));
              }),
              std::make_pair(std::string(CCorvessaException::kMissingRequestItemKey),
                             std::string("Missing expected item in request: ID.")));
    CCorvessaQpidInstance unknown;
    unknown.PopulateInstanceData("Bnt_NoSuchType", {{"ID", Variant(1)}});
    CCorvessaQpidInstance result;
    EXPECT_EQ(m_app->AddInstance(m_token, kApplication, unknown, result, true), corvessa::kInvalidTypeName);
    EXPECT_EQ(m_app->DeleteInstance(m_token, kApplication, unknown), corvessa::kInvalidTypeName);
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaInstanceWrite, AModifyKeepsWhatItDoesNotCarryAndRefusesANulBearingText)
{
    const auto visit = [&]() { return FirstFound("Bnt_Visit", "ID = 3"); };
    // Demo visit 3 is signed in at location 1; a modify of another property leaves it there.
    ASSERT_EQ(visit().at("SIGNINLOCATIONID").asInt32(), 1);
    CCorvessaQpidInstance change;
    change.PopulateInstanceData("Bnt_Visit", {{"ID", Variant(3)}, {"EMAIL_INCLUDE_HOST", Variant(true)}});
    CCorvessaQpidInstance changed;
    ASSERT_EQ(m_app->ModifyInstance(m_token, kApplication, change, changed, false), S_OK);
    EXPECT_EQ(visit().at("SIGNINLOCATIONID").asInt32(), 1);

    // The text after a NUL is not cut off: the value is refused and the stored name stays.
    CCorvessaQpidInstance cardholder;
    cardholder.PopulateInstanceData("Bnt_Cardholder",
                                    {{"ID", Variant(2)}, {"LASTNAME", Variant(std::string("Yb\0cd", 5))}});
    CCorvessaQpidInstance result;
    const auto [key, message] =
        Thrown([&] { m_app->ModifyInstance(m_token, kApplication, cardholder, result, false); });
    EXPECT_EQ(key, CCorvessaException::kInvalidRequestItemKey);
    EXPECT_NE(message.find("The property LASTNAME did not exist or contained an invalid value."), std::string::npos)
        << message;
    EXPECT_EQ(FirstFound("Bnt_Cardholder", "ID = 2").at("LASTNAME").asString(), "Brandt");
}

TEST_F(CorvessaInstanceWrite, ATextTakesItsMaxlenAndRefusesOneMoreLikeThroughTheWmiDoor)
{
    // The class's declarations are complete once the bus has served it.
    ASSERT_EQ(FirstFound("Bnt_Cardholder", "ID = 2").at("LASTNAME").asString(), "Brandt");
    const int limit =
        CWmipMapperRegistry::Instance()->GetTypeInfo(L"Bnt_Cardholder", true)->GetPropertyLength(L"LASTNAME");
    ASSERT_GT(limit, 0);
    const auto modify = [&](const std::string& name) {
        CCorvessaQpidInstance cardholder;
        cardholder.PopulateInstanceData("Bnt_Cardholder", {{"ID", Variant(2)}, {"LASTNAME", Variant(name)}});
        CCorvessaQpidInstance result;
        return Thrown([&] { m_app->ModifyInstance(m_token, kApplication, cardholder, result, false); });
    };
    const auto [key, message] = modify(std::string(static_cast<std::size_t>(limit) + 1, 'z'));
    EXPECT_EQ(key, CCorvessaException::kInvalidRequestItemKey);
    EXPECT_NE(message.find("The property LASTNAME did not exist or contained an invalid value."), std::string::npos)
        << message;
    EXPECT_EQ(FirstFound("Bnt_Cardholder", "ID = 2").at("LASTNAME").asString(), "Brandt");

    const std::string whole(static_cast<std::size_t>(limit), 'z');
    EXPECT_EQ(modify(whole).second, "");
    EXPECT_EQ(FirstFound("Bnt_Cardholder", "ID = 2").at("LASTNAME").asString(), whole);
    EXPECT_EQ(modify("Brandt").second, "");
}

TEST_F(CorvessaInstanceWrite, MethodsTakeTheirParametersByNameAndReturnTheirOutput)
{
    CCorvessaQpidInstance type;
    type.PopulateInstanceData("Bpw_Person", {});
    CCorvessaQpidMethodParameter input(true);
    input.PopulateUsingVariantMapData({{"text", Variant("hello")}});
    CCorvessaQpidMethodParameter output(false);
    ASSERT_EQ(m_app->ExecuteMethod(m_token, kApplication, type, "Echo", input, output), S_OK);
    EXPECT_FALSE(PersonMapper::calledWithPath);
    EXPECT_TRUE(PersonMapper::calledWithParameters);
    EXPECT_EQ(output.GetValueMap().at("Result").asString(), "hello");

    CCorvessaQpidMethodParameter none(true);
    ASSERT_EQ(m_app->ExecuteMethod(m_token, kApplication, Person({{"ID", Variant(1)}}), "Echo", none, output), S_OK);
    EXPECT_TRUE(PersonMapper::calledWithPath);
    EXPECT_FALSE(PersonMapper::calledWithParameters);
    EXPECT_EQ(output.GetValueMap().at("Result").asString(), "");

    CCorvessaQpidMethodParameter extra(true);
    extra.PopulateUsingVariantMapData({{"Text", Variant("a")}, {"Loud", Variant(true)}});
    EXPECT_EQ(Thrown([&] { m_app->ExecuteMethod(m_token, kApplication, type, "Echo", extra, output); }).second,
              "Request contains invalid parameter 'Loud'.");
    EXPECT_EQ(Thrown([&] { m_app->ExecuteMethod(m_token, kApplication, type, "Shout", input, output); }).second,
              "Execute method call failed - method_name requested is not implemented.");
    EXPECT_EQ(UseCount(), 0);
}

// A connection lost inside a put or a delete reaches the host as the lost connection it is, not as
// a write the system could not make: the host renews the connection (HandleInvalidDBConnection)
// and the caller, signed in again, makes the same write, which the lost one left undone.
TEST_F(CorvessaInstanceWrite, AConnectionLostInsideAWriteReachesTheHostWhichRenewsIt)
{
    // The engine's I/O failure, which drops the connection.
    constexpr int kIoError = 10;
    const auto cardholder = [](const Variant::Map& values) {
        CCorvessaQpidInstance instance;
        instance.PopulateInstanceData("Bnt_Cardholder", values);
        return instance;
    };
    std::string id;
    // The cardholders the writes name, and the last name of the one: "0 " for none.
    const auto stored = [&] {
        return support::InstallationDatabase::Scalar(
            Database(), "SELECT COUNT(*) || ' ' || IFNULL(MAX(LASTNAME), '') FROM EMP WHERE LASTNAME IN ('Lost', "
                        "'Found')");
    };
    const struct
    {
        const char* write;
        std::function<void()> run;
        std::string before;
        std::string after;
    } writes[] = {
        {"add",
         [&] {
             CCorvessaQpidInstance added;
             m_app->AddInstance(m_token, kApplication,
                                cardholder({{"LASTNAME", Variant("Lost")}, {"PRIMARYSEGMENTID", Variant("1")}}), added,
                                false);
             id = std::to_string(added.GetInstanceValues().at("ID").asInt32());
         },
         "0 ", "1 Lost"},
        {"modify",
         [&] {
             CCorvessaQpidInstance changed;
             m_app->ModifyInstance(m_token, kApplication,
                                   cardholder({{"ID", Variant(std::stoi(id))}, {"LASTNAME", Variant("Found")}}),
                                   changed, false);
         },
         "1 Lost", "1 Found"},
        {"delete",
         [&] {
             m_app->DeleteInstance(m_token, kApplication, cardholder({{"ID", Variant(std::stoi(id))}}));
         },
         "1 Found", "0 "},
    };
    for (const auto& w : writes)
    {
        SCOPED_TRACE(w.write);
        CWmipUserCacheEntry* entry = nullptr;
        ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(m_token, kApplication, &entry, false), S_OK);
        const std::shared_ptr<CBntConnection> connection = entry->GetUser()->GetDatabase()->GetConnection();
        m_app->Sessions().ReleaseUserCacheEntry(entry);
        // The connection goes at the frame's first statement, when the request has been read.
        bool armed = true;
        CWmipWriteFrame::TestHookBeforeLock([&] {
            if (std::exchange(armed, false))
                connection->TestHookFailNextStatements(1, kIoError);
        });
        std::string thrown = "nothing";
        try
        {
            w.run();
        }
        catch (const CCorvessaException& e)
        {
            thrown = e.ErrorCode() + ": " + e.ErrorMessage();
        }
        catch (const CException& e)
        {
            thrown = CCorvessaHelper::IsInvalidDBConnectionException(e) ? "a lost connection" : "another failure";
        }
        CWmipWriteFrame::TestHookBeforeLock(nullptr);
        EXPECT_FALSE(armed) << "the write reached its frame";
        EXPECT_EQ(thrown, "a lost connection");
        EXPECT_EQ(stored(), w.before) << "the lost write left nothing behind";

        // What the host does on a lost connection; the caller signs in again.
        m_app->HandleInvalidDBConnection();
        m_token = Login("sa", "sa-demo");
        EXPECT_NO_THROW(w.run());
        EXPECT_EQ(stored(), w.after);
    }
}

class CorvessaInstanceObject : public BusInstanceTest
{
};

TEST_F(CorvessaInstanceObject, ConvertsToAndFromWmiObjectsAndPaths)
{
    CCorvessaQpidInstance instance = Person({{"ID", Variant(7)}, {"LastName", Variant("Zed")}});
    EXPECT_TRUE(instance.ContainsBinaryData());
    EXPECT_EQ(instance.GetInstanceKeyValues().size(), 1u);
    const std::unique_ptr<CWmipObjectPath> path = instance.GetObjectPath();
    ASSERT_EQ(path->GetKeyCount(), 1);
    EXPECT_EQ(path->GetKeyNames()[0], L"ID");
    EXPECT_EQ(path->GetKeyValues()[0], L"7");

    CCorvessaQpidInstance fromPath;
    fromPath.PopulateInstanceData(path.get());
    EXPECT_TRUE(fromPath.GetInstanceValues().at("ID").isEqualTo(Variant(std::int32_t(7))));

    EXPECT_THROW(fromPath.PopulateInstanceData(static_cast<CWmipObjectPath*>(nullptr)), GenericException);
    CCorvessaQpidInstance unknown;
    unknown.PopulateInstanceData("Bnt_NoSuchType", {});
    EXPECT_THROW(unknown.ContainsBinaryData(), GenericException);
    EXPECT_TRUE(unknown.GetInstanceKeyValues().empty());

    CCorvessaQpidInstance empty;
    EXPECT_EQ(empty.ToXml(), L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Object ClassName=\"\">\r\n</Object>");
    EXPECT_EQ(instance.ToXml(),
              L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Object ClassName=\"Bpw_Person\">\r\n"
              L"\t<Property name=\"ID\">7</Property>\r\n\t<Property name=\"LastName\">Zed</Property>\r\n"
              L"</Object>");
    // A value that holds markup does not break the document.
    CCorvessaQpidInstance marked;
    marked.PopulateInstanceData("Bpw_Person", {{"LastName", Variant("O\"Neil <&> 'x'")}});
    EXPECT_EQ(marked.ToXml(), L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Object ClassName=\"Bpw_Person\">\r\n"
                              L"\t<Property name=\"LastName\">O&quot;Neil &lt;&amp;&gt; &apos;x&apos;</Property>\r\n"
                              L"</Object>");
}

TEST_F(CorvessaInstanceObject, DateTimesAreReadInTheBusForm)
{
    EXPECT_TRUE(CCorvessaHelper::IsValidValue(Variant("2024-01-31T08:05:09+01:00"), CIM_DATETIME));
    EXPECT_FALSE(CCorvessaHelper::IsValidValue(Variant("20240131080509.000000+060"), CIM_DATETIME));
    EXPECT_FALSE(CCorvessaHelper::IsValidValue(Variant("2024-01-31"), CIM_DATETIME));
    const _variant_t value = CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(
        L"P", Variant("2024-01-31T08:05:09+01:00"), CIM_DATETIME, false);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(value.bstrVal), L"2024-01-31T08:05:09+01:00");
}

}  // namespace
