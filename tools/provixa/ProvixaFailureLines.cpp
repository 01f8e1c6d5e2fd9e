#include "tools/provixa/ProvixaFailureLines.h"

#include "tools/provixa/ProvixaOutput.h"

#include <charconv>
#include <cstdint>
#include <string_view>

namespace {
constexpr std::string_view kProgram = "provixa: ";
constexpr std::string_view kWarning = "provixa: warning:";
constexpr std::string_view kWarningWord = "warning: ";
constexpr std::string_view kError = "Error 0x";

// A line split after the program's name and the batch line it names: "provixa: line 3: TEXT".
struct ProgramLine
{
    bool program = false;  // it starts with the program's name
    std::string prefix;    // "line 3: ", or empty
    std::string_view text;
};

ProgramLine SplitProgramLine(std::string_view text)
{
    ProgramLine split;
    split.program = text.starts_with(kProgram);
    if (split.program)
    {
        text.remove_prefix(kProgram.size());
        // A batch names the line a failure comes from: "provixa: line 3: Error ...".
        if (text.starts_with("line "))
        {
            const std::size_t colon = text.find(": ");
            if (colon != std::string_view::npos)
            {
                split.prefix = std::string(text.substr(0, colon + 2));
                text.remove_prefix(colon + 2);
            }
        }
    }
    split.text = text;
    return split;
}

// Reads "Error 0xHHHHHHHH[ (NAME)][: reason| reason]" at the start of `text`: the code and the
// reason; false when the text is no error line.
bool ReadErrorLine(std::string_view text, HRESULT* code, std::string* reason)
{
    if (!text.starts_with(kError) || text.size() < kError.size() + 8)
        return false;
    std::uint32_t value = 0;
    const char* first = text.data() + kError.size();
    const auto [end, status] = std::from_chars(first, first + 8, value, 16);
    if (status != std::errc() || end != first + 8)
        return false;
    *code = static_cast<HRESULT>(value);
    std::string_view rest = text.substr(kError.size() + 8);
    if (rest.starts_with(" (") && rest.find(')') != std::string_view::npos)
        rest = rest.substr(rest.find(')') + 1);
    if (rest.starts_with(":"))
        rest = rest.substr(1);
    if (rest.starts_with(" "))
        rest = rest.substr(1);
    *reason = std::string(rest);
    return true;
}
}  // namespace

ProvixaFailureLines::ProvixaFailureLines(std::ostream& destination, ProvixaCommandLine::FailureForm form, KeyOf keyOf)
    : m_destination(destination), m_form(form), m_keyOf(std::move(keyOf))
{
}

ProvixaFailureLines::~ProvixaFailureLines()
{
    Finish();
}

std::string ProvixaFailureLines::Convert(const std::string& line, const KeyOf& keyOf, HRESULT code)
{
    if (line.starts_with("{") || line.starts_with(kWarning))
        return line;
    const ProgramLine split = SplitProgramLine(line);
    std::string reason;
    if (!ReadErrorLine(split.text, &code, &reason))
    {
        // Progress notes ("Watching", "Handed in", the servers' calls) are no failures.
        if (!split.program)
            return line;
        reason = std::string(split.text);
    }
    return ProvixaOutput::FailureJson(keyOf(code), split.prefix + reason, code, ProvixaOutput::LogFileSentTo(reason));
}

std::string ProvixaFailureLines::Formed(const std::string& line) const
{
    const ProgramLine split = SplitProgramLine(line);
    const bool warning = split.program && split.text.starts_with(kWarningWord);
    // A person's lines name the log on a line of their own.
    if (m_form == ProvixaCommandLine::FailureForm::Text)
    {
        const std::string log = ProvixaOutput::LogFileSentTo(line);
        // In a batch the log's line names the batch line too, as the failure before it does.
        return log.empty() ? line : line + "\n" + std::string(kProgram) + split.prefix + "the provider log is " + log;
    }
    if (warning)
    {
        const std::string text = std::string(split.text.substr(kWarningWord.size()));
        return ProvixaOutput::WarningJson(split.prefix + text, ProvixaOutput::LogFileSentTo(text));
    }
    return Convert(line, m_keyOf);
}

void ProvixaFailureLines::Finish()
{
    if (!m_line.empty())
        WriteLine(m_line);
    m_line.clear();
    m_destination.flush();
}

std::streamsize ProvixaFailureLines::xsputn(const char* text, std::streamsize count)
{
    for (std::streamsize i = 0; i < count; ++i)
    {
        if (text[i] != '\n')
        {
            m_line.push_back(text[i]);
            continue;
        }
        WriteLine(m_line + '\n');
        m_line.clear();
    }
    return count;
}

ProvixaFailureLines::int_type ProvixaFailureLines::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char one = traits_type::to_char_type(c);
    xsputn(&one, 1);
    return c;
}

int ProvixaFailureLines::sync()
{
    m_destination.flush();
    return m_destination ? 0 : -1;
}

void ProvixaFailureLines::WriteLine(const std::string& line)
{
    const bool ended = !line.empty() && line.back() == '\n';
    const std::string converted = Formed(ended ? line.substr(0, line.size() - 1) : line);
    m_destination << converted << (ended ? "\n" : "");
}
