// An XML document in memory: the root element itself, owning the whole tree.
//
// Its owning-tree pointer points to itself and its parent is null. Not thread-safe.
#pragma once

#include "Libraries/OstrumCore/Source/XML/XmlTreeNode.h"

namespace ostrum::xml {

class XmlTree : public XmlTreeNode
{
public:
    XmlTree();
    ~XmlTree() override;
};

}  // namespace ostrum::xml
