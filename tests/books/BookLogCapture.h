#pragma once
// Turns the debug log on into a test folder and collects its lines while it lives.
#include <mutex>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace Tavrune::Test {

class BookLogCapture {
 public:
  BookLogCapture();
  ~BookLogCapture();
  BookLogCapture(const BookLogCapture&) = delete;
  BookLogCapture& operator=(const BookLogCapture&) = delete;

  bool contains(const std::string& text) const;
  // Lines containing "[WARNING] ".
  std::vector<std::string> warnings() const;
  std::string all() const;
  void clear();

 private:
  TempFolder logFolder{"开局库-log"};
  mutable std::mutex lock;
  std::vector<std::string> lines;
};

}  // namespace Tavrune::Test
