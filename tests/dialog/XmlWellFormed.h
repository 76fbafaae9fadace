#pragma once

#include <string>

// Checks the syntax tree text strictly: one XML declaration, then exactly one
// root element; every tag closed in order; attribute values double-quoted,
// free of "<" and using only the five predefined entities; no text between
// elements. Empty when well-formed, else what is wrong and where.
std::string XmlWellFormedError(const std::string& xml);
