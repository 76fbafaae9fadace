// Parses arbitrary bytes as a request tree text and walks the whole tree. Only
// the reader's own error may escape a parse; any other exception, a crash or a
// broken parent link is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xml/pimXMLTree.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void Walk(const TpimXMLTree& tree) {
  std::vector<const TpimXMLNode*> pending{&tree};
  while (!pending.empty()) {
    const TpimXMLNode* node = pending.back();
    pending.pop_back();
    for (size_t i = 0; i < node->AttributeCount(); ++i) {
      const TpimXMLAttribute& attribute = node->Attribute(i);
      Check(node->AttributeValue(attribute.Name) != nullptr);
    }
    for (size_t i = 0; i < node->ChildCount(); ++i) {
      const TpimXMLNode& child = node->Child(i);
      Check(child.Parent() == node);
      pending.push_back(&child);
    }
    if (!node->Name().empty()) Check(tree.FindNode(node->Name()) != nullptr || node == &tree);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TpimXMLTree tree;
  try {
    tree.ParseText(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const EpimXMLError&) {
    // A close tag without an open element followed by more markup: the tree
    // built so far must still be sound.
  }
  Walk(tree);
  return 0;
}
