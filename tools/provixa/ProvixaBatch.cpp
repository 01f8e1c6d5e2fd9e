#include "tools/provixa/ProvixaBatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <streambuf>

#include "tools/provixa/ProvixaBatchInterruption.h"
#include "tools/provixa/ProvixaText.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaLineWriter.h"

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
}  // namespace

bool ProvixaBatch::SplitLine(const std::string& line, std::vector<std::string>* words, std::string* error)
{
    words->clear();
    for (std::size_t i = 0; i < line.size();)
    {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')
        {
            ++i;
            continue;
        }
        // The word's end is found first, so that the word takes no more memory than its text.
        std::size_t end = i;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
        {
            const char c = line[end++];
            if (c != '"' && c != '\'')
                continue;
            const std::size_t start = end - 1;
            while (end < line.size() && line[end] != c)
                end += c == '"' && line[end] == '\\' && end + 1 < line.size() &&
                               (line[end + 1] == '"' || line[end + 1] == '\\')
                           ? 2
                           : 1;
            if (end >= line.size())
            {
                *error = "unterminated quote at column " + std::to_string(start + 1);
                return false;
            }
            ++end;
        }
        std::string word;
        word.reserve(end - i);
        for (char quote = 0; i < end; ++i)
        {
            const char c = line[i];
            if (quote == 0 && (c == '"' || c == '\''))
                quote = c;
            else if (quote != 0 && c == quote)
                quote = 0;
            else if (quote == '"' && c == '\\' && i + 1 < end && (line[i + 1] == '"' || line[i + 1] == '\\'))
                word += line[++i];
            else
                word += c;
        }
        words->push_back(std::move(word));
    }
    return true;
}

bool ProvixaBatch::ReadLine(std::istream& input, std::size_t limit, std::string* line, bool* tooLong)
{
    line->clear();
    *tooLong = false;
    // Read in pieces and put together once at its length: a long line costs its own size, not
    // that of a buffer grown by doubling.
    std::vector<std::string> pieces;
    std::size_t kept = 0;
    bool read = false;
    for (;;)
    {
        char chunk[kMaxLineLength];
        input.getline(chunk, sizeof chunk);
        const auto count = static_cast<std::size_t>(input.gcount());
        read = read || count > 0;
        // The line end was read (and counted) unless the chunk filled up or the input ended.
        const bool full = input.fail() && !input.eof() && count == sizeof chunk - 1;
        const bool ended = !input.fail() && !input.eof();
        const std::size_t text = ended ? count - 1 : count;
        const std::size_t room = limit - kept;
        *tooLong = *tooLong || text > room;
        if (std::min(text, room) > 0)
            pieces.emplace_back(chunk, std::min(text, room));
        kept += std::min(text, room);
        if (!full)
            break;
        input.clear();
    }
    if (!read)
        return false;
    line->reserve(kept);
    for (const std::string& piece : pieces)
        line->append(piece);
    return true;
}

ProvixaBatch::Read ProvixaBatch::NextCommand(std::istream& input, std::size_t* lineNumber, Command* command,
                                             bool* usage, std::string* error)
{
    *usage = false;
    for (;;)
    {
        std::string line;
        bool tooLong = false;
        if (!ReadLine(input, kMaxLineLength, &line, &tooLong))
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
        const bool folder = std::filesystem::is_directory(source, ignored);
        errno = 0;
        if (!folder)
            file.open(source, std::ios::binary);
        // The system's reason is read right after the open that failed.
        const int reason = errno;
        if (!file.is_open())
        {
            err << "provixa: cannot read " << source << ": " << ProvixaText::FileFailure(folder ? EISDIR : reason)
                << "\n";
            return ProvixaHost::kRequestFailed;
        }
    }
    std::istream& input = source == "-" ? standardInput : file;
    ProvixaBatchInterruption interruption(batch.json);
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
            interruption.Reached(command.line, true);
            status = runOne(one);
        }
        interruption.Reached(command.line, false);
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
