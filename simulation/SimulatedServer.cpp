#include "simulation/SimulatedServer.h"

#include <algorithm>
#include <cwchar>

namespace support {

namespace {

// Longest part of a block that Describe shows.
constexpr std::size_t kDescribedBytes = 64;

}  // namespace

SimulatedAnswer SimulatedAnswer::Status(LONG first, LONG second)
{
    SimulatedAnswer answer;
    answer.first = first;
    answer.second = second;
    return answer;
}

SimulatedAnswer SimulatedAnswer::Failing(RPC_STATUS transport)
{
    SimulatedAnswer answer;
    answer.transport = transport;
    return answer;
}

SimulatedAnswer SimulatedAnswer::Patched(std::vector<std::pair<std::size_t, std::vector<BYTE>>> patches, LONG first)
{
    SimulatedAnswer answer;
    answer.first = first;
    answer.patches = std::move(patches);
    return answer;
}

SimulatedServer::SimulatedServer(std::wstring serverName) : m_serverName(std::move(serverName)) {}

SimulatedServer::~SimulatedServer() = default;

void SimulatedServer::SetDefaultAnswer(SimulatedAnswer answer)
{
    const CheckedMutexLock lock(m_lock);
    m_defaultAnswer = std::move(answer);
}

void SimulatedServer::SetAnswer(LONG procedure, SimulatedAnswer answer)
{
    const CheckedMutexLock lock(m_lock);
    m_answers[procedure] = std::move(answer);
}

void SimulatedServer::SetObserver(std::function<void(const SimulatedServer&, const SimulatedCall&)> observer)
{
    const CheckedMutexLock lock(m_lock);
    m_observer = std::move(observer);
}

std::vector<SimulatedCall> SimulatedServer::Calls() const
{
    const CheckedMutexLock lock(m_lock);
    return m_calls;
}

std::vector<SimulatedCall> SimulatedServer::CallsOf(LONG procedure) const
{
    std::vector<SimulatedCall> calls = Calls();
    std::erase_if(calls, [procedure](const SimulatedCall& call) { return call.procedure != procedure; });
    return calls;
}

void SimulatedServer::ClearCalls()
{
    const CheckedMutexLock lock(m_lock);
    m_calls.clear();
}

bool SimulatedServer::WaitForCalls(std::size_t count, std::chrono::milliseconds timeout)
{
    CheckedMutexLock lock(m_lock);
    return lock.WaitFor(m_called, timeout, [this, count]() REQUIRES(m_lock) { return m_calls.size() >= count; });
}

std::wstring SimulatedServer::Describe(const SimulatedCall& call) const
{
    std::wstring text = m_serverName + L" received procedure " + std::to_wstring(call.procedure) + L" " + call.name +
                        L", " + std::to_wstring(call.block.size()) + L" bytes:";
    const std::size_t shown = std::min(call.block.size(), kDescribedBytes);
    for (std::size_t i = 0; i < shown; ++i)
    {
        wchar_t hex[4];
        std::swprintf(hex, std::size(hex), L" %02X", static_cast<unsigned>(call.block[i]));
        text += hex;
    }
    if (shown < call.block.size())
        text += L" ...";
    return text;
}

RPC_STATUS SimulatedServer::Answer(LONG procedure, const wchar_t* name, std::span<BYTE> block, LONG* first,
                                   LONG* second)
{
    SimulatedCall call{procedure, name, std::vector<BYTE>(block.begin(), block.end())};
    SimulatedAnswer answer;
    std::function<void(const SimulatedServer&, const SimulatedCall&)> observer;
    {
        const CheckedMutexLock lock(m_lock);
        m_calls.push_back(call);
        const auto found = m_answers.find(procedure);
        answer = found != m_answers.end() ? found->second : m_defaultAnswer;
        observer = m_observer;
    }
    m_called.notify_all();
    if (answer.transport == RPC_S_OK)
    {
        if (first != nullptr)
            *first = answer.first;
        if (second != nullptr)
            *second = answer.second;
        for (const auto& [offset, bytes] : answer.patches)
        {
            for (std::size_t i = 0; i < bytes.size() && offset + i < block.size(); ++i)
                block[offset + i] = bytes[i];
        }
        if (answer.fill)
            answer.fill(block);
    }
    if (observer)
        observer(*this, call);
    return answer.transport;
}

}  // namespace support
