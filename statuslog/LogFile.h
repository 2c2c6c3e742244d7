// The status log as a file for a service report, written the same way by both front ends.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace statuslog {

// The log's context menu, the same on every front end ('&' marks the access key).
constexpr const char* kCopyCaption = "&Copy";
constexpr const char* kCopyAllCaption = "Copy &all";
constexpr const char* kSaveAsCaption = "&Save log as...";
constexpr const char* kSaveDialogTitle = "Save log as";

// "tolvik-log-20261208-175129.txt": the name a save suggests, from the local time.
std::string SuggestedFileName();

// The message box of a failed save; `path` as the user chose it, `reason` the system's.
std::string SaveFailureMessage(const std::string& path, const std::string& reason);

// The lines that head a saved log: when, which Tolvik, on which computer, through which library.
std::vector<std::string> LogFileHeader();

// `header`, an empty line, then `lines`: UTF-8, each line ended by '\n'.
std::string LogFileText(const std::vector<std::string>& header, const std::vector<std::string>& lines);

// Writes `text` to a temporary file beside `target` that replaces `target` only once it is
// complete and flushed, so a failed save leaves any earlier file whole and no temporary file
// behind. On failure returns false and fills `error` with the system's reason (UTF-8).
bool SaveLogFile(const std::filesystem::path& target, const std::string& text, std::string* error);

}  // namespace statuslog
