// A private sandbox folder for a desk verb's session (the desktop the stand-ins need), removed
// with everything in it when the verb ends.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace desk {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& verb) {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("vurkarx-" + verb + "-" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace desk
