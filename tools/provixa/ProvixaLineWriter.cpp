#include "tools/provixa/ProvixaLineWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {
// The reason of a destination that failed without the system saying why.
constexpr char kRefused[] = "the stream refused it";
}  // namespace

ProvixaLineWriter::ProvixaLineWriter(std::ostream& destination, bool eachLine)
    : m_destination(destination), m_eachLine(eachLine)
{
}

ProvixaLineWriter::~ProvixaLineWriter()
{
    Finish();
}

std::streamsize ProvixaLineWriter::xsputn(const char* text, std::streamsize count)
{
    if (count <= 0)
        return 0;
    const CheckedMutexLock guard(m_lock);
    AddLocked(text, static_cast<std::size_t>(count));
    return count;
}

ProvixaLineWriter::int_type ProvixaLineWriter::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char one = traits_type::to_char_type(c);
    const CheckedMutexLock guard(m_lock);
    AddLocked(&one, 1);
    return c;
}

void ProvixaLineWriter::WriteLine(std::string_view line)
{
    std::string whole;
    whole.reserve(line.size() + 1);
    whole.append(line).push_back('\n');
    const CheckedMutexLock guard(m_lock);
    AddLocked(whole.data(), whole.size());
}

int ProvixaLineWriter::sync()
{
    const CheckedMutexLock guard(m_lock);
    HandOverLocked();
    return m_failed ? -1 : 0;
}

void ProvixaLineWriter::AddLocked(const char* text, std::size_t count)
{
    const std::thread::id self = std::this_thread::get_id();
    auto own =
        std::find_if(m_unfinished.begin(), m_unfinished.end(), [&](const auto& entry) { return entry.first == self; });
    const std::string_view added(text, count);
    const std::size_t lastEnd = added.rfind('\n');
    const bool holding = m_holder == self;
    if (lastEnd == std::string_view::npos)
    {
        if (holding)
            m_ready.append(added);
        else if (own == m_unfinished.end())
            own = m_unfinished.emplace(m_unfinished.end(), self, std::string(added));
        else
            own->second.append(added);
        // A line too long to hold (a JSON list is one line) starts to go out; the other threads'
        // lines wait until it ends.
        if (!holding && !m_holder && own->second.size() >= kChunkBytes)
        {
            m_ready += own->second;
            m_unfinished.erase(own);
            m_holder = self;
        }
    }
    else
    {
        // The thread's unfinished line ends here, with every whole line after it.
        std::string& finished = holding || !m_holder ? m_ready : m_waiting;
        if (own != m_unfinished.end())
            finished += own->second;
        finished.append(added.substr(0, lastEnd + 1));
        if (holding)
        {
            m_holder.reset();
            m_ready += m_waiting;
            m_waiting.clear();
        }
        const std::string_view rest = added.substr(lastEnd + 1);
        if (rest.empty() && own != m_unfinished.end())
            m_unfinished.erase(own);
        else if (!rest.empty() && own == m_unfinished.end())
            m_unfinished.emplace_back(self, std::string(rest));
        else if (!rest.empty())
            own->second.assign(rest);
    }
    if (m_eachLine || m_ready.size() >= kChunkBytes)
        HandOverLocked();
}

void ProvixaLineWriter::HandOverLocked()
{
    if (!m_failed && !m_ready.empty())
    {
        // The reason is read right after the write that failed, before anything else can
        // change it.
        errno = 0;
        m_destination.write(m_ready.data(), static_cast<std::streamsize>(m_ready.size()));
        m_destination.flush();
        if (!m_destination)
        {
            m_failed = true;
            m_error = errno;
        }
    }
    m_ready.clear();
}

bool ProvixaLineWriter::Finish()
{
    const CheckedMutexLock guard(m_lock);
    // A line left open (the long line going out, another thread's unfinished one) is ended
    // before the next writer's text, so that no two run into one line; the last stays as written.
    bool open = m_holder.has_value();
    std::vector<const std::string*> left{&m_waiting};
    for (const auto& [thread, text] : m_unfinished)
        left.push_back(&text);
    for (const std::string* text : left)
    {
        if (text->empty())
            continue;
        if (open)
            m_ready += '\n';
        m_ready += *text;
        open = text->back() != '\n';
    }
    m_unfinished.clear();
    m_waiting.clear();
    m_holder.reset();
    HandOverLocked();
    errno = 0;
    if (!m_failed && !m_destination.flush())
    {
        m_failed = true;
        m_error = errno;
    }
    return !m_failed;
}

bool ProvixaLineWriter::Failed() const
{
    const CheckedMutexLock guard(m_lock);
    return m_failed;
}

std::string ProvixaLineWriter::FailureReason() const
{
    const CheckedMutexLock guard(m_lock);
    if (!m_failed)
        return std::string();
    return m_error != 0 ? std::strerror(m_error) : kRefused;
}

bool ProvixaLineWriter::ClaimFailureReport()
{
    const CheckedMutexLock guard(m_lock);
    const bool claimed = m_failed && !m_reported;
    m_reported = m_reported || m_failed;
    return claimed;
}

bool ProvixaLineWriter::ClaimFailureReport(std::ostream& stream, std::string* reason)
{
    auto* writer = dynamic_cast<ProvixaLineWriter*>(stream.rdbuf());
    if (writer == nullptr)
    {
        *reason = kRefused;
        return !stream;
    }
    *reason = writer->FailureReason();
    return writer->ClaimFailureReport();
}

bool ProvixaLineWriter::Broken(const std::ostream& stream)
{
    if (!stream)
        return true;
    const auto* writer = dynamic_cast<const ProvixaLineWriter*>(stream.rdbuf());
    return writer != nullptr && writer->Failed();
}
