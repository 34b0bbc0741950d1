// SPDX-License-Identifier: MIT
#include "scenehost/external_program.h"

#ifdef _WIN32
#include <process.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "scenehost/errors.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace kv::scenehost {
namespace {

#ifdef _WIN32
constexpr char PATH_SEPARATOR = ';';
constexpr const char* PROGRAM_SUFFIX = ".exe";
constexpr const char* DEFAULT_PATH = "";

bool isProgram(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// The C runtime joins the arguments into one command line with blanks; the
// program splits it again, so each argument is quoted by the rules it splits by.
std::string quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count literally unless a quote follows them.
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    quoted += c;
    backslashes = 0;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted += '"';
}

int runAndWait(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> quoted{quoteArgument(program)};
  for (const std::string& argument : arguments) quoted.push_back(quoteArgument(argument));
  std::vector<const char*> argv;
  for (const std::string& argument : quoted) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  const intptr_t status = ::_spawnv(_P_WAIT, program.c_str(), argv.data());
  if (status == -1) throw SceneError(program + ": cannot run: " + std::strerror(errno));
  return static_cast<int>(status);
}
#else
constexpr char PATH_SEPARATOR = ':';
constexpr const char* PROGRAM_SUFFIX = "";
constexpr const char* DEFAULT_PATH = "/usr/bin:/bin";

bool isProgram(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

int runAndWait(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  const int error = ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) throw SceneError(program + ": cannot run: " + std::strerror(error));
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw SceneError(program + ": lost track of it: " + std::strerror(errno));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
#endif

}  // namespace

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : DEFAULT_PATH;
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(PATH_SEPARATOR, start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = (std::filesystem::path(folder) / (name + PROGRAM_SUFFIX)).string();
    if (isProgram(candidate)) return candidate;
    start = end + 1;
  }
  return "";
}

int runProgram(const std::string& program, const std::vector<std::string>& arguments) {
  return runAndWait(program, arguments);
}

}  // namespace kv::scenehost
