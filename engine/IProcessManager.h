#pragma once
// A child process with pipes on its standard input and output. The engine driver runs
// the engine through it; Windows supplies WinProcessManager, tests supply doubles.
#include <cstdint>
#include <string>

namespace Tavrune {

class IProcessManager {
 public:
  virtual ~IProcessManager() = default;

  // Starts the program named by the UTF-8 command line; true when it was created.
  virtual bool start(const std::string& commandLine) = 0;
  // Writes the bytes of text in one piece; callable from several threads at once.
  virtual bool write(const std::string& text) = 0;
  // Reads at most maxBytes bytes (not terminated): the count read, 0 when nothing was
  // read, -1 when the output has ended, failed or the process was never started.
  // A read blocked here must return once terminate() is called on another thread.
  virtual int32_t read(char* buffer, int32_t maxBytes) = 0;
  virtual bool isRunning() = 0;
  // Ends the process and releases the pipes; harmless when already terminated.
  virtual void terminate() = 0;
};

}  // namespace Tavrune
