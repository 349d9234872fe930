// A file the program creates itself for writing: created exclusively, so an existing file, a
// directory or a symbolic link of the same name is never opened, truncated or followed.
// Plain blocking calls; one owner at a time, any thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace kivo {

class ExclusiveFile {
 public:
  enum class Result { kCreated, kNameTaken, kFailed };

  // Creates |path| (permissions as for any new user file). kNameTaken when anything already
  // has that name; kFailed for every other failure, with the system's reason in |error|.
  static Result Create(const std::string& path, std::unique_ptr<ExclusiveFile>* file,
                       std::string* error);

  ~ExclusiveFile();  // closes
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;

  // Writes all of |data|; false with the reason in |error| when the system took less (a full
  // disk, a removed medium).
  bool Write(const char* data, std::size_t len, std::string* error);
  // Closes now; later writes fail. False when the close reported a failure.
  bool Close(std::string* error);

 private:
  explicit ExclusiveFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

}  // namespace kivo
