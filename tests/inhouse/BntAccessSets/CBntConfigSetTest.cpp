#include "inhouse/BntAccessSets/CBntConfigSet.h"

#include <gtest/gtest.h>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

TEST(CBntConfigSet, DefaultsOfTheParametersTheSystemReads)
{
    const struct
    {
        LONG id;
        LONG value;
    } defaults[] = {{1, 0}, {33, 600}, {34, 300}, {37, 60}, {39, 600}, {241, 0}, {12345, 0}, {-1, 0}};
    for (const auto& d : defaults)
    {
        EXPECT_EQ(CBntConfigSet::GetDefaultValue(d.id), d.value) << d.id;
    }
}

TEST(CBntConfigSet, StoredValuesWinOverDefaults)
{
    TestDatabase db;
    db.Exec("INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE, TEXTVALUE) VALUES (33, 45, NULL), (241, 1, 'on'),"
            " (37, NULL, 'x'), (39, 5000000000, NULL)");
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    CBntConfigSet set(sa.GetDatabase());
    const struct
    {
        LONG id;
        LONG value;
        const wchar_t* text;
    } cases[] = {
        {33, 45, L""},    // stored
        {241, 1, L"on"},  // stored with text
        {37, 60, L"x"},   // NULL number: default
        {39, 600, L""},   // out of the 32-bit range: default
        {34, 300, L""},   // no row: default
        {9999, 0, L""},   // unknown and absent
    };
    for (const auto& c : cases)
    {
        LONG value = -7;
        CString text(L"left over");
        ASSERT_TRUE(set.GetValue(c.id, &value, &text, false)) << c.id;
        EXPECT_EQ(value, c.value) << c.id;
        EXPECT_EQ(text, CString(c.text)) << c.id;
    }
    LONG only = 0;
    EXPECT_TRUE(set.GetValue(33, &only, nullptr, false));
    EXPECT_EQ(only, 45);
}

TEST(CBntConfigSet, NoDatabaseLeavesOutputsAndFailingDatabaseThrows)
{
    CBntConfigSet none(nullptr);
    LONG value = 17;
    EXPECT_FALSE(none.GetValue(33, &value, nullptr));
    EXPECT_EQ(value, 17);

    TestDatabase db;
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    db.Exec("DROP TABLE CONFIG_VALUE");
    CBntConfigSet broken(sa.GetDatabase());
    EXPECT_THROW(broken.GetValue(33, &value, nullptr), CException);
}

}  // namespace
