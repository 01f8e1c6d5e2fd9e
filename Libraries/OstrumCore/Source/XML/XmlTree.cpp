#include "Libraries/OstrumCore/Source/XML/XmlTree.h"

namespace ostrum::xml {

XmlTree::XmlTree()
{
    SetTreeRecursive(this);
}

XmlTree::~XmlTree() = default;

}  // namespace ostrum::xml
