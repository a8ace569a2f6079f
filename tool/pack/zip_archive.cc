#include "tool/pack/zip_archive.h"

#include "model/coding.h"
#include "model/crc32.h"

namespace scenario::tool {
namespace {

constexpr uint16_t kVersion = 20;      // 2.0: the oldest that reads folders
constexpr uint16_t kDosDate = 0x0021;  // 1980-01-01
constexpr uint16_t kDosTime = 0;

// The fields a local header and a central directory entry share, from
// "version needed" to the name's length.
void put_common(std::string* out, const zip_entry& e, uint32_t crc) {
  put_u16(out, kVersion);
  put_u16(out, 0);  // flags
  put_u16(out, 0);  // stored
  put_u16(out, kDosTime);
  put_u16(out, kDosDate);
  put_u32(out, crc);
  put_u32(out, static_cast<uint32_t>(e.bytes.size()));
  put_u32(out, static_cast<uint32_t>(e.bytes.size()));
  put_u16(out, static_cast<uint16_t>(e.name.size()));
}

}  // namespace

std::string zip_archive(const std::vector<zip_entry>& entries) {
  std::string out;
  std::string directory;
  for (const zip_entry& e : entries) {
    const uint32_t crc = crc32(e.bytes);
    const auto offset = static_cast<uint32_t>(out.size());
    put_u32(&out, 0x04034b50);
    put_common(&out, e, crc);
    put_u16(&out, 0);  // extra field
    out += e.name;
    out += e.bytes;

    put_u32(&directory, 0x02014b50);
    put_u16(&directory, kVersion);  // made by: MS-DOS attributes
    put_common(&directory, e, crc);
    put_u16(&directory, 0);  // extra field
    put_u16(&directory, 0);  // comment
    put_u16(&directory, 0);  // disk
    put_u16(&directory, 0);  // internal attributes
    put_u32(&directory, 0);  // external attributes
    put_u32(&directory, offset);
    directory += e.name;
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
