#include "inhouse/BntUtility/CPasswordHash.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdio>
#include <regex>
#include <string>

namespace {

TEST(CPasswordHash, StoredTextHasSchemeIterationsSaltAndHash)
{
    const std::string stored = CPasswordHash::Hash("Secret1!", CPasswordHash::kMinIterations);
    EXPECT_TRUE(std::regex_match(stored, std::regex("pbkdf2-sha256\\$1000\\$[0-9a-f]{32}\\$[0-9a-f]{64}"))) << stored;
    EXPECT_NE(stored, CPasswordHash::Hash("Secret1!", CPasswordHash::kMinIterations));
    EXPECT_TRUE(CPasswordHash::Verify("Secret1!", stored));
    EXPECT_FALSE(CPasswordHash::Verify("Secret1", stored));
    EXPECT_FALSE(CPasswordHash::Verify("", stored));
}

TEST(CPasswordHash, IndependentlyComputedHashVerifies)
{
    // PBKDF2-HMAC-SHA256("password", "saltsalt", 1000 iterations, 32 bytes), computed elsewhere.
    const std::string stored = "pbkdf2-sha256$1000$73616c7473616c74$"
                               "135f7a66144fcf0fb003ce048f31f024ed5cbff30525d3ba0bfb3199479362a6";
    EXPECT_TRUE(CPasswordHash::Verify("password", stored));
    EXPECT_TRUE(CPasswordHash::Verify("password", "pbkdf2-sha256$1000$73616C7473616C74$"
                                                  "135F7A66144FCF0FB003CE048F31F024ED5CBFF30525D3BA0BFB3199479362A6"));
    EXPECT_FALSE(CPasswordHash::Verify("Password", stored));
    EXPECT_FALSE(CPasswordHash::Verify("password", "pbkdf2-sha256$1001$73616c7473616c74$"
                                                   "135f7a66144fcf0fb003ce048f31f024ed5cbff30525d3ba0bfb3199479362a6"));
}

TEST(CPasswordHash, MalformedStoredTextsNeverVerify)
{
    const std::string good = CPasswordHash::Hash("pw", CPasswordHash::kMinIterations);
    const std::size_t saltStart = good.find('$', 14) + 1;
    const std::string salt = good.substr(saltStart, 32);
    const std::string hash = good.substr(good.rfind('$') + 1);
    ASSERT_TRUE(CPasswordHash::Verify("pw", good));
    const std::string cases[] = {
        "",
        "pw",
        "pbkdf2-sha256$1000$" + salt,
        "pbkdf2-sha1$1000$" + salt + "$" + hash,
        "pbkdf2-sha256$999$" + salt + "$" + hash,
        "pbkdf2-sha256$10000001$" + salt + "$" + hash,
        "pbkdf2-sha256$99999999999999999999$" + salt + "$" + hash,
        "pbkdf2-sha256$1000x$" + salt + "$" + hash,
        "pbkdf2-sha256$-1000$" + salt + "$" + hash,
        "pbkdf2-sha256$1000$" + salt + "$" + hash + "$",
        "pbkdf2-sha256$1000$" + salt.substr(0, 31) + "$" + hash,
        "pbkdf2-sha256$1000$zz" + salt.substr(2) + "$" + hash,
        "pbkdf2-sha256$1000$0011$" + hash,
        "pbkdf2-sha256$1000$" + salt + "$" + hash.substr(0, 62),
        "pbkdf2-sha256$1000$" + salt + "$" + hash + "00",
    };
    for (const auto& stored : cases)
    {
        EXPECT_FALSE(CPasswordHash::Verify("pw", stored)) << stored;
    }
}

TEST(CPasswordHash, AGenuineHashWithTooFewIterationsNeverVerifies)
{
    // Hashes that are right for their iteration counts: only the count decides.
    const unsigned char salt[] = "0123456789abcdef";
    const struct
    {
        unsigned iterations;
        bool verifies;
    } cases[] = {{CPasswordHash::kMinIterations - 1, false}, {1, false}, {CPasswordHash::kMinIterations, true}};
    for (const auto& one : cases)
    {
        unsigned char hash[32];
        ASSERT_EQ(
            PKCS5_PBKDF2_HMAC("pw", 2, salt, 16, static_cast<int>(one.iterations), EVP_sha256(), sizeof hash, hash), 1);
        std::string stored = "pbkdf2-sha256$" + std::to_string(one.iterations) + "$";
        char hex[3];
        for (int i = 0; i < 16; ++i)
        {
            std::snprintf(hex, sizeof hex, "%02x", salt[i]);
            stored += hex;
        }
        stored += "$";
        for (const unsigned char byte : hash)
        {
            std::snprintf(hex, sizeof hex, "%02x", byte);
            stored += hex;
        }
        EXPECT_EQ(CPasswordHash::Verify("pw", stored), one.verifies) << one.iterations;
    }
}

TEST(CPasswordHash, IterationLimitsAreEnforcedWhenHashing)
{
    EXPECT_TRUE(CPasswordHash::Hash("pw", CPasswordHash::kMinIterations - 1).empty());
    EXPECT_TRUE(CPasswordHash::Hash("pw", CPasswordHash::kMaxIterations + 1).empty());
}

}  // namespace
