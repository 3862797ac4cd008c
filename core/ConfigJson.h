#pragma once
// The mapping between the configuration record and the JSON text of "config.json":
// tolerant typed readers, the defaults and clamps applied on load, and the exact text
// written on save. Platform-neutral; the files themselves are ConfigManager's business.
#include <istream>
#include <string>

#include <nlohmann/json.hpp>

#include "core/AIConfig.h"
#include "core/AccessibilityConfig.h"
#include "core/AudioConfig.h"
#include "core/SystemConfig.h"

namespace Tavrune {

class ConfigJson {
 public:
  // The member of an object, or null when the node is not an object or lacks the key.
  static const nlohmann::json* member(const nlohmann::json& node, const std::string& key);

  // Typed readers of document[section][key]: the default unless the value has the
  // expected JSON type. Integers must fit in 32 bits; floats must fit in a float.
  static int readInt(const nlohmann::json& document, const std::string& section, const std::string& key,
                     int fallback);
  static bool readBool(const nlohmann::json& document, const std::string& section, const std::string& key,
                       bool fallback);
  static std::string readString(const nlohmann::json& document, const std::string& section,
                                const std::string& key, const std::string& fallback);
  static float readFloat(const nlohmann::json& document, const std::string& section, const std::string& key,
                         float fallback);

  // Reads the first JSON value of the stream (a byte-order mark before it is skipped,
  // text after it ignored). False with the parser's message on failure; never throws.
  static bool parse(std::istream& input, nlohmann::json& document, std::string& error);

  // Updates the pieces from a parsed document: missing or mistyped keys take their
  // defaults, ranges are clamped. A null system or audio piece is not read.
  static void applyDocument(const nlohmann::json& document, AIConfig& ai, int& player2Scheme,
                            AccessibilityConfig& accessibility, SystemConfig* system, AudioConfig* audio);

  // Every field of the five pieces under its key, plus the derived "SkillLevel".
  static nlohmann::json buildDocument(const AIConfig& ai, int player2Scheme,
                                      const AccessibilityConfig& accessibility, const SystemConfig& system,
                                      const AudioConfig& audio);

  // The file's bytes: two-space indent, keys in byte order, non-ASCII unescaped, CR LF
  // line ends, no final line break. Invalid UTF-8 in a text becomes U+FFFD.
  static std::string toFileText(const nlohmann::json& document);
};

}  // namespace Tavrune
