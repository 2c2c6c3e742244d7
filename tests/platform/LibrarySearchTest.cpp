// Where a library named without a folder is looked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/LibrarySearch.h"
#include "tests/support/LookupFiles.h"

namespace {

// The search itself: LD_LIBRARY_PATH in its order (either separator, an empty entry the current
// folder), then the loader's configuration with its includes, then the default folders.
TEST(LibrarySearch, FoldersInTheLoadersOrder) {
    TempFolder folder;
    const std::string conf =
        folder.Write("ld.so.conf", "# comment\ninclude conf.d/*.conf\n/opt/a # trailing\n");
    folder.Write("conf.d/1.conf", "/opt/b\n\n/opt/c:/opt/d\n");
    folder.Write("conf.d/2.conf", "include " + conf + "\n");  // includes itself: the depth ends it
    const std::vector<std::string> folders = platform::LibrarySearchFolders("/x:;/y;/z", conf);
    ASSERT_GE(folders.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(folders.begin(), folders.begin() + 4),
              (std::vector<std::string>{"/x", ".", "/y", "/z"}));
    EXPECT_EQ(std::vector<std::string>(folders.begin() + 4, folders.begin() + 8),
              (std::vector<std::string>{"/opt/b", "/opt/c", "/opt/d", "/opt/b"}));
    EXPECT_EQ(std::vector<std::string>(folders.end() - 2, folders.end()),
              (std::vector<std::string>{"/lib", "/usr/lib"}));
    EXPECT_NE(std::find(folders.begin(), folders.end(), "/opt/a"), folders.end());
}

}  // namespace
