// XmlNode::Tree: the parsed libxml2 document shared by an XmlDocument and its nodes. Only the
// stand-in's own .cpp files see it (libxml2 stays out of the public headers).
#pragma once

#include <libxml/tree.h>

#include "platform/xml/XmlNode.h"

struct XmlNode::Tree
{
    explicit Tree(xmlDocPtr parsed) : document(parsed) {}
    ~Tree() { xmlFreeDoc(document); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    xmlDocPtr const document;
};
