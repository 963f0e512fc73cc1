#ifndef TOLVANE_TESTS_SUPPORT_TEMP_DIR_H_
#define TOLVANE_TESTS_SUPPORT_TEMP_DIR_H_

#include <filesystem>
#include <string>

namespace tolvane::testing {

// A fresh folder that is removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder with a trailing separator, as the program names its folder.
  std::string Folder() const { return path_.string() + "/"; }
  std::string FilePath(const std::string& name) const { return (path_ / name).string(); }
  void WriteFile(const std::string& name, const std::string& content) const;
  std::string ReadFile(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace tolvane::testing

#endif  // TOLVANE_TESTS_SUPPORT_TEMP_DIR_H_
