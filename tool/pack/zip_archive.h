// A zip archive of whole files, stored without compression: every unzip
// tool and the system's own folder view open it, and no library is needed
// on either build.
#ifndef TOOL_PACK_ZIP_ARCHIVE_H_
#define TOOL_PACK_ZIP_ARCHIVE_H_

#include <string>
#include <vector>

namespace scenario::tool {

struct zip_entry {
  std::string name;   // path inside the archive, "/" between folders
  std::string bytes;
};

// The bytes of the archive. Every entry is dated 1 January 1980, so the
// same files always give the same archive. A name outside ASCII is stored
// in UTF-8 and flagged so (bit 11). Entries and the archive must
// stay below 4 GiB (the format without its 64-bit extension).
std::string zip_archive(const std::vector<zip_entry>& entries);

}  // namespace scenario::tool

#endif  // TOOL_PACK_ZIP_ARCHIVE_H_
