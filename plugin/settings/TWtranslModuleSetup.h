#pragma once

#include <string>

class TWtransl;

// The module's translator set-up: the host's "plugins.lng" in `hostDirectory`
// (which ends with a path separator), then the plug-in's own file, `pluginPath`
// with the extension ".lng". Registers the module's message texts as
// translatable properties and returns the language to translate to: the one
// the files name when the plug-in's own file exists; otherwise "EN", and the
// translator gets no language file, so nothing is ever translated.
std::string SetUpModuleTranslator(TWtransl& translator, const std::string& hostDirectory,
                                  const std::string& pluginPath);
