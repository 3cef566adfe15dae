#pragma once
// A file system of a few pages and inodes (a tmpfs mounted on a temporary folder) for the writes that
// meet a full disk. Mounting needs root; elsewhere mounted() is false and the test skips.

#include <cstddef>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace torv::test {

class SmallFileSystem {
  public:
    SmallFileSystem(std::size_t bytes, int inodes);
    ~SmallFileSystem();  // unmounts it, and everything in it goes
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    const std::filesystem::path& path() const { return m_folder.path(); }
    std::string file(const std::string& name) const { return m_folder.file(name); }

    // Fills the space left with the file "filler", then frees `freeBytes` of it again (whole pages).
    void fill(std::size_t freeBytes = 0) const;
    // Makes empty files "inode-1", "inode-2", ... until no inode is left.
    void useUpInodes() const;

  private:
    TempDir m_folder;
    bool m_mounted = false;
};

}  // namespace torv::test
