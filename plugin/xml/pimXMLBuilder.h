#pragma once

#include "xml/pimXMLTokenizer.h"
#include "xml/pimXMLTree.h"

namespace pimxml {

// Clears the tree and builds it anew from the tokens. Throws EpimXMLError when a
// token follows a close tag that closed the root, or for an unknown token kind.
void BuildXMLTree(const TpimXMLTokens& tokens, TpimXMLTree& tree);

}  // namespace pimxml
