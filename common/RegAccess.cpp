#include "common/RegAccess.h"

#include "common/CBntRegistry.h"
#include "common/CryptHandle.h"
#include "common/StringHelpers.h"

#include <array>
#include <mutex>

namespace {

constexpr DWORD kPassPhraseBytes = 32;

std::mutex& PassPhraseLock()
{
    static std::mutex lock;
    return lock;
}

bool NewPassPhrase(CString& phrase)
{
    CryptProviderHandle provider;
    std::array<BYTE, kPassPhraseBytes> random{};
    if (!CryptAcquireContextW(provider.Receive(), nullptr, MS_ENHANCED_PROV, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) ||
        !CryptGenRandom(provider.Get(), kPassPhraseBytes, random.data()))
        return false;
    phrase = BytesToHexString(random.data(), static_cast<int>(random.size()));
    SecureZeroMemory(random.data(), random.size());
    return true;
}

}  // namespace

CString GetInstalledProductName()
{
    CString name;
    CBntRegistry registry(true, CBntRegistry::kDefaultKey);
    registry.GetStringValue(L"InstalledProductName", name);
    return name;
}

bool GetInstallationPassPhrase(const wchar_t* valueName, CString& phrase)
{
    // Held across the read and the creation so two threads never store different phrases.
    std::lock_guard<std::mutex> guard(PassPhraseLock());
    CString stored;
    {
        CBntRegistry reader(true, kInstallationSecretsKey);
        if (reader.GetStringValue(valueName, stored))
        {
            if (stored.IsEmpty())
                return false;
            phrase = stored;
            return true;
        }
    }
    CString created;
    CBntRegistry writer(false, kInstallationSecretsKey);
    if (!NewPassPhrase(created) || !writer.SetStringValue(valueName, created))
        return false;
    phrase = created;
    return true;
}
