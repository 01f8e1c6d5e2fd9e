// File and buffered streams, the file utilities and the path scanner, in a temporary folder.
#include "Libraries/OstrumCore/Source/IO/BufferedInputStream.h"
#include "Libraries/OstrumCore/Source/IO/BufferedOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/EndOfStreamException.h"
#include "Libraries/OstrumCore/Source/IO/FileInputStream.h"
#include "Libraries/OstrumCore/Source/IO/FileNotFoundException.h"
#include "Libraries/OstrumCore/Source/IO/FileOpenException.h"
#include "Libraries/OstrumCore/Source/IO/FileOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/FileUtils.h"
#include "Libraries/OstrumCore/Source/IO/PathScanner.h"
#include "Libraries/OstrumCore/Source/IO/StreamUtils.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"
#include "Libraries/OstrumCore/Source/Utils/Time.h"
#include "StreamTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

using ostrum::io::FileUtils;
using ostrum::io::MemoryOutputStream;
namespace fs = std::filesystem;

namespace {

class TempFolder : public testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "ostrum-data-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }
    void TearDown() override { fs::remove_all(root); }

    std::string Path(const std::string& relative) const { return root + "/" + relative; }
    void WriteFile(const std::string& relative, const std::string& content) const
    {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << content;
    }

    std::string root;
};

// An output stream that takes at most a fixed number of bytes per call, then stops taking any.
class StingySink : public ostrum::io::OutputStream
{
public:
    explicit StingySink(int perCall, int total) : m_perCall(perCall), m_left(total) {}
    using OutputStream::write;
    int write(const unsigned char* buffer, int length) override
    {
        const int n = std::min({length, m_perCall, m_left});
        taken.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
        m_left -= n;
        ++calls;
        return n;
    }
    int flush() override { return 0; }
    std::string taken;
    int calls = 0;

private:
    int m_perCall;
    int m_left;
};

using FileStreams = TempFolder;

TEST_F(FileStreams, WriteThenReadBack)
{
    {
        ostrum::io::FileOutputStream out(Path("a.bin"), false, false);
        const unsigned char data[] = {'h', 'e', 'l', 'l', 'o'};
        EXPECT_EQ(out.write(data, 1, 4), 4);
        EXPECT_EQ(out.write('!'), 1);
        EXPECT_EQ(out.getPosition(), 5);
    }
    {
        ostrum::io::FileOutputStream out(Path("a.bin"), true, true);
        out.write('?');
    }
    ostrum::io::FileInputStream in(Path("a.bin"), false);
    EXPECT_EQ(in.getLength(), 6);
    unsigned char buf[16] = {};
    EXPECT_EQ(in.read(buf, 16), 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), "ello!?");
    EXPECT_EQ(in.read(buf, 16), -1);
    EXPECT_EQ(in.read(buf, 0), 0);
    in.seek(0, 1);
    EXPECT_EQ(in.read(), 'l');
    EXPECT_EQ(in.skip(2), 0);
    EXPECT_EQ(in.read(), '!');
    EXPECT_GT(in.getLastModified(), 0);
    EXPECT_THROW(in.read(buf, -1), ostrum::io::IOException);
    in.close();
    EXPECT_THROW(in.read(), ostrum::io::IOException);
}

TEST_F(FileStreams, OpenFailuresAndClosedWrites)
{
    try
    {
        ostrum::io::FileInputStream in(Path("missing"), true);
        ADD_FAILURE() << "no exception";
    }
    catch (const ostrum::io::FileNotFoundException& error)
    {
        EXPECT_EQ(error.getMessage(), Path("missing"));
    }
    EXPECT_THROW(ostrum::io::FileOutputStream(Path("no/such/dir/x"), false, false), ostrum::io::FileOpenException);
    ostrum::io::FileOutputStream out(Path("b"), false, false);
    out.close();
    out.close();
    EXPECT_THROW(out.write('x'), ostrum::io::IOException);
}

TEST_F(FileStreams, MovedStreamOwnsTheHandle)
{
    WriteFile("m", "xy");
    ostrum::io::FileInputStream first(Path("m"), false);
    ostrum::io::FileInputStream second(std::move(first));
    EXPECT_EQ(second.read(), 'x');
    EXPECT_THROW(first.read(), ostrum::io::IOException);
}

TEST(BufferedOutputStream, GathersSmallWritesAndPassesLargeOnes)
{
    MemoryOutputStream sink;
    ostrum::io::BufferedOutputStream out(&sink, 4);
    const unsigned char three[] = {1, 2, 3};
    const unsigned char four[] = {4, 5, 6, 7};
    EXPECT_EQ(out.write(three, 3), 3);
    EXPECT_EQ(sink.getSize(), 0);
    EXPECT_EQ(out.write(four, 4), 4);
    EXPECT_EQ(sink.getSize(), 7);
    out.write(three, 3);
    out.write(static_cast<unsigned char>(9));
    EXPECT_EQ(sink.getSize(), 11);
    EXPECT_EQ(out.flush(), 0);
    EXPECT_THROW(ostrum::io::BufferedOutputStream(&sink, 0), ostrum::IllegalArgumentException);
}

TEST(BufferedOutputStream, DestructorWritesPendingBytes)
{
    MemoryOutputStream sink;
    {
        ostrum::io::BufferedOutputStream out(&sink, 16);
        out.write(static_cast<unsigned char>('z'));
    }
    EXPECT_EQ(ostrum_test::TextOf(sink), "z");
}

TEST(BufferedOutputStream, ABlockTheSinkRefusesRaises)
{
    StingySink sink(2, 3);
    ostrum::io::BufferedOutputStream out(&sink, 2);
    const unsigned char data[] = {'a', 'b', 'c', 'd', 'e'};
    EXPECT_THROW(out.write(data, 5), ostrum::io::IOException);
    EXPECT_EQ(sink.taken, "abc");
}

TEST(StreamUtils, WriteFullyRetriesAndStopsWithoutProgress)
{
    const uint8_t data[] = {'1', '2', '3', '4', '5'};
    StingySink slow(2, 100);
    EXPECT_TRUE(ostrum::io::writeFully(&slow, data, 5));
    EXPECT_EQ(slow.taken, "12345");
    EXPECT_EQ(slow.calls, 3);
    StingySink stuck(2, 3);
    EXPECT_FALSE(ostrum::io::writeFully(&stuck, data, 5));
    EXPECT_TRUE(ostrum::io::writeFully(&stuck, data, 0));
}

TEST(BufferedInputStream, FillsAcrossReadsAndEnds)
{
    ostrum_test::BytesInput input(std::string("0123456789"));
    ostrum::io::BufferedInputStream in(&input.Stream(), 4);
    unsigned char buf[10] = {};
    EXPECT_EQ(in.read(buf, 0, 10), 10);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 10), "0123456789");
    EXPECT_EQ(in.read(buf, 0, 10), -1);
    EXPECT_THROW(in.read(), ostrum::io::EndOfStreamException);
    EXPECT_THROW(in.skip(1), ostrum::io::IOException);
    EXPECT_THROW(ostrum::io::BufferedInputStream(&input.Stream(), 0), ostrum::IllegalArgumentException);
}

TEST(BufferedInputStream, SingleBytesThenTheRest)
{
    ostrum_test::BytesInput input(std::string("abcdef"));
    ostrum::io::BufferedInputStream in(&input.Stream(), 4);
    EXPECT_EQ(in.read(), 'a');
    unsigned char buf[8] = {};
    EXPECT_EQ(in.read(buf, 1, 7), 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf + 1), 5), "bcdef");
}

struct SplitCase
{
    const char* path;
    const char* drive;
    const char* directory;
    const char* base;
    const char* extension;
};

class FileUtilsSplit : public testing::TestWithParam<SplitCase>
{
};

TEST_P(FileUtilsSplit, FivePartSplit)
{
    const SplitCase& c = GetParam();
    std::string drive = "-";
    std::string directory = "-";
    std::string base = "-";
    std::string extension = "-";
    EXPECT_TRUE(FileUtils::splitPath(c.path, &drive, &directory, &base, &extension));
    EXPECT_EQ(drive, c.drive);
    EXPECT_EQ(directory, c.directory);
    EXPECT_EQ(base, c.base);
    EXPECT_EQ(extension, c.extension);
}

INSTANTIATE_TEST_SUITE_P(FileUtils, FileUtilsSplit,
                         testing::Values(SplitCase{"C:/logs/app.log", "C", "/logs/", "app", ".log"},
                                         SplitCase{"C:\\logs\\app.log", "C", "\\logs\\", "app", ".log"},
                                         SplitCase{"archive.tar.gz", "-", "-", "archive.tar", ".gz"},
                                         SplitCase{"/var/log/", "-", "/var/log/", "", "-"},
                                         SplitCase{"/opt/README", "-", "/opt/", "README", "-"}));

TEST(FileUtils, ThreePartSplitKeepsWhatItDoesNotAssign)
{
    std::string directory = "keep";
    std::string name = "keep";
    FileUtils::splitPath("app.log", directory, name);
    EXPECT_EQ(directory, "keep");
    EXPECT_EQ(name, "app.log");
    FileUtils::splitPath("dir/sub/", directory, name);
    EXPECT_EQ(directory, "dir/sub/");
    EXPECT_EQ(name, "app.log");
}

TEST(FileUtils, PathListsSkipEmptyEntries)
{
    std::vector<std::string> out{"first"};
    EXPECT_TRUE(FileUtils::splitPathList("a::b", out));
    EXPECT_EQ(out, std::vector<std::string>({"first", "a", "b"}));
}

using FileUtilsOnDisk = TempFolder;

TEST_F(FileUtilsOnDisk, TestsTimesSizesAndRemoval)
{
    WriteFile("f.txt", "12345");
    WriteFile("d/inner", "x");
    EXPECT_TRUE(FileUtils::exists(Path("f.txt")));
    EXPECT_TRUE(FileUtils::isFile(Path("f.txt")));
    EXPECT_FALSE(FileUtils::isDirectory(Path("f.txt")));
    EXPECT_TRUE(FileUtils::isDirectory(Path("d")));
    int64_t size = -1;
    EXPECT_TRUE(FileUtils::getFileSize(Path("f.txt"), size));
    EXPECT_EQ(size, 5);
    EXPECT_FALSE(FileUtils::getFileSize(Path("nope"), size));
    EXPECT_EQ(size, 0);
    ostrum::utils::Time modified;
    EXPECT_TRUE(FileUtils::getModificationTime(Path("f.txt"), modified));
    EXPECT_GT(modified.getYear(), 2000u);
    EXPECT_FALSE(FileUtils::remove(Path("d")));
    EXPECT_FALSE(FileUtils::remove(Path("missing")));
    EXPECT_TRUE(FileUtils::remove(Path("f.txt")));
    EXPECT_FALSE(FileUtils::exists(Path("f.txt")));
    EXPECT_TRUE(FileUtils::makeDirectory(Path("new")));
    EXPECT_FALSE(FileUtils::makeDirectory(Path("new")));
    std::string full;
    EXPECT_TRUE(FileUtils::getFullPath(full, Path("d/../new")));
    EXPECT_EQ(full, Path("new"));
    EXPECT_FALSE(FileUtils::getFullPath(full, ""));
}

TEST_F(FileUtilsOnDisk, RecursiveRemovalLeavesLinkedFoldersWhole)
{
    WriteFile("tree/a/b/c/file.txt", "data");
    WriteFile("outside/keep.txt", "keep");
    fs::create_directory_symlink(Path("outside"), Path("tree/a/link"));
    fs::create_symlink(Path("outside/keep.txt"), Path("tree/filelink"));
    EXPECT_TRUE(FileUtils::removeDirectoryRecursive(Path("tree")));
    EXPECT_FALSE(fs::exists(Path("tree")));
    EXPECT_TRUE(fs::exists(Path("outside/keep.txt")));
    EXPECT_FALSE(FileUtils::removeDirectoryRecursive(Path("outside/keep.txt")));
    EXPECT_FALSE(FileUtils::removeDirectoryRecursive(Path("gone")));
}

TEST_F(FileUtilsOnDisk, ScannerRecordsInOrderWithoutMovingTheWorkingDirectory)
{
    WriteFile("s/b.txt", "bb");
    WriteFile("s/a/x.log", "x");
    WriteFile("s/a/deep/y.log", "yyy");
    const fs::path before = fs::current_path();
    ostrum::io::PathScanner scanner;
    scanner.scan(Path("s"), true);
    EXPECT_EQ(fs::current_path(), before);
    ASSERT_EQ(scanner.getDirectories().size(), 2u);
    EXPECT_EQ(scanner.getDirectories()[0].name, "a");
    EXPECT_EQ(scanner.getDirectories()[0].path, "");
    EXPECT_EQ(scanner.getDirectories()[1].name, "deep");
    EXPECT_EQ(scanner.getDirectories()[1].path, "a");
    ASSERT_EQ(scanner.getFiles().size(), 3u);
    EXPECT_EQ(scanner.getFiles()[0].path, "b.txt");
    EXPECT_EQ(scanner.getFiles()[0].size, 2);
    EXPECT_EQ(scanner.getFiles()[1].path, "a/x.log");
    EXPECT_EQ(scanner.getFiles()[2].path, "a/deep/y.log");

    ostrum::io::PathScanner flat;
    flat.scan(Path("s"), false);
    EXPECT_EQ(flat.getFiles().size(), 1u);
    EXPECT_EQ(flat.getDirectories().size(), 1u);
}

TEST_F(FileUtilsOnDisk, ScannerRefusesAMissingRoot)
{
    ostrum::io::PathScanner scanner;
    try
    {
        scanner.scan(Path("missing"), true);
        ADD_FAILURE() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "invalid local root direcctory");
    }
}

}  // namespace
