// Runs the built provixa program on a temporary PROVIXA_HOME, as a person would: a fixture
// that owns the folder, and the outcome of one run (exit status and what it printed).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace provixa_program {
struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Every part stands in the text.
inline void ExpectEachIn(const std::string& text, const std::vector<std::string>& parts)
{
    for (const std::string& part : parts)
        EXPECT_TRUE(Contains(text, part)) << part << " in:\n" << text;
}

// A command line, the exit status it ends with and a text its error output holds.
struct RefusalCase
{
    std::vector<std::string> args;
    int status;
    const char* text;
};

// Each case's command line, run by `run`, ends with its status and says its text on the error
// output.
inline void ExpectRefusals(const std::vector<RefusalCase>& cases,
                           const std::function<Outcome(const std::vector<std::string>&)>& run)
{
    for (const RefusalCase& c : cases)
    {
        const Outcome outcome = run(c.args);
        EXPECT_EQ(outcome.status, c.status) << c.args.back() << "\n" << outcome.err;
        EXPECT_TRUE(Contains(outcome.err, c.text)) << c.args.back() << "\n" << outcome.err;
    }
}

inline std::string ReadAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Each test gets its own folder (removed afterwards); the installation lives in its "home".
class ProvixaProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "provixa-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_home = m_root / "home";
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // Runs the program with the arguments, `input` on its standard input and `environment`
    // (NAME=VALUE words, quoted by the caller, or shell commands ending in ';') before it.
    // `home` replaces the test's home when given; `output` replaces the redirection of the
    // standard output (">/dev/full", ">&-"), which then reads back empty.
    Outcome Provixa(const std::vector<std::string>& args, const std::string& input = "",
                    const std::string& environment = "", const std::filesystem::path& home = {},
                    const std::string& output = "") const
    {
        std::ofstream(m_root / "in", std::ios::binary) << input;
        std::ofstream(m_root / "out", std::ios::binary | std::ios::trunc);
        std::string command = environment + " PROVIXA_HOME=" + Quote((home.empty() ? m_home : home).string()) + " " +
                              Quote(PROVIXA_BINARY);
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        command += " <" + Quote((m_root / "in").string()) + " " +
                   (output.empty() ? ">" + Quote((m_root / "out").string()) : output) + " 2>" +
                   Quote((m_root / "err").string());
        Outcome run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadAll(m_root / "out");
        run.err = ReadAll(m_root / "err");
        return run;
    }

    std::filesystem::path m_root;
    std::filesystem::path m_home;
};
}  // namespace provixa_program
