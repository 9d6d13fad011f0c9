#pragma once
// The folders one pass writes into, opened from the destination down without
// following a link that someone planted in the result tree, and the files made
// in them. Only what is made here is handed to the invoking user.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/error_words.h"

namespace salvex {

// Why a folder or file of the result tree could not be used: where, and why in plain words.
struct Refusal {
    std::string path, cause;
};

class OutputTree {
public:
    OutputTree() = default;
    ~OutputTree();
    OutputTree(const OutputTree&) = delete;
    OutputTree& operator=(const OutputTree&) = delete;

    // Opens `destination` (the user's own choice, taken as it is), then each of
    // `below` under it, making what is missing. False with the reason in `why`.
    bool open(const std::string& destination, const std::vector<std::string>& below, Refusal& why);
    // The folder `level` steps below the destination (1 = the first of `below`).
    int folder(std::size_t level) const { return level < chain_.size() ? chain_[level] : -1; }

    // A new file `name` in the subfolder `sub` of the deepest folder (made when
    // missing), open for reading and writing. A file of that name is replaced,
    // never written through; a link there is refused. Null with the reason.
    std::FILE* create(const std::string& sub, const std::string& name, Refusal& why);
    // Removes a file this pass made.
    void remove(const std::string& sub, const std::string& name);
    // Clears the way for a file `name` in the subfolder `sub`, as create() does,
    // without making it: an earlier search's file there goes, a link or anything
    // else is refused. False with the reason.
    bool make_room(const std::string& sub, const std::string& name, Refusal& why);
    // Moves the file `from_name` of the subfolder `from_sub` of `from` (a tree on
    // the same file system) to `name` in the subfolder `sub` here.
    bool adopt(const std::string& sub, const std::string& name, OutputTree& from, const std::string& from_sub,
               const std::string& from_name, Refusal& why);
    // Removes the deepest folder with the files and folders in it.
    void remove_deepest();
    const std::string& path() const { return deepest_path_; }

private:
    int sub_folder(const std::string& sub, Refusal& why);
    // The subfolder, once the deepest folder is known to be still where its path says.
    int checked_sub_folder(const std::string& sub, Refusal& why);

    std::vector<int> chain_;  // destination, then each folder below it
    std::vector<std::string> below_;
    std::string deepest_path_;
    std::map<std::string, int> subs_;
};

// Makes `name` in the folder `dir` (whose path is `dir_path`, for messages) as a
// new file for reading and writing, replacing a regular file of that name and
// refusing anything else. -1 with the reason in `why`; errno is kept.
int create_file_at(int dir, const std::string& dir_path, const std::string& name, Refusal& why);

}  // namespace salvex
