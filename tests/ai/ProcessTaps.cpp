#include "ai/ProcessTaps.h"

namespace Tavrune::Test {

class ProcessTaps::Tap : public IProcessManager {
 public:
  Tap(std::unique_ptr<IProcessManager> inner, std::shared_ptr<ProcessTaps> taps, size_t session)
      : inner(std::move(inner)), taps(std::move(taps)), session(session) {}
  ~Tap() override {
    std::lock_guard<std::mutex> guard(taps->lock);
    taps->sessions[session].process = nullptr;
  }

  bool start(const std::string& commandLine) override { return inner->start(commandLine); }
  bool write(const std::string& text) override {
    {
      std::lock_guard<std::mutex> guard(taps->lock);
      std::vector<std::string>& lines = taps->sessions[session].lines;
      size_t begin = 0;
      for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        lines.push_back(text.substr(begin, end - begin));
      }
    }
    return inner->write(text);
  }
  int32_t read(char* buffer, int32_t maxBytes) override { return inner->read(buffer, maxBytes); }
  bool isRunning() override { return inner->isRunning(); }
  void terminate() override { inner->terminate(); }

 private:
  std::unique_ptr<IProcessManager> inner;
  std::shared_ptr<ProcessTaps> taps;
  size_t session;
};

std::unique_ptr<IProcessManager> ProcessTaps::tap(std::unique_ptr<IProcessManager> inner) {
  size_t index = 0;
  std::unique_ptr<Tap> tapped;
  {
    std::lock_guard<std::mutex> guard(lock);
    index = sessions.size();
    sessions.emplace_back();
  }
  tapped = std::make_unique<Tap>(std::move(inner), shared_from_this(), index);
  std::lock_guard<std::mutex> guard(lock);
  sessions[index].process = tapped.get();
  return tapped;
}

size_t ProcessTaps::sessionCount() const {
  std::lock_guard<std::mutex> guard(lock);
  return sessions.size();
}

std::vector<std::string> ProcessTaps::written(size_t session) const {
  std::lock_guard<std::mutex> guard(lock);
  return session < sessions.size() ? sessions[session].lines : std::vector<std::string>();
}

bool ProcessTaps::killNewest() {
  // Under the lock, so the process object cannot be destroyed meanwhile.
  std::lock_guard<std::mutex> guard(lock);
  if (sessions.empty() || !sessions.back().process) return false;
  sessions.back().process->terminate();
  return true;
}

}  // namespace Tavrune::Test
