#pragma once

#include <string>

// The generated tree the search benchmarks walk: 5,000 directories (the root, 10 top, 100
// middle and 4,900 leaf directories) of 20 empty files each, 100,000 files in all. One file in
// `ildaEvery` is an ILDA file (a third of them named in capitals); the others are decoys such as
// "frame_7.DAT" and "frame_9.ild.bak" that a "*.ild" mask must pass over.
struct SearchTree {
    std::string root;
    int directories = 0;
    int files = 0;
    int ildaFiles = 0;
};

// Builds the tree under a fresh directory in /tmp; exits the process on a file-system error.
[[nodiscard]] SearchTree BuildSearchTree(int ildaEvery = 100);

// A tree shaped like a system directory such as /usr: 17,211 directories (the root, 10 top,
// 400 middle and 16,800 leaf directories) and few files: every directory holds one decoy
// ("readme.txt"), and one directory in 50 also an ILDA file. The cost of a search there is per
// directory, not per file.
[[nodiscard]] SearchTree BuildDirectoryTree();
void RemoveSearchTree(const SearchTree& tree);
