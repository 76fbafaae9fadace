#pragma once

#include <string>

#include "ScriptLexer.h"
#include "XmlElement.h"

// The syntax tree of a script: "program" holding the declarations in source
// order ("var", "const", "procedure"), the main block and an empty "types".
// Every element but "program" and "types" carries "pos", the line and column
// of its first token; every "expr" also "pos1", where it ends. Throws
// EScriptSyntax for source outside the language subset it reads.
TXmlElement ParseScript(const std::string& source);
