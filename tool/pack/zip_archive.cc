#include "tool/pack/zip_archive.h"

#include <algorithm>

#include "model/ansi_text.h"
#include "model/coding.h"
#include "model/crc32.h"

namespace scenario::tool {
namespace {

constexpr uint16_t kVersion = 20;      // 2.0: the oldest that reads folders
constexpr uint16_t kDosDate = 0x0021;  // 1980-01-01
constexpr uint16_t kDosTime = 0;

constexpr uint16_t kUtf8Names = 1 << 11;  // general purpose flag: the name is UTF-8

bool valid_utf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t start = at;
    if (next_code_point(text, &at) == 0xFFFD && text.substr(start, at - start) != "\xef\xbf\xbd") return false;
  }
  return true;
}

// An entry's name as stored, and its flags: a name outside ASCII in UTF-8
// with the flag that says so (without it every unzip reads it in the old
// DOS code page). A name that is not UTF-8 is Windows-1252, as the Windows
// tool is given it, and is converted.
struct stored_name {
  std::string bytes;
  uint16_t flags = 0;
};
stored_name stored(std::string_view name) {
  if (std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return {std::string(name), 0};
  }
  return {valid_utf8(name) ? std::string(name) : ansi_to_utf8(name), kUtf8Names};
}

// The fields a local header and a central directory entry share, from
// "version needed" to the name's length.
void put_common(std::string* out, const zip_entry& e, const stored_name& name, uint32_t crc) {
  put_u16(out, kVersion);
  put_u16(out, name.flags);
  put_u16(out, 0);  // stored
  put_u16(out, kDosTime);
  put_u16(out, kDosDate);
  put_u32(out, crc);
  put_u32(out, static_cast<uint32_t>(e.bytes.size()));
  put_u32(out, static_cast<uint32_t>(e.bytes.size()));
  put_u16(out, static_cast<uint16_t>(name.bytes.size()));
}

}  // namespace

std::string zip_archive(const std::vector<zip_entry>& entries) {
  std::string out;
  std::string directory;
  for (const zip_entry& e : entries) {
    const uint32_t crc = crc32(e.bytes);
    const stored_name name = stored(e.name);
    const auto offset = static_cast<uint32_t>(out.size());
    put_u32(&out, 0x04034b50);
    put_common(&out, e, name, crc);
    put_u16(&out, 0);  // extra field
    out += name.bytes;
    out += e.bytes;

    put_u32(&directory, 0x02014b50);
    put_u16(&directory, kVersion);  // made by: MS-DOS attributes
    put_common(&directory, e, name, crc);
    put_u16(&directory, 0);  // extra field
    put_u16(&directory, 0);  // comment
    put_u16(&directory, 0);  // disk
    put_u16(&directory, 0);  // internal attributes
    put_u32(&directory, 0);  // external attributes
    put_u32(&directory, offset);
    directory += name.bytes;
  }
  const auto directory_at = static_cast<uint32_t>(out.size());
  out += directory;
  put_u32(&out, 0x06054b50);
  put_u16(&out, 0);  // this disk
  put_u16(&out, 0);  // disk of the directory
  put_u16(&out, static_cast<uint16_t>(entries.size()));
  put_u16(&out, static_cast<uint16_t>(entries.size()));
  put_u32(&out, static_cast<uint32_t>(directory.size()));
  put_u32(&out, directory_at);
  put_u16(&out, 0);  // comment
  return out;
}

}  // namespace scenario::tool
