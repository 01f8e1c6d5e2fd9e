#include "platform/security/Security.h"

#include "platform/win32/HandleTable.h"
#include "platform/win32/SystemInfo.h"
#include "platform/win32/Threading.h"

#include <cstring>
#include <memory>

namespace {

// A token: the user's SID text and, for an impersonation token, the level. Immutable.
class AccessToken final : public KernelObject
{
public:
    AccessToken(std::wstring sid, std::optional<SECURITY_IMPERSONATION_LEVEL> level, DWORD access)
        : m_sid(std::move(sid)), m_level(level), m_access(access)
    {
    }

    const std::wstring& Sid() const { return m_sid; }
    const std::optional<SECURITY_IMPERSONATION_LEVEL>& Level() const { return m_level; }
    bool CanQuery() const { return (m_access & TOKEN_QUERY) != 0; }

private:
    const std::wstring m_sid;
    const std::optional<SECURITY_IMPERSONATION_LEVEL> m_level;
    const DWORD m_access;
};

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL OpenToken(PHANDLE token, std::shared_ptr<AccessToken> object)
{
    *token = HandleTable::Insert(std::move(object));
    return TRUE;
}

// Writes `bytes` to the caller's buffer when it has room; the common size protocol.
BOOL Answer(const void* bytes, std::size_t size, LPVOID information, DWORD length, PDWORD returnLength)
{
    if (returnLength != nullptr)
        *returnLength = static_cast<DWORD>(size);
    if (length < size)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (information == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    std::memcpy(information, bytes, size);
    return TRUE;
}

BOOL AnswerUser(const AccessToken& token, LPVOID information, DWORD length, PDWORD returnLength)
{
    const std::optional<std::vector<BYTE>> sid = SidCodec::FromText(token.Sid());
    if (!sid)
        return Fail(ERROR_INVALID_SID);
    const std::size_t size = sizeof(TOKEN_USER) + sid->size();
    if (returnLength != nullptr)
        *returnLength = static_cast<DWORD>(size);
    if (length < size)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (information == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    auto* out = static_cast<BYTE*>(information);
    std::memcpy(out + sizeof(TOKEN_USER), sid->data(), sid->size());
    const TOKEN_USER user{{out + sizeof(TOKEN_USER), 0}};
    std::memcpy(out, &user, sizeof(user));
    return TRUE;
}

}  // namespace

BOOL OpenThreadToken(HANDLE thread, DWORD desiredAccess, BOOL, PHANDLE token)
{
    if (token == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    *token = nullptr;
    if (thread != GetCurrentThread())
        return Fail(ERROR_INVALID_HANDLE);
    const std::optional<CallerIdentity> caller = CallerIdentity::Current();
    if (!caller || !CallerIdentity::IsImpersonating())
        return Fail(ERROR_NO_TOKEN);
    return OpenToken(token, std::make_shared<AccessToken>(caller->Sid(), caller->Level(), desiredAccess));
}

BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token)
{
    if (token == nullptr)
        return Fail(ERROR_INVALID_PARAMETER);
    *token = nullptr;
    if (process != GetCurrentProcess())
        return Fail(ERROR_INVALID_HANDLE);
    return OpenToken(token,
                     std::make_shared<AccessToken>(CallerIdentity::ProcessAccountSid(), std::nullopt, desiredAccess));
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information, DWORD length,
                         PDWORD returnLength)
{
    const std::shared_ptr<AccessToken> object = HandleTable::FindAs<AccessToken>(token);
    if (!object)
        return Fail(ERROR_INVALID_HANDLE);
    if (!object->CanQuery())
        return Fail(ERROR_ACCESS_DENIED);
    switch (informationClass)
    {
    case TokenImpersonationLevel: {
        if (!object->Level())
            return Fail(ERROR_INVALID_PARAMETER);
        const SECURITY_IMPERSONATION_LEVEL level = *object->Level();
        return Answer(&level, sizeof(level), information, length, returnLength);
    }
    case TokenUser:
        return AnswerUser(*object, information, length, returnLength);
    }
    return Fail(ERROR_INVALID_PARAMETER);
}
