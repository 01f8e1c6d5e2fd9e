#include "schema/PropertyValueMap.h"

#include <cstddef>
#include <vector>

namespace {

std::vector<CString> SplitAtCommas(const CString& text)
{
    std::vector<CString> pieces;
    int position = 0;
    // Tokenize skips empty pieces and sets position to -1 after the last one.
    for (CString piece = text.Tokenize(L",", position); position >= 0; piece = text.Tokenize(L",", position))
    {
        pieces.push_back(piece);
    }
    return pieces;
}

}  // namespace

std::map<CString, CString> BuildPropertyValueMap(const CString& values, const CString& labels)
{
    const std::vector<CString> valuePieces = SplitAtCommas(values);
    const std::vector<CString> labelPieces = SplitAtCommas(labels);
    std::map<CString, CString> result;
    if (valuePieces.size() != labelPieces.size())
    {
        return result;
    }
    for (std::size_t i = 0; i < valuePieces.size(); ++i)
    {
        CString value = valuePieces[i];
        CString label = labelPieces[i];
        result[value.Trim()] = label.Trim();
    }
    return result;
}
