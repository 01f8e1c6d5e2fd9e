// PersonRecordsTest: the base of the end-to-end tests of the person-centred record mappers. On
// the door's demo installation it adds, once per program, callers of its own and turns
// cardholder and visitor segmentation on; tests then create the records they change, so that
// they do not depend on one another.
#pragma once

#include "tests/e2e/DoorTest.h"
#include "tests/support/TestCallers.h"

#include <string>

namespace records_test {
// The callers of these tests, of support::TestCallers.
struct RecordsCallers
{
    static constexpr const wchar_t* kRecordsAdmin = support::callers::kRecordsAdmin;
    static constexpr const wchar_t* kHeadquartersClerk = support::callers::kHeadquartersClerk;
    static constexpr const wchar_t* kVisitorClerk = support::callers::kVisitorClerk;
    static constexpr const wchar_t* kViewer = support::callers::kRecordsViewer;
    static constexpr const wchar_t* kNobody = support::callers::kNobody;
    static constexpr const wchar_t* kHalfViewer = support::callers::kHalfViewer;
};

class PersonRecordsTest : public e2e::DoorTest
{
public:
    static void SetUpTestSuite();

protected:
    // Runs SQL on the installation's database (its own connection); fails the test on an error.
    static void ExecSql(const std::string& sql);
    // The first column of the first row of a query, "" without rows.
    static std::string Scalar(const std::string& sql);
    // The key of a written path's one integer key ("Bnt_Cardholder.ID=6" gives 6); 0 when the
    // reply has no path.
    static long KeyOf(const e2e::Reply& reply);

    // Creates a cardholder (or a visitor) in the segment as the records administrator and
    // answers its ID; fails the test when the put fails.
    long NewPerson(const wchar_t* className, const wchar_t* lastName, long segment);
};
}  // namespace records_test
