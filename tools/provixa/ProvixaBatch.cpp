#include "tools/provixa/ProvixaBatch.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <streambuf>

#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaLineWriter.h"

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
}  // namespace

bool ProvixaBatch::SplitLine(const std::string& line, std::vector<std::string>* words, std::string* error)
{
    words->clear();
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i)
    {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r')
        {
            if (inWord)
                words->push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c != '"' && c != '\'')
        {
            word += c;
            continue;
        }
        const std::size_t start = i;
        for (++i; i < line.size() && line[i] != c; ++i)
        {
            if (c == '"' && line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                ++i;
            word += line[i];
        }
        if (i >= line.size())
        {
            *error = "unterminated quote at column " + std::to_string(start + 1);
            return false;
        }
    }
    if (inWord)
        words->push_back(std::move(word));
    return true;
}

ProvixaBatch::Read ProvixaBatch::NextCommand(std::istream& input, std::size_t* lineNumber, Command* command,
                                             bool* usage, std::string* error)
{
    *usage = false;
    for (;;)
    {
        // The line is read byte by byte up to its end, so a line beyond the limit costs no more
        // memory than the limit and the next line is read whole.
        std::string line;
        bool tooLong = false;
        bool ended = true;
        for (char c; input.get(c);)
        {
            ended = false;
            if (c == '\n')
                break;
            if (line.size() < kMaxLineLength)
                line += c;
            else
                tooLong = true;
        }
        if (ended)
            return Read::End;
        ++*lineNumber;
        command->line = *lineNumber;
        // Editors on some systems lead a UTF-8 file with a byte-order mark.
        if (*lineNumber == 1 && line.starts_with(kByteOrderMark))
            line.erase(0, sizeof kByteOrderMark - 1);
        if (tooLong)
        {
            *error =
                "line " + std::to_string(*lineNumber) + " is longer than " + std::to_string(kMaxLineLength) + " bytes";
            return Read::Refused;
        }
        // The words after a NUL would be lost to the command without a trace.
        if (line.find('\0') != std::string::npos)
        {
            *error = "line " + std::to_string(*lineNumber) + " holds a NUL character";
            return Read::Refused;
        }
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::string lineError;
        if (!SplitLine(line, &command->words, &lineError))
        {
            *usage = true;
            *error = "line " + std::to_string(*lineNumber) + ": " + lineError;
            return Read::Refused;
        }
        return Read::Command;
    }
}

namespace {
// Names the batch line in each failure line a command prints on the error stream ("provixa:
// line 3: Error 0x80041002 ..."), as the batch's own usage errors do; notes pass unchanged.
class LineNamingBuffer : public std::streambuf
{
public:
    LineNamingBuffer(std::ostream& stream, std::size_t line)
        : m_stream(stream), m_target(stream.rdbuf()), m_naming("provixa: line " + std::to_string(line) + ": ")
    {
        m_stream.rdbuf(this);
    }
    ~LineNamingBuffer() override
    {
        sync();
        m_stream.rdbuf(m_target);
    }
    LineNamingBuffer(const LineNamingBuffer&) = delete;
    LineNamingBuffer& operator=(const LineNamingBuffer&) = delete;

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        m_line += traits_type::to_char_type(c);
        if (c == '\n')
            Emit();
        return c;
    }
    int sync() override
    {
        Emit();
        return m_target->pubsync();
    }

private:
    void Emit()
    {
        if (m_line.empty())
            return;
        if (m_atLineStart)
        {
            static constexpr char kProgram[] = "provixa: ";
            if (m_line.starts_with("Error 0x"))
                m_line.insert(0, m_naming);
            else if (m_line.starts_with(kProgram) && !m_line.starts_with(m_naming))
                m_line.replace(0, sizeof kProgram - 1, m_naming);
        }
        m_target->sputn(m_line.data(), static_cast<std::streamsize>(m_line.size()));
        m_atLineStart = m_line.back() == '\n';
        m_line.clear();
    }

    std::ostream& m_stream;
    std::streambuf* const m_target;
    const std::string m_naming;
    std::string m_line;
    bool m_atLineStart = true;
};
}  // namespace

int ProvixaBatch::Run(const ProvixaCommandLine& batch, std::istream& standardInput,
                      const std::function<int(const ProvixaCommandLine&)>& runOne, std::ostream& out, std::ostream& err)
{
    const std::string& source = batch.operands.at(0);
    std::ifstream file;
    if (source != "-")
    {
        // A file that cannot be opened, or a folder, is no fault of the command line.
        std::error_code ignored;
        if (!std::filesystem::is_directory(source, ignored))
            file.open(source, std::ios::binary);
        if (!file.is_open())
        {
            err << "provixa: cannot read " << source
                << (std::filesystem::is_directory(source, ignored) ? ": it is a folder" : "") << "\n";
            return ProvixaHost::kRequestFailed;
        }
    }
    std::istream& input = source == "-" ? standardInput : file;
    int worst = ProvixaHost::kSuccess;
    std::size_t lineNumber = 0;
    std::size_t commands = 0;
    Command command;
    bool usage = false;
    std::string error;
    for (Read read; (read = NextCommand(input, &lineNumber, &command, &usage, &error)) != Read::End;)
    {
        if (read == Read::Refused)
        {
            err << "provixa: " << error << "\n";
            worst = std::max(worst, usage ? ProvixaHost::kUsageError : ProvixaHost::kRequestFailed);
            continue;
        }
        if (++commands > kMaxLines)
        {
            err << "provixa: line " << command.line << ": a batch runs at most " << kMaxLines
                << " commands; the rest is not run\n";
            return std::max(worst, ProvixaHost::kRequestFailed);
        }
        ProvixaCommandLine one;
        int status = ProvixaHost::kSuccess;
        if (!ProvixaCommandLine::Parse(command.words, &one, &error))
        {
            err << "provixa: line " << command.line << ": " << error << "\n";
            status = ProvixaHost::kUsageError;
        }
        else if (one.command == ProvixaCommandLine::Command::Init ||
                 one.command == ProvixaCommandLine::Command::Batch || one.command == ProvixaCommandLine::Command::Bus)
        {
            err << "provixa: line " << command.line << ": init, batch and bus cannot run inside a batch\n";
            status = ProvixaHost::kUsageError;
        }
        else if (one.command == ProvixaCommandLine::Command::Help)
        {
            out << ProvixaCommandLine::Usage();
        }
        else
        {
            if (one.callerName.empty() && one.callerSid.empty())
            {
                one.callerName = batch.callerName;
                one.callerSid = batch.callerSid;
            }
            one.json = one.json || batch.json;
            const LineNamingBuffer naming(err, command.line);
            status = runOne(one);
        }
        // Each command's lines leave at once: a reader of a pipe sees them as they come, and a
        // batch that is interrupted has printed every line of the commands it finished.
        out.flush();
        err.flush();
        worst = std::max(worst, status);
        // Once the result cannot be written, every later command would fail alike for nothing
        // (a full disk, the file-size limit): the run stops, and its caller says why once.
        if (ProvixaLineWriter::Broken(out))
            return std::max(worst, ProvixaHost::kRequestFailed);
    }
    if (input.bad())
    {
        err << "provixa: cannot read " << (source == "-" ? "standard input" : source) << "\n";
        worst = std::max(worst, ProvixaHost::kRequestFailed);
    }
    return worst;
}
