#pragma once
// Counts the sounds a back end refused, per reason and file, and logs the first three
// and every twentieth so a back end that always refuses does not flood the log.
#include <string>
#include <unordered_map>

namespace Tavrune {

class FallbackCounter {
 public:
  // Returns the new count for this reason and detail.
  int record(const std::string& reason, const std::string& detail);

 private:
  std::unordered_map<std::string, int> counts_;
};

}  // namespace Tavrune
