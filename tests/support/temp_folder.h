#pragma once
#include <string>

namespace salvex::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    // Under a folder of the caller's choice instead.
    explicit TempFolder(const std::string& under);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file (parents made) and returns its path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::string path_;
};

}  // namespace salvex::test
