#include "app/ReplaceFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t written = write(fd, data.data() + done, data.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::string ReplaceFile(const std::filesystem::path& path, const std::filesystem::path& tempPath,
                        const std::string& content) {
  const int fd = open(tempPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::strerror(errno);
  bool ok = WriteAll(fd, content) && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(tempPath.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(tempPath.c_str());
    return std::strerror(error);
  }
  // Make the rename itself durable; the file is complete whether or not this succeeds.
  const std::filesystem::path parent = path.parent_path().empty() ? "." : path.parent_path();
  const int folder = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return {};
}
