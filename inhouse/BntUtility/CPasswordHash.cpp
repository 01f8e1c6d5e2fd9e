#include "inhouse/BntUtility/CPasswordHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <charconv>
#include <optional>
#include <vector>

#include "platform/win32/HexDigits.h"

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";

// Stored hashes carry lower-case digits.
std::string ToHex(const std::vector<unsigned char>& bytes)
{
    return hex::Encode<char>(bytes, hex::Letters::Lower);
}

std::optional<std::vector<unsigned char>> FromHex(std::string_view text)
{
    std::vector<unsigned char> out(text.size() / 2);
    if (!hex::Decode(text, out.data()))
    {
        return std::nullopt;
    }
    return out;
}

std::optional<std::vector<unsigned char>> Derive(std::string_view password, const std::vector<unsigned char>& salt,
                                                 unsigned iterations)
{
    std::vector<unsigned char> out(CPasswordHash::kHashBytes);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                          static_cast<int>(out.size()), out.data()) != 1)
    {
        return std::nullopt;
    }
    return out;
}

// Splits "a$b$c$d" into exactly four fields; any other number of '$' is malformed.
std::optional<std::vector<std::string_view>> SplitFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = text.find('$', start);
        if (end == std::string_view::npos)
        {
            fields.push_back(text.substr(start));
            break;
        }
        fields.push_back(text.substr(start, end - start));
        if (fields.size() == 4)
        {
            return std::nullopt;
        }
        start = end + 1;
    }
    if (fields.size() != 4)
    {
        return std::nullopt;
    }
    return fields;
}

}  // namespace

std::string CPasswordHash::Hash(std::string_view password, unsigned iterations)
{
    if (iterations < kMinIterations || iterations > kMaxIterations ||
        password.size() > static_cast<std::size_t>(INT32_MAX))
    {
        return {};
    }
    std::vector<unsigned char> salt(kSaltBytes);
    if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1)
    {
        return {};
    }
    const auto hash = Derive(password, salt, iterations);
    if (!hash)
    {
        return {};
    }
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + ToHex(salt) + "$" + ToHex(*hash);
}

bool CPasswordHash::Verify(std::string_view password, std::string_view stored)
{
    const auto fields = SplitFields(stored);
    if (!fields || (*fields)[0] != kScheme || password.size() > static_cast<std::size_t>(INT32_MAX))
    {
        return false;
    }
    const std::string_view iterationText = (*fields)[1];
    unsigned iterations = 0;
    const auto [end, error] =
        std::from_chars(iterationText.data(), iterationText.data() + iterationText.size(), iterations);
    if (error != std::errc() || end != iterationText.data() + iterationText.size() || iterations < kMinIterations ||
        iterations > kMaxIterations)
    {
        return false;
    }
    const auto salt = FromHex((*fields)[2]);
    const auto expected = FromHex((*fields)[3]);
    if (!salt || salt->size() < kMinSaltBytes || salt->size() > kMaxSaltBytes || !expected ||
        expected->size() != kHashBytes)
    {
        return false;
    }
    const auto actual = Derive(password, *salt, iterations);
    return actual && CRYPTO_memcmp(actual->data(), expected->data(), kHashBytes) == 0;
}
