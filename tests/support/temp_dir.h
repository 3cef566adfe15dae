#pragma once
// A temporary folder for one test, removed with everything in it when the test ends.

#include <filesystem>
#include <string>
#include <vector>

namespace torv::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

// Whole-file helpers for checking bytes on disk.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The names in a folder, sorted: what a failed operation must not have added to.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);

}  // namespace torv::test
