#include "bench/searchtree.h"

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kTop = 10;
constexpr int kMiddle = 10;
constexpr int kLeaves = 49;
constexpr int kFilesPerDirectory = 20;

void MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

void Touch(const std::string& path) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC | O_EXCL, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

void FillDirectory(SearchTree& tree, const std::string& path, int ildaEvery) {
    for (int i = 0; i < kFilesPerDirectory; ++i, ++tree.files) {
        const int serial = tree.files;
        std::string name;
        if (serial % ildaEvery == 0) {
            name = (serial % (3 * ildaEvery) == 0) ? "SHOW_" + std::to_string(serial) + ".ILD"
                                                   : "show_" + std::to_string(serial) + ".ild";
            ++tree.ildaFiles;
        } else if (serial % 7 == 0) {
            name = "FRAME_" + std::to_string(serial) + ".DAT";
        } else {
            name = "frame_" + std::to_string(serial) + (serial % 3 ? ".dat" : ".ild.bak");
        }
        Touch(path + "/" + name);
    }
    ++tree.directories;
}

std::string FreshRoot() {
    char pattern[] = "/tmp/trellion-searchbench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// One directory of the directory tree: its decoy, and an ILDA file in one directory of 50.
void FillSparseDirectory(SearchTree& tree, const std::string& path) {
    Touch(path + "/readme.txt");
    ++tree.files;
    if (tree.directories % 50 == 0) {
        Touch(path + "/show_" + std::to_string(tree.directories) + ".ild");
        ++tree.files;
        ++tree.ildaFiles;
    }
    ++tree.directories;
}

} // namespace

SearchTree BuildDirectoryTree() {
    constexpr int top = 10;
    constexpr int middle = 40;
    constexpr int leaves = 42;
    SearchTree tree;
    tree.root = FreshRoot();
    FillSparseDirectory(tree, tree.root);
    for (int t = 0; t < top; ++t) {
        const std::string topPath = tree.root + "/lib" + std::to_string(t);
        MakeDirectory(topPath);
        FillSparseDirectory(tree, topPath);
        for (int m = 0; m < middle; ++m) {
            const std::string middlePath = topPath + "/package" + std::to_string(m);
            MakeDirectory(middlePath);
            FillSparseDirectory(tree, middlePath);
            for (int l = 0; l < leaves; ++l) {
                const std::string leaf = middlePath + "/part" + std::to_string(l);
                MakeDirectory(leaf);
                FillSparseDirectory(tree, leaf);
            }
        }
    }
    std::fprintf(stderr, "tree %s: %d directories, %d files, %d ILDA files\n", tree.root.c_str(),
                 tree.directories, tree.files, tree.ildaFiles);
    return tree;
}

SearchTree BuildSearchTree(int ildaEvery) {
    SearchTree tree;
    tree.root = FreshRoot();
    FillDirectory(tree, tree.root, ildaEvery);
    for (int t = 0; t < kTop; ++t) {
        const std::string top = tree.root + "/Top" + std::to_string(t);
        MakeDirectory(top);
        FillDirectory(tree, top, ildaEvery);
        for (int m = 0; m < kMiddle; ++m) {
            const std::string middle = top + "/middle" + std::to_string(m);
            MakeDirectory(middle);
            FillDirectory(tree, middle, ildaEvery);
            for (int l = 0; l < kLeaves; ++l) {
                const std::string leaf = middle + "/leaf" + std::to_string(l);
                MakeDirectory(leaf);
                FillDirectory(tree, leaf, ildaEvery);
            }
        }
    }
    std::fprintf(stderr, "tree %s: %d directories, %d files, %d ILDA files\n", tree.root.c_str(),
                 tree.directories, tree.files, tree.ildaFiles);
    return tree;
}

void RemoveSearchTree(const SearchTree& tree) {
    ::nftw(
        tree.root.c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 64,
        FTW_DEPTH | FTW_PHYS);
}
