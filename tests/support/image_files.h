// Helpers for image-file tests: raw bytes of files, little- and big-endian
// fields, and the independent encoders and decoders on this machine (Debian's
// python3-pil and libtiff-tools, installed by tools/install-deps.sh).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

// A field of a byte-packed record as a value: the assertion macros take their
// arguments by reference, which a packed field cannot bind.
template <class T>
T Val(T value) {
  return value;
}

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::uint32_t Le16(const Bytes& b, std::size_t at) { return b.at(at) | b.at(at + 1) << 8; }
inline std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}
inline void PutLe16(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLe32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutBe16(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}
inline void PutBe32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}

// Runs a shell command; its standard output, with the exit status in *status.
inline std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    *status = -1;
    return out;
  }
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
  int raw = ::pclose(pipe);
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

// Debian's interpreter carries python3-pil, whatever python3 comes first on PATH.
inline const char* kPython = "/usr/bin/python3";

inline bool HavePil() {
  int status = 0;
  RunCommand(std::string(kPython) + " -c 'import PIL' 2>/dev/null", &status);
  return status == 0;
}

inline bool HaveTiffTools() {
  int status = 0;
  RunCommand("command -v tiffinfo >/dev/null && command -v tiffcp >/dev/null && command -v tiff2rgba >/dev/null",
             &status);
  return status == 0;
}

// Runs a Python program with PIL; its standard output.
inline std::string RunPython(const std::string& program, int* status) {
  std::string path = "/tmp/zeph-pil-" + std::to_string(::getpid()) + ".py";
  std::ofstream(path) << program;
  std::string out = RunCommand(std::string(kPython) + " " + path + " 2>&1", status);
  std::remove(path.c_str());
  return out;
}

}  // namespace testing_support
