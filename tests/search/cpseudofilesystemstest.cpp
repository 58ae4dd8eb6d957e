#include "search/cpseudofilesystems.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(PseudoFileSystems, KernelFileSystemsAreToldFromFileSystemsHoldingFiles) {
    struct Case {
        const char* path;
        bool pseudo;
    };
    const Case cases[] = {
        {"/proc", true}, {"/sys", true}, {"/dev/pts", true}, {"/tmp", false}, {"/", false},
    };
    CPseudoFileSystems pseudo;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.path);
        const int fd = ::open(row.path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        ASSERT_EQ(::fstat(fd, &st), 0);
        // /tmp may itself be a tmpfs, which holds files like any disk.
        EXPECT_EQ(pseudo.IsPseudo(fd, st.st_dev), row.pseudo);
        ::close(fd);
    }
}

} // namespace
