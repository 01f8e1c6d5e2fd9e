#include "Libraries/OstrumCore/Source/IO/EndOfStreamException.h"
#include "Libraries/OstrumCore/Source/IO/FileNotFoundException.h"
#include "Libraries/OstrumCore/Source/IO/FileOpenException.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"
#include "Libraries/OstrumCore/Source/Utils/MemoryException.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

namespace {

struct Thrower
{
    const char* name;
    std::function<void()> raise;
    bool isIO;
};

const Thrower kThrowers[] = {
    {"IllegalArgument", [] { throw ostrum::IllegalArgumentException("bad"); }, false},
    {"Memory", [] { throw ostrum::MemoryException("bad"); }, false},
    {"IO", [] { throw ostrum::io::IOException("bad"); }, true},
    {"EndOfStream", [] { throw ostrum::io::EndOfStreamException("bad"); }, true},
    {"FileNotFound", [] { throw ostrum::io::FileNotFoundException("bad"); }, true},
    {"FileOpen", [] { throw ostrum::io::FileOpenException("bad"); }, true},
};

TEST(ExceptionTree, RootHandlerReceivesEveryClassWithItsMessage)
{
    for (const Thrower& t : kThrowers)
    {
        SCOPED_TRACE(t.name);
        try
        {
            t.raise();
            ADD_FAILURE() << "nothing thrown";
        }
        catch (const ostrum::Exception& e)
        {
            EXPECT_EQ(e.getMessage(), "bad");
        }
    }
}

TEST(ExceptionTree, IOHandlerReceivesOnlyTheIOBranch)
{
    for (const Thrower& t : kThrowers)
    {
        SCOPED_TRACE(t.name);
        bool caughtAsIO = false;
        try
        {
            t.raise();
        }
        catch (const ostrum::io::IOException&)
        {
            caughtAsIO = true;
        }
        catch (const ostrum::Exception&)
        {
        }
        EXPECT_EQ(caughtAsIO, t.isIO);
    }
}

TEST(ExceptionTree, LeavesAreNotCaughtAsSiblings)
{
    EXPECT_THROW(
        {
            try
            {
                throw ostrum::io::FileOpenException();
            }
            catch (const ostrum::io::FileNotFoundException&)
            {
                ADD_FAILURE() << "caught as a sibling";
            }
        },
        ostrum::io::FileOpenException);
}

TEST(ExceptionTree, CopyKeepsMessageAndRuntimeType)
{
    const ostrum::io::FileNotFoundException original("/no/such/file");
    const ostrum::io::FileNotFoundException copy(original);
    const ostrum::Exception& asRoot = copy;
    EXPECT_EQ(asRoot.getMessage(), "/no/such/file");
    EXPECT_EQ(typeid(asRoot), typeid(ostrum::io::FileNotFoundException));
    EXPECT_TRUE(ostrum::Exception().getMessage().empty());
}

}  // namespace
