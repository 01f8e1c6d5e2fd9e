#include "Libraries/OstrumCore/Source/Net/Punycode.h"

#include <limits>

namespace ostrum::net {

namespace {

constexpr uint32_t kBase = 36;
constexpr uint32_t kTMin = 1;
constexpr uint32_t kTMax = 26;
constexpr uint32_t kSkew = 38;
constexpr uint32_t kDamp = 700;
constexpr uint32_t kInitialBias = 72;
constexpr uint32_t kInitialN = 0x80;
constexpr char kDelimiter = '-';
constexpr uint32_t kMaxInt = std::numeric_limits<uint32_t>::max();

bool isBasic(uint32_t codePoint)
{
    return codePoint < 0x80;
}

bool isDelimiter(uint32_t codePoint)
{
    return codePoint == static_cast<uint32_t>(kDelimiter);
}

// The value of a digit character (0..35), or kBase for a character that is no digit.
uint32_t decodeDigit(uint32_t c)
{
    if (c >= '0' && c <= '9')
    {
        return c - '0' + 26;
    }
    if (c >= 'A' && c <= 'Z')
    {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z')
    {
        return c - 'a';
    }
    return kBase;
}

// The character of digit d (0..35): a-z for 0..25, 0-9 for 26..35; upper case when flagged.
char encodeDigit(uint32_t d, bool upper)
{
    if (d < 26)
    {
        return static_cast<char>((upper ? 'A' : 'a') + d);
    }
    return static_cast<char>('0' + (d - 26));
}

// A basic code point with its letter case forced by the flag (other characters unchanged).
char encodeBasic(uint32_t codePoint, bool upper)
{
    char c = static_cast<char>(codePoint);
    if (upper && c >= 'a' && c <= 'z')
    {
        return static_cast<char>(c - 'a' + 'A');
    }
    if (!upper && c >= 'A' && c <= 'Z')
    {
        return static_cast<char>(c - 'A' + 'a');
    }
    return c;
}

uint32_t adapt(uint32_t delta, uint32_t numPoints, bool firstTime)
{
    delta = firstTime ? delta / kDamp : delta / 2;
    delta += delta / numPoints;
    uint32_t k = 0;
    while (delta > ((kBase - kTMin) * kTMax) / 2)
    {
        delta /= kBase - kTMin;
        k += kBase;
    }
    return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

uint32_t threshold(uint32_t k, uint32_t bias)
{
    if (k <= bias)
    {
        return kTMin;
    }
    if (k >= bias + kTMax)
    {
        return kTMax;
    }
    return k - bias;
}

}  // namespace

uint32_t Punycode::encodedBound(uint32_t count)
{
    return count * kMaxDigitsPerDelta + 1;
}

Punycode::Status Punycode::encode(uint32_t inputLength, const uint32_t* input, const unsigned char* caseFlags,
                                  uint32_t* outputLength, char* output)
{
    const uint32_t maxOut = *outputLength;
    uint32_t out = 0;
    for (uint32_t j = 0; j < inputLength; ++j)
    {
        if (isBasic(input[j]))
        {
            if (maxOut - out < 2)
            {
                return BigOutput;
            }
            output[out++] =
                caseFlags != nullptr ? encodeBasic(input[j], caseFlags[j] != 0) : static_cast<char>(input[j]);
        }
    }
    const uint32_t basicCount = out;
    uint32_t handled = basicCount;
    if (basicCount > 0)
    {
        output[out++] = kDelimiter;
    }

    uint32_t n = kInitialN;
    uint32_t delta = 0;
    uint32_t bias = kInitialBias;
    while (handled < inputLength)
    {
        uint32_t m = kMaxInt;
        for (uint32_t j = 0; j < inputLength; ++j)
        {
            if (input[j] >= n && input[j] < m)
            {
                m = input[j];
            }
        }
        if (m - n > (kMaxInt - delta) / (handled + 1))
        {
            return Overflow;
        }
        delta += (m - n) * (handled + 1);
        n = m;
        for (uint32_t j = 0; j < inputLength; ++j)
        {
            if (input[j] < n)
            {
                if (++delta == 0)
                {
                    return Overflow;
                }
            }
            if (input[j] == n)
            {
                uint32_t q = delta;
                for (uint32_t k = kBase;; k += kBase)
                {
                    if (out >= maxOut)
                    {
                        return BigOutput;
                    }
                    const uint32_t t = threshold(k, bias);
                    if (q < t)
                    {
                        break;
                    }
                    output[out++] = encodeDigit(t + (q - t) % (kBase - t), false);
                    q = (q - t) / (kBase - t);
                }
                output[out++] = encodeDigit(q, caseFlags != nullptr && caseFlags[j] != 0);
                bias = adapt(delta, handled + 1, handled == basicCount);
                delta = 0;
                ++handled;
            }
        }
        ++delta;
        ++n;
    }
    *outputLength = out;
    return Success;
}

Punycode::Status Punycode::decode(uint32_t inputLength, const char* input, uint32_t* outputLength, uint32_t* output,
                                  unsigned char* caseFlags)
{
    uint32_t n = kInitialN;
    uint32_t out = 0;
    uint32_t i = 0;
    const uint32_t maxOut = *outputLength;
    uint32_t bias = kInitialBias;

    uint32_t b = 0;
    for (uint32_t j = 0; j < inputLength; ++j)
    {
        if (isDelimiter(static_cast<unsigned char>(input[j])))
        {
            b = j;
        }
    }
    if (b > maxOut)
    {
        return BigOutput;
    }
    for (uint32_t j = 0; j < b; ++j)
    {
        const auto c = static_cast<unsigned char>(input[j]);
        if (caseFlags != nullptr)
        {
            caseFlags[out] = (c >= 'A' && c <= 'Z') ? 1 : 0;
        }
        if (!isBasic(c))
        {
            return BadInput;
        }
        output[out++] = c;
    }

    for (uint32_t in = b > 0 ? b + 1 : 0; in < inputLength; ++out)
    {
        const uint32_t oldi = i;
        uint32_t w = 1;
        for (uint32_t k = kBase;; k += kBase)
        {
            if (in >= inputLength)
            {
                return BadInput;
            }
            const uint32_t digit = decodeDigit(static_cast<unsigned char>(input[in++]));
            if (digit >= kBase)
            {
                return BadInput;
            }
            if (digit > (kMaxInt - i) / w)
            {
                return Overflow;
            }
            i += digit * w;
            const uint32_t t = threshold(k, bias);
            if (digit < t)
            {
                break;
            }
            if (w > kMaxInt / (kBase - t))
            {
                return Overflow;
            }
            w *= kBase - t;
        }
        bias = adapt(i - oldi, out + 1, oldi == 0);
        if (i / (out + 1) > kMaxInt - n)
        {
            return Overflow;
        }
        n += i / (out + 1);
        i %= out + 1;
        if (out >= maxOut)
        {
            return BigOutput;
        }
        if (caseFlags != nullptr)
        {
            for (uint32_t j = out; j > i; --j)
            {
                caseFlags[j] = caseFlags[j - 1];
            }
            const auto last = static_cast<unsigned char>(input[in - 1]);
            caseFlags[i] = (last >= 'A' && last <= 'Z') ? 1 : 0;
        }
        for (uint32_t j = out; j > i; --j)
        {
            output[j] = output[j - 1];
        }
        output[i++] = n;
    }
    *outputLength = out;
    return Success;
}

}  // namespace ostrum::net
