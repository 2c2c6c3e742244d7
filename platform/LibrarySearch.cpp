#include "platform/LibrarySearch.h"

#include <glob.h>
#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "platform/File.h"

namespace platform {

namespace {

// The loader's configuration is a few lines; includes nest a level or two. The depth bounds an
// include that names itself.
constexpr std::uint64_t kMaxConfBytes = 1024 * 1024;
constexpr int kMaxIncludeDepth = 8;

void ReadConf(const std::string& path, int depth, std::vector<std::string>* folders);

void Include(const std::string& pattern, const std::string& confFolder, int depth,
             std::vector<std::string>* folders) {
    const std::string full = pattern.front() == '/' ? pattern : confFolder + "/" + pattern;
    glob_t matches{};
    if (glob(full.c_str(), 0, nullptr, &matches) == 0) {
        for (std::size_t i = 0; i < matches.gl_pathc; ++i) {
            ReadConf(matches.gl_pathv[i], depth + 1, folders);
        }
    }
    globfree(&matches);
}

// Lines of folders, "include <pattern>" lines, comments after '#'; "hwcap" lines name no folder.
void ReadConf(const std::string& path, int depth, std::vector<std::string>* folders) {
    if (depth > kMaxIncludeDepth) {
        return;
    }
    const File file = OpenForReading(path.c_str(), kMaxConfBytes);
    std::string text;
    if (!file || ReadWhole(file.get(), kMaxConfBytes, &text) != ReadResult::Ok) {
        return;
    }
    const std::string confFolder = path.substr(0, path.find_last_of('/'));
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) {
            continue;
        }
        if (word == "include") {
            for (std::string pattern; words >> pattern;) {
                Include(pattern, confFolder, depth, folders);
            }
            continue;
        }
        // Old configurations may separate folders by commas or colons too.
        for (std::size_t start = 0; start < line.size();) {
            const std::size_t end = std::min(line.find_first_of(" \t,:=\r", start), line.size());
            if (end > start && line[start] == '/') {
                folders->push_back(line.substr(start, end - start));
            }
            start = end + 1;
        }
    }
}

}  // namespace

std::vector<std::string> LibrarySearchFolders(const char* libraryPath, const std::string& ldSoConf) {
    std::vector<std::string> folders;
    if (libraryPath && *libraryPath) {
        const std::string list(libraryPath);
        for (std::size_t start = 0;;) {
            const std::size_t end = std::min(list.find_first_of(":;", start), list.size());
            folders.push_back(end > start ? list.substr(start, end - start) : ".");
            if (end == list.size()) {
                break;
            }
            start = end + 1;
        }
    }
    ReadConf(ldSoConf, 0, &folders);
#ifdef TOLVIK_MULTIARCH
    folders.push_back("/lib/" TOLVIK_MULTIARCH);
    folders.push_back("/usr/lib/" TOLVIK_MULTIARCH);
#endif
    folders.push_back("/lib");
    folders.push_back("/usr/lib");
    return folders;
}

std::string FindLibrary(const std::string& name) {
    for (const std::string& folder :
         LibrarySearchFolders(std::getenv("LD_LIBRARY_PATH"), "/etc/ld.so.conf")) {
        const std::string path = folder + "/" + name;
        struct stat status;
        if (stat(path.c_str(), &status) == 0) {
            return path;
        }
    }
    return {};
}

}  // namespace platform
