#include "Libraries/OstrumCore/Source/XML/XmlParserCallback.h"

#include "Libraries/OstrumCore/Source/IO/PushbackInputStream.h"

namespace ostrum::xml {

bool XmlParserCallback::Text(const std::string&, io::PushbackInputStream& input, XmlParser&, void*)
{
    return ReadTextUpToTag(input, nullptr);
}

bool XmlParserCallback::ReadTextUpToTag(io::PushbackInputStream& input, std::string* text)
{
    std::string gathered;
    for (;;)
    {
        const int c = input.read();
        if (c < 0)
        {
            return false;
        }
        if (c == '<')
        {
            input.unread(c);
            break;
        }
        if (text != nullptr)
        {
            gathered.push_back(static_cast<char>(c));
        }
    }
    if (text != nullptr)
    {
        *text = std::move(gathered);
    }
    return true;
}

}  // namespace ostrum::xml
