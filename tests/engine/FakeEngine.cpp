// A scripted stand-in for a chess engine, for what a real engine will not do on demand:
// silence, crashes, garbage, huge lines, floods, slow answers, text on standard error.
//
// Usage: fake_engine <script file>, or with no argument the script beside the program
// (its path with ".exe" replaced by ".script"). Script lines:
//   start: <action>        run once at start-up
//   on <prefix>: <action>  run for each received line beginning with <prefix>; the
//                          actions of the first prefix that matches run in order
//   record <path>          append every received line to <path>
// Actions: send <text> | sendcrlf <text> | raw <text with \n \r \0 \\ \xHH> |
//          stderr <text> | sleep <ms> | exit <code> | flood <count> <text> |
//          longline <bytes> | hang | ignore
// Without a matching rule "quit" ends the program; so does the end of the input.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

struct Rule {
  std::string prefix;  // empty for start-up actions
  std::string action;
};

std::string unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c == 'n') out += '\n';
    else if (c == 'r') out += '\r';
    else if (c == '0') out += '\0';
    else if (c == 'x' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else out += c;
  }
  return out;
}

void writeOut(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

void run(const std::string& action) {
  const size_t space = action.find(' ');
  const std::string verb = action.substr(0, space);
  const std::string rest = space == std::string::npos ? std::string() : action.substr(space + 1);
  if (verb == "send") {
    writeOut(rest + "\n");
  } else if (verb == "sendcrlf") {
    writeOut(rest + "\r\n");
  } else if (verb == "raw") {
    writeOut(unescape(rest));
  } else if (verb == "stderr") {
    std::fputs((rest + "\n").c_str(), stderr);
    std::fflush(stderr);
  } else if (verb == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(rest)));
  } else if (verb == "exit") {
    std::fflush(stdout);
    std::_Exit(std::stoi(rest));
  } else if (verb == "flood") {
    const size_t split = rest.find(' ');
    const long count = std::stol(rest.substr(0, split));
    const std::string line = rest.substr(split + 1) + "\n";
    std::string block;
    for (long i = 0; i < count; ++i) block += line;
    writeOut(block);
  } else if (verb == "longline") {
    writeOut(std::string(std::stoul(rest), 'x') + "\n");
  } else if (verb == "hang") {
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(60));
  }
}

}  // namespace

int run(const std::vector<std::filesystem::path>& args) {
#ifdef _WIN32
  // Bytes exactly as scripted: no CR added before LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  std::filesystem::path scriptPath;
  if (args.size() >= 2) {
    scriptPath = args[1];
  } else if (args.size() == 1) {
    scriptPath = args[0];
    scriptPath.replace_extension(".script");
  }
  std::ifstream script(scriptPath, std::ios::binary);
  if (!script) {
    std::fputs("cannot open the script\n", stderr);
    return 2;
  }
  std::vector<Rule> rules;
  std::string recordPath;
  for (std::string line; std::getline(script, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("record ", 0) == 0) {
      recordPath = line.substr(7);
    } else if (line.rfind("start: ", 0) == 0) {
      rules.push_back({"", line.substr(7)});
    } else if (line.rfind("on ", 0) == 0) {
      const size_t colon = line.find(": ");
      if (colon != std::string::npos) rules.push_back({line.substr(3, colon - 3), line.substr(colon + 2)});
    }
  }

  for (const Rule& rule : rules) {
    if (rule.prefix.empty()) run(rule.action);
  }
  for (std::string line; std::getline(std::cin, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!recordPath.empty()) {
      std::ofstream record(std::filesystem::path(std::u8string(recordPath.begin(), recordPath.end())),
                           std::ios::app | std::ios::binary);
      record << line << "\n";
    }
    std::string matched;
    for (const Rule& rule : rules) {
      if (!rule.prefix.empty() && line.rfind(rule.prefix, 0) == 0) {
        matched = rule.prefix;
        break;
      }
    }
    if (matched.empty()) {
      if (line == "quit") return 0;
      continue;
    }
    for (const Rule& rule : rules) {
      if (rule.prefix == matched) run(rule.action);
    }
  }
  return 0;
}

// Wide arguments on Windows, so that a program folder with any name works.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  return run(std::vector<std::filesystem::path>(argv, argv + argc));
}
#else
int main(int argc, char** argv) {
  return run(std::vector<std::filesystem::path>(argv, argv + argc));
}
#endif
