#include "fakes/fake_file_system.h"

namespace fakes {
namespace {

class FakeOpenFile : public platform::OpenFile {
 public:
  FakeOpenFile(FakeFile& file, int& open_files) : file_(file), open_files_(open_files) {
    ++open_files_;
  }
  ~FakeOpenFile() override { Close(); }

  std::optional<uint64_t> Length() override {
    if (!open_) return std::nullopt;
    return file_.claimed_length.value_or(file_.bytes.size());
  }

  std::optional<std::vector<uint8_t>> ReadWhole(std::string* error) override {
    const std::optional<uint64_t> length = Length();
    std::string why;
    if (!length || file_.read_fails) {
      why = "read failed";
    } else if (*length > platform::kMaxWholeFileBytes) {
      why = "larger than 64 MiB";
    } else {
      return file_.bytes;
    }
    if (error) *error = why;
    return std::nullopt;
  }

  void Close() override {
    if (open_) --open_files_;
    open_ = false;
  }

 private:
  FakeFile& file_;
  int& open_files_;
  bool open_ = true;
};

}  // namespace

std::unique_ptr<platform::OpenFile> FakeFileSystem::OpenReadWrite(const std::string& path,
                                                                  std::string* error) {
  open_attempts.push_back(path);
  const auto it = files.find(path);
  std::string why;
  if (it == files.end()) {
    why = path + ": No such file or directory";
  } else if (!it->second.writable) {
    why = path + ": Permission denied (write-protected)";
  } else {
    return std::make_unique<FakeOpenFile>(it->second, open_files);
  }
  if (error) *error = why;
  return nullptr;
}

}  // namespace fakes
